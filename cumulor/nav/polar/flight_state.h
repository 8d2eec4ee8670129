// FlightState: the flight computer's parameter record (polar and loading, bugs, MacCready, wind,
// QNH and altimeter, safety margin, altitude) with the values derived from them. It lives in the
// application record; the dialogs and the settings document reach its fields by numeric id.
//
// The UI thread (dialogs, settings, polar loading) and the notify thread (altitude, QNH offset,
// wind) write it without a lock, so every field is an atomic word.
#pragma once

#include <atomic>
#include <cstdint>

namespace cumulor {

// Parameter ids: the control ids of the polar and wind/altimeter dialogs.
enum FlightParameterId : int {
  kParamBugs = 1033,
  kParamWindDirection = 1036,
  kParamWindSpeed = 1037,
  kParamWaterFill = 1038,
  kParamMass = 1041,
  kParamWater = 1042,
  kParamQnhAltitude = 1049,  // altitude + QNH offset (read-only)
  kParamAltitude = 1050,
  kParamQnhHpa = 1090,   // QNH in pascals, i.e. hundredths of hPa (read-only)
  kParamQnhInHg = 1091,  // hundredths of inHg (read-only)
  kParamSpeed1 = 1092,
  kParamSpeed2 = 1093,
  kParamSink2 = 1094,
  kParamSink1 = 1095,
  kParamGlide1 = 1096,
  kParamGlide2 = 1097,
  kParamGlide3 = 1098,
  kParamSpeed3 = 1099,
  kParamSink3 = 1100,
  kParamSafetyMargin = 1109,
  kParamMacCready = 1125,  // m/s x 10
  kParamAltimeter = 1230,
  kParamSetQnhHpa = 1305,       // set-only: offset from a QNH in hPa
  kParamSetAltitudeQnh = 1306,  // set-only: altitude = value - offset
  kParamQnhOffset = 1463,
  kParamQneText = 1465,  // control that shows the flight-level text
};

inline constexpr std::int32_t kAltitudeUnknown = -100000;
inline constexpr int kStfTableSize = 8;  // MacCready 0..7 m/s

struct FlightState {
  // Set by the application core from its unit and option settings.
  std::atomic<bool> altitudeInFeet{false};
  std::atomic<bool> windInKnots{false};
  std::atomic<bool> requiredAltitudeMode{false};  // final glide shows the required altitude
  std::atomic<bool> gpsLoggerAltitude{false};     // the GPS input uses the recorder's altitude

  // Speed-to-fly table for MacCready 0..7 m/s: speeds (m/s) and sinks (m/s, negative).
  std::atomic<double> stfSpeed[kStfTableSize] = {};
  std::atomic<double> stfSink[kStfTableSize] = {};

  std::atomic<double> macCready{0.0};    // m/s
  std::atomic<double> stfSpeedNow{0.0};  // m/s at the current MacCready
  std::atomic<std::int32_t> stfSpeedNowKmh{0};
  std::atomic<double> sinkNow{0.0};
  std::atomic<double> averageSpeed{0.0};  // cross-country speed, m/s
  std::atomic<float> glideRatio{0.0f};

  std::atomic<std::int32_t> bugs{100};         // percent, 100 = clean
  std::atomic<std::int32_t> waterFill{0};      // tens of percent, 0..10
  std::atomic<std::int32_t> windDirection{0};  // degrees the wind comes from
  std::atomic<double> windDirectionRad{0.0};
  std::atomic<std::int32_t> windSpeed{0};  // km/h
  std::atomic<double> windSpeedMs{0.0};
  std::atomic<std::int32_t> qnhOffset{0};  // metres
  std::atomic<std::int32_t> safetyMargin{200};
  std::atomic<bool> loggerErrorFlag{false};
  std::atomic<float> qnhHpa{1013.0f};
  std::atomic<float> qnhInHg{29.92f};
  std::atomic<std::int32_t> dialogOffset{0};  // from the QNH entered in the dialog, metres
  std::atomic<std::int32_t> loggerError{0};
  std::atomic<std::uint8_t> qnhModeHpa{1};  // 1 hPa, 0 inHg

  // Polar coefficients: sink (km/h) = a v^2 + b v + c over speed v (km/h).
  std::atomic<double> a{0.0};
  std::atomic<double> b{0.0};
  std::atomic<double> c{0.0};

  std::atomic<std::int32_t> altitude{kAltitudeUnknown};       // metres
  std::atomic<std::int32_t> speed1{0}, speed2{0}, speed3{0};  // km/h
  std::atomic<std::int32_t> sink1{0}, sink2{0}, sink3{0};     // hundredths of m/s
  std::atomic<std::int32_t> mass{0};                          // kg
  std::atomic<std::int32_t> water{0};                         // litres
  std::atomic<std::int32_t> bestGlide100{0};
  std::atomic<std::int32_t> altimeterReading{0};
};

// Defaults of a new record, the "Default" built-in polar and its speed-to-fly table.
void FlightStateDefaults(FlightState& fs);

// Reads a parameter by id; -1 for an unknown or set-only id.
std::int32_t GetFlightParameter(const FlightState& fs, int id);
// Writes a parameter by id (see the ids above); never recomputes the polar. Bugs outside 0..100
// and read-only or unknown ids are ignored. Always returns 1.
int SetFlightParameter(FlightState& fs, int id, std::int32_t value, int flag = 0);

}  // namespace cumulor
