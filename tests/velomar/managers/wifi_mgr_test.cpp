// The Wi-Fi managers on the simulated device: the "Wifi" state value read as on or off, the radio
// switched through the wireless device services with the adapter powered down only when
// switching off, the broker's report of a change, and a device without the services.
#include <gtest/gtest.h>

#include <functional>

#include "platform/device/device.h"
#include "platform/libraries/library_seam.h"
#include "platform/registry/registry.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/WifiMgr.h"

namespace {

constexpr const WCHAR* kStateKey = u"System\\State\\Hardware";

class WifiMgrTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    velomar::seam::ResetMgrConfig();
    ce::libraries::LibrarySeam::Get().Reset();
    ce::device::SetInt("wifi.adapter", 0);
    ce::device::ClearEffects();
  }
  void TearDown() override {
    ce::libraries::LibrarySeam::Get().Reset();
    ManagerTest::TearDown();
  }
  bool ChangeAndWait(const std::function<void()>& change, const std::function<bool()>& done) {
    change();
    return DriveUntilReal(done);
  }
};

TEST_F(WifiMgrTest, StateValueAboveFiveReadsAsOn) {
  CWifiMgr wifi;
  wifi.Initialize();
  EXPECT_EQ(CWifiMgr::GetInstance(), &wifi);
  EXPECT_NE(wifi.GetAdapterName().find(u"WLAN1"), std::u16string::npos);
  const struct {
    DWORD value;
    int status;
  } cases[] = {{5, 0}, {6, 1}, {0, 0}, {0x12, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, kStateKey, u"Wifi", c.value), S_OK);
    wifi.RefreshStatus(0);
    EXPECT_EQ(wifi.GetStatus(), c.status);
  }
  StopWhileDriving([&] { wifi.Stop(); });
}

TEST_F(WifiMgrTest, SwitchingOffTurnsTheRadioOffAndPowersTheAdapterDown) {
  CWifiOssVcsMgr wifi;
  wifi.Initialize();
  ASSERT_TRUE(ChangeAndWait([&] { wifi.SetStatus(1, 0, 0, 0); }, [&] { return wifi.GetStatus() == 1; }));
  auto radio = ce::device::Effects("radio-state");
  ASSERT_EQ(radio.size(), 1u);
  EXPECT_EQ(radio[0].value, 1);
  EXPECT_TRUE(ce::device::Effects("device-power").empty()) << "switching on touches only the radio";

  ASSERT_TRUE(ChangeAndWait([&] { wifi.SetStatus(0, 0, 0, 0); }, [&] { return wifi.GetStatus() == 0; }));
  radio = ce::device::Effects("radio-state");
  ASSERT_EQ(radio.size(), 2u);
  EXPECT_EQ(radio[1].value, 0);
  const auto power = ce::device::Effects("device-power");
  ASSERT_EQ(power.size(), 1u);
  EXPECT_EQ(power[0].value, 4);
  StopWhileDriving([&] { wifi.Stop(); });
}

TEST_F(WifiMgrTest, BrokerReportOfTheStateValueRefreshes) {
  CBroker broker;
  CWifiOssVcsMgr wifi;
  wifi.Initialize();
  ASSERT_EQ(wifi.GetStatus(), 0);
  ce::device::SetInt("wifi.radio", 1);
  EXPECT_TRUE(DriveUntilReal([&] { return wifi.GetStatus() == 1; }));
  StopWhileDriving([&] { wifi.Stop(); });
}

TEST_F(WifiMgrTest, WithoutTheServicesOrAnEntryPointTheManagerIsUnavailable) {
  for (int ordinal : {0, 276, 273, 280}) {
    SCOPED_TRACE(ordinal);
    ce::libraries::LibrarySeam::Get().Reset();
    if (ordinal == 0)
      ce::libraries::LibrarySeam::Get().SetAbsent(u"ossvcs.dll");
    else
      ce::libraries::LibrarySeam::Get().SetOrdinalAbsent(u"ossvcs.dll", static_cast<WORD>(ordinal));
    CWifiOssVcsMgr wifi;
    wifi.Initialize();
    EXPECT_EQ(wifi.GetStatus(), -1);
    wifi.RefreshStatus(1);
    EXPECT_EQ(wifi.GetStatus(), -1);
    StopWhileDriving([&] { wifi.Stop(); });
  }
}

}  // namespace
