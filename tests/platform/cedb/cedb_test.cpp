#include "platform/cedb/cedb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/cedb/cedb_batch.h"
#include "platform/cedb/cedb_faults.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/termination_point.h"
#include "platform/kernel/threads.h"
#include "platform/testing/device_test.h"
#include "tests/platform/sqlite_lock_probe.h"

namespace {

using ce::cedb::CedbCall;

constexpr CEPROPID kPlaceKey = 0x10066;  // CEVT_AUTO_I4
constexpr CEPROPID kName = 0x2001F;
constexpr CEPROPID kDesc = 0x3001F;
constexpr CEPROPID kCellValue = 0x10003;
constexpr CEPROPID kCellPlace = 0x20003;
constexpr CEPROPID kTime = 0x90040;

class CedbTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root" / "Program Files" / "Velomar");
    Mount();
  }
  void TearDown() override {
    ce::cedb::ClearFailures();
    CeUnmountDBVol(&guid_);
    DeviceTest::TearDown();
  }

  void Mount() {
    ASSERT_TRUE(CeMountDBVolEx(&guid_, const_cast<LPWSTR>(u"\\program files\\VELOMAR\\quarn.db"), nullptr, OPEN_ALWAYS));
  }

  static SORTORDERSPECEX KeySort(CEPROPID key, DWORD flags = 0) {
    SORTORDERSPECEX s{};
    s.wVersion = 2;
    s.wNumProps = 1;
    s.wKeyFlags = 0x1200;
    s.rgPropID[0] = key;
    s.rgdwFlags[0] = flags;
    return s;
  }

  CEOID Create(const char16_t* name, SORTORDERSPECEX sort, std::vector<CEPROPID> props) {
    CEDBASEINFOEX info{};
    info.wVersion = 2;
    info.wNumSortOrder = 1;
    info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
    std::u16string n(name);
    std::copy(n.begin(), n.end(), info.szDbaseName);
    info.dwDbaseType = 1911;
    info.rgSortSpecs[0] = sort;
    std::vector<CEPROPSPEC> specs;
    for (CEPROPID p : props) specs.push_back(CEPROPSPEC{1, p, 1, const_cast<LPWSTR>(u"prop"), 4});
    return CeCreateDatabaseWithProps(&guid_, &info, static_cast<DWORD>(specs.size()), specs.data());
  }

  HANDLE Open(const char16_t* name, SORTORDERSPECEX sort) {
    CEOID oid = 0;
    return CeOpenDatabaseInSession(nullptr, &guid_, &oid, const_cast<LPWSTR>(name), &sort, CEDB_AUTOINCREMENT, nullptr);
  }

  // The places table of the program: created, opened, three places inserted.
  HANDLE Places() {
    EXPECT_NE(0u, Create(u"places", KeySort(kPlaceKey), {kName, kDesc, kPlaceKey}));
    HANDLE db = Open(u"places", KeySort(kPlaceKey));
    EXPECT_NE(INVALID_HANDLE_VALUE, db);
    for (const char16_t* n : {u"UNKNOWN", u"Home", u"Work"}) EXPECT_NE(0u, InsertPlace(db, n));
    return db;
  }

  static CEOID InsertPlace(HANDLE db, const char16_t* name, LONG key = -1) {
    CEPROPVAL v[3]{};
    v[0].propid = kName;
    v[0].val.lpwstr = const_cast<LPWSTR>(name);
    v[1].propid = kDesc;
    v[1].val.lpwstr = const_cast<LPWSTR>(u"d");
    v[2].propid = kPlaceKey;
    v[2].val.lVal = key;
    return CeWriteRecordProps(db, 0, key == -1 ? 2 : 3, v);
  }

  struct Row {
    CEOID oid = 0;
    std::vector<CEPROPID> ids;
    LONG key = -1;
    std::u16string name;
  };
  // Reads the current record with every property.
  static Row ReadAll(HANDLE db) {
    Row row;
    WORD count = 0;
    LPBYTE buf = nullptr;
    DWORD size = 0;
    row.oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buf, &size, nullptr);
    auto* vals = reinterpret_cast<CEPROPVAL*>(buf);
    for (WORD i = 0; row.oid && i < count; ++i) {
      row.ids.push_back(vals[i].propid);
      if (vals[i].propid == kPlaceKey || vals[i].propid == kCellValue) row.key = vals[i].val.lVal;
      if (vals[i].propid == kName) row.name = vals[i].val.lpwstr;
    }
    if (buf) LocalFree(buf);
    return row;
  }

  static int Count(HANDLE db) {
    if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) return 0;
    int n = 1;
    while (CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, static_cast<DWORD>(n), 0, nullptr)) ++n;
    return n;
  }

  CEGUID guid_{};
};

