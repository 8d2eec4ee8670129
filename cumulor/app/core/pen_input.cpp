#include "cumulor/app/core/pen_input.h"

#include <cmath>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/pen_links.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/draw/map_marks.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/layers/task_drag.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/windview/wind_profile.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/dialogs/message_box.h"
#include "platform/gdi/gdi.h"
#include "platform/sound/sound.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kRadToDeg = 57.2957795131;
constexpr double kHeadAngle = 0.5235987755982988;  // 30 degrees
constexpr double kHeadLength = 40.0;
constexpr double kMsToKnots = 1.943844494119952;
constexpr UINT kTextRestoring = 31;
constexpr std::int32_t kTapInfoScale = 200;

struct BannerText {
  const WCHAR* label;
  const WCHAR* title;
  const WCHAR* hint;
};
constexpr BannerText kBanners[] = {
    {u"", u"", u""},
    {u"  SIM  ", u"SPEED and DIRECTION", u"Extend arrow to control glider"},
    {u"  PAN  ", u"MAP PAN", u"Extend arrow to move map"},
    {u" NEAR  ", u"GOTO: NEAR", u"Near-by navpoints in this direction"},
    {u"  ALL  ", u"GOTO: ALL", u"All navpoints in this direction"},
    {u" GO TO ", u" GO TO ", u"Point to where you want to fly"},
};

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

POINT PenPoint(LPARAM lparam) {
  return POINT{static_cast<std::int16_t>(LOWORD(lparam)), static_cast<std::int16_t>(HIWORD(lparam))};
}

std::int32_t Normalised(std::int32_t degrees) {
  degrees %= 360;
  return degrees < 0 ? degrees + 360 : degrees;
}

// A button-up of the pen already waits in the queue: the tap was too short for a drag.
bool ButtonUpWaiting(AppContext& app) {
  MSG msg;
  return PeekMessageW(&msg, app.mainWindow, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) != FALSE;
}

HDC TakePenDc(AppContext& app, PenState& pen) {
  if (!pen.penDc && app.mainWindow) pen.penDc = GetDC(app.mainWindow);
  if (pen.penDc) pen.oldRop = SetROP2(pen.penDc, R2_NOTXORPEN);
  return pen.penDc;
}

void ReleasePenDc(AppContext& app, PenState& pen) {
  if (!pen.penDc) return;
  SetROP2(pen.penDc, pen.oldRop ? pen.oldRop : R2_COPYPEN);
  ReleaseDC(app.mainWindow, pen.penDc);
  pen.penDc = nullptr;
}

void DrawSegments(HDC dc, const POINT (&segments)[3][2]) {
  for (const auto& s : segments) Polyline(dc, s, 2);
}

// The arrow from the pen-down point to `tip`: its angle (0 pointing up the screen, growing
// clockwise), the shaft and two heads pointing back along it.
void ArrowGeometry(PenState& pen, POINT tip) {
  const double dx = tip.x - pen.down.x;
  const double dy = pen.down.y - tip.y;
  pen.angle = std::atan2(dy, dx) + kPi / 2;
  pen.segments[0][0] = pen.down;
  pen.segments[0][1] = tip;
  // The arrow points along (cos t, -sin t) on the screen with t = angle - pi/2; the heads lean
  // back from the tip 30 degrees either side.
  const double back = std::atan2(-dy, -dx);
  for (int side = 0; side < 2; ++side) {
    const double h = back + (side == 0 ? kHeadAngle : -kHeadAngle);
    pen.segments[1 + side][0] = tip;
    pen.segments[1 + side][1] =
        POINT{tip.x + static_cast<LONG>(std::lround(kHeadLength * std::cos(h))),
              tip.y - static_cast<LONG>(std::lround(kHeadLength * std::sin(h)))};
  }
  pen.tip = tip;
}

// The five-fix counter of the new-fix handling, which the GPS notify thread counts down.
void SetFixCycle(AppContext& app, std::int32_t value) {
  EnterCriticalSection(&app.mainLock);
  app.fixCycle = value;
  LeaveCriticalSection(&app.mainLock);
}

void EndDrag(AppContext& app, PenState& pen) {
  ReleasePenDc(app, pen);
  app.dialogActive = 0;
}

