#include "cumulor/data/points/runway_in_use.h"

#include <cmath>
#include <cstdlib>

#include "cumulor/data/points/aero_tables.h"

namespace cumulor {

namespace {

// The heading of a designator ("09", "27L", "5"): its one or two leading digits times 10; -1 when
// they name no runway (01 to 36).
std::int32_t RunwayHeading(const char* designator) {
  std::int32_t number = 0;
  std::int32_t digits = 0;
  for (; digits < 3 && designator[digits] >= '0' && designator[digits] <= '9'; ++digits)
    number = number * 10 + (designator[digits] - '0');
  if (digits == 0 || digits > 2 || number < 1 || number > 36) return -1;
  return number * 10;
}

}  // namespace

void SelectRunwayInUse(AirportRecord& airport, std::int32_t windDirection, double windSpeed) {
  const AeroTables& t = AeroData();
  if (airport.runwayFirst == 0 || airport.runwayFirst >= t.runways.Size()) return;
  if (windSpeed == 0) {
    airport.flags |= kRunwayOffsetMask;
    return;
  }
  // The database's words are checked here too: a variation that is no angle counts as none.
  const float variation = airport.variation;
  const std::int32_t wind =
      windDirection + (std::isfinite(variation) && std::fabs(variation) <= 180.0f ? static_cast<std::int32_t>(variation) : 0);
  std::int32_t best = 360;
  for (std::int32_t offset = 0; offset < 8; ++offset) {
    const std::int32_t i = airport.runwayFirst + offset;
    if (i > airport.runwayLast || i >= t.runways.Size()) break;
    for (std::uint32_t end = 0; end < 2; ++end) {
      const std::int32_t heading = RunwayHeading(t.runways[i].end[end].designator);
      if (heading < 0) continue;
      std::int32_t d = std::abs(wind - heading) % 360;
      if (d > 180) d = 360 - d;
      if (d < best) {
        best = d;
        airport.flags = (airport.flags & ~(kRunwayOffsetMask | kRunwayEndBit)) |
                        (static_cast<std::uint32_t>(offset) << 11) | (end ? kRunwayEndBit : 0u);
      }
    }
  }
}

}  // namespace cumulor