TEST_F(CedbTest, AutomaticKeysFromZeroSeeksAndTheSortKeyFirst) {
  CEOID missing = 0;
  EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseInSession(nullptr, &guid_, &missing, const_cast<LPWSTR>(u"places"),
                                                          nullptr, 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

  HANDLE db = Places();
  CEOID seven = InsertPlace(db, u"Club", 7);  // a key given with the row is kept
  ASSERT_NE(0u, seven);
  ASSERT_NE(0u, InsertPlace(db, u"Next"));  // numbering goes on after it
  EXPECT_EQ(5, Count(db));

  // Positional order is the key's: 0, 1, 2, 7, 8.
  std::vector<LONG> keys;
  ASSERT_NE(0u, CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr));
  for (Row r = ReadAll(db); r.oid; r = ReadAll(db)) {
    EXPECT_EQ(kPlaceKey, r.ids.front());  // the sort key comes first
    keys.push_back(r.key);
  }
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
  EXPECT_EQ((std::vector<LONG>{0, 1, 2, 7, 8}), keys);

  CEPROPVAL key{};
  key.propid = kPlaceKey;
  key.val.lVal = 7;
  EXPECT_EQ(seven, CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), 1, nullptr));
  EXPECT_EQ(u"Club", ReadAll(db).name);
  EXPECT_EQ(u"Next", ReadAll(db).name);  // the read moved on
  key.val.lVal = 5;
  EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), 1, nullptr));
  EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 5, 0, nullptr));
  DWORD index = 99;
  EXPECT_EQ(seven, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, seven, 0, &index));
  EXPECT_EQ(3u, index);
  EXPECT_EQ(u"Work", (CeSeekDatabaseEx(db, CEDB_SEEK_CURRENT, static_cast<DWORD>(-1), 0, nullptr), ReadAll(db).name));
  EXPECT_NE(0u, CeSeekDatabaseEx(db, CEDB_SEEK_END, 0, 0, nullptr));
  EXPECT_EQ(u"Next", ReadAll(db).name);
  CloseHandle(db);
}

// A walk in key order sees what other handles write while it goes: a record added ahead of it
// and one removed ahead of it.
TEST_F(CedbTest, AnOrderedWalkSeesRecordsWrittenMeanwhile) {
  ASSERT_NE(0u, Create(u"cells", KeySort(kCellValue), {kCellValue}));
  HANDLE walk = Open(u"cells", KeySort(kCellValue));
  HANDLE other = Open(u"cells", KeySort(kCellValue));
  auto insert = [&](LONG key) {
    CEPROPVAL v{};
    v.propid = kCellValue;
    v.val.lVal = key;
    return CeWriteRecordProps(other, 0, 1, &v);
  };
  for (LONG key : {40, 10, 30, 20}) ASSERT_NE(0u, insert(key));
  ASSERT_NE(0u, CeSeekDatabaseEx(walk, CEDB_SEEK_BEGINNING, 0, 0, nullptr));
  std::vector<LONG> seen{ReadAll(walk).key, ReadAll(walk).key};
  ASSERT_NE(0u, insert(35));
  CEPROPVAL forty{};
  forty.propid = kCellValue;
  forty.val.lVal = 40;
  const CEOID gone = CeSeekDatabaseEx(other, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&forty), 1, nullptr);
  for (Row r = ReadAll(walk); r.oid; r = ReadAll(walk)) {
    seen.push_back(r.key);
    if (r.key == 30) {
      ASSERT_TRUE(CeDeleteRecord(other, gone));
    }
  }
  EXPECT_EQ((std::vector<LONG>{10, 20, 30, 35}), seen);
  CloseHandle(walk);
  CloseHandle(other);
}

