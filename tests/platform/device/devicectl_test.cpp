#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <filesystem>
#include <thread>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/kernel/kernel.h"
#include "platform/notify/notify.h"
#include "platform/window/window.h"
#include "platform/testing/device_test.h"
#include "platform/testing/folder_states.h"
#include "tests/platform/device/run_tool.h"

namespace {

using ce::testing::RunDevicectl;
using ce::testing::StatusValue;
using DevicectlTest = ce::testing::DeviceTest;

TEST_F(DevicectlTest, SetCommandsShowInTheStatus) {
  struct Case {
    std::vector<std::string> command;
    const char* name;
    const char* shown;
  } cases[] = {
      {{"battery", "15"}, "battery.percent", "15"},
      {{"radio", "off"}, "radio.power", "0"},
      {{"ac", "on"}, "power.ac", "1"},
      {{"bluetooth", "discoverable"}, "bluetooth.mode", "2"},
      {{"wifi", "on"}, "wifi.radio", "1"},
      {{"signal", "-90"}, "signal.strength", "-90"},
      {{"calls", "010"}, "phone.calls", "10"},  // a leading zero is no octal number
      {{"band", "3g"}, "band", "2"},
      {{"ring", "vibrate"}, "ring.mode", "vibrate"},
      {{"set", "sim.pin", "0000"}, "sim.pin", "0000"},
      {{"set", "device.oem", "Polaris"}, "device.oem", "Polaris"},
      {{"connection", "Internet", "connected", "100", "200"}, "connection", ""},
  };
  for (const Case& c : cases) ASSERT_EQ(RunDevicectl(device_folder(), c.command).exit_code, 0) << c.command[0];
  std::string status = RunDevicectl(device_folder(), {"status"}).out;
  for (const Case& c : cases)
    if (*c.shown) {
      EXPECT_EQ(StatusValue(status, c.name), c.shown) << c.name;
    }
  EXPECT_NE(status.find("Internet {436EF144-B4FB-4863-A041-8F905A62C572} connected sent=100 received=200"),
            std::string::npos);
}

TEST_F(DevicectlTest, BadArgumentsAreRefusedAndChangeNothing) {
  const std::vector<std::vector<std::string>> bad = {
      {"cell", "1234"},
      {"cell", "x", "56"},
      {"cell", "1", "70000"},
      {"battery", "101"},
      {"battery", "-1"},
      {"battery", "15%"},
      {"radio", "maybe"},
      {"bluetooth", "3"},
      {"ring", "loud"},
      {"set", "radio.bogus", "1"},
      {"set", "radio.cell", "12a"},
      {"set", "radio.power", "2"},
      {"set", "sim.pin", "12"},
      {"refuse", "sim.unlock", "--times", "x"},
      {"delay", "x", "-5"},
      {"clock", "set", "2027-13-01", "00:00:00"},
      {"clock", "advance", "-1d"},
      {"fire", "0"},
      {"frobnicate"},
      {"status", "extra"},
      {"connection", "Nope", "connected"},
      {"os-version", "5.2.-1"},
      {"os-version", "+5.2.1"},
      {"refuse", "sim.unlock", "0x1FFFFFFFF"},
      {"refuse", "sim.unlok"},  // no such operation: the script would never be used
      {"refuse", "mapi.bogus"},
      {"delay", "nothing.here", "5"},
  };
  std::string before = RunDevicectl(device_folder(), {"status"}).out;
  // The refusals are independent, so they run side by side: one after another, each start of a
  // sanitized tool on a loaded machine took up to 5 s and the table ran past the test's time-out.
  std::vector<std::future<int>> codes;
  for (const auto& args : bad)
    codes.push_back(std::async(std::launch::async, [&] { return RunDevicectl(device_folder(), args).exit_code; }));
  for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_EQ(codes[i].get(), 2) << bad[i][0];
  std::string after = RunDevicectl(device_folder(), {"status"}).out;
  // Only the clock line may differ.
  EXPECT_EQ(before.substr(before.find("device.oem")), after.substr(after.find("device.oem")));
  // An empty device folder is no folder (it would pick another device).
  const auto empty = RunDevicectl({}, {"--device", "", "status"});
  EXPECT_EQ(empty.exit_code, 2);
  EXPECT_NE(empty.err.find("--device needs a folder"), std::string::npos) << empty.err;
}

TEST_F(DevicectlTest, StoredTextsArePrintedEscaped) {
  ASSERT_EQ(RunDevicectl(device_folder(), {"set", "device.oem", "A\x1b[2Jb\nc"}).exit_code, 0);
  ASSERT_EQ(RunDevicectl(device_folder(), {"connection-add", "two\nlines", "{436EF144-B4FB-4863-A041-8F905A62C573}"})
                .exit_code,
            0);
  const std::string status = RunDevicectl(device_folder(), {"status"}).out;
  EXPECT_EQ(StatusValue(status, "device.oem"), "A\\x1B[2Jb\\x0Ac");
  EXPECT_NE(status.find("connection         two\\x0Alines {436EF144"), std::string::npos) << status;
}

TEST_F(DevicectlTest, AFolderThatIsNotThereIsNoDevice) {
  const auto missing = device_folder() / "nosuch";
  const auto run = RunDevicectl(missing, {"status"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("no device folder"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(missing));
}

// The clock on a folder where it cannot be stored: refused with the reason (exit 1), never an empty
// offset in place of the good one (which would put every process of the device on the host's time).
TEST_F(DevicectlTest, AClockThatCannotBeStoredIsRefused) {
  const auto set_at = std::chrono::steady_clock::now();
  ASSERT_EQ(RunDevicectl(device_folder(), {"clock", "set", "2031-05-06", "07:08:09"}).exit_code, 0);
  for (const auto state : {ce::testing::FolderState::kFull, ce::testing::FolderState::kReadOnly}) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"clock", "set", "2040-01-01", "00:00:00"},
                                                 std::vector<std::string>{"clock", "advance", "3d"}}) {
      SCOPED_TRACE(args[1] + (state == ce::testing::FolderState::kFull ? " on a full folder" : " on a read-only one"));
      auto argv = args;
      argv.insert(argv.begin(), {"--device", device_folder().string()});
      auto run = ce::testing::RunWithFolderState(state, device_folder(), DEVICECTL_PATH, argv);
      if (!run.available) GTEST_SKIP() << "cannot make such a folder here: " << run.output;
      EXPECT_EQ(run.exit_code, 1) << run.output;
      EXPECT_NE(run.output.find("cannot set the device clock"), std::string::npos) << run.output;
    }
  }
  // The clock set first runs on in real time (on a loaded machine the refusals take a minute).
  const std::string clock = RunDevicectl(device_folder(), {"clock"}).out;
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - set_at);
  const std::size_t at = clock.find("utc   2031-05-06 07:");
  ASSERT_NE(at, std::string::npos) << clock;
  int minute = -1, second = -1;
  ASSERT_EQ(std::sscanf(clock.c_str() + at + 20, "%d:%d", &minute, &second), 2) << clock;
  const long long moved = (minute * 60 + second) - (8 * 60 + 9);
  EXPECT_GE(moved, 0) << clock;
  EXPECT_LE(moved, elapsed.count() + 1) << clock;
  EXPECT_FALSE(std::filesystem::exists(device_folder() / "clock.new"));
}

