#include "platform/cedb/volume.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/base/errors.h"
#include "platform/base/sqlite_snapshot.h"
#include "platform/base/sqlite_termination.h"
#include "platform/cedb/cedb_faults.h"
#include "platform/kernel/termination_point.h"
#include "platform/text/utf.h"

namespace ce::cedb {
namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value);"
    "INSERT OR IGNORE INTO meta VALUES('format', 'cedb-volume-1');"
    "CREATE TABLE IF NOT EXISTS dbs(id INTEGER PRIMARY KEY, name TEXT NOT NULL, fold TEXT NOT NULL UNIQUE,"
    " type INTEGER NOT NULL, next_auto INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS sorts(db INTEGER NOT NULL, idx INTEGER NOT NULL, key_flags INTEGER NOT NULL,"
    " p0, f0, p1, f1, p2, f2, PRIMARY KEY(db, idx));"
    "CREATE TABLE IF NOT EXISTS props(db INTEGER NOT NULL, propid INTEGER NOT NULL, name TEXT,"
    " PRIMARY KEY(db, propid));"
    "CREATE TABLE IF NOT EXISTS recs(oid INTEGER PRIMARY KEY AUTOINCREMENT, db INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS recs_db ON recs(db);"
    "CREATE TABLE IF NOT EXISTS vals(oid INTEGER NOT NULL, propid INTEGER NOT NULL, pos INTEGER NOT NULL,"
    " num, txt TEXT, fold TEXT, blob BLOB, PRIMARY KEY(oid, propid)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS vals_num ON vals(propid, num);"
    "CREATE INDEX IF NOT EXISTS vals_fold ON vals(propid, fold);";

bool IsText(CEPROPID p) { return TypeFromPropID(p) == CEVT_LPWSTR; }
bool IsBlob(CEPROPID p) { return TypeFromPropID(p) == CEVT_BLOB; }
bool IsReal(CEPROPID p) { return TypeFromPropID(p) == CEVT_R8; }

// The column a property sorts and compares on.
const char* Column(CEPROPID p, DWORD flags) {
  if (IsText(p)) return (flags & CEDB_SORT_CASEINSENSITIVE) ? "fold" : "txt";
  if (IsBlob(p)) return "blob";
  return "num";
}

DWORD SqlError(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_READONLY: return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_SHARING_VIOLATION;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_BAD_FORMAT;
    default: return ERROR_GEN_FAILURE;
  }
}

// A cached statement for one use: reset when the use ends.
class Stmt {
 public:
  Stmt(StmtCache& cache, sqlite3* db, const std::string& sql) : Stmt(cache, db, sql, [&] { return sql; }) {}
  // A statement cached under `key`, whose text `make_sql` builds only the first time. The cache is
  // the volume's, used under its lock.
  template <class MakeSql>
  Stmt(StmtCache& cache, sqlite3* db, const std::string& key, MakeSql make_sql) {
    auto it = cache.find(key);
    if (it == cache.end()) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v3(db, make_sql().c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
      it = cache.emplace(key, st).first;
    }
    st_ = it->second;
  }
  // An ordered statement of the volume (null: it could not be prepared); every use binds all
  // of its parameters, so none is left to clear.
  explicit Stmt(sqlite3_stmt* st) : st_(st), binds_all_(true) {}
  ~Stmt() {
    if (st_) {
      sqlite3_reset(st_);
      if (!binds_all_ && sqlite3_bind_parameter_count(st_) > bound_) sqlite3_clear_bindings(st_);
    }
  }
  // Says that every parameter was bound by this use: nothing is left to clear for the next one.
  void AllBound() { bound_ = sqlite3_bind_parameter_count(st_); }
  bool ok() const { return st_ != nullptr; }
  sqlite3_stmt* get() const { return st_; }
  Stmt& Int(int i, std::int64_t v) {
    sqlite3_bind_int64(st_, i, v);
    return *this;
  }
  Stmt& Text(int i, const std::string& v) {
    sqlite3_bind_text(st_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  int Step() { return st_ ? sqlite3_step(st_) : SQLITE_ERROR; }
  std::int64_t ColInt(int c) const { return sqlite3_column_int64(st_, c); }
  std::u16string ColText(int c) const {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, c));
    return p ? text::FromUtf8(std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(st_, c))))
             : std::u16string();
  }

 private:
  sqlite3_stmt* st_ = nullptr;
  int bound_ = 0;
  bool binds_all_ = false;
};

