// The FLARM dialog: the ten voices to listen to and, in the simulator, the demonstration alarm.
#include <mutex>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/dialogs/dialogs.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr WORD kCmdZoomFirst = 40005;  // the zoom commands of the main window: 40005 + level

// Starts or ends the demonstration alarm.
void ToggleDemo(AppContext& app) {
  FlarmTraffic& t = Flarm();
  std::unique_lock<std::mutex> guard(t.lock);
  if (t.demo) {
    t.demo = 0;
    t.status.valid = 0;
    return;
  }
  const DWORD tick = GetTickCount();
  FlarmStatus& s = t.status;
  s.alarmLevel = 3;
  s.alarmType = 2;
  s.relativeBearing = static_cast<std::int32_t>(tick % 150) - 75;
  s.relativeVertical = static_cast<std::int32_t>(tick % 400) - 200;
  s.relativeDistance = static_cast<std::int32_t>(tick % 1000) + 150;
  const std::int32_t track = GetGpsStatus(app.gps).track;
  GeoDestination(app.mapCentre.lon, app.mapCentre.lat, static_cast<std::uint32_t>(s.relativeDistance),
                 -static_cast<double>(track + s.relativeBearing) * 0.01745329251993791, s.position);
  s.lastUpdate = tick;
  t.demo = 1;
  s.valid = 1;
  const std::int32_t level = s.relativeDistance < 700 ? 1 : 2;
  guard.unlock();
  if (app.mainWindow) PostMessageW(app.mainWindow, WM_COMMAND, kCmdZoomFirst + level, 0);
}

}  // namespace

INT_PTR FlarmDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG:
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      if (HFONT* font = FontHandleSlot(kFontMedium); font && *font)
        SendDlgItemMessageW(dialog, kIdFlarmHeading, WM_SETFONT, reinterpret_cast<WPARAM>(*font), 0);
      if (!app || !app->simulator) ShowWindow(GetDlgItem(dialog, kIdFlarmDemo), SW_HIDE);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= kIdFlarmVoiceFirst && id < kIdFlarmVoiceFirst + 10) {
        FlarmPlayVoice(id - kIdFlarmVoiceFirst);
        return TRUE;
      }
      if (id == kIdFlarmDemo) {
        if (app) ToggleDemo(*app);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL || id == kIdCloseIcon) {
        PlayMenuClick();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
