#include "cumulor/map/inflight/task_status_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/inflight/task_time_popups.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr UINT kCmdResetTask = 40045;
constexpr int kIdOkIcon = 1355;
constexpr int kIdCloseAlt = 1442;
constexpr UINT_PTR kTimerRefresh = 1;
constexpr UINT_PTR kTimerUp = 2;
constexpr UINT_PTR kTimerDown = 3;
constexpr int kArrowHeight = 20;
constexpr OptionBit kOptStartMinus1000{2, 13};

TaskStatusHooks& Hooks() {
  static TaskStatusHooks hooks;
  return hooks;
}

struct StatusState {
  HWND dialog = nullptr;
  HWND etaPopup = nullptr;
  HWND timePopup = nullptr;
  HWND startPopup = nullptr;
  McSlider slider;
  bool dragging = false;
  std::int32_t timeHeight = 130;
};
StatusState g_status;

void SetTextA(HWND dialog, int id, const char* text) {
  WCHAR wide[96] = {};
  for (int i = 0; i < 95 && text[i]; ++i) wide[i] = static_cast<unsigned char>(text[i]);
  SetDlgItemTextW(dialog, id, wide);
}

void UnitText(const WCHAR* unit, char (&out)[16]) {
  int n = 0;
  for (; unit && unit[n] && n < 15; ++n) out[n] = static_cast<char>(unit[n]);
  out[n] = '\0';
}

bool FinishPoint(TaskPoint& out) {
  const DynArray<TaskPoint>& task = ActiveTask();
  if (task.Size() > 0) {
    out = task[task.Size() - 1];
    return true;
  }
  return GetGotoTarget(out);
}

GeoPoint OwnPosition(AppContext& app) {
  GpsFix fix;
  return GetFixBuffer(app.gps, &fix, 1) == 1 ? fix.position : app.mapCentre;
}

// The distance from the own position along the active task from the navigation target on, or to
// the go-to target.
std::uint32_t DistanceToGo(AppContext& app) {
  const GeoPoint own = OwnPosition(app);
  const DynArray<TaskPoint>& task = ActiveTask();
  if (task.Size() == 0) {
    TaskPoint target;
    return GetGotoTarget(target) ? GeoDistance(own, GeoPoint{target.lon, target.lat}) : 0;
  }
  std::int32_t from = 0;
  for (std::int32_t i = 0; i < task.Size(); ++i)
    if (task[i].kind == app.navTarget.kind && task[i].index == app.navTarget.index) from = i;
  std::uint64_t total = GeoDistance(own, GeoPoint{task[from].lon, task[from].lat});
  for (std::int32_t i = from + 1; i < task.Size(); ++i)
    total += GeoDistance(GeoPoint{task[i - 1].lon, task[i - 1].lat}, GeoPoint{task[i].lon, task[i].lat});
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu));
}

void ShowLimit(HWND dialog, AppContext& app) {
  if (!MapOption(kOptStartMinus1000)) {
    SetDlgItemTextW(dialog, kIdFinishLimit, u"");
    return;
  }
  char unit[16];
  UnitText(app.altitudeUnitText, unit);
  const std::int32_t limit = app.taskStartAltitude - 1000;
  char text[48];
  std::snprintf(text, sizeof text, "%d %s", static_cast<int>(app.altitudeUnit == 2 ? limit * 3.2808 : limit), unit);
  SetTextA(dialog, kIdFinishLimit, text);
}

