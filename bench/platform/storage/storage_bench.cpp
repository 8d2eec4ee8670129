// Registry reads and writes, CEDB inserts and seeks by value, in operations per second, beside
// raw SQLite running the same statements on the same files with the same settings.
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "bench/platform/storage/cells_database.h"
#include "bench/support/side_by_side.h"
#include "platform/cedb/cedb.h"
#include "platform/files/ce_path.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"

extern char** environ;

namespace {

constexpr int kBatch = 1000;  // operations timed together

// A second connection to one of the store files, as the store opens it, with its statements
// prepared once.
class RawSqlite {
 public:
  explicit RawSqlite(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_busy_timeout(db_, 10000);
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
  }
  ~RawSqlite() {
    for (sqlite3_stmt* st : stmts_) sqlite3_finalize(st);
    sqlite3_close(db_);
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    stmts_.push_back(st);
    return st;
  }
  void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  // Steps a statement once and resets it; true when it gave a row or finished.
  static bool Run(sqlite3_stmt* st) {
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
  }

 private:
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> stmts_;
};

const char16_t kKeyPath[] = u"\\SOFTWARE\\Morvane\\Velomar";

// The benchmark key with 50 values and "debug_info"; returns it open.
HKEY RegistryKey() {
  bench::TemporaryDeviceFolder();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, 0, nullptr, &key, nullptr);
  for (int i = 0; i < 50; ++i) {
    DWORD v = static_cast<DWORD>(i);
    std::u16string name = u"value" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + std::u16string(i / 26 + 1, u'x');
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  }
  const BYTE one[4] = {1, 0, 0, 0};
  RegSetValueExW(key, u"debug_info", 0, REG_DWORD, one, 4);
  return key;
}

// The row id of the benchmark key, found the way the registry walks a path.
sqlite3_int64 RawKeyId(RawSqlite& raw) {
  sqlite3_stmt* find = raw.Prepare("SELECT id FROM keys WHERE parent=? AND fold=?");
  sqlite3_int64 id = 3;  // HKEY_LOCAL_MACHINE
  for (const char* part : {"software", "morvane", "velomar"}) {
    sqlite3_bind_int64(find, 1, id);
    sqlite3_bind_text(find, 2, part, -1, SQLITE_STATIC);
    id = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : 0;
    sqlite3_reset(find);
  }
  return id;
}

std::string RegistryFile() { return (ce::DeviceFolder() / "registry.db").string(); }

void BM_RegistryRead(benchmark::State& state) {
  HKEY key = RegistryKey();
  RawSqlite raw(RegistryFile());
  const sqlite3_int64 id = RawKeyId(raw);
  sqlite3_stmt* read = raw.Prepare("SELECT type, data FROM vals WHERE key=? AND fold=?");
  bench::SideBySide side(state, "operations/s");
  DWORD sink = 0;
  for (auto _ : state) {
    side.Ours(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        DWORD v = 0, size = 4;
        RegQueryValueExW(key, u"debug_info", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        sink += v;
      }
    });
    side.Peer(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        sqlite3_bind_int64(read, 1, id);
        sqlite3_bind_text(read, 2, "debug_info", -1, SQLITE_STATIC);
        if (sqlite3_step(read) == SQLITE_ROW) sink += *static_cast<const BYTE*>(sqlite3_column_blob(read, 1));
        sqlite3_reset(read);
      }
    });
  }
  if (sink == 0) state.SkipWithError("nothing read");
  RegCloseKey(key);
}
BENCH(BM_RegistryRead);

void BM_RegistryOpenReadClose(benchmark::State& state) {
  RegCloseKey(RegistryKey());
  bench::SideBySide side(state, "operations/s");
  DWORD sink = 0;
  for (auto _ : state) {
    side.Ours(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        HKEY k = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, 0, &k);
        DWORD v = 0;
        RegistryGetDWORD(k, nullptr, u"debug_info", &v);
        RegCloseKey(k);
        sink += v;
      }
    });
  }
  if (sink == 0) state.SkipWithError("nothing read");
}
BENCH(BM_RegistryOpenReadClose);

