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

// Values written by other programs may have any type and size; they read as nothing or as the
// text they hold, never past their end.
TEST_F(SettingsTest, MalformedValuesReadAsNothingOrTheirText) {
  const auto put = [](const WCHAR* name, DWORD type, const std::basic_string<BYTE>& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, 0, 0, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
    RegCloseKey(key);
  };
  const auto text = [](std::size_t chars, bool terminated) {
    std::basic_string<BYTE> bytes;
    for (std::size_t i = 0; i < chars; ++i) bytes += {BYTE('a'), BYTE(0)};
    if (terminated) bytes += {BYTE(0), BYTE(0)};
    return bytes;
  };
  const struct {
    const char* name;
    DWORD type;
    std::basic_string<BYTE> bytes;
    std::u16string as_text;
    DWORD as_dword;
  } cases[] = {
      {"text of 199 without terminator", REG_SZ, text(199, false), std::u16string(199, u'a'), 0},
      {"text of 200 without terminator", REG_SZ, text(200, false), u"", 0},
      {"text of 5000", REG_SZ, text(5000, true), u"", 0},
      {"text of an odd byte count", REG_SZ, {BYTE('a'), 0, BYTE('b')}, u"a", 0},
      {"empty text", REG_SZ, {}, u"", 0},
      {"DWORD of 2 bytes", REG_DWORD, {1, 2}, u"", 0},
      {"DWORD of 8 bytes", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}, u"", 0},
      {"binary of 4 bytes", REG_BINARY, {1, 0, 0, 0}, u"", 0},
      {"binary of 2 bytes", REG_BINARY, {7, 0}, u"", 0},
  };
  CConfig config;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    put(u"value", c.type, c.bytes);
    EXPECT_EQ(config.GetString(u"value"), c.as_text);
    EXPECT_EQ(config.GetDWORD(u"value"), c.as_dword);
    BYTE read[16] = {};
    DWORD size = sizeof read;
    const LONG result = config.GetBinary(u"value", read, &size);
    EXPECT_EQ(result, c.bytes.size() <= sizeof read ? ERROR_SUCCESS : ERROR_MORE_DATA);
    EXPECT_EQ(size, c.bytes.size());
  }
  // Asking for the size alone, or with no size at all, is answered without touching memory.
  DWORD size = 0;
  EXPECT_EQ(config.GetBinary(u"value", nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  BYTE one[1];
  EXPECT_NE(config.GetBinary(u"value", one, nullptr), ERROR_SUCCESS);
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