// A device model that cannot be read or written: every command says why on standard error and
// exits 1 (never 0 with nothing changed, or a new device's values shown as the current ones).
TEST_F(DevicectlTest, AModelThatCannotBeReadOrWrittenIsReported) {
  ASSERT_EQ(RunDevicectl(device_folder(), {"cell", "4242", "7"}).exit_code, 0);
  const std::vector<std::vector<std::string>> changes = {
      {"set", "radio.cell", "77"}, {"signal", "-80"}, {"refuse", "sim.unlock"}, {"effects", "clear"}};
  // Read-only: the model reads, each change is refused.
  for (const auto& args : changes) {
    SCOPED_TRACE(args[0]);
    auto argv = args;
    argv.insert(argv.begin(), {"--device", device_folder().string()});
    auto run = ce::testing::RunWithFolderState(ce::testing::FolderState::kReadOnly, device_folder(), DEVICECTL_PATH, argv);
    if (!run.available) GTEST_SKIP() << "cannot make a read-only folder here: " << run.output;
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.output.find("devicectl: cannot change the device model"), std::string::npos) << run.output;
  }
  EXPECT_EQ(StatusValue(RunDevicectl(device_folder(), {"status"}).out, "radio.cell"), "4242");

  // Damaged: the page that holds the values is overwritten.
  sqlite3* db = nullptr;
  const auto file = device_folder() / "hardware.db";
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master WHERE name='state'",
                     -1, &st, nullptr);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  const long page = sqlite3_column_int(st, 0), page_size = sqlite3_column_int(st, 1);
  sqlite3_finalize(st);
  sqlite3_close(db);
  {
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp((page - 1) * page_size);
    out << std::string(static_cast<std::size_t>(page_size), '\x5A');
  }
  for (const std::vector<std::string>& args : {std::vector<std::string>{"status"}, {"set", "radio.cell", "77"}}) {
    SCOPED_TRACE(args[0]);
    const auto r = RunDevicectl(device_folder(), args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("the device model " + file.string()), std::string::npos) << r.err;
  }
}

