#include "cumulor/map/browser/point_arrival.h"

#include <cmath>

#include "cumulor/data/points/point_texts.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"
#include "platform/controls/commctrl.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

bool ComputeArrivalAltitude(const FlightState& fs, const GeoPoint& own, const PointRef& ref, PointArrival& out) {
  out = PointArrival{};
  if (!PointRefIsValid(ref)) return false;
  const GeoPoint at = PointRefRecordPosition(ref);
  double course = 0.0;
  GeoBearing(course, own, at);
  std::int32_t degrees = static_cast<std::int32_t>(std::lround(course * 180.0 / M_PI)) % 360;
  if (degrees < 0) degrees += 360;
  out.bearing = degrees;
  out.distance = GeoDistance(own, at);
  const std::int32_t altitude = fs.altitude;
  const std::int32_t loss = GlideAltitudeLoss(fs, out.distance, course);
  if (altitude == kAltitudeUnknown || loss >= kCannotFlyAltitude) {
    out.altitude = kArrivalUnreachable;
    return true;
  }
  const double arrival = static_cast<double>(altitude) + fs.qnhOffset - PointElevation(ref) - loss;
  out.altitude = arrival < kArrivalUnreachable ? kArrivalUnreachable : static_cast<std::int32_t>(arrival);
  return true;
}

COLORREF PointRowColour(bool landable, std::int32_t arrival, std::int32_t safety) {
  if (landable && arrival > safety) return RGB(0, 255, 0);
  if (arrival > 0) return RGB(255, 255, 0);
  return CLR_DEFAULT;
}

}  // namespace cumulor