void BindValue(Stmt& st, int index, const PropValue& v, DWORD flags) {
  if (IsText(v.propid)) {
    st.Text(index, (flags & CEDB_SORT_CASEINSENSITIVE) ? FoldText(v.text) : text::ToUtf8(v.text));
  } else if (IsBlob(v.propid)) {
    sqlite3_bind_blob(st.get(), index, v.blob.data(), static_cast<int>(v.blob.size()), SQLITE_TRANSIENT);
  } else if (IsReal(v.propid)) {
    sqlite3_bind_double(st.get(), index, v.real);
  } else {
    st.Int(index, v.num);
  }
}

// A write transaction is a termination point (platform/base/sqlite_termination.h).
void WatchForTermination(sqlite3* db) { sqlite_termination::Watch(db); }

// Runs `body` in one transaction; rolls back when it fails.
template <class F>
DWORD InTransaction(sqlite3* db, F body) {
  kernel::TerminationPoint point;
  // A volume read as a snapshot (its folder full or read-only) refuses changes with the reason.
  if (sqlite3_db_readonly(db, "main") == 1)
    return sqlite_snapshot::WriteErrorOf(sqlite3_db_filename(db, "main"), ERROR_ACCESS_DENIED);
  // Inside a batch (its transaction open on the connection) the change is a savepoint of it: all
  // or nothing on its own, on disk with the batch.
  const bool in_batch = sqlite3_get_autocommit(db) == 0;
  int rc = sqlite3_exec(db, in_batch ? "SAVEPOINT change" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return SqlError(rc);
  DWORD error = body();
  if (error == ERROR_SUCCESS) {
    rc = sqlite3_exec(db, in_batch ? "RELEASE change" : "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return ERROR_SUCCESS;
    error = SqlError(rc);
  }
  sqlite3_exec(db, in_batch ? "ROLLBACK TO change; RELEASE change" : "ROLLBACK", nullptr, nullptr, nullptr);
  return error;
}

}  // namespace

std::string FoldText(std::u16string_view in) {
  std::u16string s(in);
  for (auto& c : s) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<char16_t>(c + 32);
  }
  return text::ToUtf8(s);
}

namespace {

// The tables and indexes of kSchema, counted in sqlite_master: a volume that has them all is
// mounted without writing anything.
constexpr const char* kCountSchema =
    "SELECT COUNT(*) FROM sqlite_master WHERE name IN ('meta', 'dbs', 'sorts', 'props', 'recs', 'recs_db', 'vals',"
    " 'vals_num', 'vals_fold')";
constexpr std::int64_t kSchemaObjects = 9;

// The number of objects in the file's schema, or -1 when it cannot be read (rc in `*rc`).
std::int64_t CountTables(StmtCache& cache, sqlite3* db, int* rc) {
  Stmt st(cache, db, "SELECT COUNT(*) FROM sqlite_master");
  if ((*rc = st.Step()) == SQLITE_ROW) return st.ColInt(0);
  *rc = sqlite3_errcode(db);
  return -1;
}

}  // namespace