TEST_F(DevicectlTest, ListsAndFiresPendingUserNotifications) {
  std::filesystem::create_directories(device_folder() / "root" / "Program Files" / "Velomar");
  std::ofstream(device_folder() / "root" / "Program Files" / "Velomar" / "Velomar.exe") << "program";
  WCHAR app[] = u"\\Program Files\\Velomar\\Velomar.exe";
  WCHAR args[] = u"iddle_notification";
  CE_NOTIFICATION_TRIGGER trigger{};
  trigger.dwSize = sizeof trigger;
  trigger.dwType = CNT_TIME;
  trigger.lpszApplication = app;
  trigger.lpszArguments = args;
  trigger.stStartTime = {2026, 6, 2, 2, 9, 30, 0, 0};
  HANDLE h = CeSetUserNotificationEx(nullptr, &trigger, nullptr);
  ASSERT_NE(h, nullptr);
  std::string handle = std::to_string(reinterpret_cast<ULONG_PTR>(h));

  std::string list = RunDevicectl(device_folder(), {"notifications"}).out;
  EXPECT_NE(list.find(handle + " 2026-06-02 09:30:00 \\Program Files\\Velomar\\Velomar.exe iddle_notification"),
            std::string::npos)
      << list;
  EXPECT_EQ(RunDevicectl(device_folder(), {"fire", handle}).exit_code, 0);
  EXPECT_EQ(RunDevicectl(device_folder(), {"notifications"}).out, "");
  EXPECT_EQ(RunDevicectl(device_folder(), {"fire", handle}).exit_code, 2);
}

TEST_F(DevicectlTest, AnUnreadableNotificationTableIsReportedWithAnError) {
  std::ofstream(device_folder() / "notifications.db", std::ios::binary) << std::string(5000, 'x');
  for (const std::vector<std::string>& args : {std::vector<std::string>{"notifications"}, {"fire", "1"}}) {
    SCOPED_TRACE(args[0]);
    const auto r = RunDevicectl(device_folder(), args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot read the notifications of "), std::string::npos) << r.err;
  }
}

// The UTC reading `devicectl clock` printed, in seconds since 1970; -1 when there is none.
std::int64_t PrintedUtc(const std::string& out) {
  const auto at = out.find("utc   ");
  if (at == std::string::npos) return -1;
  std::tm fields{};
  std::istringstream in(out.substr(at + 6, 19));
  in >> std::get_time(&fields, "%Y-%m-%d %H:%M:%S");
  return in.fail() ? -1 : static_cast<std::int64_t>(timegm(&fields));
}

TEST_F(DevicectlTest, SetsAndMovesTheDeviceClock) {
  // The clock runs on in real time once set, and every start of the tool takes real time too
  // (seconds on a loaded machine): a reading lies between the time set and that time plus the
  // real time since the setting began.
  const auto began = std::chrono::steady_clock::now();
  const auto since_set = [&] {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began).count() + 1;
  };
  std::tm set_fields{};
  set_fields.tm_year = 2027 - 1900;
  set_fields.tm_mon = 0;
  set_fields.tm_mday = 2;
  set_fields.tm_hour = 3;
  set_fields.tm_min = 4;
  set_fields.tm_sec = 5;
  const std::int64_t set = timegm(&set_fields);
  ASSERT_EQ(RunDevicectl(device_folder(), {"clock", "set", "2027-01-02", "03:04:05"}).exit_code, 0);
  std::string out = RunDevicectl(device_folder(), {"clock"}).out;
  EXPECT_GE(PrintedUtc(out), set) << out;
  EXPECT_LE(PrintedUtc(out), set + since_set()) << out;
  ASSERT_EQ(RunDevicectl(device_folder(), {"clock", "advance", "2d"}).exit_code, 0);
  out = RunDevicectl(device_folder(), {"clock"}).out;
  EXPECT_GE(PrintedUtc(out), set + 2 * 86400) << out;
  EXPECT_LE(PrintedUtc(out), set + 2 * 86400 + since_set()) << out;
}

