#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/connections/connmgr.h"
#include "platform/connections/ras.h"
#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"
#include "tests/platform/device/run_tool.h"

namespace {

using ConnectionsTest = ce::testing::DeviceTest;

// The handle of the active connection of that entry, or null.
HRASCONN Active(const std::u16string& name) {
  std::vector<RASCONN> conns(10);
  conns[0].dwSize = kDeviceRasConnSize;
  DWORD size = static_cast<DWORD>(conns.size() * sizeof(RASCONN)), count = 0;
  if (RasEnumConnections(conns.data(), &size, &count) != 0) return nullptr;
  for (DWORD i = 0; i < count; ++i)
    if (name == conns[i].szEntryName) return conns[i].hrasconn;
  return nullptr;
}

TEST_F(ConnectionsTest, PhonebookEntriesOf48Bytes) {
  ce::device::PutConnection({"Work VPN", "{11111111-2222-3333-4444-555555555555}", 0, 0, 0});
  std::vector<RASENTRYNAME> entries(50);
  entries[0].dwSize = sizeof(RASENTRYNAME);
  DWORD size = sizeof(RASENTRYNAME), count = 0;
  EXPECT_EQ(RasEnumEntries(nullptr, nullptr, entries.data(), &size, &count), ERROR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 96u);
  size = 2400;
  ASSERT_EQ(RasEnumEntries(nullptr, nullptr, entries.data(), &size, &count), 0u);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(std::u16string(entries[0].szEntryName), u"Internet");
  EXPECT_EQ(std::u16string(entries[1].szEntryName), u"Work VPN");
  entries[0].dwSize = 52;
  EXPECT_EQ(RasEnumEntries(nullptr, nullptr, entries.data(), &size, &count), ERROR_INVALID_SIZE);

  RASENTRY entry{};
  entry.dwSize = sizeof entry;
  DWORD entry_size = sizeof entry;
  WCHAR name[] = u"Internet";
  EXPECT_EQ(RasGetEntryProperties(nullptr, name, &entry, &entry_size, nullptr, nullptr), 0u);
  WCHAR missing[] = u"Nope";
  EXPECT_EQ(RasGetEntryProperties(nullptr, missing, &entry, &entry_size, nullptr, nullptr),
            ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

TEST_F(ConnectionsTest, ConnectByDestinationNetworkThenTrafficAndHangUp) {
  CONNMGR_CONNECTIONINFO info{};
  info.cbSize = sizeof info;
  info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
  info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
  info.guidDestNet = {0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
  ce::device::ScriptDelay("ras.connect", 2000);
  HANDLE connection = nullptr;
  ASSERT_EQ(ConnMgrEstablishConnection(&info, &connection), S_OK);
  HRASCONN h = Active(u"Internet");
  ASSERT_NE(h, nullptr);
  RASCONNSTATUS status{};
  status.dwSize = sizeof status;
  ASSERT_EQ(RasGetConnectStatus(h, &status), 0u);
  EXPECT_EQ(status.rasconnstate, RASCS_OpenPort);
  ASSERT_TRUE(AwaitThreadsInWait(1));
  AdvanceClock(2000);
  for (int i = 0; i < 500 && status.rasconnstate != RASCS_Connected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    RasGetConnectStatus(h, &status);
  }
  EXPECT_EQ(status.rasconnstate, RASCS_Connected);

  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"connection", "Internet", "connected", "1000", "2500"}).exit_code,
            0);
  RAS_STATS stats{};
  stats.dwSize = sizeof stats;
  ASSERT_EQ(RasGetLinkStatistics(h, 1, &stats), 0u);
  EXPECT_EQ(stats.dwBytesXmited + stats.dwBytesRcved, 3500u);
  EXPECT_EQ(RasGetLinkStatistics(h, 2, &stats), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  EXPECT_EQ(RasHangUp(h), 0u);
  EXPECT_EQ(Active(u"Internet"), nullptr);
  EXPECT_EQ(RasGetLinkStatistics(h, 1, &stats), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  // The radio going off drops a connection.
  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"connection", "Internet", "connected"}).exit_code, 0);
  EXPECT_NE(Active(u"Internet"), nullptr);
  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"radio", "off"}).exit_code, 0);
  EXPECT_EQ(Active(u"Internet"), nullptr);
  EXPECT_EQ(ce::device::Connections()[0].state, 0);

  // Disabled for the Connection Manager: not used.
  std::u16string key = std::u16string(ce::device::kConnectionProviders) + u"\\Internet";
  ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, key.c_str(), u"enabled", 0), S_OK);
  EXPECT_EQ(ConnMgrEstablishConnection(&info, &connection), E_FAIL);
  info.guidDestNet.Data1 = 1;
  EXPECT_EQ(ConnMgrEstablishConnection(&info, &connection), E_FAIL);
  info.cbSize = 12;
  EXPECT_EQ(ConnMgrEstablishConnection(&info, &connection), E_INVALIDARG);
}

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST_F(ConnectionsTest, StatusMessageReachesSubscribedWindowsOnChangesByTheTool) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = u"ConnTestWindow";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND hwnd = CreateWindowExW(0, u"ConnTestWindow", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_EQ(ConnMgrRegisterForStatusNotification(TRUE, hwnd), S_OK);
  UINT status_message = RegisterWindowMessageW(CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG);

  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"connection", "Internet", "connected"}).exit_code, 0);
  bool got = false;
  for (int i = 0; i < 500 && !got; ++i) {
    MSG m;
    while (PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE)) got = got || m.message == status_message;
    if (!got) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(got);

  // Traffic alone is no change of state.
  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"connection", "Internet", "connected", "5", "5"}).exit_code, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  MSG m;
  bool again = false;
  while (PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE)) again = again || m.message == status_message;
  EXPECT_FALSE(again);

  ConnMgrRegisterForStatusNotification(FALSE, hwnd);
  DestroyWindow(hwnd);
  UnregisterClassW(u"ConnTestWindow", nullptr);
}

}  // namespace
