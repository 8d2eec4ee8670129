#include "platform/registry/registry_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "platform/base/errors.h"
#include "platform/base/sqlite_snapshot.h"
#include "platform/base/sqlite_termination.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/termination_point.h"
#include "platform/text/utf.h"

namespace ce::registry {
namespace {

char16_t LowerChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F))
    return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17E) {
    // Latin Extended-A pairs: the upper case letter on the even code point, except from U+0139 to
    // U+0148 and from U+0179 on, where it is on the odd one.
    bool odd_upper = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    bool is_upper = odd_upper ? (c % 2 == 1) : (c % 2 == 0);
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149) is_upper = false;
    return is_upper ? static_cast<char16_t>(c + 1) : c;
  }
  return c;
}

enum Slot {
  kKeyExists,
  kFindChild,
  kInsertKey,
  kSubkeysAt,
  kSubkeysFrom,
  kReadValue,
  kUpsertValue,
  kDeleteValue,
  kValuesAt,
  kValuesFrom,
  kBegin,
  kCommit,
  kSlotCount
};

LONG SqlError(int rc, bool writing) {
  switch (rc & 0xFF) {
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_READONLY: return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_REGISTRY_CORRUPT;
    default: return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
  }
}

std::uint64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
}

void BindText(sqlite3_stmt* st, int index, const std::string& text) {
  sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::u16string ColumnText(sqlite3_stmt* st, int col) {
  auto p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
  return p ? text::FromUtf8(std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(st, col))))
           : std::u16string();
}

Value ColumnValue(sqlite3_stmt* st, int type_col, int data_col) {
  Value v;
  v.type = static_cast<DWORD>(sqlite3_column_int64(st, type_col));
  auto p = static_cast<const BYTE*>(sqlite3_column_blob(st, data_col));
  int n = sqlite3_column_bytes(st, data_col);
  if (p && n > 0) v.data.assign(p, p + n);
  return v;
}

// Resets a cached statement when the caller's use ends.
struct StmtUse {
  sqlite3_stmt* st;
  explicit StmtUse(sqlite3_stmt* s) : st(s) {}
  ~StmtUse() {
    if (st) {
      sqlite3_reset(st);
      sqlite3_clear_bindings(st);
    }
  }
};

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
    " name TEXT NOT NULL, fold TEXT NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE IF NOT EXISTS vals(id INTEGER PRIMARY KEY, key INTEGER NOT NULL,"
    " name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
    " UNIQUE(key, fold));"
    "INSERT OR IGNORE INTO keys VALUES(1, 0, 'HKEY_CLASSES_ROOT', 'hkey_classes_root');"
    "INSERT OR IGNORE INTO keys VALUES(2, 0, 'HKEY_CURRENT_USER', 'hkey_current_user');"
    "INSERT OR IGNORE INTO keys VALUES(3, 0, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine');";

}  // namespace

std::string FoldName(std::u16string_view name) {
  // Plain ASCII names (nearly all) fold straight into UTF-8.
  if (std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x80; })) {
    std::string folded(name.size(), '\0');
    for (std::size_t i = 0; i < name.size(); ++i)
      folded[i] = static_cast<char>(name[i] >= u'A' && name[i] <= u'Z' ? name[i] + 32 : name[i]);
    return folded;
  }
  std::u16string lower(name);
  for (auto& c : lower) c = LowerChar(c);
  return text::ToUtf8(lower);
}

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

Store::Locked Store::Open() {
  static Store* store = new Store();  // lives for the process: used from exit-time code too
  std::unique_lock<std::mutex> guard(store->lock_);
  LONG error = ERROR_SUCCESS;
  // The folder is looked up (and made) only when it may have changed since the last call; a
  // snapshot (see OpenAt) is given up for a normal open once a second.
  const std::uint64_t serial = DeviceFolderSerial();
  const bool retry_snapshot = store->snapshot_ && NowMs() - store->snapshot_at_ms_ >= 1000;
  if (!store->db_ || serial != store->folder_serial_ || retry_snapshot) {
    std::string path = (DeviceFolder() / "registry.db").string();
    if (path != store->path_ || !store->db_ || retry_snapshot) error = store->OpenAt(path);
    if (error == ERROR_SUCCESS) store->folder_serial_ = serial;
  }
  return {std::move(guard), error == ERROR_SUCCESS ? store : nullptr, error};
}

Store::~Store() { Close(); }

void Store::Close() {
  for (auto* st : stmts_) sqlite3_finalize(st);
  stmts_.clear();
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
  path_.clear();
  wal_.Detach();
  subkeys_ = values_ = Batch{};
  snapshot_ = false;
}

