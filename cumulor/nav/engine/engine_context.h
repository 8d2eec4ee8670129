// EngineContext: the window-free part of the application record, the state the GPS input, the IGC
// log, the replay and the recorder links read and write. The application record (AppContext in
// cumulor/app) derives from it and adds the map, the boxes, the menus and the drawing objects, so
// the engine takes an EngineContext and never sees a window-side header.
//
// Construction builds nothing that needs the platform: the start-up creates the abort event and
// calls GpsPortInit.
#pragma once

#include <atomic>
#include <cstdint>

#include "cumulor/app/base/guarded_path.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/igc/igc_check.h"
#include "cumulor/nav/recorder/logger_session.h"
#include "cumulor/nav/replay/replay_store.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/base/types.h"

namespace cumulor {

// The IGC declaration: 8-bit texts, each NUL-terminated.
struct IgcDeclaration {
  char pilot[65] = {};
  char registration[8] = {};
  char gliderType[13] = {};
  char competitionClass[13] = {};
  char competitionId[4] = {};
};

struct EngineContext {
  HWND mainWindow = nullptr;
  HANDLE abortEvent = nullptr;                 // set at shutdown; ends every waiting loop
  std::atomic<std::int32_t> stopFlag{0};

  // Set by the settings on the UI thread, read by the GPS input thread when it opens a log.
  GuardedPath dataFolder;

  // Serial settings: port number 1..8, baud rate and the port name built from them.
  std::int32_t portNumber = 1;
  std::uint32_t baudRate = 4800;
  WCHAR portName[64] = u"COM1:";

  // IGC settings and log. The UI changes igcLogging and fixRate while the GPS input thread reads
  // them, so they are atomic.
  std::atomic<std::int32_t> igcLogging{1};
  std::int32_t igcLongFileNames = 0;
  std::int32_t olcSecurity = 0;
  std::atomic<std::int32_t> fixRate{1};        // "FixRate": a B line every N stored fixes
  std::int32_t timeZone = 0;
  std::int32_t igcUnitNumber = 0;              // written in base 36 in the A line and short names
  IgcDeclaration declaration;
  HANDLE igcFile = INVALID_HANDLE_VALUE;
  IgcCheckValue igcCheck;

  // Flight flags the GPS input writes (plain words shared without a lock, so atomic).
  std::atomic<std::int32_t> circling{0};
  std::atomic<std::int32_t> circlingCount{0};
  std::atomic<std::int32_t> turnDirection{0};
  std::atomic<std::int32_t> compassPresent{0};
  std::atomic<std::int32_t> trueNorth{0};      // map options: no magnetic variation
  std::int32_t liveOptimisation = 0;           // the trail feeds the live optimisation

  // The program's own message box (OK); null shows nothing.
  int (*messageBox)(EngineContext* app, const WCHAR* text, const WCHAR* caption) = nullptr;
  // The status line; null shows nothing.
  void (*showStatus)(EngineContext* app, const WCHAR* text) = nullptr;

  GpsPort gps;
  StatsBlock stats;
  LoggerSession loggerSession;                 // the recorder dialogs and their worker

  std::int32_t simulator = 0;                  // 's' on the command line
  std::int32_t speedUnit = 7;                  // 4 kn, 7 km/h
  std::uint8_t taskStarted = 0;

  // ---- Replay and loaded flights ----
  std::atomic<HWND> replayWindow{nullptr};     // the modeless replay window (read by the GPS input)
  LoadedFlight loadedFlight;                   // fixes of an IGC file, for the replay and optimisation
  ReplayStore replay;                          // replay speed, stop, step and hold flags
};

// Stores the port number (1..8; others keep the current one) and the rate, and rebuilds the port
// name: "COM1:" with the digit replaced by the number.
inline void SetSerialPort(EngineContext& app, std::int32_t number, std::uint32_t baud) {
  if (number >= 1 && number <= 8) app.portNumber = number;
  app.baudRate = baud;
  const WCHAR name[] = u"COM1:";
  for (int i = 0; i < 6; ++i) app.portName[i] = name[i];
  app.portName[3] = static_cast<WCHAR>(u'0' + app.portNumber);
}

}  // namespace cumulor
