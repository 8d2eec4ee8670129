#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/device_folder.h"
#include "platform/kernel/termination_point.h"
#include "platform/kernel/threads.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"
#include "tests/platform/peer/peer_process.h"
#include "tests/platform/sqlite_lock_probe.h"

namespace {

class RegistryTest : public ce::testing::DeviceTest {
 protected:
  HKEY Create(const char16_t* path) {
    HKEY k = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &k, nullptr));
    return k;
  }
};

void SetSz(HKEY k, const char16_t* name, const std::u16string& text) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                          static_cast<DWORD>((text.size() + 1) * 2)));
}

TEST_F(RegistryTest, KeysAndValuesAreCaseInsensitiveAndLeadingBackslashIsIgnored) {
  HKEY k = Create(u"\\SOFTWARE\\Morvane\\Velomar");
  SetSz(k, u"Theme", u"blue");
  RegCloseKey(k);

  HKEY k2 = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\MORVANE\\velomar", 0, 0, &k2));
  WCHAR buf[32];
  DWORD size = sizeof buf, type = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(k2, u"THEME", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size));
  EXPECT_EQ(REG_SZ, type);
  EXPECT_EQ(10u, size);  // UTF-16 bytes with the terminator
  EXPECT_EQ(std::u16string(u"blue"), buf);
  RegCloseKey(k2);

  HKEY other = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Morvane", 0, 0, &other));
}

TEST_F(RegistryTest, QuerySizeRulesAndTypes) {
  HKEY k = Create(u"Software\\Halcyra\\Cumulor");
  const BYTE blob[] = {3, 0, 0, 0, 9, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k, u"SuaOff", 0, REG_BINARY, blob, sizeof blob));
  const BYTE multi[] = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k, u"List", 0, REG_MULTI_SZ, multi, sizeof multi));

  DWORD size = 0, type = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(k, u"suaoff", nullptr, &type, nullptr, &size));
  EXPECT_EQ(16u, size);
  EXPECT_EQ(REG_BINARY, type);
  BYTE small[8];
  size = sizeof small;
  EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(k, u"SuaOff", nullptr, nullptr, small, &size));
  EXPECT_EQ(16u, size);
  BYTE big[2048];
  size = sizeof big;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(k, u"SuaOff", nullptr, nullptr, big, &size));
  EXPECT_EQ(0, memcmp(big, blob, sizeof blob));
  size = sizeof big;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(k, u"LIST", nullptr, &type, big, &size));
  EXPECT_EQ(REG_MULTI_SZ, type);
  EXPECT_EQ(sizeof multi, size);

  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(k, u"missing", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(k, u"SuaOff", nullptr, nullptr, big, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(k, u"suaOFF"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(k, u"SuaOff"));

  // A size beyond what a value can hold is refused before the data is touched.
  const BYTE pair[] = {'a', 'b', 0, 0};
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExW(k, u"Huge", 0, REG_BINARY, pair, 0x80000004u));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(k, u"Huge", nullptr, nullptr, nullptr, &size));
  RegCloseKey(k);
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrderAndReportsSizes) {
  HKEY items = Create(u"SOFTWARE\\Microsoft\\Today\\Items");
  for (auto name : {u"Zeta", u"\"SeeYou Mobile\"", u"Alpha"}) {
    HKEY sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(items, name, 0, nullptr, 0, 0, nullptr, &sub, nullptr));
    RegCloseKey(sub);
  }
  std::vector<std::u16string> names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[64];
    DWORD chars = 64;
    LONG rc = RegEnumKeyExW(items, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(ERROR_SUCCESS, rc);
    EXPECT_EQ(std::u16string(name).size(), chars);
    names.push_back(name);
  }
  EXPECT_EQ((std::vector<std::u16string>{u"Zeta", u"\"SeeYou Mobile\"", u"Alpha"}), names);

  WCHAR tiny[4];
  DWORD chars = 4;
  EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExW(items, 1, tiny, &chars, nullptr, nullptr, nullptr, nullptr));

  SetSz(items, u"b", u"x");
  DWORD one = 1;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(items, u"a", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4));
  SetSz(items, u"B", u"longer");  // rewriting keeps the value's place
  WCHAR name[8];
  DWORD name_chars = 8, type = 0;
  BYTE data[32];
  DWORD size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS, RegEnumValueW(items, 0, name, &name_chars, nullptr, &type, data, &size));
  EXPECT_EQ(std::u16string(u"b"), name);
  EXPECT_EQ(14u, size);
  name_chars = 8;
  ASSERT_EQ(ERROR_SUCCESS, RegEnumValueW(items, 1, name, &name_chars, nullptr, &type, nullptr, nullptr));
  EXPECT_EQ(REG_DWORD, type);
  name_chars = 8;
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueW(items, 2, name, &name_chars, nullptr, nullptr, nullptr, nullptr));
  RegCloseKey(items);
}