void BM_RegistryWrite(benchmark::State& state) {
  HKEY key = RegistryKey();
  RawSqlite raw(RegistryFile());
  const sqlite3_int64 id = RawKeyId(raw);
  sqlite3_stmt* exists = raw.Prepare("SELECT 1 FROM keys WHERE id=?");
  sqlite3_stmt* upsert = raw.Prepare(
      "INSERT INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)"
      " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data");
  constexpr int kWrites = kBatch;  // many WAL checkpoints each, so neither side pays them all
  bench::SideBySide side(state, "operations/s");
  DWORD n = 0;
  for (auto _ : state) {
    side.Ours(kWrites, [&] {
      for (int i = 0; i < kWrites; ++i, ++n)
        RegSetValueExW(key, u"last_place", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4);
    });
    side.Peer(kWrites, [&] {
      for (int i = 0; i < kWrites; ++i, ++n) {
        raw.Exec("BEGIN IMMEDIATE");
        sqlite3_bind_int64(exists, 1, id);
        RawSqlite::Run(exists);
        sqlite3_bind_int64(upsert, 1, id);
        sqlite3_bind_text(upsert, 2, "last_place", -1, SQLITE_STATIC);
        sqlite3_bind_text(upsert, 3, "last_place", -1, SQLITE_STATIC);
        sqlite3_bind_int64(upsert, 4, REG_DWORD);
        sqlite3_bind_blob(upsert, 5, &n, 4, SQLITE_STATIC);
        RawSqlite::Run(upsert);
        raw.Exec("COMMIT");
      }
    });
  }
  RegCloseKey(key);
}
BENCH(BM_RegistryWrite);

// Every value of a key of 30,000 values, and every sub-key of a key of 30,000 sub-keys, walked by
// index; beside it, one SELECT stepping over the same rows.
constexpr int kWide = 30000;

// The row id of the one stored key whose folded name is `fold`.
sqlite3_int64 TopKeyId(RawSqlite& raw, const char* fold) {
  sqlite3_stmt* find = raw.Prepare("SELECT id FROM keys WHERE fold=?");
  sqlite3_bind_text(find, 1, fold, -1, SQLITE_STATIC);
  const sqlite3_int64 id = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : 0;
  sqlite3_reset(find);
  return id;
}

// Steps over every row `all` selects for the key id, reading the name (and with `data`, the third
// column) as a walk over them would; the number of rows.
int StepKeyRows(sqlite3_stmt* all, sqlite3_int64 id, bool data) {
  int rows = 0;
  sqlite3_bind_int64(all, 1, id);
  while (sqlite3_step(all) == SQLITE_ROW) {
    benchmark::DoNotOptimize(sqlite3_column_text(all, 0));
    if (data) benchmark::DoNotOptimize(sqlite3_column_blob(all, 2));
    ++rows;
  }
  sqlite3_reset(all);
  return rows;
}