std::shared_ptr<Volume> Volume::Open(const std::string& host_path, bool create, DWORD* error) {
  std::shared_ptr<Volume> v(new Volume());
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(host_path.c_str(), &v->db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    *error = rc == SQLITE_CANTOPEN ? ERROR_FILE_NOT_FOUND : SqlError(rc);
    return nullptr;
  }
  WatchForTermination(v->db_);
  // A file that holds anything but a volume is refused before anything is written to it.
  std::int64_t tables = CountTables(v->stmts_, v->db_, &rc);
  if (tables < 0 && (rc & 0xFF) != SQLITE_NOTADB && (rc & 0xFF) != SQLITE_CORRUPT &&
      sqlite_snapshot::WholeInFile(host_path) &&
      sqlite_snapshot::WriteErrorOf(host_path, ERROR_SUCCESS) != ERROR_SUCCESS) {
    // A full or read-only folder: SQLite cannot make the shared-memory file it reads through, but
    // a volume whose file holds all of it reads as an unchanging snapshot (writes are refused).
    for (auto& [key, st] : v->stmts_) sqlite3_finalize(st);
    v->stmts_.clear();
    sqlite3_close(v->db_);
    v->db_ = nullptr;
    rc = sqlite_snapshot::OpenSnapshot(host_path, &v->db_);
    if (rc == SQLITE_OK) WatchForTermination(v->db_);
    tables = rc == SQLITE_OK ? CountTables(v->stmts_, v->db_, &rc) : -1;
    if (tables <= 0) {
      *error = tables == 0 ? ERROR_BAD_FORMAT : SqlError(rc);
      return nullptr;
    }
  }
  if (tables < 0) {
    *error = SqlError(rc);  // a file that is not a database: SQLITE_NOTADB
    return nullptr;
  }
  if (tables > 0) {
    Stmt st(v->stmts_, v->db_, "SELECT value FROM meta WHERE key='format'");
    if (!st.ok() || st.Step() != SQLITE_ROW || st.ColText(0) != u"cedb-volume-1") {
      *error = ERROR_BAD_FORMAT;
      return nullptr;
    }
    Stmt whole(v->stmts_, v->db_, kCountSchema);
    if (whole.Step() == SQLITE_ROW && whole.ColInt(0) == kSchemaObjects) {
      // Mounting an existing volume writes nothing: it reads on a full or read-only folder too.
      // Its kept orders hold by the same wal-index header as those of a volume made here.
      sqlite3_exec(v->db_, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
      v->path_ = host_path;
      v->wal_.Attach(v->db_);
      return v;
    }
  }
  rc = sqlite3_exec(v->db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    *error = SqlError(rc);
    return nullptr;
  }
  *error = InTransaction(v->db_, [&]() -> DWORD {
    int r = sqlite3_exec(v->db_, kSchema, nullptr, nullptr, nullptr);
    return r == SQLITE_OK ? ERROR_SUCCESS : SqlError(r);
  });
  if (*error != ERROR_SUCCESS) return nullptr;
  v->path_ = host_path;
  v->wal_.Attach(v->db_);
  return v;
}

Volume::~Volume() {
  for (auto& [key, st] : stmts_) sqlite3_finalize(st);
  for (OrderedStmt& o : ordered_stmts_) sqlite3_finalize(o.st);
  if (db_) {
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_close(db_);
  }
}

DWORD Volume::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? ERROR_SUCCESS : SqlError(rc);
}

DWORD Volume::BeginBatch() {
  if (sqlite3_db_readonly(db_, "main") == 1)
    return sqlite_snapshot::WriteErrorOf(sqlite3_db_filename(db_, "main"), ERROR_ACCESS_DENIED);
  if (sqlite3_get_autocommit(db_) == 0) return ERROR_BUSY;  // one batch at a time
  return Exec("BEGIN IMMEDIATE");
}

DWORD Volume::EndBatch(bool keep) {
  if (sqlite3_get_autocommit(db_) != 0) return ERROR_INVALID_PARAMETER;  // no batch open
  DWORD error = keep ? Exec("COMMIT") : ERROR_SUCCESS;
  if (!keep || error != ERROR_SUCCESS) {
    Exec("ROLLBACK");
    // The kept orders and records may hold what was rolled back.
    orders_.clear();
    read_ahead_ = ReadAhead{};
  }
  return error;
}

DWORD Volume::Flush() {
  int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
  return rc == SQLITE_OK || rc == SQLITE_BUSY ? ERROR_SUCCESS : SqlError(rc);
}

