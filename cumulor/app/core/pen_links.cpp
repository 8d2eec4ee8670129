#include "cumulor/app/core/pen_links.h"

#include <algorithm>
#include <optional>
#include <string>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/final_glide_box.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/airspace/airspace_module.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "platform/text/format.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "cumulor/map/tap/map_tap.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

constexpr std::int32_t kPopupEnable = 1;  // the airspace popup's button: "Enable", else "Disable"
constexpr std::int32_t kPopupDisable = 2;

// The file airspace the open airspace popup is about, and its text (read by the frame while the
// popup is shown); both under the main lock.
struct AirspacePopup {
  std::optional<AirspaceShapeRef> shape;
  std::u16string text;
};
AirspacePopup& OpenAirspacePopup() {
  static AirspacePopup popup;
  return popup;
}

// The file airspace whose label, 10 pixels larger, holds the point: the shown shapes of groups
// 1 to 16 but the terrain groups, drawn at this scale. Under the main lock (the frame places the
// labels).
std::optional<AirspaceShapeRef> FileAirspaceLabelAt(AppContext& app, POINT at, RECT& label) {
  const AirspaceModule& module = app.airspace;
  const std::int32_t zoom = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  const std::int32_t scale = kZoomTable[zoom];
  for (std::int32_t g = 1; g < module.groupCount && g < kAirspaceGroupCount; ++g) {
    if (g == kGroupTerrainOpen || g == kGroupTerrainClosed) continue;
    const AirspaceClassGroup& group = module.group[g];
    if (!group.enabled) continue;
    for (std::size_t i = 0; i < group.shapes.size(); ++i) {
      const AirspaceShape& shape = group.shapes[i];
      if (!shape.inView || scale > shape.zoomLimit) continue;
      const std::int32_t labels = std::min(shape.labelCount, shape.labelRects.Size());
      for (std::int32_t n = 0; n < labels; ++n) {
        RECT r = shape.labelRects[n];
        if (IsRectEmpty(&r)) continue;
        InflateRect(&r, 10, 10);
        if (!PtInRect(&r, at)) continue;
        label = shape.labelRects[n];
        return AirspaceShapeRef{module.loadNumber, g, static_cast<std::int32_t>(i), shape.id};
      }
    }
  }
  return std::nullopt;
}

// The airspace popup at the label: group and name, floor and ceiling, and the button that
// switches the airspace on or off for the day. Drawn at once and kept by the frame.
bool ShowAirspacePopup(AppContext& app, POINT at) {
  MainLockGuard guard(app);
  RECT label{};
  const std::optional<AirspaceShapeRef> ref = FileAirspaceLabelAt(app, at, label);
  if (!ref) return false;
  const AirspaceShape* shape = AirspaceFindShape(app.airspace, *ref);
  if (!shape) return false;
  const WCHAR* group = app.airspace.group[ref->group].name;
  AirspacePopup& popup = OpenAirspacePopup();
  popup.shape = ref;
  popup.text = ce::text::Format(u"%s: %s\n%s-%s\n", group, shape->name, shape->floorText, shape->ceilingText);
  MapPopup record;
  record.shown = 1;
  record.kind = 1;
  record.x = label.left > 0 ? label.left : 1;
  record.y = label.top;
  record.width = static_cast<std::int32_t>(std::char_traits<char16_t>::length(group) +
                                           std::char_traits<char16_t>::length(shape->name) + 5);
  record.lines = 2;
  record.state = SwitchedOffUntil(*shape) != 0 ? kPopupEnable : kPopupDisable;
  record.text = popup.text.c_str();
  MapSetPopupTarget(app.map, record);
  app.map.popup.shown = 1;
  if (app.mainWindow) {
    if (HDC dc = GetDC(app.mainWindow)) {
      MapDrawPointPopup(app.map, dc);
      ReleaseDC(app.mainWindow, dc);
    }
  }
  return true;
}

}  // namespace

bool PenToMenuBar(AppContext& app, UINT message, POINT at) {
  return MenuHandleClick(app.menu, message, at.x, at.y, nullptr) != 0;
}

