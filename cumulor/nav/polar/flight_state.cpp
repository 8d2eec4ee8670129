#include "cumulor/nav/polar/flight_state.h"

#include <cmath>

#include "cumulor/app/base/number_text.h"
#include "cumulor/nav/polar/polar.h"

namespace cumulor {

void FlightStateDefaults(FlightState& fs) {
  fs.macCready = 0.0;
  fs.bugs = 100;
  fs.waterFill = 0;
  fs.windDirection = 0;
  fs.windDirectionRad = 0.0;
  fs.windSpeed = 0;
  fs.windSpeedMs = 0.0;
  fs.qnhOffset = 0;
  fs.safetyMargin = 200;
  fs.loggerErrorFlag = false;
  fs.qnhHpa = 1013.0f;
  fs.qnhInHg = 29.92f;
  fs.dialogOffset = 0;
  fs.loggerError = 0;
  fs.qnhModeHpa = 1;
  fs.altitude = kAltitudeUnknown;
  LoadBuiltinPolar(fs, nullptr);
  ComputePolar(fs);
}

std::int32_t GetFlightParameter(const FlightState& fs, int id) {
  switch (id) {
    case kParamBugs:
      return fs.bugs;
    case kParamWindDirection:
      return fs.windDirection;
    case kParamWindSpeed:
      return fs.windSpeed;
    case kParamWaterFill:
      return fs.waterFill * 10;
    case kParamMass:
      return fs.mass;
    case kParamWater:
      return fs.water;
    case kParamQnhAltitude:
      return TruncToInt(static_cast<double>(fs.altitude) + fs.qnhOffset);
    case kParamAltitude:
      return fs.altitude;
    case kParamQnhHpa:
      return TruncToInt(101325 + fs.qnhOffset * 100.0 * 0.12008405884118882);
    case kParamQnhInHg:
      return TruncToInt(2992 + fs.qnhOffset * 100.0 * 0.003545931424877581);
    case kParamSpeed1:
      return fs.speed1;
    case kParamSpeed2:
      return fs.speed2;
    case kParamSpeed3:
      return fs.speed3;
    case kParamSink1:
      return fs.sink1;
    case kParamSink2:
      return fs.sink2;
    case kParamSink3:
      return fs.sink3;
    case kParamSafetyMargin:
      return fs.safetyMargin;
    case kParamMacCready:
      return static_cast<std::int32_t>(std::lround(fs.macCready * 10.0));
    case kParamAltimeter:
      return fs.altimeterReading;
    case kParamQnhOffset:
      return fs.qnhOffset;
    default:
      return -1;
  }
}

int SetFlightParameter(FlightState& fs, int id, std::int32_t value, int /*flag*/) {
  switch (id) {
    case kParamBugs:
      if (value >= 0 && value <= 100) fs.bugs = value;
      break;
    case kParamWindDirection:
      fs.windDirection = value;
      fs.windDirectionRad = value * 0.01745329251994328;
      break;
    case kParamWindSpeed:
      fs.windSpeed = value;
      fs.windSpeedMs = value * 0.2777777777777778;
      break;
    case kParamWaterFill:
      fs.waterFill = value / 10;
      break;
    case kParamMass:
      fs.mass = value;
      break;
    case kParamWater:
      fs.water = value;
      break;
    case kParamAltitude:
      fs.altitude = value;
      break;
    case kParamSpeed1:
      fs.speed1 = value < 15 ? 15 : value;
      break;
    case kParamSpeed2:
      fs.speed2 = value < 15 ? 15 : value;
      break;
    case kParamSpeed3:
      fs.speed3 = value < 15 ? 15 : value;
      break;
    case kParamSink1:
      fs.sink1 = value;
      break;
    case kParamSink2:
      fs.sink2 = value;
      break;
    case kParamSink3:
      fs.sink3 = value;
      break;
    case kParamSafetyMargin:
      fs.safetyMargin = value;
      break;
    case kParamMacCready:
      fs.macCready = value * 0.1;
      break;
    case kParamAltimeter:
      fs.altimeterReading = value;
      break;
    case kParamQnhOffset:
      fs.qnhOffset = value;
      break;
    case kParamSetQnhHpa:
      fs.qnhOffset = TruncToInt((value - 1013.25) * 8.3275);
      break;
    case kParamSetAltitudeQnh:
      fs.altitude = TruncToInt(static_cast<double>(value) - fs.qnhOffset);
      break;
    default:
      break;  // read-only and unknown ids
  }
  return 1;
}

}  // namespace cumulor
