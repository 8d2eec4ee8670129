#include "cumulor/nav/replay/replay.h"

#include "cumulor/nav/engine/engine_context.h"

namespace cumulor {

HRESULT ReplayNextFix(EngineContext& app, GpsFix& fix) {
  ReplayStore& replay = app.replay;
  if (replay.stop.exchange(0) != 0) return E_FAIL;
  LoadedFlight& flight = app.loadedFlight;
  std::lock_guard<std::mutex> guard(flight.lock);
  if (!flight.fixes || flight.cursor >= flight.count - 1) return E_FAIL;
  const std::int32_t speed = replay.speed;
  if (speed == kReplaySpeedManual && replay.step.exchange(0) == 0) return S_FALSE;
  fix = flight.fixes[flight.cursor];
  static constexpr std::int32_t kAdvance[] = {1, 10, 100, 1000, 1};
  flight.cursor += kAdvance[speed >= 0 && speed <= kReplaySpeedManual ? speed : 0];
  return S_OK;
}

}  // namespace cumulor
