#include "platform/notify/notify_store.h"

#include <sqlite3.h>

#include <mutex>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
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
                      " end_time INTEGER NOT NULL);",
                      nullptr, nullptr, nullptr);
  }
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

std::vector<StoredNotification> StoreTakeDue(std::int64_t now) {
  std::vector<StoredNotification> out;
  std::unique_lock<std::mutex> guard;
  DWORD error = ERROR_SUCCESS;
  sqlite3* db = Open(guard, &error);
  if (!db) return out;
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return out;
  {
    Query q(db, (std::string(kColumns) + " WHERE start<=? ORDER BY start, id").c_str());
    q.Int(1, now);
    while (q.Step() == SQLITE_ROW) out.push_back(q.Row());
  }
  Query del(db, "DELETE FROM notes WHERE start<=?");
  del.Int(1, now);
  if (del.Step() != SQLITE_DONE || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    out.clear();
  }
  return out;
}

}  // namespace ce::notify
