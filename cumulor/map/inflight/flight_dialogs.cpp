#include "cumulor/map/inflight/flight_dialogs.h"

#include <atomic>
#include <cmath>
#include <cstdio>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/dialogs/data_file_chooser.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/polar/altimeter.h"
#include "cumulor/nav/polar/parameter_spin.h"
#include "cumulor/nav/polar/polar.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/devicelibs/aygshell_window.h"
#include "platform/dialogs/dialogs.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr double kKmhToKnots = 0.5399568034557235;

void Register(HWND dialog) {
  if (const auto& set = GetMapSettingsLink().setActiveDialog) set(dialog);
}
void ClearRegistration() {
  if (const auto& set = GetMapSettingsLink().setActiveDialog) set(nullptr);
}
void SetFont(HWND dialog, int id, int role) {
  SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(role)), FALSE);
}
void SetTextA(HWND dialog, int id, const char* text) {
  WCHAR wide[96] = {};
  for (int i = 0; i < 95 && text[i]; ++i) wide[i] = static_cast<unsigned char>(text[i]);
  SetDlgItemTextW(dialog, id, wide);
}

// ---- Dialog 121 ----

void ShowPolar(HWND dialog, const FlightState& fs) {
  const WCHAR* name = GetDataFileEntry(kFilesPolar);
  SetDlgItemTextW(dialog, kIdPolarFile, name ? name : u"");
  for (int id : {kParamMass, kParamWater, kParamSpeed1, kParamSpeed2, kParamSpeed3})
    SetDlgItemInt(dialog, id, static_cast<UINT>(GetFlightParameter(fs, id)), TRUE);
  for (int id : {kParamSink1, kParamSink2, kParamSink3}) SetDlgItemHundredths(dialog, id, GetFlightParameter(fs, id));
  const struct {
    int speed, sink, glide;
  } points[] = {{kParamSpeed1, kParamSink1, kParamGlide1},
                {kParamSpeed2, kParamSink2, kParamGlide2},
                {kParamSpeed3, kParamSink3, kParamGlide3}};
  // A sink of 0 shows a glide ratio of 0.
  for (const auto& p : points)
    SetDlgItemHundredths(dialog, p.glide, PointGlideRatio100(GetFlightParameter(fs, p.speed), GetFlightParameter(fs, p.sink)));
  SetDlgItemHundredths(dialog, kIdMaxGlide, fs.bestGlide100);
}

void PolarInit(HWND dialog) {
  Register(dialog);
  AppContext* app = AppRecord();
  if (!app) return;
  app->flight.altitudeInFeet = app->altitudeUnit == 2;
  app->flight.windInKnots = app->speedUnit == 4;
  for (int id : {int{kParamMass}, int{kParamWater}, int{kParamSpeed1}, int{kParamSpeed2}, int{kParamSpeed3}, int{kParamSink1},
                 int{kParamSink2}, int{kParamSink3}, int{kParamGlide1}, int{kParamGlide2}, int{kParamGlide3}, kIdMaxGlide})
    SetFont(dialog, id, 13);
  SetFont(dialog, kIdPolarFile, 12);
  ShowPolar(dialog, app->flight);
}

void PolarNew(HWND dialog) {
  AppContext* app = AppRecord();
  if (!app) return;
  // A cancelled choice changes nothing.
  if (ShowDataFileChooser(kFilesPolar) != 1) return;
  LoadPolar(app->flight, GetDataFilePath(kFilesPolar), GetDataFileEntry(kFilesPolar));
  ShowPolar(dialog, app->flight);
}

void PolarEnd(HWND dialog) {
  ClearRegistration();
  PlayMenuClick();
  EndDialog(dialog, 1);
}

// ---- Dialog 117 ----

int g_focused = kParamQnhAltitude;   // the field the step buttons act on
std::int32_t g_directionAtOpening = 0;
std::int32_t g_speedAtOpening = 0;

bool EstimateExists(const AppContext& app) {
  std::int32_t direction = 0;
  double speed = 0;
  std::uint32_t tick = 0;
  return GetCurrentWind(app, direction, speed, tick);
}

