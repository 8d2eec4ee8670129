// The runway in use of an airport, chosen from the wind and kept in the airport's flags.
#pragma once

#include <cstdint>

#include "cumulor/data/points/aero_records.h"

namespace cumulor {

inline constexpr std::uint32_t kRunwayOffsetMask = 0x7u << 11;  // bits 11-13: offset in the range
inline constexpr std::uint32_t kRunwayEndBit = 1u << 14;        // bit 14: the second end

// Without runways nothing changes; without wind bits 11-13 are all set. Otherwise the runway end
// whose heading (designator x 10) lies closest to the wind direction (plus the airport's
// variation) is kept: its runway's offset in bits 11-13, its end in bit 14. Only the first eight
// runways of the range can be named by three bits, so only they are considered.
void SelectRunwayInUse(AirportRecord& airport, std::int32_t windDirection, double windSpeed);

}  // namespace cumulor
