// The application object in this process: the time-limit notifications it leaves at exit, the
// relaunch after a requested restart (started by the notification launcher), the broker reached
// from another process, and a shutdown while managers announce changes on several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/msgqueue/msgqueue.h"
#include "platform/notify/notify.h"
#include "platform/power/power.h"
#include "platform/time/time.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/app/AppConnMgr.h"
#include "velomar/core/managers/Mgr.h"

namespace {

class CountingListener : public IStatusListener, public IBrokerListener {
 public:
  void StatusChanged(int, int, int) override { ++calls; }
  std::u16string GetName() override { return u"counter"; }
  void OnStateChanged(DWORD notification) override {
    std::lock_guard<std::mutex> lock(mutex);
    states.push_back(notification);
  }
  std::atomic<int> calls{0};
  std::mutex mutex;
  std::vector<DWORD> states;
};

class AppObjectTest : public velomar_test::ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    // The manual clock shows the host's time, so that what this process arms falls due for the
    // launcher and the tools, which run on the host's clock.
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    SYSTEMTIME at{};
    at.wYear = static_cast<WORD>(utc.tm_year + 1900);
    at.wMonth = static_cast<WORD>(utc.tm_mon + 1);
    at.wDay = static_cast<WORD>(utc.tm_mday);
    at.wHour = static_cast<WORD>(utc.tm_hour);
    at.wMinute = static_cast<WORD>(utc.tm_min);
    at.wSecond = static_cast<WORD>(utc.tm_sec);
    SetSystemTimeUtc(at);
    // This test's own event log on this device (the application's start event goes to it).
    m_log = std::make_unique<CEventLog>();
    m_log->Start();
    velomar::seam::ResetMgrConfig();
  }
  void TearDown() override {
    if (m_log) StopWhileDriving([&] { m_log.reset(); });
    ProcessTest::TearDown();
  }
  void DestroyApp(std::unique_ptr<CAppConnMgr>& app) {
    DestroyMainWindowHere();
    StopWhileDriving([&] { app.reset(); });
  }
  std::unique_ptr<CEventLog> m_log;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

TEST_F(AppObjectTest, TimeLimitNotificationsGoAtExitAndARestartRelaunchesTheProgram) {
  auto app = std::make_unique<CAppConnMgr>();
  app->InitGUI();
  // Another program's notification, which must survive the exit.
  CE_NOTIFICATION_TRIGGER other{};
  other.dwSize = 52;
  other.dwType = CNT_TIME;
  std::u16string other_app = u"\\Windows\\calendar.exe";
  other.lpszApplication = other_app.data();
  GetLocalTime(&other.stStartTime);
  other.stStartTime.wYear += 1;
  ASSERT_NE(CeSetUserNotificationEx(nullptr, &other, nullptr), nullptr);

  CSpeakerMgr& speaker = app->GetSpeakerMgr();
  speaker.SetStatus(1, 15, 3, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return speaker.GetLastNotification() != nullptr; }));
  std::string listed = Devicectl({"notifications"});
  ASSERT_EQ(Count(listed, "timer_notification_02_03"), 1u) << listed;
  EXPECT_EQ(Count(listed, "\\Program Files\\Velomar\\Velomar.exe"), 1u) << listed;
  // 15 minutes ahead of now.
  SYSTEMTIME now{}, due{};
  GetLocalTime(&now);
  due = now;
  DT_AddDiff(&due, 600000000ull, 15, &now);
  char when[32];
  std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u", due.wYear, due.wMonth, due.wDay, due.wHour, due.wMinute);
  EXPECT_NE(listed.find(when), std::string::npos) << listed << " expected " << when;

  // A later change replaces it.
  HANDLE first = speaker.GetLastNotification();
  speaker.SetStatus(0, 5, 4, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return speaker.GetLastNotification() != first; }));
  listed = Devicectl({"notifications"});
  EXPECT_EQ(Count(listed, "timer_notification_02_03"), 0u) << listed;
  EXPECT_EQ(Count(listed, "timer_notification_02_04"), 1u) << listed;

  // The exit clears Velomar's own and, with the restart flag, arms the relaunch 10 s ahead.
  RequestRestart();
  DestroyApp(app);
  listed = Devicectl({"notifications"});
  const auto lines = Lines(listed);
  ASSERT_EQ(lines.size(), 2u) << listed;
  EXPECT_EQ(Count(listed, "calendar.exe"), 1u) << listed;
  EXPECT_EQ(Count(listed, "timer_notification"), 0u) << listed;
  const std::string relaunch = lines[0].find("Velomar.exe") != std::string::npos ? lines[0] : lines[1];
  EXPECT_EQ(relaunch.substr(relaunch.find("Velomar.exe")), "Velomar.exe ") << relaunch;  // no arguments
  StopWhileDriving([&] { m_log.reset(); });  // the relaunched program writes the log file now
  SetSetting(u"allow_windows_close_qxt", 1);  // so that the relaunched program can be closed

  // The launcher and the tools run on the device clock, which follows the host's clock: set an hour
  // behind this process's time, so that the relaunch (10 s ahead of it) is not due however long
  // the machine took so far.
  SYSTEMTIME armed{};
  GetSystemTime(&armed);
  FILETIME at{};
  ASSERT_TRUE(SystemTimeToFileTime(&armed, &at));
  const std::uint64_t hour_earlier = ((static_cast<std::uint64_t>(at.dwHighDateTime) << 32) | at.dwLowDateTime) -
                                     3600ull * 10'000'000ull;
  at = FILETIME{static_cast<DWORD>(hour_earlier), static_cast<DWORD>(hour_earlier >> 32)};
  SYSTEMTIME earlier{};
  ASSERT_TRUE(FileTimeToSystemTime(&at, &earlier));
  char date[32], time[32];
  std::snprintf(date, sizeof date, "%04u-%02u-%02u", earlier.wYear, earlier.wMonth, earlier.wDay);
  std::snprintf(time, sizeof time, "%02u:%02u:%02u", earlier.wHour, earlier.wMinute, earlier.wSecond);
  Tool({"clock", "set", date, time});
  // Not yet due: a launcher's turn starts nothing.
  EXPECT_EQ(RunTool(NOTIFY_LAUNCHER_PATH, {"--once"}), "");
  EXPECT_EQ(Count(EventLogText(), "Velomar starting"), 1u);
  // The running launcher starts the installed program once the device clock passes the time.
  auto launcher = ce::testing::StartDeviceToolWithOutput(NOTIFY_LAUNCHER_PATH, device_folder());
  ASSERT_TRUE(launcher->started());
  Tool({"clock", "advance", "3610s"});
  for (int i = 0; i < 600 && Count(EventLogText(), "Velomar starting") < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Count(EventLogText(), "Velomar starting"), 2u) << EventLogText();
  // The relaunched program runs hidden until closed: its notification is gone and none is left.
  ASSERT_TRUE(WaitForMainWindow(true));
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForMainWindow(false, 60000));
  for (int i = 0; i < 600 && Count(Devicectl({"notifications"}), "Velomar.exe") > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  launcher->Terminate();
  launcher->Wait();
  std::string out;
  while (auto line = launcher->ReadLine()) out += *line + "\n";
  EXPECT_EQ(Count(out, "started \\Program Files\\Velomar\\Velomar.exe"), 1u) << out;
  EXPECT_EQ(Count(Devicectl({"notifications"}), "calendar.exe"), 1u);
}