void DrawSlider(HWND dialog, AppContext& app) {
  HDC dc = GetDC(dialog);
  if (!dc) return;
  const McSlider& s = g_status.slider;
  RECT clear{s.bar.left - 2, s.bar.top - kArrowHeight, s.bar.right + 2, s.bar.bottom + kArrowHeight};
  FillRect(dc, &clear, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  Rectangle(dc, s.bar.left, s.bar.top, s.bar.right, s.bar.bottom);
  // Four segments of ten steps.
  for (int i = 1; i < 4; ++i) {
    const int y = s.bar.bottom - i * 10 * s.step;
    MoveToEx(dc, s.bar.left, y, nullptr);
    LineTo(dc, s.bar.right, y);
  }
  // The arrows above and below the bar.
  RECT up{s.bar.left, s.bar.top - kArrowHeight, s.bar.right, s.bar.top};
  RECT down{s.bar.left, s.bar.bottom, s.bar.right, s.bar.bottom + kArrowHeight};
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, u"^", -1, &up, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  DrawTextW(dc, u"v", -1, &down, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const bool autoMc = MapOption(kOptAutoMacCready);
  RECT label{s.bar.left - 10, s.bar.top - kArrowHeight - 14, s.bar.right + 10, s.bar.top - kArrowHeight};
  DrawTextW(dc, autoMc ? u"AutoMC" : u"MC", -1, &label, DT_CENTER | DT_SINGLELINE);
  const std::int32_t knob = McSliderKnob(s, app.macCready);
  RECT k{s.bar.left - 3, knob - 3, s.bar.right + 3, knob + 3};
  FillRect(dc, &k, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(dialog, dc);
}

void Refresh(HWND dialog) {
  AppContext* app = AppRecord();
  if (!app) return;
  // Pending messages first (at most 300); further refresh requests are covered by this one.
  MSG m;
  for (int i = 0; i < 300 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (m.message == WM_USER && m.hwnd == dialog) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (const auto& draw = Hooks().drawTaskTimes) {
    if (HDC dc = GetDC(dialog)) {
      RECT area{0, 0, 120, g_status.timeHeight};
      draw(dc, area);
      ReleaseDC(dialog, dc);
    }
  }
  const double metres = app->distanceUnit == 6 ? 1852.0 : app->distanceUnit == 8 ? 1609.0 : 1000.0;
  char unit[16];
  UnitText(app->distanceUnitText, unit);
  char text[64];
  std::snprintf(text, sizeof text, "%d %s", static_cast<int>(DistanceToGo(*app) / metres), unit);
  SetTextA(dialog, kIdToGo, text);
  const bool kmh = app->taskSpeedUnit == 7;
  std::snprintf(text, sizeof text, "%.1f %s ", app->etaSpeed * (kmh ? 3.6 : 2.237414543194531), kmh ? "km/h" : "mph");
  SetTextA(dialog, kIdEta, text);
  if (app->taskTimeMinutes > 0) {
    std::snprintf(text, sizeof text, "%d:%02d  hrs", app->taskTimeMinutes / 60, app->taskTimeMinutes % 60);
    SetTextA(dialog, kIdTaskTime, text);
  } else {
    SetDlgItemTextW(dialog, kIdTaskTime, u"TTime");
  }
  if (GotoTargetValid())
    SetDlgItemTextW(dialog, kIdTaskAction, u"Un-GoTo");
  else if (ActiveTask().Size() > 0)
    SetDlgItemTextW(dialog, kIdTaskAction, u"Reset Task");
  DrawSlider(dialog, *app);
  static const WCHAR* const kModes[6] = {u"MC", u"Manual", u"Avg Leg", u"Avg Task", u"Ground", u"None"};
  SetDlgItemTextW(dialog, kIdEtaMode, kModes[std::clamp(app->etaMode, 0, 5)]);
}

void Init(HWND dialog) {
  AppContext* app = AppRecord();
  g_status = StatusState{};
  g_status.dialog = dialog;
  if (!app) return;
  RECT client{};
  GetClientRect(dialog, &client);
  const bool large = app->map.largeScreen != 0;
  g_status.timeHeight = large ? 260 : 130;
  g_status.slider = McSliderLayout(client, large);
  EnsureEtaSpeed(*app);
  const bool hasPoints = ActiveTask().Size() > 0;
  EnableWindow(GetDlgItem(dialog, kIdTaskAction), hasPoints ? TRUE : FALSE);
  CheckRadioButton(dialog, kIdFinishGround, kIdFinishStartMinus1000,
                   MapOption(kOptStartMinus1000) ? kIdFinishStartMinus1000 : kIdFinishGround);
  TaskPoint finish;
  if (FinishPoint(finish)) {
    const char* name = PointRefName(PointRef{finish.kind, finish.index});
    char title[64];
    std::snprintf(title, sizeof title, "Finish: %s", name ? name : "");
    SetTextA(dialog, kIdFinishGroup, title);
    if (!hasPoints) {
      ShowWindow(GetDlgItem(dialog, kIdStartTime), SW_HIDE);
    } else {
      char text[48];
      const SYSTEMTIME& t = app->taskStartLocal;
      std::snprintf(text, sizeof text, "%d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
      SetTextA(dialog, kIdStartTime, text);
      char unit[16];
      UnitText(app->altitudeUnit == 2 ? u"ft" : app->altitudeUnitText, unit);
      const std::int32_t altitude = app->taskStartAltitude;
      std::snprintf(text, sizeof text, "%d %s", static_cast<int>(app->altitudeUnit == 2 ? altitude * 3.2808 : altitude), unit);
      SetTextA(dialog, kIdStartAltitude, text);
      ShowLimit(dialog, *app);
    }
  } else {
    ShowWindow(GetDlgItem(dialog, kIdStartTime), SW_HIDE);
  }
  PostMessageW(dialog, WM_USER, 0, 0);
}

// A tap on a pop-up's button: closes the open pop-up, else opens it.
void TogglePopup(HWND dialog, HWND& popup, int templateId, DLGPROC proc, LPARAM param, bool timer) {
  if (popup && IsWindow(popup)) {
    DestroyWindow(popup);
    popup = nullptr;
    if (timer) SetTimer(dialog, kTimerRefresh, 400, nullptr);
    return;
  }
  popup = CreateModelessDialog(templateId, dialog, proc, param);
  if (popup) ShowWindow(popup, SW_SHOW);
}

void End(HWND dialog) {
  for (HWND* popup : {&g_status.etaPopup, &g_status.timePopup, &g_status.startPopup})
    if (*popup && IsWindow(*popup)) DestroyWindow(*popup);
  for (UINT_PTR timer : {kTimerRefresh, kTimerUp, kTimerDown}) KillTimer(dialog, timer);
  g_status = StatusState{};
  EndDialog(dialog, 1);
}

void SetMc(HWND dialog, double value) {
  if (const auto& set = Hooks().setMacCready) set(static_cast<float>(value));
  Refresh(dialog);
}

void StepMc(HWND dialog, int steps) {
  AppContext* app = AppRecord();
  if (!app) return;
  const McSlider& s = g_status.slider;
  SetMc(dialog, McSliderValue(s, McSliderKnob(s, app->macCready) - steps * s.step));
}

void PenDown(HWND dialog, POINT p) {
  AppContext* app = AppRecord();
  if (!app || MapOption(kOptAutoMacCready)) return;
  const McSlider& s = g_status.slider;
  if (p.y >= s.bar.top - kArrowHeight && p.y < s.bar.top && p.x >= s.bar.left && p.x <= s.bar.right) {
    StepMc(dialog, 1);
    SetTimer(dialog, kTimerUp, 200, nullptr);
  } else if (p.y > s.bar.bottom && p.y <= s.bar.bottom + kArrowHeight && p.x >= s.bar.left && p.x <= s.bar.right) {
    StepMc(dialog, -1);
    SetTimer(dialog, kTimerDown, 200, nullptr);
  } else if (p.x >= s.bar.left - 20 && p.x <= s.bar.right + 20 && p.y >= s.bar.top && p.y <= s.bar.bottom) {
    g_status.dragging = true;
    SetMc(dialog, McSliderValue(s, p.y));
  }
}

bool Command(HWND dialog, int id) {
  AppContext* app = AppRecord();
  if (!app) return false;
  switch (id) {
    case kIdFinishGround:
    case kIdFinishStartMinus1000:
      SetMapOption(kOptStartMinus1000, id == kIdFinishStartMinus1000);
      CheckRadioButton(dialog, kIdFinishGround, kIdFinishStartMinus1000, id);
      ShowLimit(dialog, *app);
      return true;
    case kIdStartTime: TogglePopup(dialog, g_status.startPopup, kTimePopup, TimePopupProc, 1, false); return true;
    case kIdTaskTime: TogglePopup(dialog, g_status.timePopup, kTimePopup, TimePopupProc, 0, true); return true;
    case kIdEtaMode: TogglePopup(dialog, g_status.etaPopup, kEtaPopup, EtaPopupProc, 0, true); return true;
    case kIdTaskAction:
      if (GotoTargetValid()) {
        GotoFirstTaskPoint();
        InvalidateGotoTarget();
      } else if (ActiveTask().Size() > 0) {
        ResetStatsRecord(app->stats);
        if (app->mainWindow) SendMessageW(app->mainWindow, WM_COMMAND, kCmdResetTask, 0);
      }
      End(dialog);
      return true;
    case kIdOkIcon:
    case IDOK:
    case IDCANCEL:
    case kIdCloseAlt: End(dialog); return true;
    default: return false;
  }
}

}  // namespace

McSlider McSliderLayout(const RECT& client, bool largeScreen) {
  McSlider s;
  s.bar.left = client.right - (largeScreen ? 100 : 60);
  s.bar.right = client.right - 5;
  s.bar.top = client.top + 60;
  const std::int32_t height = std::max<std::int32_t>(kMcSteps, client.bottom - 60 - s.bar.top);
  s.step = std::max<std::int32_t>(1, height / kMcSteps);
  s.bar.bottom = s.bar.top + s.step * kMcSteps;
  return s;
}

double McSliderValue(const McSlider& slider, std::int32_t y) {
  const std::int32_t height = slider.bar.bottom - slider.bar.top;
  if (height <= 0) return 0.0;
  std::int32_t knob = std::clamp(y, static_cast<std::int32_t>(slider.bar.top), static_cast<std::int32_t>(slider.bar.bottom));
  knob = slider.bar.top + (knob - slider.bar.top + slider.step / 2) / slider.step * slider.step;
  return (slider.bar.bottom - knob) * 4.0 / height;
}

std::int32_t McSliderKnob(const McSlider& slider, double value) {
  const std::int32_t height = slider.bar.bottom - slider.bar.top;
  const double v = std::clamp(std::isfinite(value) ? value : 0.0, 0.0, 4.0);
  return slider.bar.bottom - static_cast<std::int32_t>(std::lround(v * height / 4.0));
}

void SetTaskStatusHooks(TaskStatusHooks hooks) { Hooks() = std::move(hooks); }

INT_PTR TaskStatusDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (KeyFocusMessage(dialog, message, wparam, End)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      Init(dialog);
      SetFocus(dialog);
      return FALSE;
    case WM_USER: Refresh(dialog); return TRUE;
    case WM_PAINT:
      // The dialog paints itself first; the slider is drawn over it afterwards.
      PostMessageW(dialog, WM_USER + 1, 0, 0);
      return FALSE;
    case WM_USER + 1:
      if (AppContext* app = AppRecord()) DrawSlider(dialog, *app);
      return TRUE;
    case WM_TIMER:
      if (wparam == kTimerRefresh) {
        KillTimer(dialog, kTimerRefresh);
        Refresh(dialog);
      } else if (wparam == kTimerUp || wparam == kTimerDown) {
        StepMc(dialog, wparam == kTimerUp ? 1 : -1);
      }
      return TRUE;
    case WM_LBUTTONDOWN: PenDown(dialog, POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))}); return TRUE;
    case WM_MOUSEMOVE:
      if (g_status.dragging) SetMc(dialog, McSliderValue(g_status.slider, static_cast<short>(HIWORD(lparam))));
      return TRUE;
    case WM_LBUTTONUP:
      g_status.dragging = false;
      KillTimer(dialog, kTimerUp);
      KillTimer(dialog, kTimerDown);
      return TRUE;
    case WM_COMMAND: {
      const bool handled = Command(dialog, LOWORD(wparam));
      KeepKeyFocus(dialog);
      return handled ? TRUE : FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
