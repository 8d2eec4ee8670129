#include "cumulor/app/core/map_paint.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/final_glide_box.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/core/overlays.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/target_select.h"
#include "cumulor/app/core/vector_map_link.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "cumulor/data/airspace/airspace_texts.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/tap/map_tap.h"
#include "cumulor/map/draw/map_aircraft.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/draw/map_shapes.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/map/layers/trail_draw.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "cumulor/map/team/team_dialogs.h"
#include "cumulor/map/team/team_grid.h"
#include "cumulor/map/windview/wind_profile.h"
#include "cumulor/nav/dialogs/flarm_draw.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/dialogs/message_box.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/menus/menus.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr double kRadToDeg = 57.2957795131;
constexpr int kProgramIcon = 222;
constexpr std::int32_t kAdvanceDistance = 5000;  // metres
constexpr std::int32_t kNextBox = 21;
constexpr std::int32_t kMaxRestarts = 4;

std::int32_t ZoomScale(const AppContext& app) {
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  return kZoomTable[level];
}

std::int32_t ScreenWidth(const AppContext& app) { return app.mapRect.right - app.mapRect.left; }
std::int32_t ScreenHeight(const AppContext& app) { return app.mapRect.bottom - app.mapRect.top; }

HICON ProgramIcon(AppContext& app, int size) {
  static HICON small = nullptr;
  static HICON large = nullptr;
  HICON& icon = size > 32 ? large : small;
  if (!icon) icon = static_cast<HICON>(LoadImageW(app.instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, size, size, 0));
  return icon;
}

void TextAt(HDC dc, const WCHAR* text, RECT box, UINT format, COLORREF colour) {
  const COLORREF oldColour = SetTextColor(dc, colour);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text, -1, &box, format | DT_NOCLIP);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColour);
}

HGDIOBJ SelectFontRole(HDC dc, std::int32_t role) {
  HFONT* font = FontHandleSlot(role);
  return font && *font ? SelectObject(dc, *font) : nullptr;
}

// Step 7: the team grid and the trail. False when another pass was asked for meanwhile.
bool DrawGridAndTrail(AppContext& app, HDC dc, std::int32_t orientation, bool mayRestart) {
  const TeamGrid& grid = TeamGridState();
  if (grid.teamMode == 1) {
    if (orientation == 1) MapDrawCircle(app.map, dc, app.mapCentre);
    TeamMarksDraw(app.map, dc);
  } else if (grid.teamMode == 2) {
    MapDrawGrid(app.map, dc);
  }
  TrailDrawSimplified(app.map, dc, app.stopFlag != 0);
  if (mayRestart && app.redrawRestart) return false;
  TrailDraw(app.map, dc, app.instance, app.replayWindow.load() != nullptr);
  return !(mayRestart && app.liveOptimisation && ZoomScale(app) <= 200 && app.redrawRestart);
}

// Step 8: the aircraft (or the loaded flight) and the compass.
void DrawGlider(AppContext& app, HDC dc, std::int32_t orientation, const GpsStatus& status) {
  const bool northUp = orientation == 1;
  if (app.replay.hold == 0) {
    GpsFix fix;
    fix.position = status.position;
    fix.track = status.track;
    fix.groundSpeed = status.groundSpeedKn;
    fix.pressureAltitude = static_cast<std::int16_t>(status.altitude);
    fix.gpsAltitude = fix.pressureAltitude;
    std::int32_t track = status.track;
    std::int32_t wind = app.windDirection;
    if (!northUp) {
      track -= app.mapRotation;
      wind -= app.mapRotation;
    }
    track = ((track % 360) + 360) % 360;
    wind = ((wind % 360) + 360) % 360;
    const MapWind arrow{static_cast<std::int16_t>(wind), app.windSpeed};
    // An armed tap action rings the aircraft in its colour.
    HBRUSH ring = MapTap().armed ? CreateSolidBrush(GetTapModeValue()) : nullptr;
    MapDrawGlider(app.map, dc, track, fix, &app.screen.gliderPoint, arrow, app.speedUnit != 4,
                  &app.screen.gliderRect, ring);
    if (ring) DeleteObject(ring);
  } else {
    app.screen.gliderRect = RECT{};
    std::lock_guard lock(app.loadedFlight.lock);
    MapDrawPolyline(app.map, dc, app.loadedFlight.fixes, app.loadedFlight.FixCount(), 0, app.zoomIndex < 4);
  }
  double compass = -static_cast<double>(status.variation);
  if (orientation == 2) compass += status.track;
  if (orientation == 3) compass += app.mapRotation;
  MapDrawCompass(app.map, dc, compass);
}

