// AppContext: the one application record, passed first to most operations.
//
// The window-free part, the state the GPS input, the IGC log, the replay and the recorder links
// use, is EngineContext (cumulor/nav/engine): the engine includes that alone. This record adds the
// sub-records of the map, the navigation boxes, the menus and the drawing objects. Construction
// builds nothing that needs the platform: the start-up creates the abort event and calls
// GpsPortInit.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "cumulor/app/screen_record.h"
#include "cumulor/nav/engine/engine_context.h"
#include "platform/base/types.h"
// ---- Application core: the records and types of the block at the end of AppContext ----
#include "cumulor/app/sub_records.h"
#include "cumulor/data/airspace/airspace_module.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/data/vector/vector_store.h"
#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/map/windview/wind_profile.h"
#include "platform/kernel/sync.h"

namespace cumulor {

struct AppContext : EngineContext {
  // ---- Application core: entry, main window, commands, status line ----
  // Sub-records, built by AppContextInit in this order: airspace, flight parameters, map view,
  // navigation boxes, wind profile view, statistics, GPS, menu bar, IGC text context, vector map,
  // recorder session, aeronautical database (statistics, GPS input and recorder session are
  // EngineContext's).
  AirspaceModule airspace;
  FlightState flight;
  MapView map;
  NavBoxSet navBoxes;
  WindProfileView thermalView;               // the wind history and its profile view
  MenuBar menu;
  IgcHelper igcHelper;
  VectorMapStore vectorMap;
  AeroDb aeroDb;

  HINSTANCE instance = nullptr;
  std::uint8_t noChooser = 0;                  // 'x': no data-file chooser during a reload
  std::int32_t zoomIndex = 6;                  // into kZoomTable
  std::int32_t savedZoomIndex = -1;            // restored after the automatic turnpoint zoom
  std::atomic<std::int32_t> mapRotation{0};    // the new-fix handling turns it, the pen reads it
  GeoPoint mapCentre;
  GeoPoint mapCentreCopy;                      // taken at the end of start-up
  std::int32_t altitudeUnit = 1;               // 1 m, 2 ft
  std::int32_t climbUnit = 3;                  // 3 m/s, 4 kn
  std::int32_t distanceUnit = 5;               // 5 km, 6 nm, 8 sm
  std::int32_t taskSpeedUnit = 7;              // 7 km/h, other mph
  WCHAR altitudeUnitText[8] = u"m";
  WCHAR climbUnitText[8] = u"m/s";
  WCHAR distanceUnitText[8] = u"km";
  WCHAR speedUnitText[8] = u"km/h";
  WCHAR taskSpeedUnitText[8] = u"km/h";
  std::int32_t portMode = 1;                   // the 16-bit mode word beside the port speed
  std::int32_t fixHistoryCount = 16;
  std::int32_t marginValue = 20000;
  std::atomic<std::int32_t> dialogActive{0};   // a modal dialog, menu loop or long command runs
  std::atomic<std::int32_t> recorderBusy{0};   // a recorder dialog uses the port
  std::int32_t menuClosed = 1;
  DWORD lastZoomKeyTick = 0;
  std::uint8_t areaTargetEdit = 0;             // the arrow keys move the area target
  TaskPoint navTarget;
  TaskPoint fileHomePoint;
  TaskPoint thirdPoint;
  std::atomic<std::int32_t> firstFixAwaited{1};
  std::atomic<std::int32_t> redrawRestart{0};
  std::uint8_t terrainShown = 1;
  std::uint8_t thermalsHidden = 0;
  std::uint8_t labelsShown = 0;
  std::int32_t thermalViewShown = 0;
  WCHAR cardFolder[MAX_PATH] = {};
  WCHAR scratchText[MAX_PATH] = {};            // cleared by AppInit
  CRITICAL_SECTION mainLock{};
  CRITICAL_SECTION secondLock{};
  // Drawing objects: black pens of widths 1..4, grey, light grey and white pens, a dashed black
  // pen, five stock objects and a red brush.
  HPEN blackPen[4] = {};
  HPEN greyPen = nullptr;
  HPEN lightGreyPen = nullptr;
  HPEN whitePen = nullptr;
  HPEN dashPen = nullptr;
  HGDIOBJ stockObject[5] = {};
  HBRUSH redBrush = nullptr;
  // ---- Margins dialog: final glide and terrain clearance switches ----
  std::uint8_t finalGlideOn = 0;               // the final glide's first "On" option
  // The glide ratio over the rest of the task (or to the go-to target), at most 999; written by
  // the final-glide computation on the rendering thread, read by the navigation boxes.
  std::atomic<std::int32_t> requiredGlideRatio{999};
  std::uint8_t terrainClearanceOn = 0;         // the glide profile along the task is laid
  std::int32_t terrainElevation = -1000;       // metres under the own position; -1000 unknown
  char* extraBuffer = nullptr;                 // optional, owned (new[])

