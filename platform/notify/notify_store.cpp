#include "platform/notify/notify_store.h"

#include <sqlite3.h>

#include <mutex>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/process_identity.h"
#include "platform/text/utf.h"
#include "platform/time/time.h"

namespace ce::notify {
namespace {

// The connection to the current device folder's table; reopened when the folder changes.
struct Connection {
  std::mutex lock;
  sqlite3* db = nullptr;
  std::string path;
};

Connection& TheConnection() {
  static auto* c = new Connection();
  return *c;
}

DWORD SqlError(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    default: return ERROR_GEN_FAILURE;
  }
}

// A table made before notifications could be claimed gets the owner columns (0: not claimed).
int AddOwnerColumns(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM pragma_table_info('notes') WHERE name='owner_pid'", -1, &st,
                              nullptr);
  bool present = false;
  if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) present = sqlite3_column_int(st, 0) > 0;
  sqlite3_finalize(st);
  if (rc != SQLITE_OK || present) return rc;
  return sqlite3_exec(db,
                      "ALTER TABLE notes ADD COLUMN owner_pid INTEGER NOT NULL DEFAULT 0;"
                      "ALTER TABLE notes ADD COLUMN owner_start INTEGER NOT NULL DEFAULT 0;",
                      nullptr, nullptr, nullptr);
}

// Locks and opens the table; null with `error` when it cannot be opened.
sqlite3* Open(std::unique_lock<std::mutex>& guard, DWORD* error) {
  Connection& c = TheConnection();
  guard = std::unique_lock<std::mutex>(c.lock);
  std::string path = (DeviceFolder() / "notifications.db").string();
  if (c.db && c.path == path) return c.db;
  if (c.db) sqlite3_close(c.db);
  c.db = nullptr;
  c.path.clear();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, 10000);
    rc = sqlite3_exec(db,
                      "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                      "CREATE TABLE IF NOT EXISTS notes(id INTEGER PRIMARY KEY AUTOINCREMENT, type INTEGER NOT NULL,"
                      " event INTEGER NOT NULL, app TEXT NOT NULL, args TEXT NOT NULL, start INTEGER NOT NULL,"
                      " end_time INTEGER NOT NULL, owner_pid INTEGER NOT NULL DEFAULT 0,"
                      " owner_start INTEGER NOT NULL DEFAULT 0);",
                      nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) rc = AddOwnerColumns(db);
  if (rc != SQLITE_OK) {
    *error = SqlError(rc);
    sqlite3_close(db);
    return nullptr;
  }
  c.db = db;
  c.path = path;
  return db;
}

class Query {
 public:
  Query(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
  ~Query() { sqlite3_finalize(st_); }
  Query& Int(int i, std::int64_t v) {
    sqlite3_bind_int64(st_, i, v);
    return *this;
  }
  Query& Text(int i, const std::u16string& v) {
    std::string s = text::ToUtf8(v);
    sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  int Step() { return st_ ? sqlite3_step(st_) : SQLITE_ERROR; }
  StoredNotification Row() const {
    StoredNotification n;
    n.id = sqlite3_column_int64(st_, 0);
    n.type = static_cast<DWORD>(sqlite3_column_int64(st_, 1));
    n.event = static_cast<DWORD>(sqlite3_column_int64(st_, 2));
    n.application = ColText(3);
    n.arguments = ColText(4);
    n.start = sqlite3_column_int64(st_, 5);
    n.end = sqlite3_column_int64(st_, 6);
    return n;
  }

 private:
  std::u16string ColText(int c) const {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, c));
    return p ? text::FromUtf8(std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(st_, c))))
             : std::u16string();
  }
  sqlite3_stmt* st_ = nullptr;
};

constexpr const char* kColumns = "SELECT id, type, event, app, args, start, end_time FROM notes";

}  // namespace

SYSTEMTIME LocalTimeOf(std::int64_t t) {
  FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(static_cast<std::uint64_t>(t) >> 32)};
  SYSTEMTIME st{};
  FileTimeToSystemTime(&ft, &st);
  return st;
}

DWORD StoreInsert(StoredNotification* n) {
  std::unique_lock<std::mutex> guard;
  DWORD error = ERROR_SUCCESS;
  sqlite3* db = Open(guard, &error);
  if (!db) return error;
  Query q(db, "INSERT INTO notes(type, event, app, args, start, end_time) VALUES(?, ?, ?, ?, ?, ?)");
  q.Int(1, n->type).Int(2, n->event).Text(3, n->application).Text(4, n->arguments).Int(5, n->start).Int(6, n->end);
  int rc = q.Step();
  if (rc != SQLITE_DONE) return SqlError(rc);
  n->id = sqlite3_last_insert_rowid(db);
  return ERROR_SUCCESS;
}

