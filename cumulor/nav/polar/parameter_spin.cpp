#include "cumulor/nav/polar/parameter_spin.h"

#include <cmath>
#include <cstdio>

#include "cumulor/app/base/number_text.h"
#include "cumulor/nav/polar/altimeter.h"
#include "cumulor/nav/polar/dialog_text.h"

namespace cumulor {
namespace {

void ShowInt(HWND dialog, int id, std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  ShowControlTextA(dialog, id, text);
}

// The glide-ratio control that belongs to a speed or sink control, and the pair's values.
struct PointIds {
  int speed, sink, glide;
};
bool PointOf(int id, PointIds& out) {
  static const PointIds points[] = {{kParamSpeed1, kParamSink1, kParamGlide1},
                                    {kParamSpeed2, kParamSink2, kParamGlide2},
                                    {kParamSpeed3, kParamSink3, kParamGlide3}};
  for (const PointIds& p : points) {
    if (id == p.speed || id == p.sink) {
      out = p;
      return true;
    }
  }
  return false;
}

// A stored value moved by a step; values read from a settings file may sit at the ends of the range.
std::int32_t Moved(std::int32_t value, std::int32_t step) { return TruncToInt(static_cast<double>(value) + step); }

std::int32_t Step(FlightState& fs, HWND dialog, int id, bool fast, int sign) {
  switch (id) {
    case kParamBugs: {
      std::int32_t v = Moved(fs.bugs, sign * (fast ? 10 : 1));
      v = v < 75 ? 75 : v > 100 ? 100 : v;
      fs.bugs = v;
      ShowInt(dialog, id, v);
      return v;
    }
    case kParamWindDirection: {
      std::int32_t v = Moved(fs.windDirection, sign * (fast ? 30 : 5)) % 360;
      if (v < 0) v += 360;
      SetFlightParameter(fs, id, v);
      ShowInt(dialog, id, v);
      return v;
    }
    case kParamWindSpeed: {
      const bool knots = fs.windInKnots;
      const std::int32_t step = knots ? (fast ? 19 : 2) : (fast ? 10 : 1);
      std::int32_t v = Moved(fs.windSpeed, sign * step);
      if (v < 0) v = 0;
      SetFlightParameter(fs, id, v);
      const std::int32_t shown = knots ? static_cast<std::int32_t>(static_cast<std::int64_t>(v) * 54 / 100) : v;
      ShowInt(dialog, id, shown);
      return shown;
    }
    case kParamWaterFill: {
      std::int32_t v = Moved(fs.waterFill, sign * (fast ? 2 : 1));
      v = v < 0 ? 0 : v > 10 ? 10 : v;
      fs.waterFill = v;
      ShowInt(dialog, id, v * 10);
      return v * 10;
    }
    case kParamMass: {
      std::int32_t v = Moved(fs.mass, sign * (fast ? 10 : 1));
      if (v < 50) v = 50;
      fs.mass = v;
      ShowInt(dialog, id, v);
      return v;
    }
    case kParamWater: {
      std::int32_t v = Moved(fs.water, sign * (fast ? 20 : 1));
      if (v < 0) v = 0;
      fs.water = v;
      ShowInt(dialog, id, v);
      return v;
    }
    case kParamQnhAltitude: {
      fs.qnhOffset = Moved(fs.qnhOffset, sign * (fast ? 25 : 2));
      // The QNH follows the new offset in the current entry mode.
      if (fs.qnhModeHpa) {
        fs.qnhHpa = 1013.0f + fs.qnhOffset / 8.3275f;
        AdjustQnh(fs, dialog, 0.0f);
      } else {
        fs.qnhInHg = 29.92f + fs.qnhOffset / 282.01334f;
        AdjustQnhInHg(fs, dialog, 0.0f);
      }
      const std::int64_t v = static_cast<std::int64_t>(fs.altitude) + fs.qnhOffset;
      const std::int32_t shown = static_cast<std::int32_t>(fs.altitudeInFeet ? v * 32808 / 10000 : v);
      ShowInt(dialog, id, shown);
      return shown;
    }
    case kParamQnhHpa:
      AdjustQnh(fs, dialog, sign * (fast ? 10.0f : 1.0f));
      return static_cast<std::int32_t>(fs.qnhHpa);
    case kParamQnhInHg:
      AdjustQnhInHg(fs, dialog, sign * (fast ? 0.1f : 0.01f));
      return static_cast<std::int32_t>(std::lround(fs.qnhInHg * 100.0f));
    default:
      break;
  }

  PointIds point{};
  if (!PointOf(id, point)) return GetFlightParameter(fs, id);
  const std::int32_t step = sign * (fast ? 10 : 1);
  std::int32_t shown = 0;
  if (id == point.speed) {
    shown = Moved(GetFlightParameter(fs, id), step);
    SetFlightParameter(fs, id, shown);  // at least 15
    shown = GetFlightParameter(fs, id);
    ShowInt(dialog, id, shown);
  } else {
    shown = Moved(GetFlightParameter(fs, id), step);
    SetFlightParameter(fs, id, shown);
    SetDlgItemHundredths(dialog, id, shown);
  }
  SetDlgItemHundredths(dialog, point.glide,
                       PointGlideRatio100(GetFlightParameter(fs, point.speed), GetFlightParameter(fs, point.sink)));
  return shown;
}

}  // namespace

std::int32_t PointGlideRatio100(std::int32_t speedKmh, std::int32_t sinkHundredths) {
  if (sinkHundredths == 0) return 0;
  const double ratio = speedKmh / (sinkHundredths * -0.00036);
  if (!std::isfinite(ratio) || ratio >= 2147483647.0 || ratio <= -2147483648.0) return 0;
  return static_cast<std::int32_t>(ratio);
}

std::int32_t IncrementFlightParameter(FlightState& fs, HWND dialog, int id, bool fast) {
  return Step(fs, dialog, id, fast, +1);
}

std::int32_t DecrementFlightParameter(FlightState& fs, HWND dialog, int id, bool fast) {
  return Step(fs, dialog, id, fast, -1);
}

}  // namespace cumulor