int Store::CheckSchema(bool* present) {
  *present = false;
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(
      db_, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('keys', 'vals')", -1, &st, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(st);
  const bool tables = rc == SQLITE_ROW && sqlite3_column_int(st, 0) == 2;
  sqlite3_finalize(st);
  if (rc != SQLITE_ROW) return rc;
  if (!tables) return SQLITE_OK;
  rc = sqlite3_prepare_v2(db_, "SELECT count(*) FROM keys WHERE id IN (1, 2, 3) AND parent=0", -1, &st, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(st);
  *present = rc == SQLITE_ROW && sqlite3_column_int(st, 0) == 3;
  sqlite3_finalize(st);
  return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

// Opening an existing registry writes nothing, so that it reads on a full or read-only folder;
// only a new (or incomplete) one gets its tables in a write transaction. When SQLite cannot even
// read (a WAL database needs a shared-memory file beside it, which a full or read-only folder
// refuses), a registry whose file holds all of it is opened as an unchanging snapshot.
LONG Store::OpenAt(const std::string& path) {
  if (path != path_) ++generation_;
  Close();
  int rc = sqlite3_open_v2(path.c_str(), &db_,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  bool present = false;
  if (rc == SQLITE_OK) {
    sqlite_termination::Watch(db_);
    rc = CheckSchema(&present);
  }
  if (rc == SQLITE_OK && !present) {
    rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
      rc = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
      rc = sqlite3_exec(db_, rc == SQLITE_OK ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK ? rc
                                                                                                          : SQLITE_ERROR;
    }
  } else if (rc == SQLITE_OK) {
    sqlite3_exec(db_, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    LONG error = SqlError(rc, !present);
    Close();
    if (present || !sqlite_snapshot::WholeInFile(path)) return error;
    const LONG write_error = static_cast<LONG>(sqlite_snapshot::WriteErrorOf(path, ERROR_SUCCESS));
    if (write_error == ERROR_SUCCESS) return error;  // the folder can be written: a real failure
    rc = sqlite_snapshot::OpenSnapshot(path, &db_);
    if (rc == SQLITE_OK) rc = CheckSchema(&present);
    if (rc != SQLITE_OK || !present) {
      Close();
      return rc != SQLITE_OK ? SqlError(rc, false) : error;
    }
    snapshot_ = true;
    snapshot_error_ = write_error;
    snapshot_at_ms_ = NowMs();
  }
  path_ = path;
  stmts_.assign(kSlotCount, nullptr);
  wal_.Attach(db_);
  return ERROR_SUCCESS;
}

sqlite3_stmt* Store::Prepare(int slot, const char* sql) {
  if (!stmts_[slot]) sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmts_[slot], nullptr);
  return stmts_[slot];
}

// Runs a prepared statement that gives no rows; its result code.
int Store::Run(int slot, const char* sql) {
  sqlite3_stmt* st = Prepare(slot, sql);
  if (!st) return sqlite3_errcode(db_);
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

LONG Store::Begin() {
  if (snapshot_) return snapshot_error_;
  int rc = Run(kBegin, "BEGIN IMMEDIATE");
  return rc == SQLITE_OK ? ERROR_SUCCESS : SqlError(rc, true);
}

LONG Store::Commit() {
  int rc = Run(kCommit, "COMMIT");
  if (rc != SQLITE_OK) {
    Rollback();
    return SqlError(rc, true);
  }
  subkeys_.valid = values_.valid = false;
  AnnounceChange();
  return ERROR_SUCCESS;
}

void Store::Rollback() {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Store::KeyExists(KeyId id) {
  StmtUse use(Prepare(kKeyExists, "SELECT 1 FROM keys WHERE id=?"));
  if (!use.st) return false;
  sqlite3_bind_int64(use.st, 1, id);
  return sqlite3_step(use.st) == SQLITE_ROW;
}

KeyId Store::FindKey(KeyId start, const std::vector<std::u16string_view>& parts) {
  KeyId id = start;
  for (auto part : parts) {
    StmtUse use(Prepare(kFindChild, "SELECT id FROM keys WHERE parent=? AND fold=?"));
    if (!use.st) return 0;
    sqlite3_bind_int64(use.st, 1, id);
    BindText(use.st, 2, FoldName(part));
    if (sqlite3_step(use.st) != SQLITE_ROW) return 0;
    id = sqlite3_column_int64(use.st, 0);
  }
  return id;
}

LONG Store::CreateKey(KeyId start, const std::vector<std::u16string_view>& parts, KeyId* id, bool* created) {
  kernel::TerminationPoint point;  // a terminated thread's write gives up, rolls back and ends here
  LONG error = Begin();
  if (error != ERROR_SUCCESS) return error;
  if (!KeyExists(start)) {
    Rollback();
    return ERROR_KEY_DELETED;
  }
  KeyId cur = start;
  bool made = false;
  for (auto part : parts) {
    KeyId next = FindKey(cur, {part});
    made = false;
    if (!next) {
      StmtUse use(Prepare(kInsertKey, "INSERT INTO keys(parent, name, fold) VALUES(?, ?, ?)"));
      if (!use.st) {
        Rollback();
        return ERROR_CANTWRITE;
      }
      sqlite3_bind_int64(use.st, 1, cur);
      BindText(use.st, 2, text::ToUtf8(part));
      BindText(use.st, 3, FoldName(part));
      int rc = sqlite3_step(use.st);
      if (rc != SQLITE_DONE) {
        Rollback();
        return SqlError(rc, true);
      }
      next = sqlite3_last_insert_rowid(db_);
      made = true;
    }
    cur = next;
  }
  error = Commit();
  if (error != ERROR_SUCCESS) return error;
  *id = cur;
  *created = made;
  return ERROR_SUCCESS;
}

LONG Store::DeleteKeyTree(KeyId id) {
  kernel::TerminationPoint point;  // a terminated thread's write gives up, rolls back and ends here
  LONG error = Begin();
  if (error != ERROR_SUCCESS) return error;
  const char* sql =
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree t ON k.parent=t.id)"
      " DELETE FROM vals WHERE key IN tree;"
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree t ON k.parent=t.id)"
      " DELETE FROM keys WHERE id IN tree;";
  const char* tail = sql;
  while (tail && *tail) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, tail, -1, &st, &tail);
    if (rc == SQLITE_OK && st) {
      sqlite3_bind_int64(st, 1, id);
      rc = sqlite3_step(st);
      sqlite3_finalize(st);
      if (rc == SQLITE_DONE) continue;
    }
    Rollback();
    return SqlError(rc, true);
  }
  return Commit();
}

// Enumerations go by index, each index counted in id order. Counting from the start for every
// index made walking a key quadratic; instead the rows are read a batch at a time (a few at first,
// more while the walk goes on) and kept for the following indices. A batch holds only while the
// database is unchanged: the wal-index header is read before the rows are, and a batch is used
// only while it still reads the same, so a commit by this or any other process sends the next
// call back to the file.
std::optional<Store::NamedValue> Store::EnumAt(Batch& batch, KeyId parent, DWORD index, bool values) {
  constexpr std::size_t kFirst = 16, kMost = 1024;
  WalStamp::Header now{};
  const bool stamped = wal_.Read(&now);
  const bool holds = batch.valid && stamped && now == batch.header && batch.parent == parent;
  if (holds && index >= batch.first) {
    const std::size_t at = index - batch.first;
    if (at < batch.rows.size()) return batch.rows[at];
    if (at == batch.rows.size() && batch.rows.size() < batch.asked) return std::nullopt;  // the end
  }
  // Going on from the batch when the walk reached its end, else counted from the start.
  const bool next = holds && !batch.ids.empty() && index == batch.first + batch.rows.size();
  const std::size_t want = next ? std::min(batch.asked * 2, kMost) : kFirst;
  sqlite3_stmt* st;
  if (values) {
    st = next ? Prepare(kValuesFrom, "SELECT id, name, type, data FROM vals WHERE +key=?1 AND id>=?2 ORDER BY id LIMIT ?3")
              : Prepare(kValuesAt, "SELECT id, name, type, data FROM vals WHERE key=?1 ORDER BY id LIMIT ?3 OFFSET ?2");
  } else {
    st = next ? Prepare(kSubkeysFrom, "SELECT id, name FROM keys WHERE +parent=?1 AND id>=?2 ORDER BY id LIMIT ?3")
              : Prepare(kSubkeysAt, "SELECT id, name FROM keys WHERE parent=?1 ORDER BY id LIMIT ?3 OFFSET ?2");
  }
  if (!st) return std::nullopt;
  StmtUse use(st);
  sqlite3_bind_int64(st, 1, parent);
  sqlite3_bind_int64(st, 2, next ? batch.ids.back() + 1 : static_cast<std::int64_t>(index));
  sqlite3_bind_int64(st, 3, static_cast<std::int64_t>(want));
  Batch fresh;
  fresh.parent = parent;
  fresh.first = index;
  fresh.asked = want;
  fresh.header = now;
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    fresh.ids.push_back(sqlite3_column_int64(st, 0));
    fresh.rows.push_back(values ? NamedValue{ColumnText(st, 1), ColumnValue(st, 2, 3)} : NamedValue{ColumnText(st, 1), {}});
  }
  fresh.valid = stamped && rc == SQLITE_DONE;
  batch = std::move(fresh);
  if (batch.rows.empty()) return std::nullopt;
  return batch.rows.front();
}

std::optional<std::u16string> Store::SubkeyName(KeyId parent, DWORD index) {
  auto row = EnumAt(subkeys_, parent, index, false);
  if (!row) return std::nullopt;
  return std::move(row->name);
}

std::optional<Value> Store::ReadValue(KeyId key, std::u16string_view name) {
  const std::string fold = FoldName(name);  // bound as it is: it outlives the statement's use
  StmtUse use(Prepare(kReadValue, "SELECT type, data FROM vals WHERE key=? AND fold=?"));
  if (!use.st) return std::nullopt;
  sqlite3_bind_int64(use.st, 1, key);
  sqlite3_bind_text(use.st, 2, fold.data(), static_cast<int>(fold.size()), SQLITE_STATIC);
  if (sqlite3_step(use.st) != SQLITE_ROW) return std::nullopt;
  return ColumnValue(use.st, 0, 1);
}

bool Store::ReadValueInto(KeyId key, std::u16string_view name, DWORD* type, BYTE* out, DWORD* out_size,
                          LONG* result) {
  const std::string fold = FoldName(name);
  StmtUse use(Prepare(kReadValue, "SELECT type, data FROM vals WHERE key=? AND fold=?"));
  if (!use.st) return false;
  sqlite3_bind_int64(use.st, 1, key);
  sqlite3_bind_text(use.st, 2, fold.data(), static_cast<int>(fold.size()), SQLITE_STATIC);
  if (sqlite3_step(use.st) != SQLITE_ROW) return false;
  if (type) *type = static_cast<DWORD>(sqlite3_column_int64(use.st, 0));
  const auto* p = static_cast<const BYTE*>(sqlite3_column_blob(use.st, 1));
  const int n = sqlite3_column_bytes(use.st, 1);
  const DWORD need = p && n > 0 ? static_cast<DWORD>(n) : 0;
  *result = ERROR_SUCCESS;
  if (out) {
    if (*out_size < need) {
      *out_size = need;
      *result = ERROR_MORE_DATA;
      return true;
    }
    if (need) std::memcpy(out, p, need);
  }
  if (out_size) *out_size = need;
  return true;
}

LONG Store::WriteValue(KeyId key, std::u16string_view name, DWORD type, const BYTE* data, DWORD size) {
  kernel::TerminationPoint point;  // a terminated thread's write gives up, rolls back and ends here
  LONG error = Begin();
  if (error != ERROR_SUCCESS) return error;
  if (!KeyExists(key)) {
    Rollback();
    return ERROR_KEY_DELETED;
  }
  int rc;
  {
    const std::string utf8 = text::ToUtf8(name), fold = FoldName(name);  // outlive the statement's use
    StmtUse use(Prepare(kUpsertValue,
                        "INSERT INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)"
                        " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data"));
    if (!use.st) {
      Rollback();
      return ERROR_CANTWRITE;
    }
    sqlite3_bind_int64(use.st, 1, key);
    sqlite3_bind_text(use.st, 2, utf8.data(), static_cast<int>(utf8.size()), SQLITE_STATIC);
    sqlite3_bind_text(use.st, 3, fold.data(), static_cast<int>(fold.size()), SQLITE_STATIC);
    sqlite3_bind_int64(use.st, 4, type);
    static const BYTE kEmpty = 0;
    sqlite3_bind_blob(use.st, 5, size ? data : &kEmpty, static_cast<int>(size), SQLITE_STATIC);
    rc = sqlite3_step(use.st);
  }
  if (rc != SQLITE_DONE) {
    Rollback();
    return SqlError(rc, true);
  }
  return Commit();
}

LONG Store::DeleteValue(KeyId key, std::u16string_view name) {
  kernel::TerminationPoint point;  // a terminated thread's write gives up, rolls back and ends here
  LONG error = Begin();
  if (error != ERROR_SUCCESS) return error;
  int rc;
  {
    StmtUse use(Prepare(kDeleteValue, "DELETE FROM vals WHERE key=? AND fold=?"));
    if (!use.st) {
      Rollback();
      return ERROR_CANTWRITE;
    }
    sqlite3_bind_int64(use.st, 1, key);
    BindText(use.st, 2, FoldName(name));
    rc = sqlite3_step(use.st);
  }
  if (rc != SQLITE_DONE) {
    Rollback();
    return SqlError(rc, true);
  }
  if (sqlite3_changes(db_) == 0) {
    Rollback();
    return KeyExists(key) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
  }
  return Commit();
}

std::optional<Store::NamedValue> Store::ValueAt(KeyId key, DWORD index) { return EnumAt(values_, key, index, true); }

void Store::Checkpoint() { sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr); }

}  // namespace ce::registry