// Step 9: the program icon, the corner letter, the sector-edit hint and the final-glide box.
void DrawCorner(AppContext& app, HDC dc) {
  const bool high = app.screen.highResolution != 0;
  const int size = high ? 64 : 32;
  HGDIOBJ oldFont = SelectFontRole(dc, high ? 13 : 12);
  if (HICON icon = ProgramIcon(app, size)) DrawIconEx(dc, 1, 1, icon, size, size, 0, nullptr, DI_NORMAL);
  TextAt(dc, app.screen.markFlag ? u"G" : u"P", app.screen.layout.markBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
         0x808080);
  if (app.screen.sectorEditHint)
    TextAt(dc, u"Radius<>, Distance^v", app.screen.layout.hintLine, DT_LEFT | DT_TOP, 0);
  if (oldFont) SelectObject(dc, oldFont);
  if (app.finalGlideOn) {
    RECT anchor = app.mapRect;
    anchor.top += app.screen.layout.titleHeight;
    UpdateTaskTimeTexts(app, dc, false, anchor);
  }
}

// The advance distance to the target: 5000 m on task; before the start it grows with the start
// rule's radius (types 2 and 3), or takes half of it when that is larger (type 4).
std::int32_t AdvanceDistance(bool started) {
  if (started) return kAdvanceDistance;
  const TaskRule& start = Rules().rule[kRuleStart];
  if (start.type == 2 || start.type == 3) return start.width + kAdvanceDistance;
  if (start.type == 4 && start.width / 2 > kAdvanceDistance) return start.width / 2;
  return kAdvanceDistance;
}

// Step 10: the overlays of a full frame. False when another pass was asked for.
bool DrawOverlays(AppContext& app, HDC dc, bool partial, bool mayRestart) {
  HGDIOBJ oldFont = SelectFontRole(dc, 12);
  SelectTargetPoint(app);
  if (!partial && !app.screen.overlaysSuppressed && !app.navBoxes.hidden) {
    // The navigation boxes are re-arranged every fifth pass. The map under them was drawn anew,
    // so every box is drawn whole.
    if (++app.screen.passCount % 5 == 0) NavBoxSetRearrange(app.navBoxes, false);
    NavBoxSetDraw(app.navBoxes, dc, true);
  }
  if (app.simulator && !app.screen.overlaysSuppressed)
    TextAt(dc, u"Simulator", app.screen.layout.simulatorLabel, DT_CENTER | DT_TOP | DT_SINGLELINE, 255);
  DrawAirspaceInfoBox(app);
  app.screen.startGateShown = 0;
  const DynArray<TaskPoint>& task = ActiveTask();
  bool startAllowed = false;
  if (!task.Empty()) {
    const bool started = !AchievedList().Empty();
    const TaskRule& start = Rules().rule[kRuleStart];
    if (start.type == 3 && !started) {
      RECT box = app.screen.layout.startGateBox;
      FillRect(dc, &box, MapPens().stockLightGrey);
      DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
      TextAt(dc, AlternateStartText(), box, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0);
      app.screen.startGateShown = 1;
    }
    if (task[0].maxRadius != 0) {
      NavBoxSetValue(app.navBoxes, kNextBox, u"Go Next");
      startAllowed = true;
    } else if (task.Size() >= 2 &&
               FixHandling().targetDistance < static_cast<std::uint32_t>(AdvanceDistance(started))) {
      const bool armWait = FixOption(3, 7) && !FixHandling().startArmed;
      NavBoxSetValue(app.navBoxes, kNextBox, started ? u"Next Wpt" : armWait ? u"ArmSt" : u"Start");
      startAllowed = true;
    }
  }
  // The "Start" box acts (and is drawn in black) only while it names a step to take.
  NavBoxStartAllowed() = startAllowed;
  if (oldFont) SelectObject(dc, oldFont);
  return !(mayRestart && app.redrawRestart);
}