bool PenToNavBoxes(AppContext& app, UINT message, POINT at) {
  // The frame lays the boxes out and draws them under the main lock on the GPS notify thread: the
  // pen moves them under it too. What a tapped box opens (a question, a dialog) runs after.
  // Moves and releases concern the boxes only while one is dragged or tapped (set on this thread).
  const NavBoxSet& set = app.navBoxes;
  if (message == WM_MOUSEMOVE && set.dragged == 0) return false;
  if (message == WM_LBUTTONUP && set.dragged == 0 && set.tapped == 0) return false;
  bool used = false;
  {
    MainLockGuard guard(app);
    used = NavBoxSetOnPen(app.navBoxes, at.x, at.y, message);
  }
  RunNavBoxTapAction();
  return used;
}

void PenToPointPopup(AppContext& app, POINT at) {
  // The airspace popup's button switches its airspace on again, or off for the rest of the day.
  std::optional<AirspaceShapeRef> shape;
  std::int32_t state = 0;
  {
    MainLockGuard guard(app);
    const MapPopup& popup = app.map.popup;
    if (popup.kind != 1 || !PtInRect(&popup.buttons[0], at)) return;
    shape = OpenAirspacePopup().shape;
    state = popup.state;
  }
  if (!shape) return;
  if (state == kPopupEnable) {
    AirspaceEnable(app.airspace, *shape);
    PlaySoundAsync(u"Default.wav");
  } else {
    AirspaceSwitchOff(app.airspace, *shape, kAirspaceOffForTheDay);
    PlaySoundAsync(u"Splat.wav");
  }
}

bool PenToTapMode(AppContext& app, POINT at) {
  if (!MapTap().armed) return false;
  GeoPoint world;
  POINT glider{};
  {
    // The frame moves the view and the aircraft's point on the notify thread under the main lock.
    MainLockGuard guard(app);
    MapScreenToWorld(app.map, world, at);
    glider = app.screen.gliderPoint;
  }
  MapTapAction(at, glider, world);
  return true;
}

void PenToTaskStatus(AppContext& app) { ShowTaskStatusDialog(app); }

void PenTaskTimeTexts(AppContext& app) {
  // The final-glide box over the map follows the area target while the pen moves it.
  if (!app.finalGlideOn || !app.mainWindow) return;
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  {
    MainLockGuard guard(app);
    RECT anchor = app.mapRect;
    anchor.top += app.screen.layout.titleHeight;
    UpdateTaskTimeTexts(app, dc, false, anchor);
  }
  ReleaseDC(app.mainWindow, dc);
}

std::int32_t PenToMapTapInfo(AppContext& app, POINT at) {
  // The label of a file airspace: its popup.
  if ((app.map.displayFlags & kShowFileAirspace) && ShowAirspacePopup(app, at)) return 1;
  // An airport or user waypoint under the pen opens the waypoint browser at its point page.
  EnterCriticalSection(&app.mainLock);  // the frame rebuilds the list on the notify thread
  const LabelEntry* label = LabelListHitTest(FrameLabels(), at);
  const bool point = label && (label->kind == kPointAirport || label->kind == kPointUserWaypoint);
  const TaskPoint target = point ? LabelEntryPoint(*label) : TaskPoint{};
  const std::int32_t databaseAirspace =
      !point && (app.map.displayFlags & kShowDbAirspace) ? OccupiedRectHitTest(FrameLabels(), at) : -1;
  LeaveCriticalSection(&app.mainLock);
  if (point) {
    OpenWaypointBrowser(app, target);
    return 1;
  }
  // The label of a database airspace: its texts in the information box.
  if (databaseAirspace < 0) return 0;
  AeroAirspaceState().shown = databaseAirspace;
  RefreshMapWindow(app);
  return 1;
}

void PenDirectionSearch(std::int32_t direction, std::uint32_t range) {
  // The lists of airports and user waypoints show the points in that direction.
  for (std::int32_t kind : {kPointAirport, kPointUserWaypoint}) SetSearchMode(PointTableOf(kind).search, direction, range);
  ClearGotoTarget(kBrowsePurposeGoto);
}

}  // namespace cumulor