// A walk keeps its place by record, not by a position counted before the changes: removing a
// record behind it or the very record it stands on (through another handle, or by another
// connection to the file as another process would) neither skips nor repeats a record; records
// ahead of it changed meanwhile are read as they are now; a seek back from where it stands lands
// on the record just read.
TEST_F(CedbTest, AWalkKeepsItsPlaceAndSeesChangesAheadOfIt) {
  ASSERT_NE(0u, Create(u"cells", KeySort(kCellValue), {kCellValue}));
  HANDLE walk = Open(u"cells", KeySort(kCellValue));
  HANDLE other = Open(u"cells", KeySort(kCellValue));
  std::map<LONG, CEOID> oids;
  auto write = [&](CEOID oid, LONG key) {
    CEPROPVAL v{};
    v.propid = kCellValue;
    v.val.lVal = key;
    return CeWriteRecordProps(other, oid, 1, &v);
  };
  for (LONG key : {60, 10, 110, 50, 20, 90, 40, 30, 100, 70, 80}) {
    oids[key] = write(0, key);
    ASSERT_NE(0u, oids[key]);
  }
  sqlite3* process = nullptr;  // a second connection to the file, as another process has
  const auto file = device_folder() / "root" / "Program Files" / "Velomar" / "quarn.db";
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &process));
  sqlite3_busy_timeout(process, 5000);
  auto elsewhere = [&](const std::string& sql) { return sqlite3_exec(process, sql.c_str(), nullptr, nullptr, nullptr); };
  auto delete_elsewhere = [&](LONG key) {
    const std::string oid = std::to_string(oids[key]);
    return elsewhere("BEGIN; DELETE FROM vals WHERE oid=" + oid + "; DELETE FROM recs WHERE oid=" + oid + "; COMMIT");
  };
  auto read = [&](std::vector<LONG>& seen, int n) {
    for (int i = 0; i < n; ++i) seen.push_back(ReadAll(walk).key);
  };

  ASSERT_NE(0u, CeSeekDatabaseEx(walk, CEDB_SEEK_BEGINNING, 0, 0, nullptr));
  std::vector<LONG> seen;
  read(seen, 2);                                                                                    // 10 20
  ASSERT_EQ(SQLITE_OK, elsewhere("UPDATE vals SET num=45 WHERE oid=" + std::to_string(oids[40])));  // ahead
  read(seen, 2);                                                                                    // 30 45
  ASSERT_EQ(oids[60], write(oids[60], 65));  // ahead, through the other handle
  read(seen, 2);                             // 50 65
  ASSERT_TRUE(CeDeleteRecord(other, oids[10]));  // behind
  read(seen, 1);                                 // 70
  ASSERT_TRUE(CeDeleteRecord(other, oids[70]));  // the record just read
  read(seen, 1);                                 // 80
  ASSERT_EQ(SQLITE_OK, delete_elsewhere(20));    // behind, by another connection
  read(seen, 1);                                 // 90
  ASSERT_EQ(SQLITE_OK, delete_elsewhere(90));    // the record just read, by another connection
  read(seen, 1);                                 // 100
  EXPECT_EQ((std::vector<LONG>{10, 20, 30, 45, 50, 65, 70, 80, 90, 100}), seen);

  // Back from the record after the one just read (110): to 100, then two before it.
  DWORD index = 99;
  EXPECT_EQ(oids[100], CeSeekDatabaseEx(walk, CEDB_SEEK_CURRENT, static_cast<DWORD>(-1), 0, &index));
  EXPECT_EQ(5u, index);  // 30, 45, 50, 65, 80, 100, 110 are left
  EXPECT_EQ(100, ReadAll(walk).key);
  ASSERT_NE(0u, CeSeekDatabaseEx(walk, CEDB_SEEK_CURRENT, static_cast<DWORD>(-2), 0, nullptr));
  seen.clear();
  read(seen, 3);
  EXPECT_EQ((std::vector<LONG>{80, 100, 110}), seen);
  EXPECT_EQ(0u, ReadAll(walk).oid);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
  // Past the end, a seek back lands on the last record.
  EXPECT_EQ(oids[110], CeSeekDatabaseEx(walk, CEDB_SEEK_CURRENT, static_cast<DWORD>(-1), 0, nullptr));
  EXPECT_EQ(110, ReadAll(walk).key);
  sqlite3_close(process);
  CloseHandle(walk);
  CloseHandle(other);
}