void ShowWindValues(HWND dialog, AppContext& app) {
  FlightState& fs = app.flight;
  SetDlgItemInt(dialog, kParamBugs, static_cast<UINT>(fs.bugs.load()), TRUE);
  SetDlgItemInt(dialog, kParamWaterFill, static_cast<UINT>(fs.waterFill * 10), TRUE);
  SetDlgItemInt(dialog, kParamWindDirection, static_cast<UINT>(fs.windDirection.load()), TRUE);
  const std::int32_t kmh = fs.windSpeed;
  std::int32_t shown = kmh;
  if (app.speedUnit == 4) {
    // Knots: rounded up above a fraction of 0.5.
    const double knots = kmh * kKmhToKnots;
    const double whole = std::floor(knots);
    shown = static_cast<std::int32_t>(knots - whole > 0.5 ? whole + 1 : whole);
  }
  SetDlgItemInt(dialog, kParamWindSpeed, static_cast<UINT>(shown), TRUE);
  const std::int64_t qnhAltitude = GetFlightParameter(fs, kParamQnhAltitude);
  if (fs.altitude == kAltitudeUnknown)
    SetDlgItemTextW(dialog, kParamQnhAltitude, u"--");  // no altitude yet
  else
    SetDlgItemInt(dialog, kParamQnhAltitude,
                  static_cast<UINT>(app.altitudeUnit == 2 ? qnhAltitude * 32808 / 10000 : qnhAltitude), TRUE);
  SetDlgItemHundredths(dialog, kParamQnhHpa, GetFlightParameter(fs, kParamQnhHpa));
  SetDlgItemHundredths(dialog, kParamQnhInHg, GetFlightParameter(fs, kParamQnhInHg));
}

void ShowEstimate(HWND dialog, const AppContext& app) {
  std::int32_t direction = 0;
  double speed = 0;
  std::uint32_t tick = 0;
  if (!GetCurrentWind(app, direction, speed, tick)) {
    EnableWindow(GetDlgItem(dialog, kIdCopyEstimate), FALSE);
    return;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%d\xB0@%d", static_cast<int>(direction), static_cast<int>(std::floor(speed + 0.5)));
  SetTextA(dialog, kIdEstimate, text);
  std::snprintf(text, sizeof text, "%umin", static_cast<unsigned>((GetTickCount() - tick) / 60000u));
  SetTextA(dialog, kIdEstimateAge, text);
}

void WindInit(HWND dialog) {
  SHFullScreen(dialog, SHFS_HIDESIPBUTTON);
  Register(dialog);
  AppContext* app = AppRecord();
  if (!app) return;
  app->flight.altitudeInFeet = app->altitudeUnit == 2;
  SetDlgItemTextW(dialog, kIdQnhLabel, app->altitudeUnit == 2 ? u"QNH ft" : u"QNH m");
  const bool autoWind = MapDisplay().autoWind != 0;
  CheckDlgButton(dialog, kIdAutoWind, autoWind ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(dialog, kIdCopyEstimate), autoWind ? FALSE : TRUE);
  WCHAR title[64] = {};
  char narrow[64];
  std::snprintf(narrow, sizeof narrow, "Wind ");
  int n = 0;
  for (const char* p = narrow; *p; ++p) title[n++] = static_cast<unsigned char>(*p);
  for (const WCHAR* p = app->speedUnitText; *p && n < 62; ++p) title[n++] = *p;
  SetDlgItemTextW(dialog, kIdWindTitle, title);
  ShowEstimate(dialog, *app);
  SetFont(dialog, kIdQneLabel, 11);
  for (int id : {kParamWindDirection, kParamWindSpeed, kParamWaterFill, kParamBugs}) SetFont(dialog, id, 13);
  for (int id : {kIdStepPlus, kIdStepPlusFast, kIdStepMinus, kIdStepMinusFast, int{kParamQnhAltitude}}) SetFont(dialog, id, 14);
  ShowWindValues(dialog, *app);
  g_directionAtOpening = app->flight.windDirection;
  g_speedAtOpening = app->flight.windSpeed;
  g_focused = kParamQnhAltitude;
  SetFocus(GetDlgItem(dialog, kParamQnhAltitude));
}

void WindStep(HWND dialog, int id) {
  AppContext* app = AppRecord();
  if (!app) return;
  const bool fast = id == kIdStepPlusFast || id == kIdStepMinusFast;
  if (id == kIdStepPlus || id == kIdStepPlusFast)
    IncrementFlightParameter(app->flight, dialog, g_focused, fast);
  else
    DecrementFlightParameter(app->flight, dialog, g_focused, fast);
  PlayMenuClick();
}

void CopyEstimate(HWND dialog) {
  AppContext* app = AppRecord();
  std::int32_t direction = 0;
  double speed = 0;
  std::uint32_t tick = 0;
  if (!app || !GetCurrentWind(*app, direction, speed, tick)) return;
  // The estimate is in the speed unit; the flight state keeps km/h.
  const double kmh = app->speedUnit == 4 ? speed * 1.852 : speed;
  SetFlightParameter(app->flight, kParamWindDirection, direction);
  SetFlightParameter(app->flight, kParamWindSpeed, static_cast<std::int32_t>(std::floor(kmh + 0.5)));
  ShowWindValues(dialog, *app);
}

void WindConfirm(HWND dialog) {
  if (AppContext* app = AppRecord()) {
    FlightState& fs = app->flight;
    ComputePolar(fs);
    // The new-fix handling reads the flag on the GPS notify thread.
    std::atomic_ref<std::uint8_t>(MapDisplay().autoWind)
        .store(IsDlgButtonChecked(dialog, kIdAutoWind) == BST_CHECKED ? 1 : 0, std::memory_order_relaxed);
    if (fs.windDirection != g_directionAtOpening || fs.windSpeed != g_speedAtOpening) {
      const std::int32_t altitude = GetFlightParameter(fs, kParamQnhAltitude);
      WindSample sample;
      sample.time = GetTickCount();
      sample.altitude = static_cast<std::uint16_t>(altitude < 0 ? 0 : altitude > 65535 ? 65535 : altitude);
      sample.direction = static_cast<std::int16_t>(fs.windDirection.load());
      sample.speed = static_cast<float>(fs.windSpeed.load());
      PushWindSample(app->thermalView, sample);
      ThermalWind wind{fs.windDirection, static_cast<float>(fs.windSpeed.load())};
      ThermalUpdate(&wind);
    }
  }
  ClearRegistration();
  PlayMenuClick();
  EndDialog(dialog, 1);
}

bool WindCommand(HWND dialog, int id, int code) {
  AppContext* app = AppRecord();
  switch (id) {
    case kIdStepPlus:
    case kIdStepPlusFast:
    case kIdStepMinus:
    case kIdStepMinusFast: WindStep(dialog, id); return true;
    case kIdQnhReset:
      if (app) {
        const std::int32_t altitude = ResetQnh(app->flight, dialog);
        SetDlgItemInt(dialog, kParamQnhAltitude, static_cast<UINT>(altitude), TRUE);
      }
      return true;
    case kIdAutoWind: {
      const bool on = IsDlgButtonChecked(dialog, kIdAutoWind) == BST_CHECKED;
      EnableWindow(GetDlgItem(dialog, kIdCopyEstimate), !on && app && EstimateExists(*app) ? TRUE : FALSE);
      return true;
    }
    case kIdCopyEstimate: CopyEstimate(dialog); return true;
    case IDOK:
    case kIdTitleOkIcon:
    case IDCANCEL: WindConfirm(dialog); return true;
    default:
      // A value field taking the focus becomes the target of the step buttons.
      if (code == STN_CLICKED || code == EN_SETFOCUS || code == BN_SETFOCUS) {
        for (int field : {kParamBugs, kParamWaterFill, kParamWindDirection, kParamWindSpeed, kParamQnhAltitude,
                          kParamQnhHpa, kParamQnhInHg})
          if (id == field) g_focused = field;
      }
      return false;
  }
}

}  // namespace