// The frame's label places: before the map's points and airspaces are drawn, what the frame draws
// over them afterwards is taken (the program icon and the letter beside it, the compass, the menu
// tab, the scale bar, "Simulator", the task length, the aircraft and its wind text, the final-glide
// box with its chevrons, the start gate button and the navigation boxes), so that no label runs
// under it.
LabelPlacer& StartLabelPlaces(AppContext& app, HDC dc, const GpsStatus& status) {
  static LabelPlacer placer;
  const ScreenLayoutRects& r = app.screen.layout;
  const RECT screen{0, 0, ScreenWidth(app), ScreenHeight(app)};
  LabelPlacerStart(placer, screen);
  const LONG icon = app.screen.highResolution ? 64 : 32;
  for (const RECT& taken : {RECT{1, 1, 1 + icon, 1 + icon}, r.markBox, r.orientationBox, r.scaleBar, app.menu.tabRect})
    LabelPlacerTake(placer, taken);
  if (app.simulator) LabelPlacerTake(placer, r.simulatorLabel);
  if (ActiveTask().Size() >= 2) LabelPlacerTake(placer, TaskDrawing().lengthRect);
  if (app.replay.hold == 0) {
    // The aircraft, standing on its altitude line when the map shows one (as it is drawn).
    POINT glider{};
    MapWorldToScreen(app.map, glider, status.position);
    if (app.map.altitudeStalk)
      glider.y -= std::max<LONG>(0, (static_cast<std::int16_t>(status.altitude) - app.map.stalkBase) / 60);
    const LONG half = app.screen.highResolution ? 32 : 16;
    LabelPlacerTake(placer, RECT{glider.x - half, glider.y - half, glider.x + half, glider.y + half});
    LabelPlacerTake(placer, app.screen.gliderRect);
  }
  if (app.finalGlideOn) {
    RECT anchor = app.mapRect;
    anchor.top += r.titleHeight;
    LabelPlacerTake(placer, LayoutGlideBox(app, dc, anchor).area);
  }
  if (app.screen.startGateShown) LabelPlacerTake(placer, r.startGateBox);
  if (!app.screen.overlaysSuppressed && !app.navBoxes.hidden && app.navBoxes.ready) {
    for (std::int32_t n = 1; n <= kNavBoxLast; ++n)
      if (app.navBoxes.on[n]) LabelPlacerTake(placer, app.navBoxes.box[n].rect);
  }
  return placer;
}