TEST_F(CedbTest, VolumeSurvivesUnmountAndRemountAtItsPath) {
  HANDLE db = Places();
  CloseHandle(db);
  ASSERT_TRUE(CeFlushDBVol(&guid_));
  ASSERT_TRUE(CeUnmountDBVol(&guid_));
  auto file = device_folder() / "root" / "Program Files" / "Velomar" / "quarn.db";
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(file.string() + "-wal"));  // the file stands alone
  EXPECT_FALSE(CeFlushDBVol(&guid_));  // the old CEGUID is gone

  // A copy of the unmounted file (a backup) is a volume with the same records.
  std::filesystem::copy_file(file, device_folder() / "root" / "backup.db");
  CEGUID backup{};
  ASSERT_TRUE(CeMountDBVolEx(&backup, u"\\backup.db", nullptr, OPEN_EXISTING));
  CEOID oid = 0;
  SORTORDERSPECEX sort = KeySort(kPlaceKey);
  HANDLE copy = CeOpenDatabaseInSession(nullptr, &backup, &oid, u"places", &sort, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, copy);
  EXPECT_EQ(3, Count(copy));
  CloseHandle(copy);
  CeUnmountDBVol(&backup);

  Mount();
  db = Open(u"PLACES", KeySort(kPlaceKey));
  ASSERT_NE(INVALID_HANDLE_VALUE, db);
  EXPECT_EQ(3, Count(db));
  ASSERT_NE(0u, CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 2, 0, nullptr));
  Row r = ReadAll(db);
  EXPECT_EQ(2, r.key);
  EXPECT_EQ(u"Work", r.name);
  ASSERT_NE(0u, InsertPlace(db, u"Later"));
  ASSERT_NE(0u, CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 3, 0, nullptr));
  EXPECT_EQ(3, ReadAll(db).key);  // the numbering carried over
  CloseHandle(db);
}

// A volume mounted again (as a new process finds one another process made) keeps the order of a
// database between seeks, as the process that made it does: a walk by position reads the order
// once, and again only after a commit, here by another connection to the file.
TEST_F(CedbTest, AVolumeMountedAgainReadsItsOrderOnceUntilTheFileChanges) {
  CloseHandle(Places());
  ASSERT_TRUE(CeUnmountDBVol(&guid_));
  Mount();
  std::uint64_t reads = ce::cedb::OrderReads();
  HANDLE db = Open(u"places", KeySort(kPlaceKey));
  ASSERT_NE(INVALID_HANDLE_VALUE, db);
  EXPECT_EQ(3, Count(db));
  EXPECT_EQ(3, Count(db));
  EXPECT_EQ(1u, ce::cedb::OrderReads() - reads);

  // The header is watched through SQLite's own map: its lock on the file stays, for other
  // processes to see the file in use.
  const auto file = device_folder() / "root" / "Program Files" / "Velomar" / "quarn.db";
  EXPECT_TRUE(ce::testing::LockedByThisProcess(file.string() + "-shm"));
  sqlite3* process = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &process));
  sqlite3_busy_timeout(process, 5000);
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(process, "INSERT INTO recs(db) SELECT id FROM dbs WHERE fold='places'", nullptr,
                                    nullptr, nullptr));
  sqlite3_close(process);
  reads = ce::cedb::OrderReads();
  EXPECT_EQ(4, Count(db));
  EXPECT_EQ(1u, ce::cedb::OrderReads() - reads);
  CloseHandle(db);
}

