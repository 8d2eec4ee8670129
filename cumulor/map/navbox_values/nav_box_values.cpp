#include "cumulor/map/navbox_values/nav_box_values.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/text_convert.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_texts.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "cumulor/nav/navpoint/point_nav_values.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/polar/glide.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/data/points/aero_tables.h"
#include "platform/text/format.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr double kRadToDeg = 57.2957795131;
constexpr double kMetresToFeet = 3.2808;
constexpr double kFeetToMetres = 0.30480370641307;
constexpr double kKmhToKnots = 0.5399568034557235;
constexpr double kMsToKnots = 1.943844494119952;
constexpr std::int32_t kAltitudeFeet = 2;
constexpr std::int32_t kClimbKnots = 4;
constexpr std::int32_t kSpeedKnots = 4;
constexpr std::int32_t kNoGround = -1000;
constexpr std::int32_t kNoThermal = -100;
constexpr std::int32_t kFixesForAverage = 21;
constexpr std::int32_t kGlideRatioEvery = 16;

// What is kept between updates.
struct Kept {
  TaskPoint arrivalTarget;
  bool arrivalShown = false;
  bool arrivalRequired = false;
  std::u16string speed, bearing, track;
  std::int32_t windDirection = -1;
  std::int32_t windSpeed = -1;
  std::int32_t glideCountdown = 0;
  GeoPoint glidePosition;
  std::int32_t glideAltitude = 0;
  std::int32_t minute = -1;
  std::int32_t averageClimb = 0;
  std::int32_t thermalAverage = kNoThermal;
  std::int32_t counter = 0;
};

Kept& KeptValues() {
  static Kept kept;
  return kept;
}

bool SamePoint(const TaskPoint& a, const TaskPoint& b) { return a.kind == b.kind && a.index == b.index; }

std::u16string Widen(const char* text) {
  if (!text) return {};
  std::u16string out;
  for (const char* p = text; *p; ++p) out.push_back(static_cast<unsigned char>(*p));
  return out;
}

// "%d.%d": the whole part and the first decimal, both truncated, of a value at least 0.
std::u16string OneDecimal(double value) {
  const std::int32_t tenths = static_cast<std::int32_t>(value * 10.0);
  return ce::text::Format(u"%d.%d", tenths / 10, tenths % 10);
}

std::int32_t Feet(std::int32_t metres) { return static_cast<std::int32_t>(metres * kMetresToFeet); }

// The altitude in the altitude unit as the value, and in style 3 the other unit on the unit line.
void AltitudeWithOther(AppContext& app, std::int32_t box, std::int32_t metres) {
  NavBoxSet& set = app.navBoxes;
  const bool feet = app.altitudeUnit == kAltitudeFeet;
  const std::u16string value = ce::text::Format(u"%d", feet ? Feet(metres) : metres);
  std::u16string unit;
  if (set.box[box].style == 3) {
    unit = feet ? ce::text::Format(u"%d%s", metres, u"m") : ce::text::Format(u"%d%s", Feet(metres), u"ft");
  }
  NavBoxSetTexts(set, box, nullptr, value.c_str(), unit.c_str());
}

void LocalNow(SYSTEMTIME& now) {
  if (NavBoxValueSourcesInstalled().localTime) {
    NavBoxValueSourcesInstalled().localTime(&now);
  } else {
    GetLocalTime(&now);
  }
}

