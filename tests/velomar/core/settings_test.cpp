// Settings: single values of the settings key, no defaults, the debug flag and the settings object
// that GetInstance answers.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry/registry.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/Config.h"

namespace {

class SettingsTest : public velomar_test::VelomarTest {};

TEST_F(SettingsTest, ValuesGoStraightToTheKeyAndAbsentOnesReadAsNothing) {
  CConfig config;
  EXPECT_EQ(config.GetString(u"mgr_config"), u"");
  EXPECT_EQ(config.GetDWORD(u"refresh_location"), 0u);

  config.SetString(u"language", u"es");
  config.SetDWORD(u"seconds_idle", 90);
  const BYTE pin[] = {1, 2, 3, 250};
  config.SetBinary(u"pin", pin, sizeof pin);

  // Another settings object on the same key sees the values at once.
  CRegistryKey other(velomar_test::kSettingsKey);
  EXPECT_EQ(other.GetString(u"LANGUAGE"), u"es");
  EXPECT_EQ(other.GetDWORD(u"seconds_idle"), 90u);
  BYTE read[100] = {};
  DWORD size = sizeof read;
  EXPECT_EQ(other.GetBinary(u"pin", read, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::basic_string<BYTE>(read, size), std::basic_string<BYTE>(pin, sizeof pin));
  size = 2;
  EXPECT_EQ(other.GetBinary(u"pin", read, &size), ERROR_MORE_DATA);

  // A value of another type reads as nothing.
  EXPECT_EQ(other.GetDWORD(u"language"), 0u);
  EXPECT_EQ(other.GetString(u"seconds_idle"), u"");
}

TEST_F(SettingsTest, AMissingKeyIsNeverCreated) {
  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey), ERROR_SUCCESS);
  CConfig config;
  config.SetDWORD(u"tray_icon", 1);
  config.SetString(u"theme", u"blue");
  const BYTE data[] = {1};
  config.SetBinary(u"pin", data, 1);
  EXPECT_EQ(config.GetDWORD(u"tray_icon"), 0u);
  BYTE read[4];
  DWORD size = sizeof read;
  EXPECT_EQ(config.GetBinary(u"pin", read, &size), ERROR_FILE_NOT_FOUND);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, 0, 0, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(SettingsTest, OnlyDebugInfoOneSwitchesTheDebugFlagOn) {
  const struct {
    const char* name;
    bool set;
    DWORD value;
    bool debug;
  } cases[] = {{"absent", false, 0, false}, {"2", true, 2, false}, {"0", true, 0, false}, {"1", true, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    velomar::seam::ClearDebugFlag();
    if (c.set) SetSetting(u"debug_info", c.value);
    CConfig config;
    EXPECT_EQ(CConfig::IsDebug(), c.debug);
  }
  // Once on, a later value other than 1 leaves it on.
  SetSetting(u"debug_info", 0);
  CConfig later;
  EXPECT_TRUE(CConfig::IsDebug());
  velomar::seam::ClearDebugFlag();
}

TEST_F(SettingsTest, GetInstanceAnswersTheRegisteredObjectAndFallsBackWhenItIsGone) {
  CConfig* before = CConfig::GetInstance();
  ASSERT_NE(before, nullptr);
  {
    CConfig member;
    EXPECT_EQ(CConfig::GetInstance(), &member);
  }
  CConfig* after = CConfig::GetInstance();
  ASSERT_NE(after, nullptr);
  after->SetDWORD(u"tray_icon", 1);
  EXPECT_EQ(after->GetDWORD(u"tray_icon"), 1u);
}

}  // namespace