DWORD Volume::CreateDatabase(const std::u16string& name, DWORD type, const std::vector<SortOrder>& sorts,
                             const std::vector<std::pair<CEPROPID, std::u16string>>& props, std::int64_t* id) {
  return InTransaction(db_, [&]() -> DWORD {
    Stmt ins(stmts_, db_, "INSERT INTO dbs(name, fold, type) VALUES(?, ?, ?)");
    ins.Text(1, text::ToUtf8(name)).Text(2, FoldText(name)).Int(3, type);
    int rc = ins.Step();
    if (rc == SQLITE_CONSTRAINT) return ERROR_DUP_NAME;
    if (rc != SQLITE_DONE) return SqlError(rc);
    *id = sqlite3_last_insert_rowid(db_);
    for (std::size_t i = 0; i < sorts.size(); ++i) {
      Stmt s(stmts_, db_, "INSERT INTO sorts VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
      s.Int(1, *id).Int(2, static_cast<std::int64_t>(i)).Int(3, sorts[i].key_flags);
      for (std::size_t k = 0; k < sorts[i].props.size(); ++k) {
        s.Int(static_cast<int>(4 + 2 * k), sorts[i].props[k]).Int(static_cast<int>(5 + 2 * k), sorts[i].flags[k]);
      }
      if ((rc = s.Step()) != SQLITE_DONE) return SqlError(rc);
    }
    for (auto& [propid, prop_name] : props) {
      Stmt p(stmts_, db_, "INSERT OR REPLACE INTO props VALUES(?, ?, ?)");
      p.Int(1, *id).Int(2, propid).Text(3, text::ToUtf8(prop_name));
      if ((rc = p.Step()) != SQLITE_DONE) return SqlError(rc);
    }
    return ERROR_SUCCESS;
  });
}

std::optional<DatabaseInfo> Volume::DatabaseById(std::int64_t id) {
  DatabaseInfo info;
  {
    Stmt st(stmts_, db_, "SELECT id, name, type FROM dbs WHERE id=?");
    st.Int(1, id);
    if (st.Step() != SQLITE_ROW) return std::nullopt;
    info.id = st.ColInt(0);
    info.name = st.ColText(1);
    info.type = static_cast<DWORD>(st.ColInt(2));
  }
  {
    Stmt st(stmts_, db_, "SELECT key_flags, p0, f0, p1, f1, p2, f2 FROM sorts WHERE db=? ORDER BY idx");
    st.Int(1, id);
    while (st.Step() == SQLITE_ROW) {
      SortOrder s;
      s.key_flags = static_cast<WORD>(st.ColInt(0));
      for (int k = 0; k < 3; ++k) {
        if (sqlite3_column_type(st.get(), 1 + 2 * k) == SQLITE_NULL) break;
        s.props.push_back(static_cast<CEPROPID>(st.ColInt(1 + 2 * k)));
        s.flags.push_back(static_cast<DWORD>(st.ColInt(2 + 2 * k)));
      }
      info.sorts.push_back(std::move(s));
    }
  }
  auto add_auto = [&](CEPROPID p) {
    if (TypeFromPropID(p) == CEVT_AUTO_I4 && std::find(info.auto_props.begin(), info.auto_props.end(), p) == info.auto_props.end())
      info.auto_props.push_back(p);
  };
  {
    Stmt st(stmts_, db_, "SELECT propid FROM props WHERE db=?");
    st.Int(1, id);
    while (st.Step() == SQLITE_ROW) add_auto(static_cast<CEPROPID>(st.ColInt(0)));
  }
  for (auto& s : info.sorts)
    for (auto p : s.props) add_auto(p);
  info.records = static_cast<DWORD>(RecordCount(id));
  return info;
}

std::optional<DatabaseInfo> Volume::FindDatabase(const std::u16string& name) {
  std::int64_t id;
  {
    Stmt st(stmts_, db_, "SELECT id FROM dbs WHERE fold=?");
    st.Text(1, FoldText(name));
    if (st.Step() != SQLITE_ROW) return std::nullopt;
    id = st.ColInt(0);
  }
  return DatabaseById(id);
}

std::vector<std::int64_t> Volume::DatabaseIds(DWORD type) {
  std::vector<std::int64_t> ids;
  Stmt st(stmts_, db_, "SELECT id FROM dbs WHERE ?1=0 OR type=?1 ORDER BY id");
  st.Int(1, type);
  while (st.Step() == SQLITE_ROW) ids.push_back(st.ColInt(0));
  return ids;
}

DWORD Volume::DeleteDatabase(std::int64_t id) {
  return InTransaction(db_, [&]() -> DWORD {
    {
      Stmt st(stmts_, db_, "DELETE FROM dbs WHERE id=?");
      st.Int(1, id);
      if (st.Step() != SQLITE_DONE) return ERROR_GEN_FAILURE;
    }
    if (sqlite3_changes(db_) == 0) return ERROR_INVALID_PARAMETER;
    for (const char* sql : {"DELETE FROM vals WHERE oid IN (SELECT oid FROM recs WHERE db=?)",
                            "DELETE FROM recs WHERE db=?", "DELETE FROM sorts WHERE db=?", "DELETE FROM props WHERE db=?"}) {
      Stmt st(stmts_, db_, sql);
      st.Int(1, id);
      if (st.Step() != SQLITE_DONE) return ERROR_GEN_FAILURE;
    }
    return ERROR_SUCCESS;
  });
}

std::string Volume::OrderedSelect(const SortOrder* sort, const char* extra_where, std::size_t equal_count) {
  std::string sql = "SELECT r.oid FROM recs r";
  std::string where = " WHERE r.db=?1";
  std::string order = " ORDER BY ";
  std::size_t n = sort ? sort->props.size() : 0;
  for (std::size_t k = 0; k < n; ++k) {
    std::string v = "v" + std::to_string(k);
    const char* col = Column(sort->props[k], sort->flags[k]);
    sql += (k < equal_count ? " JOIN vals " : " LEFT JOIN vals ") + v + " ON " + v + ".oid=r.oid AND " + v +
           ".propid=" + std::to_string(sort->props[k]);
    if (k < equal_count) where += " AND " + v + "." + col + "=?" + std::to_string(k + 2);
    bool unknown_first = sort->flags[k] & CEDB_SORT_UNKNOWNFIRST;
    bool descending = sort->flags[k] & CEDB_SORT_DESCENDING;
    order += "(" + v + ".oid IS NULL)" + (unknown_first ? " DESC, " : ", ");
    order += v + "." + col + (descending ? " DESC, " : ", ");
  }
  order += "r.oid";
  return sql + where + (extra_where ? extra_where : "") + order;
}

namespace {

// The cache key of an ordered statement: what it is for, how many values it compares, and the
// sort's properties and flags. Starts with a byte no SQL text starts with.
std::string OrderKey(char kind, const SortOrder* sort, std::size_t equal_count) {
  std::string key{'\x01', kind, static_cast<char>('0' + equal_count)};
  if (sort) {
    for (std::size_t k = 0; k < sort->props.size(); ++k) {
      key.append(reinterpret_cast<const char*>(&sort->props[k]), sizeof(CEPROPID));
      key.append(reinterpret_cast<const char*>(&sort->flags[k]), sizeof(DWORD));
    }
  }
  return key;
}

}  // namespace

sqlite3_stmt* Volume::OrderedStatement(char kind, const SortOrder* sort, std::size_t equal_count) {
  // A sort has up to three properties: compared element by element, without a call.
  auto same_sort = [sort](const OrderedStmt& o) {
    if (!sort) return !o.sorted;
    if (!o.sorted || o.props.size() != sort->props.size() || o.flags.size() != sort->flags.size()) return false;
    for (std::size_t k = 0; k < o.props.size(); ++k)
      if (o.props[k] != sort->props[k]) return false;
    for (std::size_t k = 0; k < o.flags.size(); ++k)
      if (o.flags[k] != sort->flags[k]) return false;
    return true;
  };
  for (const OrderedStmt& o : ordered_stmts_) {
    if (o.kind == kind && o.equal_count == equal_count && same_sort(o)) return o.st;
  }
  std::string sql = kind == 'u' ? OrderedSelect(sort, " AND r.oid<>?8", equal_count)
                                : OrderedSelect(sort, nullptr, equal_count);
  if (kind != 'o') sql += " LIMIT 1";
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return nullptr;
  }
  OrderedStmt o;
  o.kind = kind;
  o.equal_count = equal_count;
  o.sorted = sort != nullptr;
  if (sort) {
    o.props = sort->props;
    o.flags = sort->flags;
  }
  o.st = st;
  ordered_stmts_.push_back(std::move(o));
  return st;
}