// One pass of the frame. False when the pass is to run again (the wind profile view or a redraw
// request asked for it); `again` tells the caller to wait before the next pass.
bool FramePass(AppContext& app, std::int32_t orientation, HDC target, const RECT* targetRect, bool mayRestart,
               bool& again) {
  again = false;
  HDC dc = app.map.dc;
  const bool partial = target != nullptr && targetRect != nullptr;
  const std::int32_t scale = ZoomScale(app);
  app.redrawRestart = 0;
  const bool ring = scale < 51;
  MapSetStyle(app.map, scale < 200, app.labelsShown, ring, KeptSettings().labelLength, app.altitudeUnitText,
              app.screen.highResolution, app.screen.colourScreen);

  bool drawMap = !app.menu.open && !app.statusHeld;
  const GpsStatus status = GetGpsStatus(app.gps);
  if (drawMap) {
    drawMap = status.positionValid != 0;
    // The background, and on the map the vector layers over it.
    if (drawMap && !app.thermalViewShown) {
      DrawAppMapBase(app);
    } else {
      MapFillBackground(app.map, dc);
    }
  }
  if (drawMap && app.thermalViewShown) {
    WindProfileUnits units;
    units.altitudeFeet = app.altitudeUnit == 2;
    units.speedKnots = app.speedUnit == 4;
    units.altitudeUnitText = app.altitudeUnitText;
    units.altitude = status.altitude;
    again = PaintWindProfileView(app.thermalView, dc, units);
    drawMap = false;
  }
  if (drawMap) {
    // Labels of points and airspaces keep clear of each other and of what is drawn over them.
    app.map.labelPlacer = &StartLabelPlaces(app, dc, status);
    DrawPointLabelsLocked(app);
    if (scale <= 500) DrawFileAirspaces(app, scale < 100);
    DrawAppMapPoints(app);  // places and spot heights, where room is left
    app.map.labelPlacer = nullptr;
    MapDrawScaleBar(app.map, dc, scale, app.screen.layout.scaleBar, app.distanceUnit);
    if (!partial) {
      if (!DrawGridAndTrail(app, dc, orientation, mayRestart)) return false;
      DrawGlider(app, dc, orientation, status);
      if (app.menu.open) return true;  // the menu opened meanwhile: the frame ends uncopied
      DrawCorner(app, dc);
    }
    if (!DrawOverlays(app, dc, partial, mayRestart)) return false;
  }
  // Always: the popup, the FLARM targets, and the "RESTORE" button or the menu.
  if (app.map.popup.shown || app.map.popup.kind == kPopupStatusLine) MapDrawPointPopup(app.map, dc);
  FlarmDrawTargets(app);
  if (app.map.panX != 0 || app.map.panY != 0) {
    MapDrawRestoreButton(app.map, dc, app.screen.layout.restoreButton);
  } else if (!app.thermalViewShown && !partial) {
    MenuDraw(app.menu, dc);  // its tab, and its page while open
  }
  if (partial) {
    CopyBackBufferCentred(app, target, *targetRect);
  } else {
    CopyBackBufferToWindow(app);
  }
  return true;
}

}  // namespace

void ComputeScreenLayout(AppContext& app, const RECT& client) {
  ScreenLayoutRects& r = app.screen.layout;
  const LONG L = client.left, T = client.top;
  const LONG W = client.right - client.left, Ht = client.bottom - client.top;
  const bool hi = W > 240 && Ht > 320;
  app.screen.highResolution = hi ? 1 : 0;
  const LONG H = GetSystemMetrics(SM_CYCAPTION);
  r.titleHeight = H;
  r.bannerTitle = RECT{L, T + 3, W, T + 20};
  r.bannerHint = RECT{L, T + 20, W, T + 40};
  r.bannerArea = RECT{L, T, W, T + 40};
  r.markBox = hi ? RECT{L + 1, T + 1, 33, 33} : RECT{L, T, 20, 20};
  r.orientationBox = hi ? RECT{33, T, 97, 64} : RECT{18, T, 58, 30};
  r.orientationTextBox = hi ? RECT{48, 2, 142, 35} : RECT{23, 2, 98, 35};
  r.faiBox = hi ? RECT{0, H + 10, 64, H + 74} : RECT{0, H + 10, 32, H + 42};
  r.scaleBar = RECT{W - 2 * H, 0, W, hi || T != 0 ? 50 : 32};
  r.restoreButton = RECT{L + 2 * H + 19, 0, W - 2 * H - 19, 46};
  const LONG cx = W / 2;
  // "Simulator" sits under the title bar, and below the menu tab that the frame draws over the
  // top centre last (its icons are 32 or 64 pixels high).
  const LONG simulatorTop = std::max<LONG>(H - 5, (hi ? 64 : 32) + 1);
  r.simulatorLabel = RECT{cx - 40, simulatorTop, cx + 40, simulatorTop + 20};
  r.airspaceInfoBox = RECT{0, Ht - 50, W, Ht};
  r.startGateBox = RECT{W - 60, Ht - H, W, Ht};
  r.hintLine = RECT{0, 70, 240, Ht};
  r.cornerBox = RECT{W - 100, Ht - 15, W, Ht};
  r.penUnit = Ht / 7;
  r.mapReference = POINT{W / 2, 5 * (Ht / 7) - (app.screen.navBoxBar ? 0 : H + 5)};
  r.iconBox = hi ? 33 : 20;
  r.menuIcon = hi ? 64 : 32;
  app.screen.iconRow = H + 50;
}

