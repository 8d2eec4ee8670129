#include "platform/notify/notify.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/notify/notify_launch.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch_seam.h"
#include "platform/testing/device_process.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace {

const char16_t* const kVelomar = u"\\Program Files\\Velomar\\Velomar.exe";

class NotifyTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    auto dir = device_folder() / "root" / "Program Files" / "Velomar";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Velomar.exe") << "program";
    ce::shell::ClearRecordedLaunches();
  }

  static HANDLE Arm(const char16_t* args, WORD hour, WORD minute, WORD year = 2026, HANDLE replace = nullptr) {
    CE_NOTIFICATION_TRIGGER t{};
    t.dwSize = 52;
    t.dwType = CNT_TIME;
    t.lpszApplication = const_cast<LPWSTR>(kVelomar);
    t.lpszArguments = const_cast<LPWSTR>(args);
    t.stStartTime = SYSTEMTIME{year, 6, 0, 1, hour, minute, 0, 0};
    return CeSetUserNotificationEx(replace, &t, nullptr);
  }
};

TEST_F(NotifyTest, NotificationAtTenIsListedFiredWithItsProgramAndGone) {
  SetSystemTimeUtc(SYSTEMTIME{2026, 6, 1, 1, 9, 0, 0, 0});  // time zone UTC: local 09:00
  HANDLE h = Arm(u"timer_notification_03_07", 10, 0);
  ASSERT_NE(nullptr, h);

  // Listed, with program and arguments, as the programs read it back.
  HANDLE handles[500];
  DWORD count = 0;
  ASSERT_TRUE(CeGetUserNotificationHandles(handles, 500, &count));
  ASSERT_EQ(1u, count);
  EXPECT_EQ(h, handles[0]);
  BYTE buffer[1024];
  DWORD needed = 0;
  ASSERT_TRUE(CeGetUserNotification(h, sizeof buffer, &needed, buffer));
  auto* info = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer);
  EXPECT_EQ(std::u16string(kVelomar), info->pcent->lpszApplication);
  EXPECT_EQ(std::u16string(u"timer_notification_03_07"), info->pcent->lpszArguments);
  EXPECT_EQ(10, info->pcent->stStartTime.wHour);
  EXPECT_FALSE(CeGetUserNotification(h, 16, &needed, buffer));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_GT(needed, 16u);

  AdvanceClock(60 * 60 * 1000 - 1);  // 09:59:59.999
  EXPECT_TRUE(ce::notify::FireDueNotifications().empty());
  AdvanceClock(1);
  auto fired = ce::notify::FireDueNotifications();
  ASSERT_EQ(1u, fired.size());
  EXPECT_EQ(0u, fired[0].error);
  auto launches = ce::shell::RecordedLaunches();
  ASSERT_EQ(1u, launches.size());
  EXPECT_EQ(std::u16string(kVelomar), launches[0].program);
  EXPECT_EQ(u"timer_notification_03_07", launches[0].command_line);

  EXPECT_TRUE(ce::notify::ListNotifications().empty());
  EXPECT_TRUE(ce::notify::FireDueNotifications().empty());  // fires once
  EXPECT_FALSE(CeClearUserNotification(h));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(NotifyTest, ClearingOrMovingBeforeTheTimeStopsIt) {
  SetSystemTimeUtc(SYSTEMTIME{2026, 6, 1, 1, 9, 0, 0, 0});
  HANDLE cleared = Arm(u"iddle_notification", 10, 0);
  HANDLE moved = Arm(u"timer_notification_01_02", 10, 0);
  HANDLE kept = Arm(u"timer_notification_02_03", 10, 0);
  ASSERT_TRUE(cleared && moved && kept);
  EXPECT_TRUE(CeClearUserNotification(cleared));
  EXPECT_EQ(moved, Arm(u"timer_notification_01_02", 11, 30, 2026, moved));

  auto list = ce::notify::ListNotifications();
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(kept, list[0].handle);  // earliest first
  EXPECT_EQ(11, list[1].start.wHour);

  AdvanceClock(60 * 60 * 1000);
  auto fired = ce::notify::FireDueNotifications();
  ASSERT_EQ(1u, fired.size());
  EXPECT_EQ(u"timer_notification_02_03", fired[0].notification.arguments);
  AdvanceClock(90 * 60 * 1000);
  fired = ce::notify::FireDueNotifications();
  ASSERT_EQ(1u, fired.size());
  EXPECT_EQ(moved, fired[0].notification.handle);
}