// The map moves back onto the glider.
void RestoreMapPosition(AppContext& app) {
  ShowStatusBox(app, kTextRestoring);
  const GeoPoint own = OwnPosition(app);
  EnterCriticalSection(&app.mainLock);
  app.map.panX = app.map.panY = 0;
  MapSetView(app.map, own.lon, own.lat, app.mapRotation);
  LeaveCriticalSection(&app.mainLock);
  SetFixCycle(app, 2);
  FixHandling().recentreRequest = 1;
  UpdateOwnPosition(app, app.map.view, false);
  app.redrawRestart = 1;
  RefreshMapWindow(app);
  CenterMapOnFix(app);
}

// What the last frame drew where the pen looks for it: the glider, its wind text, the final-glide
// box and the start-gate box (the frame writes them under the main lock, often on the notify
// thread).
void TakeFrameTargets(AppContext& app, PenTargets& targets) {
  EnterCriticalSection(&app.mainLock);
  const MainScreen& frame = app.screen;
  targets.gliderPoint = frame.gliderPoint;
  targets.gliderRect = frame.gliderRect;
  targets.startGateShown = frame.startGateShown;
  RECT box{};
  if (app.finalGlideOn)
    for (const RECT* part : {&frame.glideMacCready, &frame.glideAltitude, &frame.glideTime})
      if (!IsRectEmpty(part)) UnionRect(&box, &box, part);
  targets.taskStatusBox = box;
  LeaveCriticalSection(&app.mainLock);
}