LRESULT OnMainWindowCreate(AppContext& app, HWND window) {
  app.mainWindow = window;
  HDC screen = GetDC(nullptr);
  app.screen.horzRes = GetDeviceCaps(screen, HORZRES);
  app.screen.vertRes = GetDeviceCaps(screen, VERTRES);
  GetWindowRect(window, &app.screen.windowRect);
  const int colours = GetDeviceCaps(screen, NUMCOLORS);
  app.screen.colourScreen = colours == -1 || colours > 128 ? 1 : 0;
  app.screen.highResolution = app.screen.horzRes > 240 && app.screen.vertRes > 320 ? 1 : 0;
  if (!app.screen.backBuffer) app.screen.backBuffer = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!app.screen.backBuffer) return -1;
  app.map.dc = app.screen.backBuffer;
  app.map.window = window;
  MapSetScale(app.map, ZoomScale(app));
  return 1;
}

void OnMainWindowSize(AppContext& app) {
  HWND window = app.mainWindow;
  if (!window) return;
  EnterCriticalSection(&app.mainLock);
  SaveWindowRects(window);
  RECT client{};
  GetClientRect(window, &client);
  app.mapRect = client;
  ComputeScreenLayout(app, client);
  const std::int32_t width = client.right - client.left;
  const std::int32_t height = client.bottom - client.top;
  LayoutWindProfileView(app.thermalView, client, app.screen.layout.iconBox);
  MenuLayout(app.menu, client);
  NavBoxSetResize(app.navBoxes, client, window, false);
  MapSetScreenRect(app.map, client);
  HDC windowDc = GetDC(window);
  HBITMAP bitmap = windowDc ? CreateCompatibleBitmap(windowDc, width > 0 ? width : 1, height > 0 ? height : 1) : nullptr;
  if (windowDc) ReleaseDC(window, windowDc);
  if (!bitmap || !app.screen.backBuffer) {
    if (bitmap) DeleteObject(bitmap);
    LeaveCriticalSection(&app.mainLock);
    DestroyWindow(window);
    return;
  }
  HGDIOBJ previous = SelectObject(app.screen.backBuffer, bitmap);
  if (app.screen.bitmap) {
    DeleteObject(app.screen.bitmap);
  } else {
    app.screen.replacedBitmap = previous;
  }
  app.screen.bitmap = bitmap;
  app.screen.width = width;
  app.screen.height = height;
  LeaveCriticalSection(&app.mainLock);
  if (!app.firstFixAwaited) RefreshMapWindow(app);
}

void OnMainWindowPaint(AppContext& app, HWND window) {
  // The region is validated in every case: an update region left invalid would bring WM_PAINT
  // back at once and keep the UI thread busy for as long as a dialog runs.
  PAINTSTRUCT ps;
  if (app.dialogActive) {
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
    return;
  }
  EnterCriticalSection(&app.mainLock);
  BeginPaint(window, &ps);
  if (!app.firstFixAwaited) CopyBackBufferToWindow(app);
  EndPaint(window, &ps);
  LeaveCriticalSection(&app.mainLock);
}

