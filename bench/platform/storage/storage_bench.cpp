// storage_bench [device folder]: registry reads and writes, CEDB inserts and key seeks, each
// reported in operations per second. Works in a fresh temporary device folder unless one is given.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/cedb/cedb.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"

namespace {

template <class F>
void Measure(const char* what, int count, F op) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) op(i);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-44s %7d ops %12.0f ops/s %9.2f us/op\n", what, count, count / seconds, seconds * 1e6 / count);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / ("storage-bench-" + std::to_string(getpid()));
  bool temporary = argc <= 1;
  ce::SetDeviceFolder(dir);

  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Morvane\\Velomar", 0, nullptr, 0, 0, nullptr, &key, nullptr);
  for (int i = 0; i < 50; ++i) {
    DWORD v = static_cast<DWORD>(i);
    std::u16string name = u"value" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + std::u16string(i / 26 + 1, u'x');
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  }
  const BYTE one[4] = {1, 0, 0, 0};
  RegSetValueExW(key, u"debug_info", 0, REG_DWORD, one, 4);
  DWORD sink = 0;
  Measure("registry read (open key, RegQueryValueExW)", 10000, [&](int) {
    DWORD v = 0, size = 4;
    RegQueryValueExW(key, u"debug_info", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
    sink += v;
  });
  Measure("registry read (open, get DWORD, close)", 10000, [&](int) {
    HKEY k = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Morvane\\Velomar", 0, 0, &k);
    DWORD v = 0;
    RegistryGetDWORD(k, nullptr, u"debug_info", &v);
    RegCloseKey(k);
    sink += v;
  });
  Measure("registry write (RegSetValueExW)", 1000, [&](int i) {
    DWORD v = static_cast<DWORD>(i);
    RegSetValueExW(key, u"last_place", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  });
  RegCloseKey(key);

  fs::create_directories(dir / "root");
  CEGUID guid{};
  CeMountDBVolEx(&guid, const_cast<LPWSTR>(u"\\bench.db"), nullptr, CREATE_ALWAYS);
  CEDBASEINFOEX info{};
  info.wVersion = 2;
  info.wNumSortOrder = 1;
  info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDSORTSPEC;
  std::u16string name = u"cells";
  std::copy(name.begin(), name.end(), info.szDbaseName);
  info.rgSortSpecs[0] = SORTORDERSPECEX{2, 1, 0x1200, 0, {0x10003, 0, 0}, {0, 0, 0}};
  CeCreateDatabaseWithProps(&guid, &info, 0, nullptr);
  CEOID oid = 0;
  SORTORDERSPECEX sort = info.rgSortSpecs[0];
  HANDLE db = CeOpenDatabaseInSession(nullptr, &guid, &oid, name.data(), &sort, CEDB_AUTOINCREMENT, nullptr);
  Measure("CEDB insert (unique key, two properties)", 10000, [&](int i) {
    CEPROPVAL v[2]{};
    v[0].propid = 0x10003;
    v[0].val.lVal = i * 7;
    v[1].propid = 0x20003;
    v[1].val.lVal = i % 10;
    if (!CeWriteRecordProps(db, 0, 2, v)) std::printf("insert %d failed\n", i);
  });
  int found = 0;
  Measure("CEDB key seek (CEDB_SEEK_VALUEFIRSTEQUAL)", 10000, [&](int i) {
    CEPROPVAL v{};
    v.propid = 0x10003;
    v.val.lVal = ((i * 7919) % 10000) * 7;
    if (CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), 1, nullptr)) ++found;
  });
  std::printf("(%d of 10000 keys found)\n", found);
  CloseHandle(db);
  CeUnmountDBVol(&guid);
  if (temporary) fs::remove_all(dir);
  return sink == 0 ? 1 : 0;
}