// A batch: its changes read back at once inside it, a refused change inside it leaves the others,
// another connection sees nothing until it is committed, and a dropped batch leaves nothing.
TEST_F(CedbTest, ABatchIsOneTransactionOfWholeChanges) {
  ASSERT_NE(0u, Create(u"cells", KeySort(kCellValue), {kCellValue, kCellPlace}));
  HANDLE db = Open(u"cells", KeySort(kCellValue));
  const auto insert = [&](LONG value) {
    CEPROPVAL v[2]{};
    v[0].propid = kCellValue;
    v[0].val.lVal = value;
    v[1].propid = kCellPlace;
    v[1].val.lVal = 1;
    return CeWriteRecordProps(db, 0, 2, v);
  };
  const auto file = device_folder() / "root" / "Program Files" / "Velomar" / "quarn.db";
  const auto committed = [&] {  // the records another connection sees
    sqlite3* other = nullptr;
    int n = -1;
    if (sqlite3_open_v2(file.c_str(), &other, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(other, "SELECT COUNT(*) FROM recs", -1, &st, nullptr);
      if (st && sqlite3_step(st) == SQLITE_ROW) n = sqlite3_column_int(st, 0);
      sqlite3_finalize(st);
    }
    sqlite3_close(other);
    return n;
  };
  ASSERT_NE(0u, insert(1));

  ASSERT_TRUE(ce::cedb::BeginBatch(&guid_));
  EXPECT_FALSE(ce::cedb::BeginBatch(&guid_));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BUSY), GetLastError());
  for (LONG value = 2; value <= 50; ++value) ASSERT_NE(0u, insert(value));
  EXPECT_EQ(0u, insert(7));  // a duplicate key: refused alone
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(50, Count(db));
  EXPECT_EQ(1, committed());
  ASSERT_TRUE(ce::cedb::EndBatch(&guid_, true));
  EXPECT_EQ(50, committed());

  ASSERT_TRUE(ce::cedb::BeginBatch(&guid_));
  for (LONG value = 51; value <= 60; ++value) ASSERT_NE(0u, insert(value));
  EXPECT_EQ(60, Count(db));
  ASSERT_TRUE(ce::cedb::EndBatch(&guid_, false));
  EXPECT_EQ(50, Count(db));  // nothing kept of the dropped batch, not even in a kept order
  EXPECT_EQ(50, committed());

  EXPECT_FALSE(ce::cedb::EndBatch(&guid_, true));  // none open
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  CEGUID unknown{};
  EXPECT_FALSE(ce::cedb::BeginBatch(&unknown));
  CloseHandle(db);
}

TEST_F(CedbTest, UniqueKeyRefusesADuplicateAndKeepsTheTable) {
  ASSERT_NE(0u, Create(u"cells", KeySort(kCellValue), {kCellValue, kCellPlace}));
  HANDLE db = Open(u"cells", KeySort(kCellValue));
  CEPROPVAL v[2]{};
  v[0].propid = kCellValue;
  v[0].val.lVal = 31337;
  v[1].propid = kCellPlace;
  v[1].val.lVal = 1;
  CEOID first = CeWriteRecordProps(db, 0, 2, v);
  ASSERT_NE(0u, first);
  v[1].val.lVal = 2;
  EXPECT_EQ(0u, CeWriteRecordProps(db, 0, 2, v));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(1, Count(db));
  // An update may keep its own key, but not take another record's.
  EXPECT_EQ(first, CeWriteRecordProps(db, first, 2, v));
  v[0].val.lVal = 99;
  CEOID second = CeWriteRecordProps(db, 0, 2, v);
  ASSERT_NE(0u, second);
  v[0].val.lVal = 31337;
  EXPECT_EQ(0u, CeWriteRecordProps(db, second, 1, v));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  // A record that is gone is not recreated by an update.
  ASSERT_TRUE(CeDeleteRecord(db, second));
  v[0].val.lVal = 5;
  EXPECT_EQ(0u, CeWriteRecordProps(db, second, 2, v));
  EXPECT_EQ(1, Count(db));
  EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, second, 0, nullptr));
  EXPECT_FALSE(CeDeleteRecord(db, second));
  CloseHandle(db);
}

