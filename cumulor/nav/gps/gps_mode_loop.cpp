#include "cumulor/nav/gps/gps_mode_loop.h"

#include <cmath>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/replay/replay.h"
#include "cumulor/nav/replay/replay_ui.h"
#include "platform/kernel/kernel.h"
#include "platform/text/format.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr std::int32_t kReplayStepMs = 1000;
constexpr float kKnotsToMs = 0.514444444f;
constexpr double kDegToRad = 0.017453292519943295;

ModeLoopRecorderHooks& Hooks() {
  static ModeLoopRecorderHooks hooks;
  return hooks;
}

// Waits the step time; false when the thread is to end.
bool WaitStep(GpsPort& gps) {
  HANDLE waits[2];
  DWORD count = 0;
  waits[count++] = gps.stopEvent;
  if (gps.app && gps.app->abortEvent) waits[count++] = gps.app->abortEvent;
  WaitForMultipleObjects(count, waits, FALSE, static_cast<DWORD>(gps.stepTime.load()));
  return gps.running != 0;
}

// Takes what the UI set for the simulator since the last pass.
void TakeSimulatorInput(GpsPort& gps) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  GpsPort::SimulatorInput& in = gps.simulatorInput;
  if (in.course) {
    gps.status.groundSpeedMs = in.speedMs;
    gps.status.groundSpeedKn = in.speedMs / kKnotsToMs;
    gps.status.track = static_cast<std::uint16_t>(((in.track % 360) + 360) % 360);
    in.course = 0;
  }
  if (in.position) {
    gps.status.position = in.point;
    in.position = 0;
  }
  if (in.altitude) {
    gps.status.altitude = in.metres;
    gps.fix.gpsAltitude = gps.fix.pressureAltitude = static_cast<std::int16_t>(in.metres);
    in.altitude = 0;
  }
}

void ReplayEnded(GpsPort& gps) {
  EngineContext* app = gps.app;
  const ReplayUi& ui = GetReplayUi();
  gps.replayActive = 0;
  if (ui.playbackFinished) ui.playbackFinished(app, gps.owner);
  gps.stepTime = kReplayStepMs;
  if (app && app->mainWindow && ui.replayEnded) ui.replayEnded(*app);
}

void StoreReplayedFix(GpsPort& gps, const GpsFix& fix) {
  EngineContext* app = gps.app;
  HWND window = app ? app->replayWindow.load() : nullptr;
  if (window && GetReplayUi().showReplayTime) {
    WCHAR title[16];
    ce::text::CopyOut(title, 16,
                      ce::text::Format(u"%02d:%02d:%02d", fix.localHour, fix.localMinute, fix.localSecond));
    GetReplayUi().showReplayTime(window, title);
  }
  GpsStatus& status = gps.status;
  status.position = fix.position;
  status.timeOfDay = fix.timeOfDay;
  status.groundSpeedKn = fix.groundSpeed;
  status.groundSpeedMs = fix.groundSpeed * kKnotsToMs;
  status.track = fix.track;
  status.altitude = fix.pressureAltitude;
  // A logged record's pressure altitude; a recorder without a pressure sensor logs 0.
  status.pressureValid = fix.pressureAltitude != 0 ? 1 : 0;
  status.pressureAltitude = fix.pressureAltitude;
  status.mark = 1;
  GpsFix& current = gps.fix;
  current.position = fix.position;
  current.timeOfDay = fix.timeOfDay;
  current.groundSpeed = fix.groundSpeed;
  current.track = fix.track;
  current.pressureAltitude = fix.pressureAltitude;
  current.airspeed = fix.airspeed;
  current.verticalSpeed = fix.verticalSpeed;
  current.localHour = fix.localHour;
  current.localMinute = fix.localMinute;
  current.localSecond = fix.localSecond;
  current.mark = 1;
  StoreFix(gps, current);
}