void BM_RegistryEnumValues(benchmark::State& state) {
  bench::TemporaryDeviceFolder();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\Bench\\Wide", 0, nullptr, 0, 0, nullptr, &key, nullptr);
  for (DWORD i = 0; i < kWide; ++i) {
    const std::string text = "value" + std::to_string(i);
    const std::u16string name(text.begin(), text.end());
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
  }
  RawSqlite raw(RegistryFile());
  const sqlite3_int64 id = TopKeyId(raw, "wide");
  sqlite3_stmt* all = raw.Prepare("SELECT name, type, data FROM vals WHERE key=? ORDER BY id");
  bench::SideBySide side(state, "operations/s");
  for (auto _ : state) {
    side.Ours(kWide, [&] {
      DWORD i = 0;
      for (;; ++i) {
        WCHAR name[32];
        DWORD chars = 32, type = 0, data = 0, size = 4;
        if (RegEnumValueW(key, i, name, &chars, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
          break;
      }
      if (i != kWide) state.SkipWithError("values missing");
    });
    side.Peer(kWide, [&] {
      if (StepKeyRows(all, id, true) != kWide) state.SkipWithError("rows missing");
    });
  }
  RegCloseKey(key);
}
BENCH(BM_RegistryEnumValues);

void BM_RegistryEnumKeys(benchmark::State& state) {
  bench::TemporaryDeviceFolder();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\Bench\\Deep", 0, nullptr, 0, 0, nullptr, &key, nullptr);
  for (int i = 0; i < kWide; ++i) {
    HKEY sub = nullptr;
    const std::string name = "key" + std::to_string(i);
    const std::u16string wide(name.begin(), name.end());
    RegCreateKeyExW(key, wide.c_str(), 0, nullptr, 0, 0, nullptr, &sub, nullptr);
    RegCloseKey(sub);
  }
  RawSqlite raw(RegistryFile());
  const sqlite3_int64 id = TopKeyId(raw, "deep");
  sqlite3_stmt* all = raw.Prepare("SELECT name FROM keys WHERE parent=? ORDER BY id");
  bench::SideBySide side(state, "operations/s");
  for (auto _ : state) {
    side.Ours(kWide, [&] {
      DWORD i = 0;
      for (;; ++i) {
        WCHAR name[32];
        DWORD chars = 32;
        if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      }
      if (i != kWide) state.SkipWithError("keys missing");
    });
    side.Peer(kWide, [&] {
      if (StepKeyRows(all, id, false) != kWide) state.SkipWithError("rows missing");
    });
  }
  RegCloseKey(key);
}
BENCH(BM_RegistryEnumKeys);

// A volume with the database "cells" (cells_database.h) and its first `records` records.
struct CellsVolume {
  CEGUID guid{};
  HANDLE db = INVALID_HANDLE_VALUE;
  std::string host;
  explicit CellsVolume(int records, const char16_t* file) {
    bench::TemporaryDeviceFolder();
    host = ce::files::HostPath(file).string();
    CeMountDBVolEx(&guid, const_cast<LPWSTR>(file), nullptr, CREATE_ALWAYS);
    db = bench::CreateCellsDatabase(guid);
    for (int i = 0; i < records; ++i) Insert(i);
  }
  ~CellsVolume() {
    CloseHandle(db);
    CeUnmountDBVol(&guid);
  }
  bool Insert(int i) { return bench::WriteCell(db, i); }
};

void BM_CedbInsert(benchmark::State& state) {
  CellsVolume cells(0, u"\\insert.db");
  bench::SideBySide side(state, "operations/s");
  int next = 0;
  for (auto _ : state) {
    side.Ours(100, [&] {
      for (int i = 0; i < 100; ++i)
        if (!cells.Insert(next++)) return state.SkipWithError("insert failed");
    });
  }
}
BENCH(BM_CedbInsert);

void BM_CedbSeekByValue(benchmark::State& state) {
  constexpr int kRecords = 10000;
  CellsVolume cells(kRecords, u"\\seek.db");
  RawSqlite raw(cells.host);
  sqlite3_stmt* seek = raw.Prepare(
      "SELECT r.oid FROM recs r JOIN vals v0 ON v0.oid=r.oid AND v0.propid=65539"
      " WHERE r.db=?1 AND v0.num=?2 ORDER BY (v0.oid IS NULL), v0.num, r.oid LIMIT 1");
  bench::SideBySide side(state, "operations/s");
  int found = 0, i = 0;
  for (auto _ : state) {
    side.Ours(kBatch, [&] {
      for (int k = 0; k < kBatch; ++k, ++i) {
        CEPROPVAL v{};
        v.propid = 0x10003;
        v.val.lVal = ((i * 7919) % kRecords) * 7;
        if (CeSeekDatabaseEx(cells.db, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), 1, nullptr)) ++found;
      }
    });
    side.Peer(kBatch, [&] {
      for (int k = 0; k < kBatch; ++k, ++i) {
        sqlite3_bind_int64(seek, 1, 1);
        sqlite3_bind_int64(seek, 2, ((i * 7919) % kRecords) * 7);
        if (sqlite3_step(seek) == SQLITE_ROW) ++found;
        sqlite3_reset(seek);
      }
    });
  }
  if (found == 0) state.SkipWithError("nothing found");
}
BENCH(BM_CedbSeekByValue);

// Every record of a database of 20,000 in key order, each read with every property; beside it,
// one SELECT stepping over the same rows in the same order.
void BM_CedbOrderedRead(benchmark::State& state) {
  constexpr int kRecords = 20000;
  CellsVolume cells(kRecords, u"\\walk.db");
  RawSqlite raw(cells.host);
  sqlite3_stmt* all = raw.Prepare(
      "SELECT r.oid, v.propid, v.num FROM recs r LEFT JOIN vals v0 ON v0.oid=r.oid AND v0.propid=65539"
      " JOIN vals v ON v.oid=r.oid WHERE r.db=1 ORDER BY (v0.oid IS NULL), v0.num, r.oid, v.pos");
  bench::SideBySide side(state, "operations/s");
  LPBYTE buffer = nullptr;
  DWORD size = 0;
  for (auto _ : state) {
    side.Ours(kRecords, [&] {
      int records = 0;
      if (CeSeekDatabaseEx(cells.db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) {
        WORD count = 0;
        while (CeReadRecordPropsEx(cells.db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, nullptr)) ++records;
      }
      if (records != kRecords) state.SkipWithError("records missing");
    });
    side.Peer(kRecords, [&] {
      int rows = 0;
      while (sqlite3_step(all) == SQLITE_ROW) {
        benchmark::DoNotOptimize(sqlite3_column_int64(all, 2));
        ++rows;
      }
      sqlite3_reset(all);
      if (rows != 2 * kRecords) state.SkipWithError("rows missing");
    });
  }
  if (buffer) LocalFree(buffer);
}
BENCH(BM_CedbOrderedRead);

// A volume written by another process (cedb_volume_writer) and read here as Velomar loads its
// cells at start: mounted, then every record read by its position (a seek from the beginning to
// each position in turn, then a read of the properties), then unmounted. Beside it, raw SQLite
// opens the same file and steps one SELECT over the same rows in the same order. The rate per
// record stays the same as the records grow when the walk is linear.
void BM_CedbWalkWrittenByAnotherProcess(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const std::string folder = bench::TemporaryDeviceFolder();
  const std::string ce_path = "\\cells" + std::to_string(records) + ".db";
  {
    std::string program = CEDB_VOLUME_WRITER, count = std::to_string(records);
    std::string dev = folder, path = ce_path;
    char* argv[] = {program.data(), dev.data(), path.data(), count.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) != pid ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      return state.SkipWithError("the writing process failed");
  }
  std::u16string file(ce_path.begin(), ce_path.end());
  const std::string host = ce::files::HostPath(file.c_str()).string();
  bench::SideBySide side(state, "records/s");
  LPBYTE buffer = nullptr;
  DWORD size = 0;
  for (auto _ : state) {
    side.Ours(records, [&] {
      CEGUID guid{};
      if (!CeMountDBVolEx(&guid, file.data(), nullptr, OPEN_EXISTING)) return state.SkipWithError("mount failed");
      CEOID oid = 0;
      SORTORDERSPECEX sort{2, 1, CEDB_SORT_UNIQUE, 0, {0x10003, 0, 0}, {0, 0, 0}};
      HANDLE db = CeOpenDatabaseInSession(nullptr, &guid, &oid, const_cast<LPWSTR>(u"cells"), &sort,
                                          CEDB_AUTOINCREMENT, nullptr);
      CEPROPID wanted[2] = {0x10003, 0x20003};
      int read = 0;
      for (DWORD at = 0; CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, at, 0, nullptr) != 0; ++at) {
        WORD count = 2;
        if (CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, wanted, &buffer, &size, nullptr) != 0) ++read;
      }
      CloseHandle(db);
      CeUnmountDBVol(&guid);
      if (read != records) state.SkipWithError("records missing");
    });
    side.Peer(records, [&] {
      sqlite3* raw = nullptr;
      sqlite3_open_v2(host.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
      sqlite3_stmt* all = nullptr;
      sqlite3_prepare_v2(raw,
                         "SELECT r.oid, v.propid, v.num FROM recs r LEFT JOIN vals v0 ON v0.oid=r.oid AND"
                         " v0.propid=65539 JOIN vals v ON v.oid=r.oid WHERE r.db=1 ORDER BY (v0.oid IS NULL),"
                         " v0.num, r.oid, v.pos",
                         -1, &all, nullptr);
      int rows = 0;
      while (sqlite3_step(all) == SQLITE_ROW) {
        benchmark::DoNotOptimize(sqlite3_column_int64(all, 2));
        ++rows;
      }
      sqlite3_finalize(all);
      sqlite3_close(raw);
      if (rows != 2 * records) state.SkipWithError("rows missing");
    });
  }
  if (buffer) LocalFree(buffer);
}
BENCH(BM_CedbWalkWrittenByAnotherProcess)->Arg(2500)->Arg(5000)->Arg(10000)->Arg(20000);

}  // namespace
