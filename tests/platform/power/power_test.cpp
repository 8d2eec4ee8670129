#include <gtest/gtest.h>

#include "platform/device/device.h"
#include "platform/device/device_identity.h"
#include "platform/device/device_names.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/library_seam.h"
#include "platform/power/power.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"

namespace {

using PowerTest = ce::testing::DeviceTest;

TEST_F(PowerTest, BatteryStatusFollowsTheModel) {
  SYSTEM_POWER_STATUS_EX2 s;
  EXPECT_EQ(GetSystemPowerStatusEx2(&s, 55, TRUE), 0u);
  EXPECT_EQ(GetSystemPowerStatusEx2(nullptr, 56, TRUE), 0u);
  struct Case {
    int percent, ac;
    BYTE flag;
  } cases[] = {{80, 0, BATTERY_FLAG_HIGH},
               {15, 1, BATTERY_FLAG_LOW | BATTERY_FLAG_CHARGING},
               {3, 0, BATTERY_FLAG_LOW | BATTERY_FLAG_CRITICAL},
               {255, 0, BATTERY_FLAG_UNKNOWN}};
  for (const Case& c : cases) {
    ce::device::SetInt("battery.percent", c.percent);
    ce::device::SetInt("power.ac", c.ac);
    ASSERT_EQ(GetSystemPowerStatusEx2(&s, sizeof s, TRUE), 56u);
    EXPECT_EQ(s.BatteryLifePercent, c.percent);
    EXPECT_EQ(s.ACLineStatus, c.ac);
    EXPECT_EQ(s.BatteryFlag, c.flag) << c.percent;
  }
  // The broker's "Main" value carries the percent in the high word and the AC line in the low.
  DWORD main = 0;
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kStateBattery, u"Main", &main), S_OK);
  EXPECT_EQ(main, 255u << 16);
}

TEST_F(PowerTest, PowerRequestsAreRecordedNotApplied) {
  EXPECT_EQ(SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE), ERROR_SUCCESS);
  EXPECT_EQ(SetSystemPowerState(nullptr, 0, 0), ERROR_INVALID_PARAMETER);
  auto power = ce::device::Effects("power");
  ASSERT_EQ(power.size(), 1u);
  EXPECT_EQ(power[0].value, POWER_STATE_SUSPEND);
  EXPECT_EQ(power[0].body, "options=0x1000");
  EXPECT_EQ(ce::device::GetInt("power.state"), POWER_STATE_SUSPEND);
}

TEST_F(PowerTest, WifiAdapterPowerFindsItsNameInThePowerStateKey) {
  // The adapter's name is found as the Wi-Fi manager finds it: a value name of the power state key.
  ce::device::GetInt("wifi.radio");  // a new device seeds its registry values
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, ce::device::kPowerStateKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  WCHAR name[101];
  DWORD chars = 101;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_EQ(SetDevicePower(name, POWER_NAME, D0), ERROR_SUCCESS);
  EXPECT_EQ(ce::device::GetInt("wifi.radio"), 1);
  DWORD wifi = 0;
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kStateHardware, u"Wifi", &wifi), S_OK);
  EXPECT_GT(wifi, 5u);
  EXPECT_EQ(SetDevicePower(name, POWER_NAME, D4), ERROR_SUCCESS);
  CEDEVICE_POWER_STATE state = D0;
  EXPECT_EQ(GetDevicePower(name, POWER_NAME, &state), ERROR_SUCCESS);
  EXPECT_EQ(state, D4);
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kStateHardware, u"Wifi", &wifi), S_OK);
  EXPECT_LE(wifi, 5u);
  WCHAR other[] = u"BKL1:";
  EXPECT_EQ(SetDevicePower(other, POWER_NAME, D0), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SetDevicePower(name, POWER_NAME, static_cast<CEDEVICE_POWER_STATE>(7)),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(PowerTest, BeamServiceControlCodes) {
  HANDLE obx = CreateFileW(u"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(obx, INVALID_HANDLE_VALUE);
  DWORD status = 9, returned = 0;
  EXPECT_TRUE(DeviceIoControl(obx, IOCTL_SERVICE_STOP, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(ce::device::GetInt("beam.receive"), 0);
  EXPECT_TRUE(DeviceIoControl(obx, IOCTL_SERVICE_START, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_TRUE(DeviceIoControl(obx, IOCTL_SERVICE_STATUS, nullptr, 0, &status, 4, &returned, nullptr));
  EXPECT_EQ(status, 1u);
  EXPECT_FALSE(DeviceIoControl(obx, IOCTL_SERVICE_STATUS, nullptr, 0, &status, 2, &returned, nullptr));
  EXPECT_FALSE(DeviceIoControl(obx, 0x1234, nullptr, 0, nullptr, 0, &returned, nullptr));
  CloseHandle(obx);
  EXPECT_EQ(ce::device::Effects("obex").size(), 3u);
}

TEST_F(PowerTest, VendorLibraryAndOemText) {
  HMODULE htc = LoadLibraryW(u"HTCUtil.dll");
  ASSERT_NE(htc, nullptr);
  EXPECT_NE(GetProcAddress(htc, u"HTCUtilSetOnPowerBrightnessLevel"), nullptr);
  FreeLibrary(htc);
  ce::libraries::LibrarySeam::Get().SetAbsent(u"HTCUtil.dll");
  EXPECT_EQ(LoadLibraryW(u"HTCUtil.dll"), nullptr);
  ce::libraries::LibrarySeam::Get().Reset();

  ce::device::SetText("device.oem", "Kaiser");
  WCHAR text[100];
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETOEMINFO, sizeof text, text, 0));
  EXPECT_EQ(std::u16string(text), u"Kaiser");
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETOEMINFO, 6, text, 0));
}

}  // namespace