DWORD StoreReplace(const StoredNotification& n) {
  std::unique_lock<std::mutex> guard;
  DWORD error = ERROR_SUCCESS;
  sqlite3* db = Open(guard, &error);
  if (!db) return error;
  Query q(db, "UPDATE notes SET type=?, event=?, app=?, args=?, start=?, end_time=? WHERE id=?");
  q.Int(1, n.type).Int(2, n.event).Text(3, n.application).Text(4, n.arguments).Int(5, n.start).Int(6, n.end).Int(7, n.id);
  int rc = q.Step();
  if (rc != SQLITE_DONE) return SqlError(rc);
  return sqlite3_changes(db) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

DWORD StoreDelete(std::int64_t id) {
  std::unique_lock<std::mutex> guard;
  DWORD error = ERROR_SUCCESS;
  sqlite3* db = Open(guard, &error);
  if (!db) return error;
  Query q(db, "DELETE FROM notes WHERE id=?");
  q.Int(1, id);
  int rc = q.Step();
  if (rc != SQLITE_DONE) return SqlError(rc);
  return sqlite3_changes(db) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::optional<StoredNotification> StoreGet(std::int64_t id, DWORD* error) {
  DWORD ignored = ERROR_SUCCESS;
  if (!error) error = &ignored;
  *error = ERROR_SUCCESS;
  std::unique_lock<std::mutex> guard;
  sqlite3* db = Open(guard, error);
  if (!db) return std::nullopt;
  Query q(db, (std::string(kColumns) + " WHERE id=?").c_str());
  q.Int(1, id);
  const int rc = q.Step();
  if (rc == SQLITE_ROW) return q.Row();
  if (rc != SQLITE_DONE) *error = SqlError(rc);
  return std::nullopt;
}

std::vector<StoredNotification> StoreList(bool by_start, DWORD* error) {
  DWORD ignored = ERROR_SUCCESS;
  if (!error) error = &ignored;
  *error = ERROR_SUCCESS;
  std::vector<StoredNotification> out;
  std::unique_lock<std::mutex> guard;
  sqlite3* db = Open(guard, error);
  if (!db) return out;
  Query q(db, (std::string(kColumns) + (by_start ? " ORDER BY start, id" : " ORDER BY id")).c_str());
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) out.push_back(q.Row());
  if (rc != SQLITE_DONE) *error = SqlError(rc);
  return out;
}

std::optional<StoredNotification> StoreClaimDue(std::int64_t now, const kernel::ProcessIdentity& owner,
                                                 DWORD* error) {
  *error = ERROR_SUCCESS;
  std::unique_lock<std::mutex> guard;
  sqlite3* db = Open(guard, error);
  if (!db) return std::nullopt;
  int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    *error = SqlError(rc);
    return std::nullopt;
  }
  std::optional<StoredNotification> found;
  {
    Query q(db, (std::string(kColumns) + " WHERE start<=? AND owner_pid=0 ORDER BY start, id LIMIT 1").c_str());
    q.Int(1, now);
    rc = q.Step();
    if (rc == SQLITE_ROW) found = q.Row();
  }
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
    rc = SQLITE_DONE;
    if (found) {
      Query claim(db, "UPDATE notes SET owner_pid=?, owner_start=? WHERE id=?");
      claim.Int(1, owner.pid).Int(2, static_cast<std::int64_t>(owner.start)).Int(3, found->id);
      rc = claim.Step();
    }
  }
  if (rc != SQLITE_DONE || (rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK) {
    *error = SqlError(rc);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return std::nullopt;
  }
  return found;
}

std::vector<std::int64_t> StoreAbandonedClaims(DWORD* error) {
  *error = ERROR_SUCCESS;
  std::vector<std::int64_t> out;
  std::unique_lock<std::mutex> guard;
  sqlite3* db = Open(guard, error);
  if (!db) return out;
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT id, owner_pid, owner_start FROM notes WHERE owner_pid<>0 ORDER BY id", -1,
                              &st, nullptr);
  while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
    const kernel::ProcessIdentity owner{static_cast<std::int32_t>(sqlite3_column_int64(st, 1)),
                                        static_cast<std::uint64_t>(sqlite3_column_int64(st, 2))};
    if (!kernel::ProcessRuns(owner)) out.push_back(sqlite3_column_int64(st, 0));
    rc = SQLITE_OK;
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) *error = SqlError(rc);
  return out;
}

DWORD StoreReleaseClaim(std::int64_t id) {
  std::unique_lock<std::mutex> guard;
  DWORD error = ERROR_SUCCESS;
  sqlite3* db = Open(guard, &error);
  if (!db) return error;
  Query q(db, "UPDATE notes SET owner_pid=0, owner_start=0 WHERE id=?");
  q.Int(1, id);
  const int rc = q.Step();
  return rc == SQLITE_DONE ? ERROR_SUCCESS : SqlError(rc);
}

}  // namespace ce::notify