// Each index is counted in creation order at the time of the call: a value or key removed before
// the place an enumeration reached (by this process or another) moves the later ones up.
TEST_F(RegistryTest, EnumerationCountsAfterChangesMadeMidway) {
  HKEY walk = Create(u"SOFTWARE\\Walk");
  HKEY other = Create(u"SOFTWARE\\Other");
  for (int i = 0; i < 6; ++i) {
    const std::u16string n(1, static_cast<char16_t>(u'a' + i));
    SetSz(walk, n.c_str(), n);
    SetSz(other, n.c_str(), u"elsewhere");  // rows of another key between ours
    HKEY sub = Create((u"SOFTWARE\\Walk\\" + n).c_str());
    RegCloseKey(sub);
  }
  auto value_at = [&](DWORD i) {
    WCHAR name[8];
    DWORD chars = 8;
    LONG rc = RegEnumValueW(walk, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
    return rc == ERROR_SUCCESS ? std::u16string(name) : u"rc " + ce::text::FromUtf8(std::to_string(rc));
  };
  auto key_at = [&](DWORD i) {
    WCHAR name[8];
    DWORD chars = 8;
    LONG rc = RegEnumKeyExW(walk, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
    return rc == ERROR_SUCCESS ? std::u16string(name) : u"rc " + ce::text::FromUtf8(std::to_string(rc));
  };
  EXPECT_EQ(u"a", value_at(0));
  EXPECT_EQ(u"b", value_at(1));
  EXPECT_EQ(u"b", value_at(1));  // asked again
  EXPECT_EQ(u"c", value_at(2));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(walk, u"a"));
  EXPECT_EQ(u"d", value_at(2));
  {
    ce::testing::PeerProcess peer(ce::DeviceFolder(), {"reg-delete", "SOFTWARE\\Walk", "b"});
    ASSERT_EQ(0, peer.Wait());
  }
  EXPECT_EQ(u"e", value_at(2));
  EXPECT_EQ(u"f", value_at(3));
  EXPECT_EQ(u"rc 259", value_at(4));  // ERROR_NO_MORE_ITEMS
  EXPECT_EQ(u"c", value_at(0));

  EXPECT_EQ(u"a", key_at(0));
  EXPECT_EQ(u"b", key_at(1));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(walk, u"a"));
  EXPECT_EQ(u"d", key_at(2));
  EXPECT_EQ(u"e", key_at(3));
  EXPECT_EQ(u"f", key_at(4));
  EXPECT_EQ(u"rc 259", key_at(5));
  RegCloseKey(walk);
  RegCloseKey(other);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheTreeAndOpenHandlesSeeItGone) {
  HKEY a = Create(u"Software\\A");
  HKEY deep = Create(u"Software\\A\\B\\C");
  SetSz(deep, u"v", u"1");
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"software\\a"));
  HKEY k = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\A\\B", 0, 0, &k));
  DWORD size = 0;
  EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExW(deep, u"v", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExW(a, u"v", 0, REG_SZ, nullptr, 0));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\A"));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""));
  RegCloseKey(a);
  RegCloseKey(deep);
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(deep));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExW(deep, u"v", nullptr, nullptr, nullptr, &size));
}

