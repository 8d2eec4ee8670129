// QNH entry, altimeter reading and the flight-level text of the wind/altimeter dialog.
#pragma once

#include <cstdint>

#include "cumulor/nav/polar/flight_state.h"
#include "platform/base/types.h"

namespace cumulor {

// Steps the QNH in hPa (entry mode hPa) or inHg (entry mode inHg), recomputes the other unit and
// the dialog offset, shows both QNH values (controls 1090, 1091) and the flight level (1465).
void AdjustQnh(FlightState& fs, HWND dialog, float stepHpa);
void AdjustQnhInHg(FlightState& fs, HWND dialog, float stepInHg);
// Back to standard pressure; returns the altitude in the display unit (feet when so set).
std::int32_t ResetQnh(FlightState& fs, HWND dialog);

// altitude + QNH offset - (logger error when the logger-error flag is set, else the dialog offset).
std::int32_t UpdateAltimeterReading(FlightState& fs);
// Copies the GPS-input flag; with it set, logger error = dialog offset - QNH offset.
void SyncLoggerErrorFlag(FlightState& fs);
// "QNE FL %.2f" of the altitude in hundreds of feet, with "; Loger Error:" and the logger error
// when the logger-error flag is set. The text lives in a buffer the next call on the same thread
// overwrites.
const WCHAR* FormatQneText(const FlightState& fs, std::int32_t altitude);

// Shows an integer held in hundredths as "%d.%02d" ("-0.50" for -50).
void SetDlgItemHundredths(HWND dialog, int control, std::int32_t value);
// The same text, for callers that need it without a dialog.
void FormatHundredths(std::int32_t value, char (&text)[24]);

}  // namespace cumulor
