#include "cumulor/map/inflight/task_time_popups.h"

#include <algorithm>
#include <cmath>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "platform/dialogs/dialogs.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;

std::int64_t Ticks(const FILETIME& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}
FILETIME FromTicks(std::int64_t ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  return t;
}

double DisplayFactor(const AppContext& app) { return app.taskSpeedUnit == 7 ? 3.6 : 2.237414543194531; }

void RefreshOwner(HWND dialog) {
  if (HWND owner = GetParent(dialog)) PostMessageW(owner, WM_USER, 0, 0);
}

bool g_startTime = false;   // the time pop-up moves the start time

void ShowEtaControls(HWND dialog, const AppContext& app) {
  CheckRadioButton(dialog, kIdEtaMc, kIdEtaNone, kIdEtaMc + std::clamp(app.etaMode, 0, 5));
  const BOOL manual = app.etaMode == 1 ? TRUE : FALSE;
  EnableWindow(GetDlgItem(dialog, kIdEtaPlus), manual);
  EnableWindow(GetDlgItem(dialog, kIdEtaMinus), manual);
}

}  // namespace

void StepTaskTime(AppContext& app, std::int32_t minutes) {
  app.taskTimeMinutes = std::clamp(app.taskTimeMinutes + minutes, 0, kMaxTaskMinutes);
  const std::int64_t span = static_cast<std::int64_t>(app.taskTimeMinutes) * 60 * kTicksPerSecond;
  if (Ticks(app.taskStartTime) != 0)
    app.taskDeadline = Ticks(app.taskStartTime) + span;
  else
    app.taskTimeSeconds = app.taskTimeMinutes * 60;
  app.navBoxes.changed = 1;
}

void MoveTaskStart(AppContext& app, std::int32_t seconds) {
  const std::int64_t start = Ticks(app.taskStartTime) + static_cast<std::int64_t>(seconds) * kTicksPerSecond;
  app.taskStartTime = FromTicks(start);
  FileTimeToSystemTime(&app.taskStartTime, &app.taskStartLocal);
  app.taskDeadline = start + static_cast<std::int64_t>(app.taskTimeMinutes) * 60 * kTicksPerSecond;
  app.navBoxes.changed = 1;
}

void StepManualEtaSpeed(AppContext& app, int sign) {
  const double factor = DisplayFactor(app);
  double shown = std::floor(app.etaSpeed * factor + 0.5) + sign;
  if (shown < 1) shown = 1;
  app.etaSpeed = shown / factor;
}

INT_PTR EtaPopupProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG: {
      const bool highRes = app && app->map.largeScreen;
      SetWindowPos(dialog, nullptr, highRes ? 174 : 96, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      if (app) ShowEtaControls(dialog, *app);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (!app) return FALSE;
      if (id >= kIdEtaMc && id <= kIdEtaNone) {
        app->etaMode = id - kIdEtaMc;
        ShowEtaControls(dialog, *app);
      } else if (id == kIdEtaPlus || id == kIdEtaMinus) {
        if (app->etaMode == 1) StepManualEtaSpeed(*app, id == kIdEtaPlus ? 1 : -1);
      } else if (id == IDOK || id == IDCANCEL || id == kIdTitleOk) {
        DestroyWindow(dialog);
        return TRUE;
      } else {
        return FALSE;
      }
      RefreshOwner(dialog);
      return TRUE;
    }
    case WM_KEYDOWN:
      if (!IsAppKey(wparam)) return FALSE;
      DestroyWindow(dialog);
      return TRUE;
    default: return FALSE;
  }
}

INT_PTR TimePopupProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG:
      g_startTime = lparam == 1;
      if (g_startTime) {
        SetWindowTextW(dialog, u"Start Time");
        SetDlgItemTextW(dialog, kIdTimePlus, u"+1 min");
        SetDlgItemTextW(dialog, kIdTimeMinus, u"-1 min");
        ShowWindow(GetDlgItem(dialog, kIdNoLimit), SW_HIDE);
      } else if (app) {
        CheckDlgButton(dialog, kIdNoLimit, app->taskTimeMinutes == 0 ? BST_CHECKED : BST_UNCHECKED);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (!app) return FALSE;
      if (id == kIdTimePlus || id == kIdTimeMinus) {
        const int sign = id == kIdTimePlus ? 1 : -1;
        if (g_startTime) {
          MoveTaskStart(*app, sign * 60);
        } else {
          StepTaskTime(*app, sign * 15);
          CheckDlgButton(dialog, kIdNoLimit, app->taskTimeMinutes == 0 ? BST_CHECKED : BST_UNCHECKED);
        }
        RefreshOwner(dialog);
        return TRUE;
      }
      if (id == kIdNoLimit) {
        // The box shows the state; the time is what the buttons set.
        CheckDlgButton(dialog, kIdNoLimit, app->taskTimeMinutes == 0 ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL || id == kIdTitleOk) {
        DestroyWindow(dialog);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN:
      if (!IsAppKey(wparam)) return FALSE;
      DestroyWindow(dialog);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace cumulor