TEST_F(CedbTest, StringSortFlagsAndRecordsWithoutTheKey) {
  struct Case {
    DWORD flags;
    std::vector<std::u16string> order;
  } cases[] = {
      {0, {u"Alpha", u"Beta", u"alpha", u""}},
      {CEDB_SORT_CASEINSENSITIVE, {u"alpha", u"Alpha", u"Beta", u""}},  // equal keys: in write order
      {CEDB_SORT_DESCENDING, {u"alpha", u"Beta", u"Alpha", u""}},
      {CEDB_SORT_UNKNOWNFIRST, {u"", u"Alpha", u"Beta", u"alpha"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::u16string name = u"names" + std::u16string(1, static_cast<char16_t>(u'0' + n++));
    SORTORDERSPECEX sort = KeySort(kName, c.flags);
    sort.wKeyFlags = 0;
    ASSERT_NE(0u, Create(name.c_str(), sort, {kName}));
    HANDLE db = Open(name.c_str(), sort);
    for (const char16_t* text : {u"Beta", u"alpha", u"Alpha"}) {
      CEPROPVAL v{};
      v.propid = kName;
      v.val.lpwstr = const_cast<LPWSTR>(text);
      ASSERT_NE(0u, CeWriteRecordProps(db, 0, 1, &v));
    }
    CEPROPVAL other{};
    other.propid = kDesc;
    other.val.lpwstr = const_cast<LPWSTR>(u"no name");
    ASSERT_NE(0u, CeWriteRecordProps(db, 0, 1, &other));
    std::vector<std::u16string> got;
    CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr);
    for (Row r = ReadAll(db); r.oid; r = ReadAll(db)) got.push_back(r.name);
    EXPECT_EQ(c.order, got) << "flags " << c.flags;
    CloseHandle(db);
  }
}

TEST_F(CedbTest, ReadBuffersMissingPropertiesAndTimes) {
  ASSERT_NE(0u, Create(u"actions", KeySort(kPlaceKey), {kPlaceKey, kName, kTime}));
  HANDLE db = Open(u"actions", KeySort(kPlaceKey));
  CEPROPVAL v[2]{};
  v[0].propid = kName;
  v[0].val.lpwstr = const_cast<LPWSTR>(u"a text long enough to need its own room in the buffer");
  v[1].propid = kTime;
  v[1].val.filetime = FILETIME{0x89ABCDEFu, 0x01D9F0E1u};
  CEOID oid = CeWriteRecordProps(db, 0, 2, v);
  ASSERT_NE(0u, oid);

  CEPROPID wanted[] = {kTime, kDesc, kName};
  WORD count = 3;
  BYTE small[16];
  LPBYTE buf = small;
  DWORD size = sizeof small;
  ASSERT_EQ(oid, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr));
  EXPECT_EQ(0u, CeReadRecordPropsEx(db, 0, &count, wanted, &buf, &size, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_GT(size, sizeof small);

  LPBYTE grown = static_cast<LPBYTE>(LocalAlloc(LMEM_FIXED, 8));
  DWORD grown_size = 8;
  count = 3;
  ASSERT_EQ(oid, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, wanted, &grown, &grown_size, nullptr));
  auto* vals = reinterpret_cast<CEPROPVAL*>(grown);
  EXPECT_EQ(0x89ABCDEFu, vals[0].val.filetime.dwLowDateTime);
  EXPECT_EQ(0x01D9F0E1u, vals[0].val.filetime.dwHighDateTime);
  EXPECT_EQ(CEDB_PROPNOTFOUND, vals[1].wFlags);
  EXPECT_EQ(std::u16string(v[0].val.lpwstr), vals[2].val.lpwstr);
  EXPECT_EQ(0, vals[2].wFlags);
  LocalFree(grown);

  // Deleting a property; reading a record deleted under the cursor.
  CEPROPVAL del{};
  del.propid = kName;
  del.wFlags = CEDB_PROPDELETE;
  ASSERT_EQ(oid, CeWriteRecordProps(db, oid, 1, &del));
  ASSERT_EQ(oid, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr));
  Row r = ReadAll(db);
  EXPECT_EQ((std::vector<CEPROPID>{kPlaceKey, kTime}), r.ids);
  ASSERT_EQ(oid, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr));
  ASSERT_TRUE(CeDeleteRecord(db, oid));
  EXPECT_EQ(0u, ReadAll(db).oid);
  EXPECT_EQ(static_cast<DWORD>(ERROR_KEY_DELETED), GetLastError());
  CloseHandle(db);
}

TEST_F(CedbTest, InjectedFailuresReachTheCallerWithTheirCodes) {
  HANDLE db = Places();
  CEPROPVAL v{};
  v.propid = kName;
  v.val.lpwstr = const_cast<LPWSTR>(u"x");
  struct Case {
    CedbCall call;
    DWORD error;
    std::function<bool()> fails;
  } cases[] = {
      {CedbCall::kWrite, 112, [&] { return CeWriteRecordProps(db, 0, 1, &v) == 0; }},
      {CedbCall::kSeek, 1018, [&] { return CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr) == 0; }},
      {CedbCall::kRead, 232, [&] { return ReadAll(db).oid == 0; }},
      {CedbCall::kDeleteRecord, 32, [&] { return !CeDeleteRecord(db, 1); }},
      {CedbCall::kOpenDatabase, 8, [&] { return Open(u"places", KeySort(kPlaceKey)) == INVALID_HANDLE_VALUE; }},
      {CedbCall::kCreateDatabase, 24, [&] { return Create(u"other", KeySort(kPlaceKey), {}) == 0; }},
      {CedbCall::kFlush, 5, [&] { return !CeFlushDBVol(&guid_); }},
      {CedbCall::kMount, 1168, [&] {
         CEGUID g;
         return !CeMountDBVolEx(&g, const_cast<LPWSTR>(u"\\other.db"), nullptr, OPEN_ALWAYS);
       }},
  };
  for (auto& c : cases) {
    ce::cedb::FailCalls(c.call, c.error);
    EXPECT_TRUE(c.fails()) << c.error;
    EXPECT_EQ(c.error, GetLastError());
    EXPECT_FALSE(c.fails()) << c.error << " fails only once";
  }
  EXPECT_EQ(3, Count(db));  // the second write and the second delete went through
  ce::cedb::FailCalls(CedbCall::kWrite, 87, 0);
  EXPECT_EQ(0u, CeWriteRecordProps(db, 0, 1, &v));
  EXPECT_EQ(0u, CeWriteRecordProps(db, 0, 1, &v));
  ce::cedb::ClearFailures();
  EXPECT_NE(0u, CeWriteRecordProps(db, 0, 1, &v));
  CloseHandle(db);
}