void ToggleMark(AppContext& app, PenState& pen, const PenTargets& targets) {
  pen.markFlag = pen.markFlag ? 0 : 1;
  EnterCriticalSection(&app.mainLock);  // the frame draws the corner letter from it
  app.screen.markFlag = pen.markFlag;
  LeaveCriticalSection(&app.mainLock);
  if (HDC dc = app.mainWindow ? GetDC(app.mainWindow) : nullptr) {
    const RECT& box = app.infoBoxRect;
    RoundRect(dc, box.left, box.top - 2, box.right, box.bottom, 5, 5);
    HGDIOBJ old = nullptr;
    if (HFONT* font = FontHandleSlot(kFontSmall); font && *font) old = SelectObject(dc, *font);
    SetBkMode(dc, TRANSPARENT);
    RECT r = box;
    DrawTextW(dc, pen.markFlag ? u"GO TO" : u"PAN", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    r = targets.markBox;
    DrawTextW(dc, pen.markFlag ? u"G" : u"P", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) SelectObject(dc, old);
    ReleaseDC(app.mainWindow, dc);
  }
  PlaySoundAsync(u"Asterisk.wav");
}

void CycleOrientation(AppContext& app) {
  EnterCriticalSection(&app.mainLock);
  std::int32_t& kept = KeptSettings().mapOrientation;
  kept = kept >= 3 || kept < 1 ? 1 : kept + 1;
  const std::int32_t orientation = kept;
  LeaveCriticalSection(&app.mainLock);
  static const WCHAR* const kNames[] = {u"North Up", u"Track Up", u"Goal Up"};
  ShowInfoBox(app, kNames[orientation - 1], app.infoBoxRect, 0);
  PlayMenuClick();
}

// The active task's point that a label names, when it is an area turnpoint.
bool AreaPointOfActiveTask(const LabelEntry& entry, TaskPoint& out) {
  for (const TaskPoint& p : ActiveTask()) {
    if (p.kind == entry.kind && p.index == entry.index && p.maxRadius != 0) {
      out = p;
      return true;
    }
  }
  return false;
}

void StartAreaDrag(AppContext& app, PenState& pen, const TaskPoint& point) {
  pen.areaDrag = true;
  pen.areaPoint = point;
  TaskPoint reference = point;
  reference.maxRadius = 0;
  pen.areaCentre = PointRefPosition(reference);
  app.dialogActive = 1;
  TakePenDc(app, pen);
}

void StartArrow(AppContext& app, PenState& pen, const PenTargets& targets, POINT at) {
  app.dialogActive = 1;
  pen.arrowDrag = true;
  pen.arrowDrawn = false;
  pen.down = at;
  pen.tip = at;
  pen.simulatorArrow = false;
  if (HDC dc = TakePenDc(app, pen)) {
    SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Ellipse(dc, at.x - kArrowDeadZone, at.y - kArrowDeadZone, at.x + kArrowDeadZone, at.y + kArrowDeadZone);
  }
  const RECT centre{at.x - kArrowDeadZone, at.y - 42, at.x + kArrowDeadZone, at.y + kArrowDeadZone};
  if (app.simulator && Inside(centre, targets.gliderPoint)) {
    pen.simulatorArrow = true;
    ShowPenModeBanner(app, kBannerSim);
    return;
  }
  if (!pen.markFlag) DrawTaskPointButtons(app);
  ShowPenModeBanner(app, pen.markFlag ? kBannerGoto : kBannerPan);
}

void ButtonDown(AppContext& app, PenState& pen, POINT at) {
  if (app.firstFixAwaited) {
    PostMessageW(app.mainWindow, WM_COMMAND, kCmdQuit, 0);
    return;
  }
  pen.areaDrag = false;
  pen.areaPoint = TaskPoint{};
  PenTargets& targets = PenTargetRects();
  LayoutPenTargets(targets, app.mapRect, GetSystemMetrics(SM_CYCAPTION), IsLargeScreen());
  TakeFrameTargets(app, targets);

  if ((app.map.panX != 0 || app.map.panY != 0) && Inside(targets.restoreButton, at)) {
    RestoreMapPosition(app);
    return;
  }
  if (app.thermalViewShown) {
    if (WindProfileTap(app.thermalView, at.x, at.y, WM_LBUTTONDOWN)) RefreshMapWindow(app);
    return;
  }
  if (PenToMenuBar(app, WM_LBUTTONDOWN, at)) return;
  if (targets.startGateShown && Inside(targets.startGateBox, at)) {
    SwapStartPoints();
    PlaySoundAsync(u"Asterisk.wav");
    RefreshMapWindow(app);
    return;
  }
  EnterCriticalSection(&app.mainLock);  // the status line on the notify thread sets the popup
  const bool popupShown = app.map.popup.shown != 0;
  LeaveCriticalSection(&app.mainLock);
  if (popupShown) {
    PenToPointPopup(app, at);
    EnterCriticalSection(&app.mainLock);
    app.map.popup.shown = 0;
    LeaveCriticalSection(&app.mainLock);
    RefreshMapWindow(app);
    return;
  }
  if (Inside(targets.infoBox, at)) {
    bool forgot = false;
    {
      std::lock_guard guard(app.pendingAlarmLock);
      if (app.pendingAlarm) {
        app.pendingAlarm.reset();
        forgot = true;
      }
    }
    if (!forgot && AeroAirspaceState().shown >= 0) {
      AeroAirspaceState().shown = -1;
      forgot = true;
    }
    if (forgot) {
      RefreshMapWindow(app);
      return;
    }
  }
  if (PenToNavBoxes(app, WM_LBUTTONDOWN, at)) return;
  if (Inside(targets.markBox, at)) {
    ToggleMark(app, pen, targets);
    return;
  }
  if (Inside(targets.orientationBox, at)) {
    CycleOrientation(app);
    return;
  }
  if (Inside(targets.taskStatusBox, at)) {
    PenToTaskStatus(app);
    return;
  }
  if (PenToTapMode(app, at)) {
    RefreshMapWindow(app);
    return;
  }
  EnterCriticalSection(&app.mainLock);  // the frame works out the FAI sectors
  const bool fai = TaskDrawing().fai.isFai != 0;
  LeaveCriticalSection(&app.mainLock);
  if (fai && Inside(targets.faiBox, at)) {
    ToggleFaiSectors();
    RefreshMapWindow(app);
    return;
  }
  if (pen.taskEditOnMap && TaskDragStart(at)) return;
  if (!ButtonUpWaiting(app)) {
    TaskPoint area;
    // The frame rebuilds the label list under the main lock on the notify thread.
    EnterCriticalSection(&app.mainLock);
    const LabelEntry* label = LabelListFindVisible(FrameLabels(), at);
    const bool isArea = label && AreaPointOfActiveTask(*label, area);
    LeaveCriticalSection(&app.mainLock);
    if (isArea) {
      StartAreaDrag(app, pen, area);
      return;
    }
  }
  if (Inside(targets.scaleBar, at)) {
    ShowInfoBox(app, u"Scale", app.infoBoxRect, 0);
    ShowZoomMenu(app, 0);
    return;
  }
  if (Inside(targets.gliderRect, at)) {
    app.thermalViewShown = 1;
    NavBoxSetHide(app.navBoxes);
    RefreshMapWindow(app);
    return;
  }
  if (app.map.scale < kTapInfoScale && pen.tapInfo) {
    if (MapTapInfo(app, at)) return;
  }
  if (ButtonUpWaiting(app) || pen.arrowDrag || pen.areaDrag) return;
  StartArrow(app, pen, targets, at);
}

void MoveArrow(AppContext& app, PenState& pen, POINT at) {
  if (pen.penDc && pen.arrowDrawn) DrawSegments(pen.penDc, pen.segments);
  ArrowGeometry(pen, at);
  if (pen.penDc) DrawSegments(pen.penDc, pen.segments);
  pen.arrowDrawn = true;
  const std::int32_t d = ArrowLength(pen.down, at);
  if (pen.simulatorArrow) {
    ShowPenModeBanner(app, kBannerSim);
  } else if (pen.markFlag) {
    ShowPenModeBanner(app, SearchArrowBanner(d, pen.nearSearch));
  }
}

// The area target follows the pen: distance and bearing from the area's centre, within the radii
// and radials when the radial check is on.
void MoveAreaTarget(AppContext& app, PenState& pen, POINT at) {
  if (app.map.yFactor == 0) return;
  POINT centre{};
  MapWorldToScreen(app.map, centre, pen.areaCentre);
  const double dx = at.x - centre.x;
  const double dy = centre.y - at.y;
  const double pixels = std::sqrt(dx * dx + dy * dy);
  const std::uint32_t metres = static_cast<std::uint32_t>(pixels * 20000.0 / app.map.yFactor);
  const std::int32_t bearing = ArrowDirection(app.mapRotation, std::atan2(dy, dx) + kPi / 2);
  GeoPoint target;
  GeoDestination(pen.areaCentre.lon, pen.areaCentre.lat, metres, -bearing / kRadToDeg, target);
  const bool radialCheck = (app.map.displayFlags & 0x80) != 0;
  if (radialCheck) {
    const std::uint32_t distance = GeoDistance(pen.areaCentre, target);
    double b = 0;
    GeoBearing(b, pen.areaCentre, target);
    if (distance < static_cast<std::uint32_t>(std::max(0, pen.areaPoint.minRadius)) ||
        distance > static_cast<std::uint32_t>(std::max(0, pen.areaPoint.maxRadius)) ||
        !AngleInRadialRange(pen.areaPoint, static_cast<std::int32_t>(b * kRadToDeg)))
      return;
  }
  // The old marker goes by XOR, the new one is drawn.
  if (pen.penDc) MapDrawMarker(app.map, pen.penDc, GeoPoint{pen.areaPoint.lon, pen.areaPoint.lat}, false, nullptr);
  EnterCriticalSection(&app.mainLock);  // the frame reads the task and the target on the notify thread
  for (TaskPoint& p : ActiveTask()) {
    if (p.kind == pen.areaPoint.kind && p.index == pen.areaPoint.index && p.maxRadius != 0) {
      p.lon = target.lon;
      p.lat = target.lat;
    }
  }
  if (app.navTarget.kind == pen.areaPoint.kind && app.navTarget.index == pen.areaPoint.index) {
    app.navTarget.lon = target.lon;
    app.navTarget.lat = target.lat;
  }
  LeaveCriticalSection(&app.mainLock);
  pen.areaPoint.lon = target.lon;
  pen.areaPoint.lat = target.lat;
  if (pen.penDc) MapDrawMarker(app.map, pen.penDc, target, false, nullptr);
  PenTaskTimeTexts(app);
}

void MouseMove(AppContext& app, PenState& pen, POINT at) {
  if (app.menu.open) {
    PenToMenuBar(app, WM_MOUSEMOVE, at);
    return;
  }
  if (pen.taskEditOnMap && TaskDragMove(at)) return;
  if (PenToNavBoxes(app, WM_MOUSEMOVE, at)) return;
  if (pen.arrowDrag) {
    MoveArrow(app, pen, at);
  } else if (pen.areaDrag) {
    MoveAreaTarget(app, pen, at);
  }
}

void PanOrSearch(AppContext& app, PenState& pen, POINT at) {
  if (!pen.markFlag) {
    EnterCriticalSection(&app.mainLock);
    MapPanByPixels(app.map, pen.down.x - at.x, at.y - pen.down.y);
    LeaveCriticalSection(&app.mainLock);
    SetFixCycle(app, 0);
    FixHandling().recentreRequest = 1;
    app.redrawRestart = 1;
    RefreshMapWindow(app);
    return;
  }
  const std::int32_t direction = ArrowDirection(app.mapRotation, pen.angle);
  EnterCriticalSection(&app.mainLock);  // the frame reads the go-to target on the notify thread
  PenDirectionSearch(direction, pen.nearSearch ? kNearSearchRange : kAllSearchRange);
  LeaveCriticalSection(&app.mainLock);
  OnCommand(app, MAKEWPARAM(kCmdPointSearch, 0), 0);
}

// The simulated glider takes the arrow's direction and a speed from its length; during a replay
// the arrow sets the replay's pace.
void SteerSimulator(AppContext& app, PenState& pen, std::int32_t d) {
  if (app.gps.replayActive) {
    app.gps.stepTime = ReplayArrowDelay(d);
    return;
  }
  const std::int32_t track = ArrowDirection(app.mapRotation, pen.angle);
  const float speed = SimulatorArrowSpeed(d);
  {
    std::lock_guard lock(app.gps.dataLock);
    app.gps.publishedStatus.track = static_cast<std::uint16_t>(track);
    app.gps.publishedStatus.groundSpeedMs = speed;
    app.gps.publishedStatus.groundSpeedKn = static_cast<float>(speed * kMsToKnots);
  }
  SimulatorSetCourse(app.gps, speed, track);
}

bool ReleaseOnTaskPointButton(AppContext& app, PenState& pen, POINT at) {
  if (pen.markFlag || pen.simulatorArrow) return false;
  EnterCriticalSection(&app.mainLock);
  const std::int32_t taskSize = ActiveTask().Size();
  LeaveCriticalSection(&app.mainLock);
  if (taskSize < 2) return false;
  for (std::int32_t i = 0; i < pen.buttonCount; ++i) {
    if (!Inside(pen.buttonRect[i], at)) continue;
    const GeoPoint own = OwnPosition(app);
    EnterCriticalSection(&app.mainLock);
    app.map.panX = pen.buttonPoint[i].lon - own.lon;
    app.map.panY = pen.buttonPoint[i].lat - own.lat;
    LeaveCriticalSection(&app.mainLock);
    UpdateOwnPosition(app, app.map.view, false);
    SetFixCycle(app, 2);
    FixHandling().recentreRequest = 1;
    app.redrawRestart = 1;
    RefreshMapWindow(app);
    CenterMapOnFix(app);
    return true;
  }
  return false;
}

void ButtonUp(AppContext& app, PenState& pen, POINT at) {
  if (app.menu.open) {
    PenToMenuBar(app, WM_LBUTTONUP, at);
    return;
  }
  if (app.thermalViewShown) {
    WindProfileTap(app.thermalView, at.x, at.y, WM_LBUTTONUP);
    return;
  }
  if (PenToNavBoxes(app, WM_LBUTTONUP, at)) {
    RefreshMapWindow(app);
    return;
  }
  if (pen.areaDrag) {
    pen.areaDrag = false;
    EndDrag(app, pen);
    RefreshMapWindow(app);
    return;
  }
  if (pen.arrowDrag) {
    pen.arrowDrag = false;
    pen.arrowDrawn = false;
    EndDrag(app, pen);
    pen.banner = kBannerNone;
    SetFixCycle(app, 1);
    ClearStatusText(app, false);
    if (!ReleaseOnTaskPointButton(app, pen, at)) {
      const std::int32_t d = ArrowLength(pen.down, at);
      ArrowGeometry(pen, at);
      if (!pen.simulatorArrow) {
        if (d > kArrowDeadZone) PanOrSearch(app, pen, at);
      } else {
        SteerSimulator(app, pen, d);
      }
    } else {
      pen.buttonCount = 0;
      return;
    }
    pen.buttonCount = 0;
  }
  EnterCriticalSection(&app.mainLock);
  app.map.popup.shown = 0;
  LeaveCriticalSection(&app.mainLock);
  RefreshMapWindow(app);
  if (pen.taskEditOnMap) TaskDragEnd();
}

void DoubleClick(AppContext& app, PenState& pen, POINT at) {
  if (app.menu.open) return;
  if (PenToNavBoxes(app, WM_LBUTTONDBLCLK, at)) return;
  if (!pen.tapInfo) MapTapInfo(app, at);
}

}  // namespace

