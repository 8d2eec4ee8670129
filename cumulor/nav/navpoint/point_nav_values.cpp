#include "cumulor/nav/navpoint/point_nav_values.h"

#include <cmath>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/text/format.h"

namespace cumulor {
namespace {

constexpr double kRadToDeg = 57.2957795131;
constexpr std::int32_t kSpeedUnitKnots = 4;

struct Texts {
  WCHAR speed[16];
  WCHAR bearing[16];
  WCHAR track[16];
  WCHAR turn[16];
};

Texts& ThreadTexts() {
  thread_local Texts texts;
  return texts;
}

template <class... Args>
const WCHAR* Put(WCHAR* buffer, const char16_t* format, Args... args) {
  ce::text::CopyOut(buffer, 16, ce::text::Format(format, args...));
  return buffer;
}

// The whole part, plus one when the first decimal is 5 or more in absolute value.
std::int32_t RoundHalfUp(double degrees) {
  const std::int32_t whole = static_cast<std::int32_t>(degrees);
  const double fraction = std::fabs(degrees - whole);
  return fraction >= 0.5 ? whole + (degrees < 0 ? -1 : 1) : whole;
}

}  // namespace

void PointNavValues(EngineContext& app, const PointRef& point, const PointNavOutputs& out) {
  const GpsStatus status = GetGpsStatus(app.gps);
  const GeoPoint target = PointRefRecordPosition(point);
  std::uint32_t distance = GeoDistance(status.position, target);
  double bearing = 0.0;
  GeoBearing(bearing, status.position, target);

  // On task, a cylinder turnpoint is reached at its radius.
  const TaskRule& onTask = Rules().rule[kRuleOnTask];
  if (app.taskStarted && onTask.type == kGateCylinder) {
    const std::uint32_t radius = onTask.width > 0 ? static_cast<std::uint32_t>(onTask.width) : 0;
    distance = distance > radius ? distance - radius : 0;
  }

  std::int32_t variation = status.variation;
  if (point.kind == kPointAirport && PointRefIsValid(point)) {
    const DynArray<AirportRecord>& airports = AeroData().airports;
    if (point.index < airports.Size()) variation = RoundToInt(airports[point.index].variation);
  }

  double magneticBearing = (bearing + variation / kRadToDeg) * kRadToDeg;
  if (magneticBearing < 0.0) magneticBearing += 360.0;
  if (magneticBearing > 359.0) magneticBearing -= 360.0;
  std::int32_t magneticTrack = static_cast<std::int32_t>(status.track) + variation;
  if (magneticTrack < 0) magneticTrack += 360;
  if (magneticTrack >= 360) magneticTrack -= 360;
  std::int32_t turn = static_cast<std::int32_t>(magneticBearing) - magneticTrack;
  if (turn > 180) turn -= 360;
  if (turn < -180) turn += 360;

  if (out.distance) *out.distance = distance;
  if (out.bearing) *out.bearing = bearing;
  if (out.distanceText) *out.distanceText = FormatDistance(distance, kPrecisionAuto);
  Texts& texts = ThreadTexts();
  if (out.speedText) {
    if (app.simulator && !app.gps.replayActive) {
      *out.speedText = Put(texts.speed, u"SIM");
    } else if (app.speedUnit == kSpeedUnitKnots) {
      *out.speedText = Put(texts.speed, u"%d", static_cast<int>(status.groundSpeedKn));
    } else {
      *out.speedText = Put(texts.speed, u"%d", static_cast<int>(status.groundSpeedMs * 36.0) / 10);
    }
  }
  if (out.bearingText) *out.bearingText = Put(texts.bearing, u"%d\u00B0", RoundHalfUp(magneticBearing));
  if (out.trackText) *out.trackText = Put(texts.track, u"%d\u00B0", magneticTrack);
  if (out.turnText) {
    if (turn < 0) {
      *out.turnText = Put(texts.turn, u"\u00AB%d\u00B0", -turn);
    } else if (turn > 0) {
      *out.turnText = Put(texts.turn, u"%d\u00B0\u00BB", turn);
    } else {
      *out.turnText = Put(texts.turn, u"0\u00B0");
    }
  }
}

}  // namespace cumulor
