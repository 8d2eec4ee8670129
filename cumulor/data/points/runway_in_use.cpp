#include "cumulor/data/points/runway_in_use.h"

#include <cstdlib>

#include "cumulor/data/points/aero_tables.h"

namespace cumulor {

void SelectRunwayInUse(AirportRecord& airport, std::int32_t windDirection, double windSpeed) {
  const AeroTables& t = AeroData();
  if (airport.runwayFirst == 0 || airport.runwayFirst >= t.runways.Size()) return;
  if (windSpeed == 0) {
    airport.flags |= kRunwayOffsetMask;
    return;
  }
  const std::int32_t wind = windDirection + static_cast<std::int32_t>(airport.variation);
  std::int32_t best = 360;
  for (std::int32_t offset = 0; offset < 8; ++offset) {
    const std::int32_t i = airport.runwayFirst + offset;
    if (i > airport.runwayLast || i >= t.runways.Size()) break;
    for (std::uint32_t end = 0; end < 2; ++end) {
      const std::int32_t heading = std::atoi(t.runways[i].end[end].designator) * 10;
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