TEST_F(AppObjectTest, AWifiChangeFromTheControlToolReachesABrokerListener) {
  auto app = std::make_unique<CAppConnMgr>();
  CountingListener listener;
  CBroker& broker = app->GetBroker();
  broker.AddListener(&listener);
  HREGNOTIFY notification = nullptr;
  ASSERT_EQ(broker.RegisterNotification(HKEY_LOCAL_MACHINE, u"System\\State\\Hardware", u"Wifi", 0xFFFFFFFF,
                                        &notification, 0),
            S_OK);
  int code = -1;
  Devicectl({"wifi", "on"}, &code);
  ASSERT_EQ(code, 0);
  const DWORD expected = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(notification));
  ASSERT_TRUE(DriveClockUntil([&] {
    std::lock_guard<std::mutex> lock(listener.mutex);
    return !listener.states.empty();
  }, 120'000, 100));
  {
    std::lock_guard<std::mutex> lock(listener.mutex);
    EXPECT_EQ(listener.states[0], expected);
  }
  // Messages that are not notifications (too short, too long for the read) reach no listener.
  MSGQUEUEOPTIONS options{};
  options.dwSize = 20;
  options.dwFlags = MSGQUEUE_ALLOW_BROKEN;
  options.cbMaxMessage = 4112;
  options.bReadAccess = FALSE;
  HANDLE writer = CreateMsgQueue(u"BROKER_QUEUE_NAME", &options);
  ASSERT_NE(writer, nullptr);
  BYTE junk[2000] = {1, 2, 3};
  ASSERT_TRUE(WriteMsgQueue(writer, junk, 2, 0, 0));
  ASSERT_TRUE(WriteMsgQueue(writer, junk, sizeof junk, 0, 0));
  DWORD marker = 0x5A5A;
  ASSERT_TRUE(WriteMsgQueue(writer, &marker, sizeof marker, 0, 0));
  ASSERT_TRUE(DriveClockUntil([&] {
    std::lock_guard<std::mutex> lock(listener.mutex);
    return listener.states.back() == marker;
  }, 120'000, 100));
  {
    std::lock_guard<std::mutex> lock(listener.mutex);
    EXPECT_EQ(listener.states.size(), 2u);
  }
  CloseMsgQueue(writer);
  broker.RemoveListener(&listener);
  RegistryCloseNotification(notification);
  DestroyApp(app);
}

TEST_F(AppObjectTest, TheInstallSeedsTheSettingsTheProgramNeeds) {
  const struct {
    const char16_t* name;
    const char16_t* text;  // null: a number
    DWORD number;
  } seeds[] = {
      {u"mgr_config", u"2222222222", 0}, {u"language", u"en", 0},          {u"events_log_write_to_file", nullptr, 1},
      {u"events_log_file_max_size", nullptr, 100}, {u"events_log_items_screen", nullptr, 200},
      {u"cell_history_list_number", nullptr, 100}, {u"seconds_idle", nullptr, 60}, {u"tray_icon", nullptr, 1},
      {u"today_print_place", nullptr, 1}, {u"location_mode", nullptr, 1}, {u"allow_ril_notifications", nullptr, 1},
  };
  for (const auto& seed : seeds) {
    SCOPED_TRACE(ce::text::ToUtf8(seed.name));
    if (seed.text) {
      WCHAR text[64] = {};
      DWORD size = sizeof text;
      ASSERT_EQ(RegistryGetString(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, seed.name, text, size / 2), S_OK);
      EXPECT_EQ(std::u16string(text), seed.text);
    } else {
      DWORD value = 0;
      ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, seed.name, &value), S_OK);
      EXPECT_EQ(value, seed.number);
    }
  }
  // Installing again keeps what the user changed.
  SetSetting(u"language", std::u16string(u"es"));
  ASSERT_TRUE(velomar::InstallVelomar());
  WCHAR text[16] = {};
  ASSERT_EQ(RegistryGetString(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, u"language", text, 16), S_OK);
  EXPECT_EQ(std::u16string(text), u"es");
}

TEST_F(AppObjectTest, TheControlToolShowsWhatTheManagersDidToTheDevice) {
  SetSetting(u"mgr_config", std::u16string(u"2222222222"));
  velomar::seam::ResetMgrConfig();
  auto app = std::make_unique<CAppConnMgr>();
  std::string effects;
  const auto shows = [&](const char* what) {
    effects = Devicectl({"effects"});
    return effects.find(what) != std::string::npos;
  };
  app->GetCpuMgr().SetStatus(POWER_STATE_IDLE, 0, 0, 0);
  EXPECT_TRUE(DriveClockUntil([&] { return shows("power body=options=0x1000 value=0x100000"); }, 60'000, 100)) << effects;
  app->GetBeamMgr().SetStatus(1, 0, 0, 0);
  EXPECT_TRUE(DriveClockUntil([&] { return shows("obex value=0x1040020"); }, 60'000, 100)) << effects;
  EXPECT_TRUE(shows("obex value=0x1040004")) << effects;
  app->GetCallForwardMgr().SetNumber(u"600111222");
  app->GetCallForwardMgr().SetStatus(1, 0, 0, 0);
  EXPECT_TRUE(DriveClockUntil([&] { return shows("forward to=600111222"); }, 60'000, 100)) << effects;
  app->GetBacklightMgr().SetStatus(2 * 65536 + 4, 0, 0, 0);
  EXPECT_TRUE(DriveClockUntil([&] { return shows("event to=BackLightChangeEvent"); }, 60'000, 100)) << effects;
  const std::string status = Devicectl({"status"});
  EXPECT_NE(status.find("backlight.battery  4"), std::string::npos) << status;
  EXPECT_NE(status.find("backlight.ac       2"), std::string::npos) << status;
  DestroyApp(app);
}

TEST_F(AppObjectTest, ShutdownWhileManagersAnnounceChangesOnSeveralThreads) {
  SetSetting(u"mgr_config", std::u16string(u"2222222222"));
  velomar::seam::ResetMgrConfig();
  CountingListener listener;
  for (int round = 0; round < 3; ++round) {
    auto app = std::make_unique<CAppConnMgr>();
    std::vector<CMgr*> managers = {&app->GetSpeakerMgr(), &app->GetBeamMgr(), &app->GetCpuMgr(),
                                   &app->GetBacklightMgr()};
    for (CMgr* mgr : managers) mgr->AddStatusListener(&listener);
    std::atomic<bool> stop{false};
    std::vector<std::thread> firing;
    for (int t = 0; t < 4; ++t) {
      firing.emplace_back([&, t] {
        for (int i = 0; !stop.load(); ++i) {
          CMgr* mgr = managers[static_cast<std::size_t>((t + i) % 4)];
          if (mgr == &app->GetSpeakerMgr()) mgr->SetStatus(i % 3, 0, 0, 0);
          else if (mgr == &app->GetBeamMgr()) mgr->SetStatus(i % 2, 0, 0, 0);
          mgr->RefreshStatus(1);
          mgr->FireStatusChanged(t);
        }
      });
    }
    DriveClockUntil([&] { return listener.calls.load() > 200 * (round + 1); }, 10'000, 20);
    stop = true;
    for (auto& thread : firing) thread.join();
    // Changes still queued and running announce themselves while the object goes.
    DestroyApp(app);
    const int after = listener.calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(listener.calls.load(), after);
  }
  EXPECT_GT(listener.calls.load(), 0);
}

}  // namespace