// The records of a database in one order, counted once and kept while the file is unchanged, so
// that walking them record by record stays linear. A kept order holds while the wal-index header
// reads as it did before the order was read (no commit by any connection of any process since)
// and this connection has changed no rows.
const std::vector<CEOID>* Volume::Ordered(std::int64_t db, const SortOrder* sort) {
  const std::string key = OrderKey('o', sort, 0) + std::to_string(db);
  WalStamp::Header now{};
  const bool stamped = wal_.Read(&now);
  const std::int64_t changes = sqlite3_total_changes64(db_);
  auto it = orders_.find(key);
  if (it != orders_.end() && stamped && it->second.header == now && it->second.changes == changes)
    return &it->second.oids;
  if (it == orders_.end()) {
    if (orders_.size() >= 16) orders_.clear();
    it = orders_.emplace(key, OrderCache{}).first;
  }
  OrderCache& cache = it->second;
  CountOrderRead();
  cache.oids.clear();
  cache.header = now;
  cache.changes = stamped ? changes : -1;  // without a header it never holds
  Stmt st(OrderedStatement('o', sort, 0));
  st.Int(1, db);
  int rc;
  while ((rc = st.Step()) == SQLITE_ROW) cache.oids.push_back(static_cast<CEOID>(st.ColInt(0)));
  if (rc != SQLITE_DONE) {
    orders_.erase(it);
    return nullptr;
  }
  return &cache.oids;
}

