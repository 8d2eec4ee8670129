#include "cumulor/nav/polar/glide.h"

#include <cmath>

#include "cumulor/app/base/number_text.h"

namespace cumulor {
namespace {

constexpr double kPi = 3.141592653589793;

// Loss for one speed/sink pair; false when the ground speed is zero or negative.
bool LegLoss(std::uint32_t distance, double speed, double sink, double headwind, std::int32_t& loss) {
  const double groundSpeed = speed - headwind;
  if (!(groundSpeed > 0.0)) return false;
  loss = TruncToInt(-(distance * sink) / groundSpeed);
  return true;
}

std::int32_t ToDisplay(std::int64_t x, bool feet) {
  const std::int64_t v = feet ? (x * 32808 / 100000) * 10 : (x / 10) * 10;
  return static_cast<std::int32_t>(v);
}

std::int64_t AltitudeFromLoss(const FlightState& fs, std::int32_t loss, std::int32_t elevation) {
  if (fs.requiredAltitudeMode) return static_cast<std::int64_t>(fs.safetyMargin) + loss + elevation;
  return static_cast<std::int64_t>(fs.altitude) - fs.safetyMargin - loss - elevation + fs.qnhOffset;
}

std::int64_t TimeAt(std::uint32_t distance, double speed, double headwind) {
  const double groundSpeed = speed - headwind;
  if (!(groundSpeed > 0.0)) return kCannotFlyTime;
  const double t = distance / groundSpeed * 1e7;
  if (!(t < 9.2e18)) return kCannotFlyTime;
  return static_cast<std::int64_t>(t);
}

}  // namespace

double Headwind(const FlightState& fs, double courseRad) {
  double angle = std::fabs(fs.windDirectionRad - courseRad);
  if (angle > kPi) angle = 2 * kPi - angle;
  return fs.windSpeedMs * std::cos(angle);
}

std::int32_t GlideAltitudeLoss(const FlightState& fs, std::uint32_t distance, double courseRad) {
  std::int32_t loss = 0;
  if (!LegLoss(distance, fs.stfSpeedNow, fs.sinkNow, Headwind(fs, courseRad), loss)) return kCannotFlyAltitude;
  return loss;
}

std::int64_t TimeToFlyDistance(const FlightState& fs, std::uint32_t distance, double courseRad) {
  return TimeAt(distance, fs.stfSpeedNow, Headwind(fs, courseRad));
}

std::int64_t TimeToFlyDistanceAtSpeed(const FlightState& fs, std::uint32_t distance, double courseRad, double speed) {
  return TimeAt(distance, speed, Headwind(fs, courseRad));
}

std::int32_t AltitudeBalance(const FlightState& fs, std::int32_t a, std::int32_t b) {
  return TruncToInt(static_cast<double>(fs.altitude) - fs.safetyMargin - a - b + fs.qnhOffset);
}

int FinalGlideCalc(const FlightState& fs, std::int32_t elevation, std::uint32_t distance, double courseRad,
                   std::int32_t result[5], bool feet) {
  const double headwind = Headwind(fs, courseRad);
  const std::int32_t cannot = fs.requiredAltitudeMode ? kCannotFlyAltitude : -kCannotFlyAltitude;
  std::int32_t loss = 0;

  if (result[0] == 1 && fs.windSpeed < 30) {
    result[1] = LegLoss(distance, fs.stfSpeed[0], fs.stfSink[0], headwind, loss)
                    ? ToDisplay(AltitudeFromLoss(fs, loss, elevation), feet)
                    : cannot;
    result[0] = 0;
    return 1;
  }

  result[0] = 0;
  std::int32_t best = 1000000;
  for (int k = 0; k < 4; ++k) {
    if (LegLoss(distance, fs.stfSpeed[k], fs.stfSink[k], headwind, loss) && loss >= 1) {
      result[1 + k] = ToDisplay(AltitudeFromLoss(fs, loss, elevation), feet);
      if (loss < best) {
        best = loss;
        result[0] = k;
      }
    } else {
      result[1 + k] = cannot;
    }
  }
  return 1;
}

}  // namespace cumulor
