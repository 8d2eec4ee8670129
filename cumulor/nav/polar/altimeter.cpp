#include "cumulor/nav/polar/altimeter.h"

#include <cstdio>
#include <cstdlib>

#include "cumulor/app/base/number_text.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/dialog_text.h"

namespace cumulor {
namespace {

void ShowQnh(FlightState& fs, HWND dialog) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(fs.qnhHpa.load()));
  ShowControlTextA(dialog, kParamQnhHpa, text);
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(fs.qnhInHg.load()));
  ShowControlTextA(dialog, kParamQnhInHg, text);
}

void FinishQnhChange(FlightState& fs, HWND dialog, float offset) {
  ShowQnh(fs, dialog);
  fs.dialogOffset = RoundToInt(offset);
  SyncLoggerErrorFlag(fs);
  ShowControlText(dialog, kParamQneText, FormatQneText(fs, UpdateAltimeterReading(fs)));
}

}  // namespace

void AdjustQnh(FlightState& fs, HWND dialog, float stepHpa) {
  fs.qnhModeHpa = 1;
  fs.qnhHpa = fs.qnhHpa + stepHpa;
  const float offset = (fs.qnhHpa - 1013.0f) * 8.3275f;
  fs.qnhInHg = offset * 0.0035459315f + 29.92f;
  FinishQnhChange(fs, dialog, offset);
}

void AdjustQnhInHg(FlightState& fs, HWND dialog, float stepInHg) {
  fs.qnhModeHpa = 0;
  fs.qnhInHg = fs.qnhInHg + stepInHg;
  const float offset = (fs.qnhInHg - 29.92f) * 282.01334f;
  fs.qnhHpa = offset * 0.120084055f + 1013.0f;
  FinishQnhChange(fs, dialog, offset);
}

std::int32_t ResetQnh(FlightState& fs, HWND dialog) {
  fs.qnhOffset = 0;
  SetDlgItemHundredths(dialog, kParamQnhHpa, 101325);
  SetDlgItemHundredths(dialog, kParamQnhInHg, 2992);
  fs.qnhHpa = 1013.0f;
  fs.qnhInHg = 29.92f;
  AdjustQnh(fs, dialog, 0.0f);
  const std::int64_t altitude = fs.altitude;
  return static_cast<std::int32_t>(fs.altitudeInFeet ? altitude * 32808 / 10000 : altitude);
}

std::int32_t UpdateAltimeterReading(FlightState& fs) {
  const std::int32_t correction = fs.loggerErrorFlag ? fs.loggerError.load() : fs.dialogOffset.load();
  const std::int32_t reading = TruncToInt(static_cast<double>(fs.altitude) + fs.qnhOffset - correction);
  fs.altimeterReading = reading;
  return reading;
}

void SyncLoggerErrorFlag(FlightState& fs) {
  fs.loggerErrorFlag = fs.gpsLoggerAltitude.load();
  if (fs.loggerErrorFlag) fs.loggerError = fs.dialogOffset - fs.qnhOffset;
}

const WCHAR* FormatQneText(const FlightState& fs, std::int32_t altitude) {
  thread_local WCHAR buffer[96];
  char text[96];
  const std::int32_t feet = TruncToInt(altitude * 3.2808);
  int n = std::snprintf(text, sizeof text, "QNE FL %.2f", feet * 0.01);
  if (fs.loggerErrorFlag && n > 0) {
    std::snprintf(text + n, sizeof text - n, "; Loger Error:");
  }
  std::size_t i = 0;
  for (; text[i] != '\0' && i + 1 < std::size(buffer); ++i) buffer[i] = static_cast<unsigned char>(text[i]);
  if (fs.loggerErrorFlag) {
    for (const WCHAR* p = FormatAltitude(fs.loggerError); *p != 0 && i + 1 < std::size(buffer); ++p) buffer[i++] = *p;
  }
  buffer[i] = 0;
  return buffer;
}

void FormatHundredths(std::int32_t value, char (&text)[24]) {
  const long long v = value;
  const long long magnitude = v < 0 ? -v : v;
  std::snprintf(text, sizeof text, "%s%lld.%02lld", v < 0 ? "-" : "", magnitude / 100, magnitude % 100);
}

void SetDlgItemHundredths(HWND dialog, int control, std::int32_t value) {
  char text[24];
  FormatHundredths(value, text);
  ShowControlTextA(dialog, control, text);
}

}  // namespace cumulor
