#include "cumulor/app/core/airspace_link.h"

#include <algorithm>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/dialogs/airspace_dialogs.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/polar/flight_state.h"
#include "platform/dialogs/message_box.h"
#include "platform/kernel/kernel.h"
#include "platform/sound/sound.h"

namespace cumulor {

namespace {

std::int32_t Feet(std::int32_t metres) { return static_cast<std::int32_t>(static_cast<double>(metres) * 3.2808); }

}  // namespace

void InstallAirspaceUi(AppContext& app) {
  AppContext* record = &app;
  AirspaceUi& ui = app.airspace.ui;
  ui.messageBox = [record](const std::u16string& text, const std::u16string& caption, bool owned) {
    MessageBoxW(owned ? record->mainWindow : nullptr, reinterpret_cast<LPCWSTR>(text.c_str()),
                reinterpret_cast<LPCWSTR>(caption.c_str()), MB_OK);
  };
  ui.playSound = [](const std::u16string& name, bool sync) {
    if (sync)
      sndPlaySoundW(reinterpret_cast<LPCWSTR>(name.c_str()), SND_SYNC);
    else
      PlaySoundAsync(reinterpret_cast<const WCHAR*>(name.c_str()));
  };
  ui.closeModeless = [record] { CloseModelessDialogs(*record); };
  ui.alarmDialog = [record](const AirspaceAlarm& alarm) {
    record->dialogActive = 1;
    RunAirspaceAlarmDialog(record->airspace, record->mainWindow, alarm);
    record->dialogActive = 0;
  };
  ui.pendingAlarm = [record](const AirspaceAlarm& alarm) {
    std::lock_guard guard(record->pendingAlarmLock);
    record->pendingAlarm = alarm;
  };
  ui.enterMainLock = [record] { EnterCriticalSection(&record->mainLock); };
  ui.leaveMainLock = [record] { LeaveCriticalSection(&record->mainLock); };
}

void AirspaceFixChecks(AppContext& app, const GeoPoint& position) {
  const std::int32_t altitude = Feet(GetFlightParameter(app.flight, kParamQnhAltitude));
  // Flight levels are pressure altitudes: the fix's own (a pressure sentence, a logged record),
  // else the GPS altitude less the QNH offset.
  const GpsStatus status = GetGpsStatus(app.gps);
  const std::int32_t pressure = Feet(status.pressureValid ? status.pressureAltitude
                                                          : GetFlightParameter(app.flight, kParamAltitude) -
                                                                GetFlightParameter(app.flight, kParamQnhOffset));
  const std::uint32_t h = static_cast<std::uint32_t>(std::max(0, app.suaDistX));
  const std::int32_t v = Feet(std::max(0, app.suaDistY));
  EnterCriticalSection(&app.mainLock);  // the pen sets the counter on the UI thread
  const std::int32_t cycle = app.fixCycle;
  LeaveCriticalSection(&app.mainLock);
  if (cycle == 3) {
    if (app.airspace.proximityBeeps) {
      if (const std::optional<AirspaceWarning> near = AirspaceNearest(app.airspace, nullptr)) {
        const float score = near->proximity;
        const int beeps = score < app.suaAudio[2] ? 3 : score < app.suaAudio[1] ? 2 : score < app.suaAudio[0] ? 1 : 0;
        for (int i = 0; i < beeps; ++i) {
          if (i > 0) Sleep(5);
          sndPlaySoundW(u"MenuPop.wav", SND_SYNC);
        }
      }
    }
    AirspaceAlarmCheck(app.airspace, position, h, v, altitude, pressure, 0);
  }
  if (cycle == 1 && app.airspace.showAeroAirspace) {
    const std::int32_t index = AeroAirspaceAlarmCheck(app.airspace, position, h, v, altitude, pressure, 0);
    AeroAirspaceMarks& marks = AeroAirspaceState();
    if (index >= 0 && index != marks.lastAlarm) {
      marks.lastAlarm = index;
      marks.shown = index;
      PlaySoundAsync(u"Alarm4.wav");
      PlaySoundAsync(u"sua.wav");
    }
  }
}

}  // namespace cumulor