LRESULT OnMainWindowActivate(AppContext& app, WPARAM state) {
  const WORD active = LOWORD(state);
  if (app.explorerStarted && (active == WA_ACTIVE || active == WA_CLICKACTIVE)) {
    PlaySoundAsync(u"Asterisk.wav");
    SetFocus(app.mainWindow);
    RefreshMapWindow(app);
    app.explorerStarted = 0;
    return 0;
  }
  return static_cast<LRESULT>(state);
}

void OnMainWindowInitMenuPopup(AppContext& app, HMENU menu) {
  if (!menu || menu != app.zoomSubmenu) return;
  app.dialogActive = 1;
  if (app.simulator) {
    for (UINT item : {40023u, 40017u, 40004u}) EnableMenuItem(menu, item, MF_BYCOMMAND | MF_GRAYED);
  }
}

void MainWindowFreeScreen(AppContext& app) {
  FreeAppMapBase();
  MainScreen& s = app.screen;
  if (s.backBuffer) {
    if (s.replacedBitmap) SelectObject(s.backBuffer, s.replacedBitmap);
    if (app.map.dc == s.backBuffer) app.map.dc = nullptr;
    DeleteDC(s.backBuffer);
  }
  if (s.bitmap) DeleteObject(s.bitmap);
  s.backBuffer = nullptr;
  s.bitmap = nullptr;
  s.replacedBitmap = nullptr;
}

void CopyBackBufferToWindow(AppContext& app) {
  if (!app.mainWindow || !app.screen.backBuffer || !app.screen.bitmap) return;
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  BitBlt(dc, 0, 0, ScreenWidth(app), ScreenHeight(app), app.screen.backBuffer, 0, 0, SRCCOPY);
  ReleaseDC(app.mainWindow, dc);
}

void CopyBackBufferCentred(AppContext& app, HDC dc, const RECT& rect) {
  if (!dc || !app.map.dc) return;
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  BitBlt(dc, rect.left, rect.top, w, h, app.map.dc, ScreenWidth(app) / 2 - w / 2, ScreenHeight(app) / 2 - h / 2,
         SRCCOPY);
}

void PaintPointMap(AppContext& app, HDC target, const RECT& rect, const GeoPoint& centre) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  if (!target || !app.map.dc || w <= 0 || h <= 0 || w > ScreenWidth(app) || h > ScreenHeight(app)) return;
  constexpr std::int32_t kPointMapZoom = 3;
  EnterCriticalSection(&app.mainLock);
  const std::int32_t keptZoom = app.zoomIndex;
  app.zoomIndex = kPointMapZoom;
  const std::int32_t scale = kZoomTable[kPointMapZoom];
  MapSetScale(app.map, scale);
  // The point in the middle of a screen of the picture's size, at the back buffer's top left.
  MapSetViewCentred(app.map, centre.lon, centre.lat, 0, RECT{0, 0, w, h});
  UpdateOwnPosition(app, app.map.view, true);
  FreeAppMapBase();
  DrawAppMapBase(app);
  DrawPointLabelsLocked(app);
  DrawFileAirspaces(app, true);
  DrawAppMapPoints(app);
  MapDrawScaleBar(app.map, app.map.dc, scale, RECT{0, 0, w, h}, app.distanceUnit);
  BitBlt(target, rect.left, rect.top, w, h, app.map.dc, 0, 0, SRCCOPY);
  // The moving map as it was; its next frame draws the whole back buffer again.
  FreeAppMapBase();
  app.zoomIndex = keptZoom;
  MapSetScreenRect(app.map, app.mapRect);
  MapSetScale(app.map, kZoomTable[keptZoom]);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  UpdateOwnPosition(app, app.map.view, true);
  LeaveCriticalSection(&app.mainLock);
}

// The orientation the pen changes on the UI thread, read under the main lock.
static std::int32_t KeptOrientation(AppContext& app) {
  EnterCriticalSection(&app.mainLock);
  const std::int32_t orientation = KeptSettings().mapOrientation;
  LeaveCriticalSection(&app.mainLock);
  return orientation;
}