// One simulated step: v m/s along track t moves v cos t units of latitude and v sin t of longitude.
void StoreSimulatedFix(GpsPort& gps, std::uint32_t& simulatedCount) {
  GpsStatus& status = gps.status;
  const double v = status.groundSpeedMs;
  const double t = status.track * kDegToRad;
  status.position.lat += static_cast<std::int32_t>(v * std::cos(t));
  status.position.lon += static_cast<std::int32_t>(v * std::sin(t));
  status.variation = gps.manualVariation;
  SYSTEMTIME local{};
  GetLocalTime(&local);
  status.timeOfDay = static_cast<std::uint32_t>(local.wHour * 3600 + local.wMinute * 60 + local.wSecond);
  GpsFix& fix = gps.fix;
  fix.position = status.position;
  fix.groundSpeed = fix.airspeed = status.groundSpeedKn;
  fix.verticalSpeed = gps.instrument[2];
  fix.track = status.track;
  fix.timeOfDay = status.timeOfDay;
  fix.localHour = static_cast<std::uint8_t>(local.wHour);
  fix.localMinute = static_cast<std::uint8_t>(local.wMinute);
  fix.localSecond = static_cast<std::uint8_t>(local.wSecond);
  ++simulatedCount;
  fix.mark = simulatedCount % 3 == 0 ? 1 : 0;
  status.mark = fix.mark;
  StoreFix(gps, fix);
}

}  // namespace

void SetModeLoopRecorderHooks(const ModeLoopRecorderHooks& hooks) { Hooks() = hooks; }

void RunRecorderRequest(GpsPort& gps) {
  if (!gps.recorderRequest) return;
  if (Hooks().recorderExchange) Hooks().recorderExchange(gps);
  gps.recorderRequest = 0;
}

void GpsSetRecorderMode(GpsPort& gps, std::int32_t mode) {
  if (mode == kGpsRecorderMode) gps.recorderRequest = 1;
  if (mode == kGpsNormalMode) gps.recorderRequest = 0;
}

void SimulatorSetCourse(GpsPort& gps, float speedMs, std::int32_t track) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  gps.simulatorInput.speedMs = speedMs;
  gps.simulatorInput.track = track;
  gps.simulatorInput.course = 1;
}

void ReplayStart(EngineContext& app) {
  TrailClear();
  {
    std::lock_guard<std::mutex> guard(app.loadedFlight.lock);
    app.loadedFlight.cursor = 0;
  }
  app.replay.stop = 0;
  app.replay.step = 0;
  app.replay.hold = 0;
  app.gps.stepTime = kReplayStepMs;
  app.gps.replayActive = 1;
}

void GpsModeThread(GpsPort& gps) {
  gps.replayActive = 0;
  gps.status.variation = gps.manualVariation;
  gps.status.positionValid = 1;
  std::uint32_t simulatedCount = 0;
  EngineContext* app = gps.app;
  while (gps.running) {
    RunRecorderRequest(gps);
    if (const std::int32_t command = gps.deviceCommand.exchange(0)) {
      if (Hooks().deviceCommand) Hooks().deviceCommand(gps, command, gps.commandWindow);
    }
    TakeSimulatorInput(gps);
    bool setEvent = true;
    if (app && app->replay.hold) {
      // A loaded flight is being optimised: no fixes, the event only.
    } else if (gps.replayActive && app) {
      GpsFix fix;
      const HRESULT hr = ReplayNextFix(*app, fix);
      if (hr == S_OK) {
        StoreReplayedFix(gps, fix);
      } else {
        setEvent = false;
        if (hr == E_FAIL) ReplayEnded(gps);
      }
    } else {
      StoreSimulatedFix(gps, simulatedCount);
    }
    if (setEvent) {
      PublishStatus(gps);
      SetEvent(gps.fixEvent);
    }
    if (!WaitStep(gps)) break;
  }
}

}  // namespace cumulor
