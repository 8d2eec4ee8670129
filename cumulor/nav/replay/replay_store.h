// The records of the IGC replay and of loaded flights, kept in the application record:
// - LoadedFlight: the fixes of an IGC file read with LoadIgcFixes (for the replay and the flight
//   optimisation) and the per-file state of the fix reader;
// - ReplayStore: what the mode loop of the GPS input needs to replay the loaded flight;
// - EvaluatedFlight: the flight read by the "Evaluate IGC flight log" dialog, with its FlightInfo.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "cumulor/nav/igc/igc_text.h"
#include "platform/base/types.h"

namespace cumulor {

// The fixes of a loaded IGC file. `count` is the number of fixes read plus one (the slot of the
// read that ended the load, zeroed); a replay runs to index count - 1, so every fix read is
// replayed. `lock` guards fixes, count and capacity: the UI thread loads and frees them while the
// GPS input thread replays them.
struct LoadedFlight {
  std::mutex lock;
  GpsFix* fixes = nullptr;
  std::int32_t count = 0;
  std::int32_t capacity = 0;
  std::int32_t cursor = 0;                    // the next fix to replay

  // State of the fix reader for the open file (UI thread only).
  HANDLE file = INVALID_HANDLE_VALUE;
  LineReadAhead readAhead;                    // the file's bytes, read a block at a time
  std::uint8_t ownFile = 0;                   // "AQCM": the program's own log
  std::uint8_t tasFlag = 0;                   // its B lines carry an airspeed group
  std::int32_t year = 0, month = 0, day = 0;  // from "HFDTE"
  std::uint8_t hasPrevious = 0;
  GpsFix previous;                            // the previous fix read, for derived values
  GeoPoint startPosition;                     // the third fix's position, the replay's start
  std::int32_t linesRead = 0;                 // of the open file, to tell why no fix was read
  std::int32_t bRecords = 0;

  LoadedFlight() = default;
  LoadedFlight(const LoadedFlight&) = delete;
  LoadedFlight& operator=(const LoadedFlight&) = delete;
  ~LoadedFlight() { std::free(fixes); }

  // Fixes read, without the closing slot.
  std::int32_t FixCount() const { return count > 0 ? count - 1 : 0; }
};

// Replay speeds of the replay window's list: fixes advanced per step, and "Manual" (one fix per
// "Go").
inline constexpr std::int32_t kReplaySpeedManual = 4;

// The replay state shared by the UI thread (replay window) and the GPS input thread (mode loop):
// plain words, atomic. The fixes are those of LoadedFlight; the window handle is the application
// record's `replayWindow`.
struct ReplayStore {
  std::atomic<std::int32_t> speed{0};         // 0..4: x1, x10, x100, x1000, Manual
  std::atomic<std::int32_t> stop{0};          // set by "End": the loop ends the replay
  std::atomic<std::int32_t> step{0};          // "Go" pressed (Manual): one fix to give
  std::atomic<std::int32_t> hold{0};          // a loaded flight is being optimised: no fixes
  std::atomic<std::int32_t> fixTimesSetClock{0};  // replayed fix times drive the clock
};

// The flight read by ReadIgcFlight: 264 bytes as the flight-information array images hold it.
struct FlightInfo {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t day = 0;
  std::uint16_t reserved = 0;
  char pilot[32] = {};
  char gliderType[32] = {};
  char gliderId[16] = {};
  char competitionId[16] = {};
  std::int32_t fixInterval = 0;               // seconds: fourth fix minus third; 1000 until read
  WCHAR sourceFile[78] = {};
};
static_assert(sizeof(FlightInfo) == 264, "FlightInfo is stored as 264-byte records");

// The "Evaluate IGC flight log" store: filled and marked loaded by dialog 186.
struct EvaluatedFlight {
  DynArray<GpsFix> fixes;
  FlightInfo info;
  std::uint8_t loaded = 0;
};

}  // namespace cumulor