  // Commands and start-up.
  std::int32_t gpsThreadsStarted = 0;
  std::uint8_t simulatorSpeedZero = 0;         // the simulator starts the glider at speed 0
  std::int32_t explorerStarted = 0;            // the activation greets the return
  std::int32_t recentreCountdown = 0;
  RECT infoBoxRect{20, 100, 220, 140};
  HWND zoomLayerDialog = nullptr;
  GeoRect region;
  SYSTEMTIME taskStartLocal{};
  FILETIME taskStartTime{};
  std::int64_t taskDeadline = 0;               // 100-ns units
  std::int32_t taskTimeMinutes = 0;
  std::int32_t taskTimeSeconds = 0;
  std::int32_t taskStartAltitude = 0;

  // Status line and modeless windows.
  WCHAR statusText[512] = {};
  std::int32_t statusHeld = 0;
  std::int32_t statusSticky = 0;
  HWND activeDialog = nullptr;                 // the modeless dialog over the map
  HWND countryWindow = nullptr;
  HWND extraWindow[2] = {};                    // the second is the task-status window
  HMENU zoomSubmenu = nullptr;
  RECT mapRect{0, 0, 240, 320};
  MainScreen screen;                           // back buffer, layout and frame flags

  // Map operations.
  float macCready = 0.0f;                      // m/s
  float macCreadyKnots = 0.0f;
  float windSpeed = 0.0f;                      // km/h
  std::int32_t windDirection = 0;              // degrees the wind comes from
  DWORD windTick = 0;
  std::int32_t headingOffset = 0;
  float headingCorrection = 0.0f;
  std::int32_t etaMode = 0;                    // 0 polar, 1 fixed speed, other: polar at the speed
  double etaSpeed = 0.0;                       // m/s
  float suaAudio[3] = {0.2f, 0.1f, 0.02f};

  // Airspace warnings: the five-fix cycle (5 down to 1; 3 tests the file airspace, 1 the
  // database airspace), the warning distances and the alarm kept for the map when no dialog is
  // wanted.
  std::int32_t fixCycle = 0;
  std::int32_t suaDistX = 500;                 // metres
  std::int32_t suaDistY = 300;                 // metres
  std::mutex pendingAlarmLock;
  std::optional<AirspaceAlarm> pendingAlarm;

  // The task-point entries of the IGC declaration: two named entries and twelve turnpoints.
  struct DeclarationPoint {
    char name[7];
    std::uint8_t data[13];
  } declarationPoints[14] = {};

  // ---- Replay and loaded flights ----
  EvaluatedFlight evaluatedFlight;             // the flight of "Evaluate IGC flight log"
};

// The one application record of the process, reached by callbacks and dialog procedures (null
// before WinMain built it and after it was freed).
inline AppContext*& AppRecord() {
  static AppContext* record = nullptr;
  return record;
}

// The screen widths of the zoom steps in km, and the automatic-zoom thresholds per step.
inline constexpr std::int32_t kZoomSteps = 12;
inline constexpr std::int32_t kZoomTable[kZoomSteps] = {1, 2, 5, 10, 20, 50, 100, 150, 200, 500, 1000, 2000};
inline constexpr std::int32_t kZoomThresholds[kZoomSteps] = {44, 48, 60, 80, 120, 240, 440, 640, 840, 500, 3000, 6000};

}  // namespace cumulor
