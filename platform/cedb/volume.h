// Inside CEDB: one mounted volume, an SQLite file at the volume's CE path.
//
// Tables: `dbs` (database id, name, folded name, type, next automatic key), `sorts` (a database's
// sort orders: key flags and up to three properties with their flags), `props` (declared
// properties), `recs` (object id, database) and `vals` (object id, property id, write order, then
// the value as an integer, real, text with its folded form, or blob). Every change is one
// transaction; the file runs in WAL mode and is checkpointed on flush and when it is closed.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/base/types.h"
#include "platform/base/wal_stamp.h"
#include "platform/cedb/cedb.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ce::cedb {

// Database object ids are their row id with this bit set; record object ids are plain row ids.
inline constexpr CEOID kDatabaseOidBit = 0x40000000u;

struct PropValue {
  CEPROPID propid = 0;
  std::int64_t num = 0;  // integers, booleans, FILETIMEs
  double real = 0;
  std::u16string text;
  std::vector<BYTE> blob;
};

struct SortOrder {
  WORD key_flags = 0;
  std::vector<CEPROPID> props;
  std::vector<DWORD> flags;
  bool unique() const { return key_flags & (CEDB_SORT_UNIQUE | CEDB_SORT_PRIMARYKEY); }
};

struct DatabaseInfo {
  std::int64_t id = 0;
  std::u16string name;
  DWORD type = 0;
  std::vector<SortOrder> sorts;
  std::vector<CEPROPID> auto_props;  // CEVT_AUTO_I4 properties numbered by the database
  DWORD records = 0;
};

using StmtCache = std::unordered_map<std::string, sqlite3_stmt*>;

class Volume {
 public:
  // Opens (or creates) the file; `error` gets the platform's code on failure.
  static std::shared_ptr<Volume> Open(const std::string& host_path, bool create, DWORD* error);
  ~Volume();

  std::mutex& lock() { return lock_; }  // held by callers around every use below
  const std::string& path() const { return path_; }
  std::atomic<bool> mounted{true};  // read without the lock by the handle checks

  DWORD Flush();
  // Opens one transaction that every change joins until EndBatch commits it (keep) or drops it.
  // ERROR_BUSY while one is open.
  DWORD BeginBatch();
  DWORD EndBatch(bool keep);

  DWORD CreateDatabase(const std::u16string& name, DWORD type, const std::vector<SortOrder>& sorts,
                       const std::vector<std::pair<CEPROPID, std::u16string>>& props, std::int64_t* id);
  std::optional<DatabaseInfo> FindDatabase(const std::u16string& name);
  std::optional<DatabaseInfo> DatabaseById(std::int64_t id);
  std::vector<std::int64_t> DatabaseIds(DWORD type);
  DWORD DeleteDatabase(std::int64_t id);

  // Records in the order of `sort` (null: object id order).
  std::optional<CEOID> RecordAt(std::int64_t db, const SortOrder* sort, std::int64_t index);
  std::int64_t RecordCount(std::int64_t db);
  // The position of `oid` in the order of `sort`; `hint` (where it last stood) is tried first.
  std::optional<std::int64_t> IndexOf(std::int64_t db, const SortOrder* sort, CEOID oid, std::int64_t hint = -1);
  // The statements a database handle seeks its sort order with, kept by the handle so that a seek
  // finds its statement at once (they belong to the volume, which outlives its handles).
  struct SeekStatements {
    sqlite3_stmt* equal[CEDB_MAXSORTPROP + 1] = {};  // by the number of values compared
  };
  // The first record in sort order whose first `count` values equal `values`; `kept` (the same
  // sort order's, or null) keeps the statement for the next seek.
  std::optional<CEOID> FindEqual(std::int64_t db, const SortOrder& sort, const PropValue* values, std::size_t count,
                                 SeekStatements* kept = nullptr);
  bool RecordExists(std::int64_t db, CEOID oid);
  // Whether the order of `sort` is kept unchanged since it was read with `oid` at `index` (so
  // the record is still there), without reading the file.
  bool StillAt(std::int64_t db, const SortOrder* sort, std::int64_t index, CEOID oid);

  // The record's properties in the order they were first written.
  std::vector<PropValue> ReadRecord(CEOID oid);
  // The same for the record at `index` of the order of `sort` (known to stand there now): a walk
  // through the order reads the properties of the records ahead of it together.
  std::vector<PropValue> ReadRecordAt(std::int64_t db, const SortOrder* sort, std::int64_t index, CEOID oid);
  // Creates (oid 0) or changes a record; `deletes` are property ids to remove. Refuses a record
  // that repeats a unique key with ERROR_ALREADY_EXISTS.
  DWORD WriteRecord(const DatabaseInfo& db, CEOID oid, const std::vector<PropValue>& values,
                    const std::vector<CEPROPID>& deletes, CEOID* written);
  DWORD DeleteRecord(std::int64_t db, CEOID oid);

 private:
  Volume() = default;
  DWORD Exec(const char* sql);
  std::string OrderedSelect(const SortOrder* sort, const char* extra_where, std::size_t equal_count);
  // The prepared statement walking or seeking the order of `sort`, made the first time each kind
  // is asked for: 'o' every record in order, 'e' the first whose first `equal_count` values equal
  // ?2.., 'u' the same for another record than ?8. Null when it cannot be prepared.
  sqlite3_stmt* OrderedStatement(char kind, const SortOrder* sort, std::size_t equal_count);
  // The object ids of a database in the order of `sort` (null: object id order); null on failure.
  const std::vector<CEOID>* Ordered(std::int64_t db, const SortOrder* sort);

  struct OrderCache {
    WalStamp::Header header{};
    std::int64_t changes = -1;  // sqlite3_total_changes64 of the connection when read
    std::vector<CEOID> oids;
  };
  WalStamp wal_;
  std::unordered_map<std::string, OrderCache> orders_;  // by sort and database
  // The properties of the records just ahead of a walk (see ReadRecordAt), kept as orders are.
  struct ReadAhead {
    std::string order;      // the order's cache key the walk goes through
    std::int64_t next = -1;  // the position a walk reads next
    WalStamp::Header header{};
    std::int64_t changes = -1;
    std::unordered_map<CEOID, std::vector<PropValue>> records;
  };
  ReadAhead read_ahead_;

  std::mutex lock_;
  sqlite3* db_ = nullptr;
  StmtCache stmts_;  // prepared statements by text (or by a key for built texts)
  // The ordered statements (see OrderedStatement), found by comparing their sort order.
  struct OrderedStmt {
    char kind = 0;
    std::size_t equal_count = 0;
    bool sorted = false;
    std::vector<CEPROPID> props;
    std::vector<DWORD> flags;
    sqlite3_stmt* st = nullptr;
  };
  std::vector<OrderedStmt> ordered_stmts_;
  std::string path_;
};

// The case-insensitive form of a name or text value (UTF-8, ASCII and Latin-1 letters folded).
std::string FoldText(std::u16string_view text);

}  // namespace ce::cedb