TEST_F(NotifyTest, BadTriggersAreRefused) {
  CE_NOTIFICATION_TRIGGER t{};
  t.dwSize = 52;
  t.dwType = CNT_TIME;
  t.lpszApplication = const_cast<LPWSTR>(kVelomar);
  t.stStartTime = SYSTEMTIME{2026, 2, 0, 30, 10, 0, 0, 0};  // no 30th of February
  EXPECT_EQ(nullptr, CeSetUserNotificationEx(nullptr, &t, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  t.stStartTime.wDay = 28;
  t.dwSize = 40;
  EXPECT_EQ(nullptr, CeSetUserNotificationEx(nullptr, &t, nullptr));
  t.dwSize = 52;
  t.dwType = CNT_EVENT;
  EXPECT_EQ(nullptr, CeSetUserNotificationEx(nullptr, &t, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
  t.dwType = CNT_TIME;
  t.lpszApplication = nullptr;
  EXPECT_EQ(nullptr, CeSetUserNotificationEx(nullptr, &t, nullptr));
  t.lpszApplication = const_cast<LPWSTR>(kVelomar);
  EXPECT_EQ(nullptr, CeSetUserNotificationEx(reinterpret_cast<HANDLE>(12345), &t, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  DWORD count = 7;
  EXPECT_TRUE(CeGetUserNotificationHandles(nullptr, 0, &count));
  EXPECT_EQ(0u, count);
}

TEST_F(NotifyTest, AnUnreadableTableIsAnErrorNotAnEmptyList) {
  std::ofstream(device_folder() / "notifications.db", std::ios::binary) << std::string(5000, 'x');
  DWORD count = 7;
  EXPECT_FALSE(CeGetUserNotificationHandles(nullptr, 0, &count));
  EXPECT_NE(0u, GetLastError());
  DWORD needed = 0;
  EXPECT_FALSE(CeGetUserNotification(reinterpret_cast<HANDLE>(1), 0, &needed, nullptr));
  EXPECT_NE(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(nullptr, Arm(u"x", 10, 0));
  EXPECT_NE(0u, GetLastError());
}

// Runs the launcher program once on the device; answers its output (standard error too, when
// `err` is given) and its exit code in `*code`.
std::string RunLauncher(const std::filesystem::path& device, const char* mode, int* code = nullptr,
                        std::string* err = nullptr) {
  ce::testing::ToolRun run = ce::testing::RunDeviceTool(NOTIFY_LAUNCHER_PATH, device, {mode}, err != nullptr);
  if (code) *code = run.code;
  if (err) *err = run.err;
  return run.out;
}

TEST_F(NotifyTest, TheLauncherReportsAnUnreadableTableAndFails) {
  std::ofstream(device_folder() / "notifications.db", std::ios::binary) << std::string(5000, 'x');
  for (const char* mode : {"--list", "--once"}) {
    SCOPED_TRACE(mode);
    int code = 0;
    std::string err;
    EXPECT_EQ("", RunLauncher(device_folder(), mode, &code, &err));
    EXPECT_EQ(1, code);
    EXPECT_NE(std::string::npos, err.find("cannot read the notifications of ")) << err;
  }
}

TEST_F(NotifyTest, TheLauncherRefusesAnEmptyDeviceFolder) {
  // An empty folder would mean $CE_DEVICE_DIR or ./device: another device than asked.
  int code = 0;
  std::string err;
  EXPECT_EQ("", RunLauncher("", "--list", &code, &err));
  EXPECT_EQ(2, code);
  EXPECT_NE(std::string::npos, err.find("usage: notifylauncher")) << err;
}

// A launcher killed in the middle of a batch, again and again: every notification's program still
// starts exactly once (the program writes its argument to a file of the device).
TEST_F(NotifyTest, ALauncherKilledMidBatchLosesNoneAndFiresNoneTwice) {
  ASSERT_EQ(S_OK, RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", kVelomar,
                                    ce::text::FromUtf8(NOTIFY_TARGET_PATH).c_str()));
  constexpr int kNotifications = 300, kKills = 20;
  for (int i = 0; i < kNotifications; ++i) {
    const std::u16string args = u"n" + ce::text::FromUtf8(std::to_string(i));
    ASSERT_NE(nullptr, Arm(args.c_str(), 10, 0, 2020));
  }
  std::mt19937 random(16);
  int killed_mid_batch = 0;
  for (int k = 0; k < kKills; ++k) {
    auto launcher = ce::testing::StartDeviceToolWithOutput(NOTIFY_LAUNCHER_PATH, device_folder(), {"--once"});
    ASSERT_TRUE(launcher->started());
    // Killed a moment after its first start: somewhere inside the batch.
    if (launcher->ReadLine(20000)) {
      ++killed_mid_batch;
      usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
    }
    launcher->Kill();
    launcher->Wait();
  }
  EXPECT_GE(killed_mid_batch, kKills / 2);
  int code = -1;
  RunLauncher(device_folder(), "--once", &code);
  EXPECT_EQ(0, code);
  EXPECT_TRUE(ce::notify::ListNotifications().empty());

  // The programs may still be running: wait for every line.
  std::map<std::string, int> starts;
  for (int tries = 0; tries < 500; ++tries) {
    starts.clear();
    std::ifstream log(device_folder() / "started.log");
    std::string line;
    int lines = 0;
    while (std::getline(log, line)) ++starts[line], ++lines;
    if (lines >= kNotifications) break;
    usleep(20000);
  }
  for (int i = 0; i < kNotifications; ++i) EXPECT_EQ(1, starts["n" + std::to_string(i)]) << "n" << i;
  EXPECT_EQ(static_cast<std::size_t>(kNotifications), starts.size());
}

TEST_F(NotifyTest, LauncherProcessStartsWhatIsDueOnTheDeviceClock) {
  // The launcher runs on the device's own clock (the host's, here): one notification long past,
  // one far ahead. The past one starts a real host program mapped to the CE path.
  auto marker = device_folder() / "fired-marker";
  ASSERT_EQ(S_OK, RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", kVelomar, u"/usr/bin/touch"));
  std::u16string args(marker.u16string());
  ASSERT_NE(nullptr, Arm(args.c_str(), 10, 0, 2020));
  HANDLE later = Arm(u"timer_notification_05_01", 10, 0, 2099);
  ASSERT_NE(nullptr, later);

  std::string listed = RunLauncher(device_folder(), "--list");
  EXPECT_NE(std::string::npos, listed.find("2020-06-01 10:00:00 \\Program Files\\Velomar\\Velomar.exe")) << listed;
  EXPECT_NE(std::string::npos, listed.find("2099-06-01 10:00:00")) << listed;

  std::string out = RunLauncher(device_folder(), "--once");
  EXPECT_EQ("started \\Program Files\\Velomar\\Velomar.exe " + marker.string() + "\n", out);
  for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) usleep(20000);
  EXPECT_TRUE(std::filesystem::exists(marker));
  auto left = ce::notify::ListNotifications();
  ASSERT_EQ(1u, left.size());
  EXPECT_EQ(later, left[0].handle);
  EXPECT_EQ("", RunLauncher(device_folder(), "--once"));
}

}  // namespace
