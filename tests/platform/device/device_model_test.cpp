#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/device/device_watch.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"
#include "tests/platform/device/run_tool.h"

namespace {

using DeviceModelTest = ce::testing::DeviceTest;

TEST_F(DeviceModelTest, NewDeviceSeedsItsStateValuesAndKnowsOnlyItsNames) {
  EXPECT_EQ(ce::device::GetInt("radio.cell"), 1001);
  DWORD status = 7;
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kStatePhone, u"Status", &status), S_OK);
  EXPECT_EQ(status, 0u);
  DWORD mode = 7;
  EXPECT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kUmtsKey, u"OpMode", &mode), S_OK);
  EXPECT_EQ(mode, 0u);
  // The backlight levels a program presets its dialog with are there from the start.
  DWORD battery = 0, external = 0;
  EXPECT_EQ(RegistryGetDWORD(HKEY_CURRENT_USER, ce::device::kBacklightKey, u"BrightNess", &battery), S_OK);
  EXPECT_EQ(RegistryGetDWORD(HKEY_CURRENT_USER, ce::device::kBacklightKey, u"ACBrightNess", &external), S_OK);
  EXPECT_EQ(battery, ce::device::kFactoryBacklightBattery);
  EXPECT_EQ(external, ce::device::kFactoryBacklightExternal);
  EXPECT_GT(battery, 0u);
  EXPECT_GT(external, 0u);
  WCHAR guid[64];
  std::u16string key = std::u16string(ce::device::kConnectionProviders) + u"\\Internet";
  EXPECT_EQ(RegistryGetString(HKEY_LOCAL_MACHINE, key.c_str(), u"ConnectionGUID", guid, 64), S_OK);

  EXPECT_FALSE(ce::device::SetInt("radio.nonsense", 1));
  EXPECT_FALSE(ce::device::SetInt("sim.pin", 1));     // a text
  EXPECT_FALSE(ce::device::SetText("radio.cell", "1"));  // a number
  EXPECT_FALSE(ce::device::SetInt("bluetooth.mode", 3));
  EXPECT_FALSE(ce::device::SetInt("radio.lac", -1));
  EXPECT_FALSE(ce::device::SetText("sim.pin", "123456789"));
  EXPECT_EQ(ce::device::GetInt("radio.cell"), 1001);
}

TEST_F(DeviceModelTest, ScriptRefusalsAreUsedUpAndDelaysStay) {
  ce::device::ScriptDelay("x.op", 250);
  ce::device::ScriptRefusal("x.op", 5, false, 2);
  for (int i = 0; i < 3; ++i) {
    ce::device::Reply r = ce::device::TakeReply("x.op");
    EXPECT_EQ(r.delay_ms, 250u);
    EXPECT_EQ(r.refused, i < 2);
    EXPECT_EQ(r.code, i < 2 ? 5 : 0);
  }
  EXPECT_FALSE(ce::device::TakeReply("other.op").refused);
  ce::device::ClearScript();
  EXPECT_TRUE(ce::device::Script().empty());
}

TEST_F(DeviceModelTest, ConcurrentReadModifyWritesLoseNothing) {
  ce::device::SetInt("phone.calls", 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 25; ++i)
        ce::device::Update([](ce::device::Transaction& tx) { tx.SetInt("phone.calls", tx.GetInt("phone.calls") + 1); });
    });
  // The tool in another process adds its part at the same time.
  for (int i = 0; i < 5; ++i) ce::testing::RunDevicectl(device_folder(), {"cell", std::to_string(2000 + i), "9"});
  for (auto& t : threads) t.join();
  EXPECT_EQ(ce::device::GetInt("phone.calls"), 100);
  EXPECT_EQ(ce::device::GetInt("radio.cell"), 2004);
}

TEST_F(DeviceModelTest, WatchersHearChangesFromAnotherProcessAndStopWhenUnsubscribed) {
  std::atomic<int> calls{0};
  ce::device::WatchId id = ce::device::Subscribe([&] { ++calls; });
  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"battery", "15"}).exit_code, 0);
  for (int i = 0; i < 500 && calls == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(calls.load(), 0);
  EXPECT_EQ(ce::device::GetInt("battery.percent"), 15);
  ce::device::Unsubscribe(id);
  int after = calls;
  ce::device::SetInt("battery.percent", 16);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(calls.load(), after);
}

}  // namespace

namespace {

TEST_F(DeviceModelTest, DamagedDatabaseReadsAsANewDeviceAndRefusesChanges) {
  {
    std::ofstream junk(device_folder() / "hardware.db", std::ios::binary);
    junk << std::string(4096, '\x5A');
  }
  EXPECT_EQ(ce::device::GetInt("sim.state"), 2);
  EXPECT_EQ(ce::device::GetInt("radio.cell"), 1001);
  EXPECT_EQ(ce::device::GetText("sim.pin"), "1234");
  EXPECT_FALSE(ce::device::SetInt("radio.cell", 5));
  EXPECT_TRUE(ce::device::Connections().empty());
  EXPECT_FALSE(ce::device::TakeReply("x.op").refused);
  ce::testing::ToolResult status = ce::testing::RunDevicectl(device_folder(), {"status"});
  EXPECT_NE(status.exit_code, 0);
  EXPECT_NE(ce::testing::RunDevicectl(device_folder(), {"battery", "10"}).exit_code, 0);
}

}  // namespace