TEST_F(DevicectlTest, ScriptAndEffectsCommands) {
  std::vector<std::string> refuse = {"refuse", "line.equipment", "0x80000048", "--now", "--times", "2"};
  ASSERT_EQ(RunDevicectl(device_folder(), refuse).exit_code, 0);
  ASSERT_EQ(RunDevicectl(device_folder(), {"delay", "ril.celltower", "1500"}).exit_code, 0);
  std::string script = RunDevicectl(device_folder(), {"script"}).out;
  EXPECT_NE(script.find("line.equipment delay=0 refusals=2 code=0x80000048 now"), std::string::npos) << script;
  EXPECT_NE(script.find("ril.celltower delay=1500 refusals=0"), std::string::npos) << script;
  ASSERT_EQ(RunDevicectl(device_folder(), {"script", "clear"}).exit_code, 0);
  EXPECT_EQ(RunDevicectl(device_folder(), {"script"}).out, "");

  ce::device::Effect e;
  e.kind = "power";
  e.value = 0x200000;
  ce::device::Record(e);
  EXPECT_NE(RunDevicectl(device_folder(), {"effects", "power"}).out.find("power value=0x200000"), std::string::npos);
  EXPECT_EQ(RunDevicectl(device_folder(), {"sent"}).out, "");
  ASSERT_EQ(RunDevicectl(device_folder(), {"effects", "clear"}).exit_code, 0);
  EXPECT_TRUE(ce::device::Effects().empty());
}

}  // namespace

namespace {

std::atomic<int> g_posted{0};

LRESULT TargetProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_USER + 5) return static_cast<LRESULT>(wparam + lparam);
  if (msg == WM_USER + 6) {
    g_posted = static_cast<int>(wparam);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

TEST_F(DevicectlTest, SendsAndPostsToAProgramsWindowByClass) {
  EXPECT_EQ(RunDevicectl(device_folder(), {"send", "CtlTarget", "1029"}).exit_code, 1);  // no such window
  for (std::vector<std::string> bad : {std::vector<std::string>{"send", "CtlTarget"},
                                       std::vector<std::string>{"post", "CtlTarget", "x"},
                                       std::vector<std::string>{"send", "CtlTarget", "70000"}})
    EXPECT_EQ(RunDevicectl(device_folder(), bad).exit_code, 2);

  // The window lives on a thread of its own that answers while the tool waits.
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([ready] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TargetProc;
    wc.lpszClassName = u"CtlTarget";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, u"CtlTarget", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(w);
    UnregisterClassW(u"CtlTarget", nullptr);
  });
  WaitForSingleObject(ready, INFINITE);
  const auto sent = RunDevicectl(device_folder(), {"send", "CtlTarget", "1029", "5", "0x10"});
  EXPECT_EQ(sent.exit_code, 0);
  EXPECT_EQ(sent.out, "21\n");
  EXPECT_EQ(RunDevicectl(device_folder(), {"post", "CtlTarget", "1030", "9"}).exit_code, 0);
  owner.join();
  EXPECT_EQ(g_posted.load(), 9);
  CloseHandle(ready);
}

}  // namespace
