// Construction and teardown of the application record.
#include <cstring>

#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/engine_window_hooks.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "cumulor/app/core/units.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/dialogs/data_file_chooser.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/gps/gps_input.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

HANDLE g_abortEvent = nullptr;

void AeroDbInit(AeroDb& db) {
  db.visible.Init();
  db.visibleItemCount = 0;
  db.visibleArea = GeoRect{};
  db.visibleObjects.Init();
  InitializeCriticalSection(&db.pointTableLock);
  db.locksReady = 1;
}

void AeroDbTerm(AeroDb& db) {
  if (db.locksReady) {
    DeleteCriticalSection(&db.pointTableLock);
    db.locksReady = 0;
  }
  db.visibleObjects.Init();
  db.visible.Init();
}

}  // namespace

HANDLE AbortEvent() { return g_abortEvent; }

AppContext* AppContextInit(AppContext* app, std::int32_t simulator, std::uint8_t noChooser) {
  AirspaceInit(app->airspace);
  // The flight parameters keep their built-in defaults until AppInit sets the flight defaults.
  MapInit(app->map);
  // The map draws its texts in the fonts of the font table.
  SetMapFontSource([](int role) -> HFONT {
    HFONT* slot = FontHandleSlot(role);
    return slot ? *slot : nullptr;
  });
  NavBoxSetInit(app->navBoxes);
  InitWindProfileView(app->thermalView);
  InitStatsTable(app->stats);
  GpsPortInit(app->gps, app);
  // The replay and the recorder exchanges reach the windows through the engine's hooks.
  InstallEngineWindowHooks();
  MenusInit(app->menu);
  app->igcHelper = IgcHelper{};
  InitVectorMapStore(app->vectorMap);
  AeroDbInit(app->aeroDb);
  // ---- Replay and loaded flights: the loader's progress goes to the status line ----
  app->showStatus = [](EngineContext* record, const WCHAR* text) {
    ShowStatusText(*static_cast<AppContext*>(record), text);
  };
  FlarmInit();
  // ---- New-fix handling: its run-long state starts afresh ----
  FixHandlingReset();

  app->simulator = simulator;
  app->noChooser = noChooser;
  app->zoomIndex = 6;
  app->savedZoomIndex = -1;
  app->lastZoomKeyTick = GetTickCount();
  std::memset(app->declarationPoints, 0, sizeof(app->declarationPoints));

  for (int i = 0; i < 4; ++i) app->blackPen[i] = CreatePen(PS_SOLID, i + 1, RGB(0, 0, 0));
  app->greyPen = CreatePen(PS_SOLID, 1, RGB(0x80, 0x80, 0x80));
  app->lightGreyPen = CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
  app->whitePen = CreatePen(PS_SOLID, 1, RGB(0xFF, 0xFF, 0xFF));
  app->dashPen = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
  const int stock[5] = {WHITE_BRUSH, BLACK_BRUSH, LTGRAY_BRUSH, NULL_BRUSH, BLACK_PEN};
  for (int i = 0; i < 5; ++i) app->stockObject[i] = GetStockObject(stock[i]);
  app->redBrush = CreateSolidBrush(RGB(0xFF, 0, 0));
  g_abortEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  app->abortEvent = g_abortEvent;

  // The locks first: the unit setters write the box texts under the main lock.
  InitializeCriticalSection(&app->mainLock);
  InitializeCriticalSection(&app->secondLock);
  SetAltitudeUnit(*app, 1);
  SetClimbUnit(*app, 3);
  SetDistanceUnit(*app, 5);
  SetSpeedUnit(*app, 7);
  SetTaskSpeedUnit(*app, 7);
  return app;
}

void AppContextFree(AppContext* app) {
  for (HPEN& pen : app->blackPen) {
    DeleteObject(pen);
    pen = nullptr;
  }
  for (HPEN* pen : {&app->greyPen, &app->lightGreyPen, &app->whitePen, &app->dashPen}) {
    DeleteObject(*pen);
    *pen = nullptr;
  }
  DeleteObject(app->redBrush);
  app->redBrush = nullptr;
  if (app->abortEvent) CloseHandle(app->abortEvent);
  if (g_abortEvent == app->abortEvent) g_abortEvent = nullptr;
  app->abortEvent = nullptr;
  DeleteCriticalSection(&app->mainLock);
  DeleteCriticalSection(&app->secondLock);
  delete[] app->extraBuffer;
  app->extraBuffer = nullptr;

  AeroDbTerm(app->aeroDb);
  DestroyLoggerSession(app->loggerSession);
  ClearVectorMapStore(app->vectorMap);
  MenusTerm(app->menu);
  GpsPortTerm(app->gps);
  NavBoxSetTerm(app->navBoxes);
  MapSymbolsAttachView(nullptr);
  MainWindowFreeScreen(*app);
  MapTerm(app->map);
  AirspaceTerm(app->airspace);
  // The chooser's hooks point at this record and its main window: a chooser run after the record
  // is gone (by a later record of the same process) must not reach them.
  SetChooserHooks({});
}

}  // namespace cumulor