std::int64_t FileTimeOf(const SYSTEMTIME& time) {
  FILETIME ft{};
  SystemTimeToFileTime(&time, &ft);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

void Arrival(AppContext& app, Kept& kept, const TaskPoint& target, const PointRef& ref, std::uint32_t distance,
             double bearing) {
  NavBoxSet& set = app.navBoxes;
  const bool required = app.flight.requiredAltitudeMode.load();
  if (target.maxRadius != 0) {
    NavBoxSetValue(set, 3, u"mtp");
  } else {
    std::int32_t result[5] = {1, 0, 0, 0, 0};
    FinalGlideCalc(app.flight, PointElevation(ref), distance, bearing, result, app.altitudeUnit == kAltitudeFeet);
    const std::int32_t pick = result[0] >= 1 && result[0] <= 4 ? result[0] : 1;
    NavBoxSetValue(set, 3, ce::text::Format(u"%d", result[pick]).c_str());
  }
  if (!kept.arrivalShown || !SamePoint(kept.arrivalTarget, target) || kept.arrivalRequired != required) {
    const std::u16string unit = ce::text::Format(u"%s %s", app.altitudeUnitText, required ? u"msl" : u"agl");
    NavBoxSetTexts(set, 3, required ? u"REQ Alt" : u"Arrival", nullptr, unit.c_str());
    kept.arrivalShown = true;
    kept.arrivalTarget = target;
    kept.arrivalRequired = required;
  }
}

void Radial(AppContext& app) {
  const NavBoxValueSources& sources = NavBoxValueSourcesInstalled();
  if (!sources.referencePoint) return;
  const TaskPoint reference = sources.referencePoint();
  const PointRef ref{reference.kind, reference.index};
  if (!PointRefIsValid(ref)) return;
  const GeoPoint from = PointRefPosition(reference);
  double bearing = 0.0;
  GeoBearing(bearing, from, app.mapCentre);
  std::int32_t variation = GetGpsStatus(app.gps).variation;
  if (ref.kind == kPointAirport) {
    const DynArray<AirportRecord>& airports = AeroData().airports;
    if (ref.index < airports.Size()) variation = RoundToInt(airports[ref.index].variation);
  }
  double degrees = (bearing + variation / kRadToDeg) * kRadToDeg;
  if (degrees < 0.0) degrees += 360.0;
  if (degrees > 359.0) degrees -= 360.0;
  const std::int32_t radial = RoundToInt(degrees);
  const WCHAR* distance = FormatDistanceInUnit(GeoDistance(from, app.mapCentre), kPrecisionAuto, kUnitNauticalMiles);
  const std::u16string value = ce::text::Format(u"R%03d/%s", radial, distance);
  NavBoxSetTexts(app.navBoxes, kNavBoxRadial, Widen(PointRefName(ref)).c_str(), value.c_str(), u"NM");
}

void Wind(AppContext& app, Kept& kept) {
  const std::int32_t direction = GetFlightParameter(app.flight, kParamWindDirection);
  std::int32_t speed = GetFlightParameter(app.flight, kParamWindSpeed);
  if (app.speedUnit == kSpeedKnots) {
    const double knots = speed * kKmhToKnots;
    const double whole = std::floor(knots);
    speed = static_cast<std::int32_t>(whole) + (knots - whole > 0.5 ? 1 : 0);
  }
  if (direction == kept.windDirection && speed == kept.windSpeed) return;
  kept.windDirection = direction;
  kept.windSpeed = speed;
  NavBoxSetTexts(app.navBoxes, 9, nullptr, ce::text::Format(u"%d\u00B0/%d", direction, speed).c_str(),
                 app.speedUnitText);
}

void GlideRatio(AppContext& app, Kept& kept, const GeoPoint& position, std::int32_t altitude) {
  if (kept.glideCountdown-- > 0) return;
  kept.glideCountdown = kGlideRatioEvery - 1;
  const double distance = GeoDistance(kept.glidePosition, position);
  const std::int32_t height = kept.glideAltitude - altitude;
  double ratio = height != 0 ? distance / height : 100.0;
  if (height == 0 || ratio > 100.0 || ratio < 0.0) ratio = 100.0;
  NavBoxSetValue(app.navBoxes, 12, ratio == 100.0 ? u"100" : OneDecimal(ratio).c_str());
  kept.glidePosition = position;
  kept.glideAltitude = altitude;
}

void Airspace(AppContext& app) {
  NavBoxSet& set = app.navBoxes;
  std::u16string name;
  const std::optional<AirspaceWarning> nearest = AirspaceNearest(app.airspace, &name);
  if (!nearest) {
    for (const auto& [box, title] : {std::pair{27, u"SUA X"}, std::pair{28, u"SUA Y"}}) {
      NavBoxSetTexts(set, box, title, u"----", u"");
      NavBoxSetGreyed(set, box);
    }
    return;
  }
  const WCHAR* horizontal =
      nearest->horizontalDistance == 0 ? u"(0.0)" : FormatDistance(nearest->horizontalDistance, kPrecisionTwoDecimals);
  NavBoxSetTexts(set, 27, name.c_str(), horizontal, app.distanceUnitText);

  const std::int32_t feet = std::abs(nearest->verticalDistance);
  const std::int32_t separation =
      app.altitudeUnit == kAltitudeFeet ? feet : static_cast<std::int32_t>(feet * kFeetToMetres);
  const WCHAR* format = nullptr;
  const WCHAR* relation = nullptr;
  switch (nearest->verticalState) {
    case 1: format = u"+%d%s", relation = u"above"; break;
    case 2: format = u"(%d%s)", relation = u"I:climb"; break;
    case 3: format = u"(%d%s)", relation = u"I:descend"; break;
    case 4: format = u"-%d%s", relation = u"below"; break;
    default: break;
  }
  if (format) {
    NavBoxSetTexts(set, 28, name.c_str(), ce::text::Format(format, separation, app.altitudeUnitText).c_str(), relation);
  } else {
    NavBoxSetTexts(set, 28, name.c_str(), nullptr, nullptr);  // the value of an unknown state stays
  }
}

void TimeLeft(AppContext& app, const SYSTEMTIME& now) {
  if (app.taskDeadline == 0) {
    NavBoxSetValue(app.navBoxes, 15, u"-.--");
    return;
  }
  const std::int64_t left = app.taskDeadline - FileTimeOf(now);
  const std::int32_t seconds = left > 0 ? static_cast<std::int32_t>(std::min<std::int64_t>(left / 10000000, 359999999)) : 0;
  app.taskTimeSeconds = seconds;
  NavBoxSetValue(app.navBoxes, 15,
                 ce::text::Format(u"%d.%02d.%02d", seconds / 3600, seconds / 60 % 60, seconds % 60).c_str());
}

void AverageTwenty(AppContext& app) {
  GpsFix fixes[kFixesForAverage];
  if (GetFixBuffer(app.gps, fixes, kFixesForAverage) < kFixesForAverage) {
    NavBoxSetValue(app.navBoxes, 6, u"0.0");
    return;
  }
  double climb = (fixes[0].pressureAltitude - fixes[kFixesForAverage - 1].pressureAltitude) * 0.05;
  if (app.climbUnit == kClimbKnots) climb *= kMsToKnots;
  const std::u16string text = (climb < 0.0 ? u"-" : u"+") + OneDecimal(std::fabs(climb));
  NavBoxSetValue(app.navBoxes, 6, text.c_str());
}

}  // namespace