PenTargets& PenTargetRects() {
  static PenTargets targets;
  return targets;
}

void LayoutPenTargets(PenTargets& t, const RECT& client, std::int32_t h, bool hi) {
  const std::int32_t w = client.right - client.left;
  const std::int32_t ht = client.bottom - client.top;
  const std::int32_t l = client.left;
  const std::int32_t top = client.top;
  t.bannerTitle = RECT{l, top + 3, w, top + 20};
  t.bannerHint = RECT{l, top + 20, w, top + 40};
  t.bannerArea = RECT{l, top, w, top + 40};
  t.markBox = hi ? RECT{l + 1, top + 1, 33, 33} : RECT{l, top, 20, 20};
  t.orientationBox = hi ? RECT{33, top, 97, 64} : RECT{18, top, 58, 30};
  t.faiBox = hi ? RECT{0, h + 10, 64, h + 74} : RECT{0, h + 10, 32, h + 42};
  t.scaleBar = RECT{w - 2 * h, 0, w, hi || top != 0 ? 50 : 32};
  t.restoreButton = RECT{l + 2 * h + 19, 0, w - 2 * h - 19, 46};
  t.infoBox = RECT{0, ht - 50, w, ht};
  t.startGateBox = RECT{w - 60, ht - h, w, ht};
}