void PaintMapScreen(AppContext& app) { PaintMapScreen(app, KeptOrientation(app), nullptr, nullptr); }

void PaintMapScreen(AppContext& app, std::int32_t orientation, HDC target, const RECT* targetRect) {
  if (!app.map.dc) return;
  EnterCriticalSection(&app.mainLock);
  // A redraw asked for during a pass starts it over, a few times at most: requests that keep
  // coming cannot hold the frame (and MainLock) for ever.
  std::int32_t restarts = 0;
  for (;;) {
    bool again = false;
    if (!FramePass(app, orientation, target, targetRect, restarts < kMaxRestarts, again)) {
      ++restarts;
      continue;
    }
    if (!again) break;
    LeaveCriticalSection(&app.mainLock);
    if (PumpMessagesWait(AbortEvent(), 1) == E_ABORT) return;
    EnterCriticalSection(&app.mainLock);
  }
  LeaveCriticalSection(&app.mainLock);
}

void UpdateMapRotation(AppContext& app) { UpdateMapRotation(app, KeptOrientation(app)); }

void UpdateMapRotation(AppContext& app, std::int32_t orientation) {
  const GpsStatus status = GetGpsStatus(app.gps);
  switch (orientation) {
    case 1: app.mapRotation = 0; break;
    case 2: app.mapRotation = status.track; break;
    case 3: {
      const TaskPoint& target = app.navTarget;
      if (PointRefIsValid(PointRef{target.kind, target.index})) {
        double bearing = 0;
        GeoBearing(bearing, status.position, PointRefPosition(target));
        app.mapRotation = static_cast<std::int32_t>(bearing * kRadToDeg);
      } else {
        app.mapRotation = status.track;
      }
      break;
    }
    default: break;
  }
}

void DrawAirspaceInfoBox(AppContext& app) {
  HDC dc = app.map.dc;
  if (!dc) return;
  std::u16string lines[3];
  const std::u16string unit = app.distanceUnitText;
  {
    std::lock_guard guard(app.pendingAlarmLock);
    if (app.pendingAlarm) {
      if (const AirspaceShape* shape = AirspaceFindShape(app.airspace, app.pendingAlarm->shape)) {
        lines[0] = AirspaceNameText(*shape);
        lines[1] = AirspaceLimitsText(*shape);
        lines[2] = AirspaceDistanceText(*shape, app.mapCentre, unit);
      }
    }
  }
  if (lines[0].empty()) {
    const std::int32_t shown = AeroAirspaceState().shown.load();
    const auto& table = AeroData().airspaces;
    if (shown < 0 || shown >= static_cast<std::int32_t>(table.size()) || !table[shown]) return;
    const AeroAirspace& airspace = *table[shown];
    const bool shortFirst = app.airspace.shortNamesFirst != 0;
    lines[0] = AeroAirspaceInfoText(airspace, shortFirst);
    lines[1] = AeroAirspaceLimitsText(airspace);
    lines[2] = AeroAirspaceDistanceText(airspace, app.mapCentre, unit);
  }
  HGDIOBJ oldFont = SelectFontRole(dc, 2);
  SIZE x{};
  GetTextExtentPoint32W(dc, u"X", 1, &x);
  RECT& box = app.screen.layout.airspaceInfoBox;
  box.top = box.bottom - 3 * x.cy - 2;
  FillRect(dc, &box, MapPens().solid[kBrushPanel]);
  RECT edge = box;
  DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  for (int i = 0; i < 3; ++i) {
    RECT line{box.left + 3, box.top + 1 + i * x.cy, box.right - 3, box.top + 1 + (i + 1) * x.cy};
    TextAt(dc, lines[i].c_str(), line, DT_LEFT | DT_TOP | DT_SINGLELINE, 0);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

void ShowTransparentAirspaceNotice(AppContext& app) {
  MessageBoxW(app.mainWindow, u"Too many transparent airspace segments", u"Cumulor", MB_OK);
}

}  // namespace cumulor
