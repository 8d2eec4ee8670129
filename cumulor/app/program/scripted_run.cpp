#include "cumulor/app/program/scripted_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/gps/gps_port.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr UINT_PTR kTimerId = 0x5C31;
constexpr UINT kTimerMs = 50;
constexpr std::uint32_t kDay = 86400;
constexpr std::uint32_t kHalfDay = 43200;

struct ShotState {
  AppContext* app = nullptr;
  WNDPROC original = nullptr;
  std::filesystem::path folder;
  std::vector<std::uint32_t> times;
  std::size_t next = 0;  // the first time not yet taken
  // The times in the flight's order, counted on past midnight from the first fix seen (a flight
  // across midnight reaches 00:10 after 23:50), and the flight's progress counted on likewise.
  bool anchored = false;
  std::vector<std::uint32_t> due;
  std::uint32_t lastReached = 0;
  std::uint32_t days = 0;
  int replaySpeed = -1;   // the replay window's list entry to choose, -1 none
  HWND replaySet = nullptr;  // the replay window whose speed was chosen
};

ShotState& State() {
  static ShotState state;
  return state;
}

// Every window of the program with a pending paint paints now (the main window, the replay
// window, their controls), so that the screen holds the whole current picture.
void PaintPendingWindows() {
  MSG msg;
  for (int i = 0; i < 256 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) DispatchMessageW(&msg);
}

bool Save(HWND hwnd, const std::string& name) {
  UpdateWindow(hwnd);  // the frame the new-fix handling drew reaches the screen first
  PaintPendingWindows();
  const std::filesystem::path file = State().folder / name;
  const bool saved = ce::display::SaveScreenshot(file);
  std::fprintf(stderr, "[screenshot] %s%s\n", file.c_str(), saved ? "" : " (not written)");
  return saved;
}

// Chooses the speed in a replay window that has just opened, as a user would in its list.
void ChooseReplaySpeed() {
  ShotState& s = State();
  HWND window = s.app->replayWindow.load();
  if (s.replaySpeed < 0 || !window || window == s.replaySet) return;
  s.replaySet = window;
  SendDlgItemMessageW(window, kIdReplaySpeed, CB_SETCURSEL, static_cast<WPARAM>(s.replaySpeed), 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdReplaySpeed, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(window, kIdReplaySpeed)));
}

// The time of day the flight has reached: the newest stored fix's. During a replay only a fix of
// the replayed flight counts (the simulator's fixes stored before it carry the clock's time).
bool ReachedFlightTime(AppContext& app, std::uint32_t& time) {
  GpsFix newest;
  if (GetFixBuffer(app.gps, &newest, 1) < 1) return false;
  if (!app.replayWindow.load()) {
    time = newest.timeOfDay;
    return true;
  }
  return IsReplayedFix(app.loadedFlight, newest) && (time = newest.timeOfDay, true);
}

void TakeDueShots(HWND hwnd) {
  ShotState& s = State();
  ChooseReplaySpeed();
  // In the simulator only a replay's fixes carry the flight's times (the simulated ones the clock's).
  if (s.app->simulator && !s.app->replayWindow.load()) return;
  std::uint32_t reached = 0;
  if (s.next >= s.times.size() || !ReachedFlightTime(*s.app, reached)) return;
  if (!s.anchored) {
    s.anchored = true;
    s.lastReached = reached;
    // A time more than half a day before the first fix belongs to the next day.
    for (std::uint32_t t : s.times) s.due.push_back(t < reached && reached - t > kHalfDay ? t + kDay : t);
    std::sort(s.due.begin(), s.due.end());
  }
  if (reached + kHalfDay < s.lastReached) s.days += kDay;  // past midnight
  s.lastReached = reached;
  const std::uint32_t now = reached + s.days;
  while (s.next < s.due.size() && now >= s.due[s.next]) {
    const std::uint32_t t = s.due[s.next++] % kDay;
    char name[32];
    std::snprintf(name, sizeof name, "fix-%02u%02u%02u.png", t / 3600, t / 60 % 60, t % 60);
    Save(hwnd, name);
  }
  if (s.next >= s.times.size() && s.replaySpeed < 0) KillTimer(hwnd, kTimerId);
}

LRESULT ShotWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ShotState& s = State();
  if (message == WM_TIMER && wParam == kTimerId) {
    TakeDueShots(hwnd);
    return 0;
  }
  if (message == kSaveScreenMessage) return Save(hwnd, "screen-" + std::to_string(wParam) + ".png") ? 1 : 0;
  if (message == WM_DESTROY) {
    KillTimer(hwnd, kTimerId);
    SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(s.original));
  }
  return CallWindowProcW(s.original, hwnd, message, wParam, lParam);
}

}  // namespace

bool IsReplayedFix(LoadedFlight& flight, const GpsFix& fix) {
  std::lock_guard<std::mutex> guard(flight.lock);
  if (!flight.fixes) return false;
  // The replayed fixes lie before the cursor, in time order: the newest is found near it.
  for (std::int32_t i = std::min(flight.cursor, flight.FixCount()) - 1; i >= 0; --i) {
    const GpsFix& f = flight.fixes[i];
    if (f.timeOfDay < fix.timeOfDay) return false;
    if (f.timeOfDay == fix.timeOfDay && f.position == fix.position) return true;
  }
  return false;
}

std::vector<std::uint32_t> ParseScreenshotTimes(const std::string& text, std::string* bad) {
  std::vector<std::uint32_t> times;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    unsigned h = 0, m = 0, sec = 0;
    char extra = 0;
    if (std::sscanf(item.c_str(), " %2u:%2u:%2u %c", &h, &m, &sec, &extra) == 3 && h < 24 && m < 60 && sec < 60) {
      times.push_back(h * 3600 + m * 60 + sec);
    } else if (bad && !item.empty()) {
      *bad += (bad->empty() ? "" : ",") + item;
    }
  }
  std::sort(times.begin(), times.end());
  return times;
}

int ReplaySpeedEntry(const std::string& text) {
  static const char* const kEntries[] = {"x1", "x10", "x100", "x1000", "Manual"};
  for (int i = 0; i < 5; ++i)
    if (text == kEntries[i]) return i;
  return -1;
}

void InstallScriptedRun(AppContext& app) {
  const char* times = std::getenv("CE_SCREENSHOT_TIMES");
  const char* folder = std::getenv("CE_SCREENSHOT_DIR");
  const char* speed = std::getenv("CE_REPLAY_SPEED");
  if ((!times || !*times) && (!folder || !*folder) && (!speed || !*speed)) return;
  ShotState& s = State();
  if (!app.mainWindow || s.original) return;  // once a run
  s.app = &app;
  s.folder = folder && *folder ? std::filesystem::path(folder) : std::filesystem::current_path();
  std::string bad;
  s.times = ParseScreenshotTimes(times ? times : "", &bad);
  s.next = 0;
  if (!bad.empty()) std::fprintf(stderr, "[screenshot] not times of day (HH:MM:SS): %s\n", bad.c_str());
  s.replaySpeed = speed && *speed ? ReplaySpeedEntry(speed) : -1;
  if (speed && *speed && s.replaySpeed < 0)
    std::fprintf(stderr, "[replay] not a replay speed (x1, x10, x100, x1000, Manual): %s\n", speed);
  s.original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(app.mainWindow, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ShotWindowProc)));
  if (!s.times.empty() || s.replaySpeed >= 0) SetTimer(app.mainWindow, kTimerId, kTimerMs, nullptr);
}

}  // namespace cumulor