PenState& Pen() {
  static PenState state;
  return state;
}

void PenReset() { Pen() = PenState{}; }

std::int32_t ArrowLength(POINT from, POINT to) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  return static_cast<std::int32_t>(std::lround(std::sqrt(dx * dx + dy * dy)));
}

std::int32_t SearchArrowBanner(std::int32_t length, std::uint8_t& nearSearch) {
  if (length < kArrowDeadZone) {
    nearSearch = 0;
    return kBannerGoto;
  }
  if (length < kArrowAllFrom) {
    nearSearch = 1;
    return kBannerNear;
  }
  nearSearch = 0;
  return kBannerAll;
}

float SimulatorArrowSpeed(std::int32_t length) {
  const std::int32_t d = length > 75 ? 2 * length : length;
  const float speed = 5.0f * static_cast<float>(d);
  return speed > kSimulatorMaxSpeed ? kSimulatorMaxSpeed : speed;
}

std::int32_t ReplayArrowDelay(std::int32_t length) {
  if (length < 10) return 2000;
  // An arrow of exactly 100 pixels takes the pace of longer ones rather than a step time of 0,
  // which would leave the replay thread running without a pause.
  if (length < 100) return (100 - length) * 20;
  return 100;
}

std::int32_t ArrowDirection(std::int32_t rotation, double angle) {
  return Normalised(rotation - static_cast<std::int32_t>(angle * kRadToDeg) + 180);
}

