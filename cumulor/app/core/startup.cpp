// The start-up sequence (command 40029, posted by the window's creation): banner, free space,
// language, menu bar, GPS port, map, and at the end the command that starts the GPS threads.
#include <string>

#include "cumulor/app/base/language.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/profiles.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/data_reload.h"
#include "cumulor/app/core/vector_map_link.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/core/target_select.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/cup_import.h"
#include "cumulor/data/waypoints/strepla_import.h"
#include "cumulor/map/tap/map_tap.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/map/browser_frame/waypoint_module.h"
#include "cumulor/map/team/team_grid.h"
#include "platform/devicelibs/gx.h"
#include "platform/dialogs/message_box.h"
#include "platform/files/files.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/resources/resources.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr const WCHAR* kBanner = u"Cumulor Ultra version 9.00b";
constexpr std::uint64_t kLowDiskSpace = 500000;

// The banner in the window's own font: opaque over a plain rectangle at first, transparent over
// the status line at the end.
void DrawBanner(AppContext& app, int offset, bool first) {
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  RECT r = app.mapRect;
  SetBkMode(dc, first ? OPAQUE : TRANSPARENT);
  if (first) Rectangle(dc, r.left, r.top, r.right, r.bottom);
  OffsetRect(&r, 0, offset);
  DrawTextW(dc, kBanner, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ReleaseDC(app.mainWindow, dc);
}

// True when the start-up may go on: enough free space, or the user said Yes.
bool FreeSpaceOk(AppContext& app) {
  ULARGE_INTEGER available{}, total{}, free{};
  if (!GetDiskFreeSpaceExW(nullptr, &available, &total, &free)) return true;
  // The whole 64-bit figure is compared: a multiple of 4 GiB plus a little is plenty.
  if (available.QuadPart >= kLowDiskSpace) return true;
  return MessageBoxW(app.mainWindow, u"WARNING: DISK SPACE BELOW 0.5MB!\nProceed?", u"Cumulor",
                     MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

// How far below the map's middle the banner goes the second time: 25 pixels, or further when the
// status text wraps onto more lines than that leaves room for.
int BannerOffset(AppContext& app) {
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return 25;
  HGDIOBJ old = nullptr;
  if (HFONT* font = FontHandleSlot(kFontMedium); font && *font) old = SelectObject(dc, *font);
  RECT box{app.map.screen.left + 5, 0, app.map.screen.right - 5, 0};
  const int height = DrawTextW(dc, app.statusText, -1, &box, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  if (old) SelectObject(dc, old);
  ReleaseDC(app.mainWindow, dc);
  return height / 2 + 12 > 25 ? height / 2 + 12 : 25;
}

// Imports the file when it is there and the pilot agrees; an imported file is kept under the old
// name and removed, a file that did not import stays where it is.
void ImportOnce(const WCHAR* path, const WCHAR* oldPath, int (*import)(const WCHAR*)) {
  if (!import(path)) return;
  CopyFileW(path, oldPath, FALSE);
  DeleteFileW(path);
}

}  // namespace

void StartupSequence(AppContext& app) {
  // The fonts are filled before the menu bar and the banner take theirs.
  FontTableInit();
  DrawBanner(app, 0, true);
  ShowStatusText(app, u"Reading Settings...");

  if (!FreeSpaceOk(app)) {
    DestroyWindow(app.mainWindow);
    return;
  }
  // Team marks of an earlier run are not this flight's.
  TeamMarksClear();
  app.marginValue = 200;
  SetFlightParameter(app.flight, kParamSafetyMargin, 200, 1);

  const std::u16string language = app.dataFolder.Get() + u"\\KV_TEXT.xml";
  LangLoadFile(language.c_str());

  HFONT* medium = FontHandleSlot(kFontMedium);
  HFONT* small = FontHandleSlot(kFontSmall);
  MenuBarSetup(app.menu, app.instance, app.mainWindow, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)),
               static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), medium ? *medium : nullptr, small ? *small : nullptr);
  // The labels and the map's pop-ups are sized by the fonts of this screen.
  MapMeasureFont(app.map, 0, app.mainWindow);
  LoadImageW(app.instance, MAKEINTRESOURCEW(222), IMAGE_ICON, 32, 32, 0);

  // The data files found, then the settings document (whose "Files" selects among them) and the
  // install documents merged once.
  ScanDataFiles();
  InitWaypointModule();
  LoadAllSettings(app, &app.mapCentre, false);
  RefreshColumns();
  SelectStorageFolder(app);

  if (app.simulator) {
    const WCHAR sim[] = u"SIM";
    for (int i = 0; i < 4; ++i) app.portName[i] = sim[i];
  }
  if (FAILED(GpsPortOpen(app.gps, app.portName, app.baudRate))) {
    const WCHAR* text = LangText(210);
    MessageBoxOk(text ? text : u"");
    DestroyWindow(app.mainWindow);
    return;
  }
  ShowStatusStringId(app, 35);
  GXOpenInput();
  // Without an aviation database there are no airports to tap: a tap on the map makes a waypoint.
  if (!GetDataFileEntry(kFilesAviationDb)) {
    MapTap().mode = kTapCreate;
    MapTap().armed = 1;
  }
  ApplySelectedLanguage();
  SelectTargetPoint(app);

  // The home point: the map starts there, and the region at least covers it.
  if (PointRefIsValid(PointRef{HomePoint().kind, HomePoint().index})) {
    const GeoPoint home = PointRefPosition(HomePoint());
    const GeoRect& r = app.region;
    if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) ExtendRect(app.region, home);
    app.mapCentre = home;
  }

  SetMapRegion(app, app.region);
  SetupWindProfileView(app.thermalView, app.map.largeScreen != 0, app.simulator != 0, &app.thermalViewShown, [] {
    // Closing the wind profile view gives the map its navigation boxes back.
    if (AppContext* record = AppRecord()) NavBoxSetShow(record->navBoxes);
  });
  const double calmAltitude = GetFlightParameter(app.flight, kParamQnhAltitude);
  PushWindSample(app.thermalView, WindSample{GetTickCount(), static_cast<std::uint16_t>(
                                                                 calmAltitude < 0 ? 0 : calmAltitude > 65535 ? 65535 : calmAltitude),
                                             0, 0.0f});
  SetFlightParameter(app.flight, kParamWindSpeed, 0, 1);
  SetFlightParameter(app.flight, kParamWindDirection, 0, 1);

  // Waypoint files the desktop left at the root are imported once, then kept as the "_OLD" copy.
  ImportOnce(u"\\Cumulor.cup", u"\\Cumulor_OLD.cup", ImportSeeYou);
  ImportOnce(u"\\Cumulor.ste", u"\\Cumulor_OLD.ste", ImportStrePla);

  ShowStatusText(app, u"Loading Map...");
  LoadAppVectorMaps(app);
  InitWaypointIcons(app.instance, app.map.displayFlags);
  InstallMapLayerHooks(app);
  InstallVectorMapHooks(app);
  InstallMapDialogs(app);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  // The simulator's thermals start with a climb to compare against.
  if (app.simulator) ThermalMaxClimb(2.0f);
  MapSetScale(app.map, kZoomTable[app.zoomIndex]);
  GridSetOrigin();

  app.dialogActive = 0;
  UpdateOwnPosition(app, app.map.view, true);
  app.mapCentreCopy = app.mapCentre;
  if (!app.firstFixAwaited) RefreshMapWindow(app);

  ShowStatusText(app, app.simulator ? u"Starting Simulator..." : u"Waiting for GPS data...");
  DrawBanner(app, BannerOffset(app), false);
  // Airspace still switched off today is shown before the flight starts.
  if (AirspaceExpireDisabled(app.airspace) > 0) {
    PlaySoundAsync(u"Splat.wav");
    SendMessageW(app.mainWindow, WM_COMMAND, kCmdDisabledAirspace, 0);
  }
  PostMessageW(app.mainWindow, WM_COMMAND, kCmdStartGps, 0);
}

}  // namespace cumulor