std::optional<CEOID> Volume::RecordAt(std::int64_t db, const SortOrder* sort, std::int64_t index) {
  if (index < 0) return std::nullopt;
  const std::vector<CEOID>* oids = Ordered(db, sort);
  if (!oids || index >= static_cast<std::int64_t>(oids->size())) return std::nullopt;
  return (*oids)[static_cast<std::size_t>(index)];
}

bool Volume::StillAt(std::int64_t db, const SortOrder* sort, std::int64_t index, CEOID oid) {
  if (index < 0) return false;
  auto it = orders_.find(OrderKey('o', sort, 0) + std::to_string(db));
  if (it == orders_.end()) return false;
  const OrderCache& cache = it->second;
  WalStamp::Header now{};
  if (!wal_.Read(&now) || now != cache.header || cache.changes != sqlite3_total_changes64(db_)) return false;
  return index < static_cast<std::int64_t>(cache.oids.size()) && cache.oids[static_cast<std::size_t>(index)] == oid;
}

std::int64_t Volume::RecordCount(std::int64_t db) {
  Stmt st(stmts_, db_, "SELECT COUNT(*) FROM recs WHERE db=?");
  st.Int(1, db);
  return st.Step() == SQLITE_ROW ? st.ColInt(0) : 0;
}

std::optional<std::int64_t> Volume::IndexOf(std::int64_t db, const SortOrder* sort, CEOID oid, std::int64_t hint) {
  const std::vector<CEOID>* oids = Ordered(db, sort);
  if (!oids) return std::nullopt;
  if (hint >= 0 && hint < static_cast<std::int64_t>(oids->size()) && (*oids)[static_cast<std::size_t>(hint)] == oid)
    return hint;
  auto it = std::find(oids->begin(), oids->end(), oid);
  if (it == oids->end()) return std::nullopt;
  return it - oids->begin();
}

std::optional<CEOID> Volume::FindEqual(std::int64_t db, const SortOrder& sort, const PropValue* values, std::size_t count,
                                       SeekStatements* kept) {
  std::size_t n = std::min(count, sort.props.size());
  sqlite3_stmt* equal = kept && n <= CEDB_MAXSORTPROP ? kept->equal[n] : nullptr;
  if (!equal) {
    equal = OrderedStatement('e', &sort, n);
    if (kept && n <= CEDB_MAXSORTPROP) kept->equal[n] = equal;
  }
  Stmt st(equal);
  st.Int(1, db);
  for (std::size_t k = 0; k < n; ++k) BindValue(st, static_cast<int>(k + 2), values[k], sort.flags[k]);
  if (st.Step() != SQLITE_ROW) return std::nullopt;
  return static_cast<CEOID>(st.ColInt(0));
}

bool Volume::RecordExists(std::int64_t db, CEOID oid) {
  Stmt st(stmts_, db_, "SELECT 1 FROM recs WHERE oid=? AND db=?");
  st.Int(1, oid).Int(2, db);
  return st.Step() == SQLITE_ROW;
}

namespace {

// One row of `vals` (columns propid, num, txt, blob from `first` on) as a property.
PropValue ColumnProp(Stmt& st, int first) {
  PropValue v;
  v.propid = static_cast<CEPROPID>(st.ColInt(first));
  if (IsText(v.propid)) {
    v.text = st.ColText(first + 2);
  } else if (IsBlob(v.propid)) {
    auto p = static_cast<const BYTE*>(sqlite3_column_blob(st.get(), first + 3));
    int n = sqlite3_column_bytes(st.get(), first + 3);
    if (p && n > 0) v.blob.assign(p, p + n);
  } else if (IsReal(v.propid)) {
    v.real = sqlite3_column_double(st.get(), first + 1);
  } else {
    v.num = st.ColInt(first + 1);
  }
  return v;
}

// A record's rows (write position, property) put in write order.
std::vector<PropValue> InWriteOrder(std::vector<std::pair<std::int64_t, PropValue>>& rows) {
  std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<PropValue> out;
  out.reserve(rows.size());
  for (auto& [pos, v] : rows) out.push_back(std::move(v));
  return out;
}

constexpr int kReadAhead = 64;  // records whose properties one statement reads during a walk

}  // namespace