bool AngleInRadialRange(const TaskPoint& point, std::int32_t angle) {
  const std::int32_t start = point.startRadial;
  const std::int32_t end = point.endRadial;
  if (start == end) return true;
  if (angle < 0) return false;
  if (end > start) return angle >= start && angle <= end;
  return (angle >= start && angle <= 360) || angle <= end;
}

void ShowPenModeBanner(AppContext& app, std::int32_t mode) {
  PenState& pen = Pen();
  if (mode == pen.banner) return;
  pen.banner = mode;
  if (mode <= kBannerNone || mode > kBannerGoto || !app.mainWindow) return;
  const PenTargets& t = PenTargetRects();
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  const BannerText& text = kBanners[mode];
  const int oldRop = SetROP2(dc, R2_COPYPEN);
  SetBkMode(dc, TRANSPARENT);
  RECT label = t.markBox;
  label.right = label.left + 60;
  HBRUSH brush = CreateSolidBrush(RGB(255, 255, 192));
  FillRect(dc, &t.bannerArea, brush);
  DeleteObject(brush);
  SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(dc, t.bannerArea.left, t.bannerArea.top, t.bannerArea.right, t.bannerArea.bottom);
  DrawTextW(dc, text.label, -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  HGDIOBJ old = nullptr;
  if (HFONT* font = FontHandleSlot(kFontMedium); font && *font) old = SelectObject(dc, *font);
  RECT title = t.bannerTitle;
  DrawTextW(dc, text.title, -1, &title, DT_CENTER | DT_SINGLELINE);
  if (old) SelectObject(dc, old);
  RECT hint = t.bannerHint;
  DrawTextW(dc, text.hint, -1, &hint, DT_CENTER | DT_SINGLELINE);
  SetROP2(dc, oldRop);
  ReleaseDC(app.mainWindow, dc);
}

void DrawTaskPointButtons(AppContext& app) {
  PenState& pen = Pen();
  // The first task points, copied under the main lock (the new-fix handling may change the task).
  TaskPoint points[5];
  EnterCriticalSection(&app.mainLock);
  const DynArray<TaskPoint>& task = ActiveTask();
  std::int32_t n = task.Size() - 1;
  if (n > 5) n = 5;
  for (std::int32_t i = 0; i < n; ++i) points[i] = task[i];
  LeaveCriticalSection(&app.mainLock);
  pen.buttonCount = 0;
  if (n < 1) return;
  const PenTargets& t = PenTargetRects();
  const std::int32_t width = (app.mapRect.right - app.mapRect.left) / n;
  HDC dc = app.mainWindow ? GetDC(app.mainWindow) : nullptr;
  if (dc) SetBkMode(dc, TRANSPARENT);
  for (std::int32_t i = 0; i < n; ++i) {
    const RECT r{i * width, t.bannerArea.bottom, (i + 1) * width, t.bannerArea.bottom + 40};
    pen.buttonRect[i] = r;
    pen.buttonPoint[i] = PointRefPosition(points[i]);
    if (!dc) continue;
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 10, 10);
    WCHAR label[4];
    label[0] = u'T';
    label[1] = u'P';
    label[2] = static_cast<WCHAR>(u'1' + i);
    label[3] = 0;
    RECT inner{r.left + 4, r.top + 4, r.right - 4, r.bottom - 4};
    DrawTextW(dc, label, 3, &inner, DT_CENTER | DT_TOP | DT_SINGLELINE);
    if (const char* name = PointRefName(PointRef{points[i].kind, points[i].index})) {
      WCHAR wide[32] = {};
      for (int k = 0; k < 31 && name[k]; ++k) wide[k] = static_cast<unsigned char>(name[k]);
      DrawTextW(dc, wide, -1, &inner, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    }
  }
  pen.buttonCount = n;
  if (dc) ReleaseDC(app.mainWindow, dc);
}

std::int32_t MapTapInfo(AppContext& app, POINT at) { return PenToMapTapInfo(app, at); }

void ConfirmNextWaypoint(AppContext& app) {
  if (FixOption(3, 7) && !FixHandling().startArmed) {
    FixHandling().startArmed = 1;
    PlaySoundAsync(u"Asterisk.wav");
    return;
  }
  if (MessageBoxW(app.mainWindow, u"Navigate to NEXT Waypoint?", u"Next Wpt", MB_YESNO) != IDYES) return;
  if (AchievedList().Empty()) {
    OnCommand(app, MAKEWPARAM(kCmdTaskStart, 0), 0);
    return;
  }
  MainLockGuard lock(app);  // asked above without the lock
  DynArray<TaskPoint>& task = ActiveTask();
  if (task.Empty()) return;
  if (task[0].maxRadius != 0) {
    const GeoPoint own = OwnPosition(app);
    task[0].lon = own.lon;
    task[0].lat = own.lat;
  }
  RecordTaskPoint(app.stats, task[0]);
  AdvanceTask();
}

void OnMouse(AppContext& app, UINT message, WPARAM, LPARAM lparam) {
  PenState& pen = Pen();
  const POINT at = PenPoint(lparam);
  switch (message) {
    case WM_LBUTTONDOWN: ButtonDown(app, pen, at); return;
    case WM_MOUSEMOVE: MouseMove(app, pen, at); return;
    case WM_LBUTTONUP: ButtonUp(app, pen, at); return;
    case WM_LBUTTONDBLCLK: DoubleClick(app, pen, at); return;
    default: return;
  }
}

}  // namespace cumulor