TEST_F(CedbTest, DatabasesAreListedAndDeleted) {
  CEOID places = Create(u"places", KeySort(kPlaceKey), {kPlaceKey});
  CEOID cells = Create(u"cells", KeySort(kCellValue), {kCellValue});
  EXPECT_EQ(0u, Create(u"Places", KeySort(kPlaceKey), {kPlaceKey}));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DUP_NAME), GetLastError());
  HANDLE find = CeFindFirstDatabaseEx(&guid_, 0);
  std::vector<CEOID> found;
  for (CEOID o; (o = CeFindNextDatabaseEx(find, &guid_)) != 0;) found.push_back(o);
  EXPECT_EQ((std::vector<CEOID>{places, cells}), found);
  CloseHandle(find);
  CEDBASEINFOEX info{};
  ASSERT_TRUE(CeGetDatabaseInfoEx(&guid_, cells, &info));
  EXPECT_EQ(std::u16string(u"cells"), info.szDbaseName);
  EXPECT_EQ(0x1200, info.rgSortSpecs[0].wKeyFlags);
  ASSERT_TRUE(CeDeleteDatabase(&guid_, places));
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(u"places", KeySort(kPlaceKey)));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(CedbTest, AFileThatIsNoVolumeIsRefusedAndLeftAlone) {
  auto path = device_folder() / "root" / "notes.db";
  { std::ofstream(path) << "not a database volume, just some text that happens to be here"; }
  auto before = std::filesystem::file_size(path);
  CEGUID g{};
  EXPECT_FALSE(CeMountDBVolEx(&g, u"\\notes.db", nullptr, OPEN_ALWAYS));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_FORMAT), GetLastError());
  EXPECT_EQ(before, std::filesystem::file_size(path));
  EXPECT_FALSE(CeMountDBVolEx(&g, u"\\missing folder\\x.db", nullptr, OPEN_ALWAYS));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_FALSE(CeMountDBVolEx(&g, u"\\absent.db", nullptr, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

// A write waiting for another connection's lock is a point where a terminated thread ends: it
// gives up at once (not after the 10 s lock wait), rolls back, and the volume stays usable.
TEST_F(CedbTest, AWriteWaitingForALockEndsWhenItsThreadIsTerminated) {
  HANDLE db = Places();
  sqlite3* other = nullptr;
  const auto file = device_folder() / "root" / "Program Files" / "Velomar" / "quarn.db";
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &other));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));

  struct Writer {
    HANDLE db;
    std::atomic<bool> started{false}, returned{false}, unwound{false};
  } w{db};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* w = static_cast<Writer*>(p);
        struct Flag {
          std::atomic<bool>& f;
          ~Flag() { f = true; }
        } on_unwind{w->unwound};
        w->started = true;
        InsertPlace(w->db, u"Blocked");
        w->returned = true;
        return 0;
      },
      &w, 0, nullptr);
  ASSERT_NE(t, nullptr);
  while (!w.started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // into the lock wait
  ASSERT_TRUE(TerminateThread(t, 0));
  EXPECT_EQ(WAIT_OBJECT_0, ce::kernel::WaitForThreadHalt(t, INFINITE));
  for (int i = 0; i < 2000 && !w.unwound; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(w.unwound);
  EXPECT_FALSE(w.returned);

  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_NE(0u, InsertPlace(db, u"After"));
  CloseHandle(t);
  CloseHandle(db);
}

}  // namespace
