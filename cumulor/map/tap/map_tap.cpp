#include "cumulor/map/tap/map_tap.h"

#include <utility>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "cumulor/map/view/map_fonts.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

MapTapHooks& Hooks() {
  static MapTapHooks hooks;
  return hooks;
}

constexpr int kIdTapTown = 1246;
constexpr int kIdTapPeak = 1247;
constexpr int kIdTapVor = 1248;
constexpr int kCmdTapCancel = 193;

void ChooserInit(HWND dialog) {
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  MapTapState& tap = MapTap();
  CheckRadioButton(dialog, kIdTapAirport, kIdTapIntersection, kIdTapAirport + tap.pointType);
  tap.armed = 0;
  for (int id = kIdTapCreate; id <= kIdTapInfo; ++id)
    SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(13)), FALSE);
  // Only airports and user waypoints can be chosen.
  for (int id : {kIdTapTown, kIdTapPeak, kIdTapVor, kIdTapIntersection}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
  for (int id : {kIdTapTown, kIdTapPeak}) EnableWindow(GetDlgItem(dialog, id), FALSE);
}

bool ChooserCommand(HWND dialog, int id) {
  MapTapState& tap = MapTap();
  if (id >= kIdTapAirport && id <= kIdTapIntersection) {
    tap.pointType = id - kIdTapAirport;
    CheckRadioButton(dialog, kIdTapAirport, kIdTapIntersection, id);
    return true;
  }
  if (id >= kIdTapCreate && id <= kIdTapInfo) {
    tap.mode = id - kIdTapCreate + 1;
    tap.armed = 1;
    PlayMenuClick();
    EndDialog(dialog, 1);
    return true;
  }
  if (id == kCmdTapCancel || id == IDCANCEL) {
    tap.armed = 0;
    EndDialog(dialog, 1);
    return true;
  }
  if (id == kIdTitleOk || id == IDOK) {
    PlayMenuClick();
    EndDialog(dialog, 1);
    return true;
  }
  return false;
}

}  // namespace

MapTapState& MapTap() {
  static MapTapState state;
  return state;
}

TapAirspaceSelection& TapSelectedAirspace() {
  static TapAirspaceSelection selection;
  return selection;
}

void SetMapTapHooks(MapTapHooks hooks) { Hooks() = std::move(hooks); }

void MapTapAction(POINT tap, POINT glider, const GeoPoint& world) {
  MapTapState& state = MapTap();
  state.armed = 0;
  const std::int64_t dx = tap.x - glider.x;
  const std::int64_t dy = tap.y - glider.y;
  if (dx * dx + dy * dy < 400) return;
  const MapTapHooks& hooks = Hooks();
  switch (state.mode) {
    case kTapCreate:
      if (hooks.createWaypoint) hooks.createWaypoint(world);
      return;
    case kTapAirspace:
      if (hooks.selectAirspace) hooks.selectAirspace(world);
      return;
    case kTapGoto:
    case kTapAddToTask:
    case kTapInfo: {
      if (state.pointType != 0 && state.pointType != 1) return;
      const LabelList* labels = hooks.labels ? hooks.labels() : nullptr;
      if (!labels) return;
      TaskPoint point;
      const std::int32_t kind = state.pointType == 0 ? kPointAirport : kPointUserWaypoint;
      if (!LabelListNearest(*labels, point, tap, kind)) return;
      if (state.mode == kTapGoto) {
        if (hooks.gotoPoint) hooks.gotoPoint(point);
      } else if (state.mode == kTapAddToTask) {
        if (hooks.insertIntoTask) hooks.insertIntoTask(point);
        if (point.kind == kPointAirport && hooks.openBrowser) hooks.openBrowser(point);
      } else if (hooks.openBrowser) {
        hooks.openBrowser(point);
      }
      return;
    }
    default: return;
  }
}

COLORREF GetTapModeValue() {
  const MapTapState& state = MapTap();
  if (!state.armed) return 0;
  switch (state.mode) {
    case kTapCreate: return RGB(0, 255, 0);
    case kTapAirspace: return RGB(255, 0, 0);
    case kTapInfo: return 0x00C4FF;
    case kTapGoto:
    case kTapAddToTask: return state.pointType == 1 ? RGB(128, 128, 128) : 0xFF00FF;
    default: return 0;
  }
}

INT_PTR TapChooserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (KeyFocusMessage(dialog, message, wparam, EndKeyDialog)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      ChooserInit(dialog);
      SetFocus(dialog);
      return FALSE;
    case WM_COMMAND: {
      const bool handled = ChooserCommand(dialog, LOWORD(wparam));
      KeepKeyFocus(dialog);
      return handled ? TRUE : FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