bool GetCurrentWind(const AppContext& app, std::int32_t& direction, double& speed, std::uint32_t& tick) {
  const WindSample& last = app.thermalView.last;
  if (last.time == 0) return false;
  direction = last.direction;
  speed = app.speedUnit == 4 ? last.speed * kKmhToKnots : last.speed;
  tick = last.time;
  return true;
}

double EtaSpeedFallback(double etaSpeed, double taskSpeed, double groundSpeedKmh) {
  if (etaSpeed != 0) return etaSpeed;
  if (taskSpeed != 0) return taskSpeed;
  if (groundSpeedKmh != 0) return groundSpeedKmh * 0.2777777777777778;
  return 27.77777777777778;
}

void EnsureEtaSpeed(AppContext& app) {
  if (app.etaSpeed != 0) return;
  GpsFix fix;
  const bool haveFix = GetFixBuffer(app.gps, &fix, 1) == 1;
  double taskSpeed = 0;
  if (!TaskSpeedNow(app.stats, haveFix ? fix.position : GeoPoint{}, &taskSpeed, nullptr) || !std::isfinite(taskSpeed))
    taskSpeed = 0;
  app.etaSpeed = EtaSpeedFallback(0, taskSpeed, haveFix ? fix.groundSpeed * 1.852 : 0);
}

INT_PTR PolarDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (KeyFocusMessage(dialog, message, wparam, PolarEnd)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      PolarInit(dialog);
      SetFocus(dialog);
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kIdPolarNew:
          PolarNew(dialog);
          KeepKeyFocus(dialog);
          return TRUE;
        case IDOK:
        case IDCANCEL:
        case kIdTitleOkIcon: PolarEnd(dialog); return TRUE;
        default: return FALSE;
      }
    case WM_DESTROY:
      if (AppContext* app = AppRecord(); app && app->activeDialog == dialog) app->activeDialog = nullptr;
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR WindDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (KeyFocusMessage(dialog, message, wparam, WindConfirm)) return TRUE;
  switch (message) {
    case WM_INITDIALOG: WindInit(dialog); return FALSE;
    case WM_COMMAND: {
      const bool handled = WindCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      KeepKeyFocus(dialog);
      return handled ? TRUE : FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