NavBoxValueSources& NavBoxValueSourcesInstalled() {
  static NavBoxValueSources sources;
  return sources;
}

void NavBoxValuesReset() { KeptValues() = Kept{}; }

std::int32_t NavBoxValuesUpdate(AppContext& app) {
  NavBoxSet& set = app.navBoxes;
  Kept& kept = KeptValues();
  const TaskPoint target = app.navTarget;
  const PointRef ref{target.kind, target.index};
  if (!PointRefIsValid(ref)) {
    ClearActiveTask();
    return 0;
  }

  std::uint32_t distance = 0;
  double bearing = 0.0;
  const WCHAR* distanceText = u"";
  const WCHAR* speedText = u"";
  const WCHAR* bearingText = u"";
  const WCHAR* trackText = u"";
  const WCHAR* turnText = u"";
  PointNavOutputs outputs;
  outputs.distance = &distance;
  outputs.bearing = &bearing;
  outputs.distanceText = &distanceText;
  outputs.speedText = &speedText;
  outputs.bearingText = &bearingText;
  outputs.trackText = &trackText;
  outputs.turnText = &turnText;
  PointNavValues(app, ref, outputs);

  if (kept.counter++ > 3) {
    kept.counter = 0;
    RecomputeTaskLegs();
  }

  bool any = false;
  auto on = [&](std::int32_t box) {
    const bool shown = set.on[box] != 0;
    any = any || shown;
    return shown;
  };
  const GpsStatus status = GetGpsStatus(app.gps);
  const std::int32_t qnh = GetFlightParameter(app.flight, kParamQnhAltitude);

  if (on(3)) Arrival(app, kept, target, ref, distance, bearing);
  if (on(1)) {
    if (!PointRefIsValid(ref)) return 0;
    const std::u16string name = Widen(PointRefName(ref));
    const std::u16string title = target.maxRadius != 0 ? u"M:" + name : name;
    NavBoxSetTexts(set, 1, title.c_str(), turnText, Widen(PointCodeText(ref)).c_str());
  }
  if (on(2)) NavBoxSetValue(set, 2, distanceText);
  if (on(11) && kept.speed != speedText) {
    kept.speed = speedText;
    NavBoxSetValue(set, 11, speedText);
  }
  if (on(5) && kept.bearing != bearingText) {
    kept.bearing = bearingText;
    NavBoxSetValue(set, 5, bearingText);
  }
  if (on(4) && kept.track != trackText) {
    kept.track = trackText;
    NavBoxSetValue(set, 4, trackText);
  }
  if (on(kNavBoxRadial)) Radial(app);
  if (on(9)) Wind(app, kept);
  if (on(12)) GlideRatio(app, kept, status.position, qnh);
  if (on(30)) {
    const std::int32_t height = qnh - PointElevation(ref);
    NavBoxSetValue(set, 30,
                   height > 0 ? ce::text::Format(u"%d", std::min<std::uint32_t>(distance / height, 999)).c_str() : u"----");
  }
  if (on(29)) {
    const auto& sources = NavBoxValueSourcesInstalled();
    if (sources.requiredGlideRatio) NavBoxSetValue(set, 29, ce::text::Format(u"%d", sources.requiredGlideRatio()).c_str());
  }
  if (on(13)) {
    const std::u16string unit = set.box[13].style == 3 ? ce::text::Format(u"%d%s", Feet(qnh), u"ft") : u"";
    NavBoxSetTexts(set, 13, nullptr, ce::text::Format(u"%d", qnh).c_str(), unit.c_str());
  }
  if (on(33)) {
    const std::u16string unit = set.box[33].style == 3 ? ce::text::Format(u"%d%s", qnh, u"m") : u"";
    NavBoxSetTexts(set, 33, nullptr, ce::text::Format(u"%d", Feet(qnh)).c_str(), unit.c_str());
  }
  const std::int32_t ground = app.terrainElevation;
  if (on(16)) {
    if (ground == kNoGround) {
      NavBoxSetTexts(set, 16, nullptr, u"---", u"  ");
    } else {
      AltitudeWithOther(app, 16, ground);
    }
  }
  if (on(17)) {
    if (ground == kNoGround) {
      NavBoxSetTexts(set, 17, nullptr, u"---", u"  ");
    } else {
      AltitudeWithOther(app, 17, std::max(qnh - ground, 0));
    }
  }
  if (on(7)) {
    if (app.circling) {
      std::int32_t rate = 0;
      if (CurrentClimbRate(app.stats, status.altitude, rate) == S_OK) kept.thermalAverage = rate;
    }
    if (kept.thermalAverage == kNoThermal) {
      NavBoxSetValue(set, 7, u"-.-");
    } else {
      const double divisor = app.climbUnit == kClimbKnots ? 50.0 : 100.0;
      NavBoxSetValue(set, 7, ce::text::Format(u"%.1f", kept.thermalAverage / divisor).c_str());
    }
  }
  if (on(18)) {
    char text[32] = {};
    FormatCurrentLegSpeed(app.stats, app.mapCentre, text);
    NavBoxSetValue(set, 18, Widen(text).c_str());
  }
  if (on(19)) {
    char text[32] = {};
    TaskSpeedNow(app.stats, app.mapCentre, nullptr, &text);
    NavBoxSetValue(set, 19, Widen(text).c_str());
  }
  if (on(20)) {
    WCHAR text[32] = {};
    OlcFormatResult(text, 32);
    NavBoxSetValue(set, 20, text);
  }
  if (on(27) || on(28)) Airspace(app);
  SYSTEMTIME now{};
  if (set.on[14] || set.on[15]) LocalNow(now);
  if (on(14) && now.wMinute != kept.minute) {
    kept.minute = now.wMinute;
    NavBoxSetValue(set, 14, ce::text::Format(u"%d:%02d", now.wHour, now.wMinute).c_str());
  }
  if (on(15)) TimeLeft(app, now);
  if (on(8)) {
    std::int32_t average = 0;
    {
      std::lock_guard lock(app.stats.lock);
      average = app.stats.averageClimb;
    }
    if (average != kept.averageClimb) {
      kept.averageClimb = average;
      const double value = app.climbUnit == kClimbKnots ? average * 2 * 0.01 : average * 0.01;
      NavBoxSetValue(set, 8, average == 0 ? u"-.-" : ce::text::Format(u"%.1f", value).c_str());
    }
  }
  if (on(6)) AverageTwenty(app);
  WCHAR time[kTimeTextSize] = {};
  if (on(23)) {
    GetTaskEtaText(time);
    NavBoxSetValue(set, 23, time);
  }
  if (on(24)) {
    GetNextPointEtaText(time);
    NavBoxSetValue(set, 24, time);
  }
  if (on(25)) {
    GetTaskEteText(time);
    NavBoxSetValue(set, 25, time);
  }
  if (on(26)) {
    GetNextPointEteText(time);
    NavBoxSetValue(set, 26, time);
  }
  return any ? 1 : 0;
}

}  // namespace cumulor
