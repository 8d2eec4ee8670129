// The new-fix handling: everything that follows from one GPS (or simulator, or replay) fix, in a
// fixed order: watchdog, clock, altitudes, circling, map view, altitude-limit warning, airspace
// warnings, automatic zoom, task progress, then the frame. The GPS notify thread runs it for each
// fix; WM_USER+78 runs it on the UI thread with the sender's result code.
#pragma once

#include <atomic>
#include <cstdint>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/gps/gps_port.h"

namespace cumulor {

// State of the new-fix handling that lives for the whole run.
struct FixHandlingState {
  std::atomic<UINT_PTR> watchdog{0};             // id of the running watchdog timer, 0 none
  std::atomic<std::uint8_t> recentreRequest{0};  // re-centre at the next wrap of the five-fix cycle
  std::atomic<std::uint8_t> startArmed{0};       // the start armed by hand (manual start arming)
  std::atomic<std::uint32_t> calls{0};           // every sixth call sends the keep-awake key
  std::atomic<std::uint32_t> targetDistance{0};  // metres from the own position to the target
  bool altimeterChecked = false;
  bool firstFixCommandSent = false;
  std::int32_t timeZoneHours = 0;                // the zone's bias in whole hours
  bool previousCircling = false;
  std::int32_t savedOrientation = 0;             // map orientation kept while circling
  std::int32_t altitudeWarningCountdown = 0;     // fixes until the altitude warning may repeat
  std::uint8_t altitudeDismissed[2] = {};        // "Disable Today": [0] before start, [1] on task
  TaskPoint lastZoomTarget;                      // the target that zoomed in last
  TaskPoint lastReachedTarget;                   // the target reported as reached last
};
FixHandlingState& FixHandling();
// Back to the state at the start of a run (called when the application record is built).
void FixHandlingReset();

// The option bits of the settings document's option words read here.
bool FixOption(std::int32_t word, int bit);

// The handler: 0, or 1 after the user chose the simulator in the E_FAIL question. `fix` is the
// position record to take (null: the GPS input's published one). With `wait` false a call that
// finds another fix being handled returns 0 at once (the UI thread never waits for the notify
// thread, which may be showing a dialog).
LRESULT HandleGpsUpdate(AppContext& app, const GpsStatus* fix, HRESULT status, bool wait);
// The notify thread's form (waits for a fix being handled on the UI thread).
LRESULT OnGpsUpdate(AppContext& app, const GpsStatus* fix, HRESULT status);

// Puts the GPS object's position record at `position`, at 150 (0 with "Sim Speed 0") on track 45.
void StartSimulatorAt(AppContext& app, const GeoPoint& position);

}  // namespace cumulor
