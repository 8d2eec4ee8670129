// The application object in this process, driven by the device's control tool run as a separate
// process: phonebook entries it adds are the connections manager's list and are connected through
// the Connection Manager; its Wi-Fi and Bluetooth changes reach their managers.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/device/device_names.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/registry/registry.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/app/AppConnMgr.h"

namespace {

class DeviceToolAppTest : public velomar_test::ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    velomar::seam::ResetMgrConfig();
    m_log = std::make_unique<CEventLog>();
    m_log->Start();
  }
  void TearDown() override {
    DestroyMainWindowHere();
    if (m_app) StopWhileDriving([&] { m_app.reset(); });
    if (m_log) StopWhileDriving([&] { m_log.reset(); });
    velomar::seam::ResetMgrConfig();
    ProcessTest::TearDown();
  }
  // The tool's status line of a phonebook entry.
  std::string ConnectionLine(const std::string& name) {
    const std::string status = Devicectl({"status"});
    const std::string head = "connection         " + name + " ";
    const auto at = status.find(head);
    return at == std::string::npos ? std::string() : status.substr(at, status.find('\n', at) - at);
  }
  std::unique_ptr<CEventLog> m_log;
  std::unique_ptr<CAppConnMgr> m_app;
};

TEST_F(DeviceToolAppTest, EntriesAddedByTheToolAreConnectedThroughTheConnectionManager) {
  // A new phone has "Internet"; two more, one of which loses its provider key.
  Tool({"connection-add", "Operator", "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}"});
  Tool({"connection-add", "Office", "{01234567-89AB-CDEF-0123-456789ABCDEF}"});
  HKEY providers = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, ce::device::kConnectionProviders, 0, 0, &providers), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(providers, u"Office"), ERROR_SUCCESS);
  RegCloseKey(providers);

  m_app = std::make_unique<CAppConnMgr>();
  m_app->InitGUI();
  CConnectionsMgr& connections = m_app->GetConnectionsMgr();
  ASSERT_EQ(connections.GetConnections().size(), 2u);
  EXPECT_EQ(connections.GetConnections()[0]->GetName(), u"Internet");
  EXPECT_EQ(connections.GetConnections()[1]->GetName(), u"Operator");
  EXPECT_EQ(connections.GetStatus(), 1);

  // No preferred connection: status 2 connects the first.
  connections.SetStatus(2, 0, 0, 0);
  std::string line;
  ASSERT_TRUE(DriveClockUntil([&] { return (line = ConnectionLine("Internet")).find(" connected ") != std::string::npos; },
                              60'000, 100))
      << line;
  EXPECT_NE(ConnectionLine("Operator").find(" disconnected "), std::string::npos);
  connections.NewEvent();
  EXPECT_EQ(connections.GetStatus(), 2);

  // The preferred one, once chosen, is the one connected.
  connections.SetPreferredConnection(u"Operator");
  connections.SetStatus(0, 0, 0, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return ConnectionLine("Internet").find(" disconnected ") != std::string::npos; },
                              60'000, 100));
  connections.SetStatus(2, 0, 0, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return ConnectionLine("Operator").find(" connected ") != std::string::npos; },
                              60'000, 100));
  EXPECT_NE(ConnectionLine("Internet").find(" disconnected "), std::string::npos);
}

TEST_F(DeviceToolAppTest, WifiAndBluetoothChangesOfTheToolReachTheirManagers) {
  Tool({"wifi", "off"});
  Tool({"bluetooth", "connectable"});
  m_app = std::make_unique<CAppConnMgr>();
  m_app->InitGUI();
  CWifiOssVcsMgr& wifi = *m_app->GetWifiMgr();
  CBTMgr& bt = m_app->GetBTMgr();
  ASSERT_EQ(wifi.GetStatus(), 0);
  ASSERT_EQ(bt.GetStatus(), 1);

  // The stack's notification lands in the Bluetooth manager's queue; the main window's handler
  // (called here) refreshes. Read before the clock moves: the manager's own reader takes records
  // only after its one-second start-up pause.
  Tool({"bluetooth", "discoverable"});
  BYTE record[1000];
  DWORD read = 0;
  DWORD flags = 0;
  bool arrived = false;
  for (int i = 0; i < 500 && !arrived; ++i) {
    arrived = ReadMsgQueue(bt.GetQueue(), record, sizeof record, &read, 0, &flags) != FALSE;
    if (!arrived) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(arrived);
  bt.OnBluetoothEvent();
  EXPECT_EQ(bt.GetStatus(), 2);

  // The broker's reader refreshes the Wi-Fi manager.
  Tool({"wifi", "on"});
  EXPECT_TRUE(DriveClockUntil([&] { return wifi.GetStatus() == 1; }, 60'000, 100));
}

}  // namespace
