// The mode loop of the GPS input thread when the port is "SIM" (mode 1): simulated fixes, the
// replay of a loaded flight, the hold while a loaded flight is optimised, and the recorder
// exchanges that need the thread while no GPS is read.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;
struct GpsPort;

// Runs on the reader thread until the running flag is cleared. Each pass: a recorder request and a
// device command are handed to their hooks (cleared when none is set); then, holding, the fix
// event only; replaying, the next fix of the loaded flight ("Playback finished" at its end, the
// main window's title back to "Cumulor", WM_COMMAND 40054 to it); else a simulated fix moved by the
// status speed along the status track. Every fix is stored (StoreFix) and the event set, then the
// loop waits its step time (500 ms, 1000 ms while and after replaying).
void GpsModeThread(GpsPort& gps);

// Starts the replay of the loaded flight from its first fix: empties the trail, replay-active set,
// step time 1000 ms, the stop, step and hold flags cleared.
void ReplayStart(EngineContext& app);

// The simulator's course from the UI (speed in m/s, track in degrees), taken at the next pass.
void SimulatorSetCourse(GpsPort& gps, float speedMs, std::int32_t track);

// The flight recorder's part of the loop. Until a module sets them, a recorder request and device
// commands are cleared without effect.
struct ModeLoopRecorderHooks {
  // A Volkslogger request (the recorder request flag): open "COM1:", run the exchange, close.
  void (*recorderExchange)(GpsPort& gps) = nullptr;
  // Device command 1 (read block), 2 (write block) or 3 (read flight), progress to `window`;
  // any other command ends the device session.
  void (*deviceCommand)(GpsPort& gps, std::int32_t command, HWND window) = nullptr;
};
void SetModeLoopRecorderHooks(const ModeLoopRecorderHooks& hooks);

// Runs a requested Volkslogger exchange through its hook and clears the request (both loops of
// the GPS input call it at each pass).
void RunRecorderRequest(GpsPort& gps);

// Recorder mode: 4 requests the exchange on the GPS input thread, 10 withdraws the request (the
// dialog that wanted it has ended).
inline constexpr std::int32_t kGpsRecorderMode = 4;
inline constexpr std::int32_t kGpsNormalMode = 10;
void GpsSetRecorderMode(GpsPort& gps, std::int32_t mode);

}  // namespace cumulor