std::vector<PropValue> Volume::ReadRecord(CEOID oid) {
  // Rows come in key order and are put in write order here: a record has a handful of
  // properties, and sorting them in SQL costs a sorter per record.
  std::vector<std::pair<std::int64_t, PropValue>> rows;
  Stmt st(stmts_, db_, "SELECT propid, num, txt, blob, pos FROM vals WHERE oid=?");
  st.Int(1, oid);
  while (st.Step() == SQLITE_ROW) rows.emplace_back(st.ColInt(4), ColumnProp(st, 0));
  return InWriteOrder(rows);
}

// A walk reads the record at each next position of one order. From its second read on, the
// properties of the records that follow in that order are read together, with one statement, and
// kept while the file is unchanged (the rule the kept orders follow), so that a walk takes one
// read transaction per batch of records instead of one per record.
std::vector<PropValue> Volume::ReadRecordAt(std::int64_t db, const SortOrder* sort, std::int64_t index, CEOID oid) {
  WalStamp::Header now{};
  const bool stamped = wal_.Read(&now);
  const std::int64_t changes = sqlite3_total_changes64(db_);
  std::string order = OrderKey('o', sort, 0) + std::to_string(db);
  const bool walking = order == read_ahead_.order && index == read_ahead_.next;
  read_ahead_.order = std::move(order);
  read_ahead_.next = index + 1;
  if (stamped && read_ahead_.header == now && read_ahead_.changes == changes) {
    auto it = read_ahead_.records.find(oid);
    if (it != read_ahead_.records.end()) return it->second;
  }
  if (!walking) return ReadRecord(oid);
  const std::vector<CEOID>* oids = Ordered(db, sort);
  if (!oids || index < 0 || index >= static_cast<std::int64_t>(oids->size()) ||
      (*oids)[static_cast<std::size_t>(index)] != oid)
    return ReadRecord(oid);
  const std::size_t first = static_cast<std::size_t>(index);
  const std::size_t count = std::min<std::size_t>(kReadAhead, oids->size() - first);
  Stmt st(stmts_, db_, "\x01read-ahead", [] {
    std::string sql = "SELECT oid, propid, num, txt, blob, pos FROM vals WHERE oid IN (?1";
    for (int i = 2; i <= kReadAhead; ++i) sql += ",?" + std::to_string(i);
    return sql + ")";
  });
  for (int i = 0; i < kReadAhead; ++i)
    st.Int(i + 1, static_cast<std::size_t>(i) < count ? (*oids)[first + static_cast<std::size_t>(i)] : 0);
  st.AllBound();
  std::unordered_map<CEOID, std::vector<std::pair<std::int64_t, PropValue>>> rows;
  for (std::size_t i = 0; i < count; ++i) rows[(*oids)[first + i]];
  int rc;
  while ((rc = st.Step()) == SQLITE_ROW)
    rows[static_cast<CEOID>(st.ColInt(0))].emplace_back(st.ColInt(5), ColumnProp(st, 1));
  read_ahead_.records.clear();
  read_ahead_.changes = -1;
  if (rc != SQLITE_DONE) return ReadRecord(oid);
  for (auto& [record, props] : rows) read_ahead_.records.emplace(record, InWriteOrder(props));
  read_ahead_.header = now;
  read_ahead_.changes = stamped ? changes : -1;  // without a header it never holds
  return read_ahead_.records[oid];
}