TEST_F(RegistryTest, ShellHelpersReadAndWriteSingleValues) {
  const char16_t* key = u"\\SOFTWARE\\Morvane\\Velomar";
  EXPECT_EQ(S_OK, RegistrySetDWORD(HKEY_LOCAL_MACHINE, key, u"debug_info", 2));
  DWORD v = 7;
  EXPECT_EQ(S_OK, RegistryGetDWORD(HKEY_LOCAL_MACHINE, key, u"DEBUG_INFO", &v));
  EXPECT_EQ(2u, v);
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), RegistryGetDWORD(HKEY_LOCAL_MACHINE, key, u"absent", &v));
  EXPECT_EQ(0u, v);

  EXPECT_EQ(S_OK, RegistrySetString(HKEY_LOCAL_MACHINE, key, u"theme", u"Dark"));
  WCHAR text[200];
  EXPECT_EQ(S_OK, RegistryGetString(HKEY_LOCAL_MACHINE, key, u"Theme", text, 200));
  EXPECT_EQ(std::u16string(u"Dark"), text);
  EXPECT_EQ(E_INVALIDARG, RegistryGetString(HKEY_LOCAL_MACHINE, key, u"debug_info", text, 200));
  EXPECT_EQ(E_INVALIDARG, RegistryGetDWORD(HKEY_LOCAL_MACHINE, key, u"theme", &v));
  WCHAR small[3];
  EXPECT_TRUE(FAILED(RegistryGetString(HKEY_LOCAL_MACHINE, key, u"theme", small, 3)));
  EXPECT_EQ(0, small[0]);

  // A stored text without its terminator still comes back terminated.
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, 0, &k));
  const char16_t raw[] = {u'a', u'b'};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k, u"raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), 4));
  for (auto& c : text) c = u'x';
  EXPECT_EQ(S_OK, RegistryGetString(k, nullptr, u"raw", text, 200));
  EXPECT_EQ(std::u16string(u"ab"), text);
  RegCloseKey(k);
}

TEST_F(RegistryTest, ValuesSurviveReopeningTheStore) {
  HKEY k = Create(u"Software\\Keep");
  SetSz(k, u"x", u"kept");
  RegCloseKey(k);
  auto other = device_folder().string() + "-other";
  ce::SetDeviceFolder(other);
  WCHAR text[16];
  EXPECT_NE(S_OK, RegistryGetString(HKEY_LOCAL_MACHINE, u"Software\\Keep", u"x", text, 16));
  ce::SetDeviceFolder(device_folder());
  EXPECT_EQ(S_OK, RegistryGetString(HKEY_LOCAL_MACHINE, u"Software\\Keep", u"x", text, 16));
  EXPECT_EQ(std::u16string(u"kept"), text);
  std::filesystem::remove_all(other);
}

// A write waiting for another connection's lock is a point where a terminated thread ends: it
// gives up at once (not after the 10 s lock wait), rolls back, and the registry stays usable.
TEST_F(RegistryTest, AWriteWaitingForALockEndsWhenItsThreadIsTerminated) {
  HKEY key = Create(u"\\Software\\Blocked");
  sqlite3* other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open((device_folder() / "registry.db").c_str(), &other));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));

  struct Writer {
    HKEY key;
    std::atomic<bool> started{false}, returned{false}, unwound{false};
  } w{key};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* w = static_cast<Writer*>(p);
        struct Flag {
          std::atomic<bool>& f;
          ~Flag() { f = true; }
        } on_unwind{w->unwound};
        w->started = true;
        const DWORD one = 1;
        RegSetValueExW(w->key, u"blocked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
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
  SetSz(key, u"after", u"x");
  DWORD size = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, u"blocked", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, u"after", nullptr, nullptr, nullptr, &size));
  CloseHandle(t);
  RegCloseKey(key);
}

}  // namespace

// The store watches the wal-index for changes without touching SQLite's locks on it: another
// process opening the registry must see the file in use, or it resets it under this one.
TEST_F(RegistryTest, AnOpenRegistryKeepsItsSharedMemoryLocked) {
  HKEY k = Create(u"\\Software\\Lock");
  SetSz(k, u"v", u"1");
  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(k, u"v", nullptr, nullptr, nullptr, &size));
  EXPECT_TRUE(ce::testing::LockedByThisProcess(device_folder() / "registry.db-shm"));
  RegCloseKey(k);
}