DWORD Volume::WriteRecord(const DatabaseInfo& db, CEOID oid, const std::vector<PropValue>& values,
                          const std::vector<CEPROPID>& deletes, CEOID* written) {
  return InTransaction(db_, [&]() -> DWORD {
    std::vector<PropValue> all = values;
    if (oid == 0) {
      Stmt ins(stmts_, db_, "INSERT INTO recs(db) VALUES(?)");
      ins.Int(1, db.id);
      if (ins.Step() != SQLITE_DONE) return ERROR_GEN_FAILURE;
      oid = static_cast<CEOID>(sqlite3_last_insert_rowid(db_));
      // Automatic keys: given ones are kept (and later numbers follow them), missing ones numbered.
      for (CEPROPID p : db.auto_props) {
        std::int64_t next;
        {
          Stmt st(stmts_, db_, "SELECT next_auto FROM dbs WHERE id=?");
          st.Int(1, db.id);
          if (st.Step() != SQLITE_ROW) return ERROR_GEN_FAILURE;
          next = st.ColInt(0);
        }
        auto given = std::find_if(all.begin(), all.end(), [&](const PropValue& v) { return v.propid == p; });
        std::int64_t key = given != all.end() ? static_cast<LONG>(given->num) : next;
        if (given == all.end()) {
          PropValue v;
          v.propid = p;
          v.num = key;
          all.insert(all.begin(), v);
        }
        Stmt up(stmts_, db_, "UPDATE dbs SET next_auto=MAX(next_auto, ?) WHERE id=?");
        up.Int(1, key + 1).Int(2, db.id);
        if (up.Step() != SQLITE_DONE) return ERROR_GEN_FAILURE;
      }
    } else if (!RecordExists(db.id, oid)) {
      return ERROR_INVALID_PARAMETER;
    }
    for (CEPROPID p : deletes) {
      Stmt del(stmts_, db_, "DELETE FROM vals WHERE oid=? AND propid=?");
      del.Int(1, oid).Int(2, p);
      if (del.Step() != SQLITE_DONE) return ERROR_GEN_FAILURE;
    }
    for (const PropValue& v : all) {
      Stmt up(stmts_, db_,
              "INSERT INTO vals(oid, propid, pos, num, txt, fold, blob) VALUES(?1, ?2,"
              " (SELECT COALESCE(MAX(pos), -1) + 1 FROM vals WHERE oid=?1), ?3, ?4, ?5, ?6)"
              " ON CONFLICT(oid, propid) DO UPDATE SET num=excluded.num, txt=excluded.txt, fold=excluded.fold,"
              " blob=excluded.blob");
      up.Int(1, oid).Int(2, v.propid);
      if (IsText(v.propid)) {
        up.Text(4, text::ToUtf8(v.text)).Text(5, FoldText(v.text));
      } else if (IsBlob(v.propid)) {
        sqlite3_bind_blob(up.get(), 6, v.blob.data(), static_cast<int>(v.blob.size()), SQLITE_TRANSIENT);
      } else if (IsReal(v.propid)) {
        sqlite3_bind_double(up.get(), 3, v.real);
      } else {
        up.Int(3, v.num);
      }
      int rc = up.Step();
      if (rc != SQLITE_DONE) return SqlError(rc);
    }
    // A unique sort order refuses a second record with the same key.
    std::vector<PropValue> stored = ReadRecord(oid);
    for (const SortOrder& s : db.sorts) {
      if (!s.unique()) continue;
      std::vector<PropValue> key;
      for (CEPROPID p : s.props) {
        auto it = std::find_if(stored.begin(), stored.end(), [&](const PropValue& v) { return v.propid == p; });
        if (it == stored.end()) break;
        key.push_back(*it);
      }
      if (key.size() != s.props.size()) continue;
      Stmt st(OrderedStatement('u', &s, key.size()));
      st.Int(1, db.id).Int(8, oid);
      for (std::size_t k = 0; k < key.size(); ++k) BindValue(st, static_cast<int>(k + 2), key[k], s.flags[k]);
      if (st.Step() == SQLITE_ROW) return ERROR_ALREADY_EXISTS;
    }
    *written = oid;
    return ERROR_SUCCESS;
  });
}

DWORD Volume::DeleteRecord(std::int64_t db, CEOID oid) {
  return InTransaction(db_, [&]() -> DWORD {
    {
      Stmt st(stmts_, db_, "DELETE FROM recs WHERE oid=? AND db=?");
      st.Int(1, oid).Int(2, db);
      if (st.Step() != SQLITE_DONE) return ERROR_GEN_FAILURE;
    }
    if (sqlite3_changes(db_) == 0) return ERROR_INVALID_PARAMETER;
    Stmt st(stmts_, db_, "DELETE FROM vals WHERE oid=?");
    st.Int(1, oid);
    return st.Step() == SQLITE_DONE ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
  });
}

}  // namespace ce::cedb
