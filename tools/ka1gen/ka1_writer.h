// Writes a described KA1 database as bytes, optionally damaged.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/ka1gen/ka1_description.h"

namespace ka1gen {

struct Damage {
  std::int64_t truncateTo = -1;     // cut the file to this many bytes (-1: whole)
  bool airportCount50001 = false;   // the first region's airport count reads 50001
  bool badMagic = false;            // the first region's stream magic is wrong
  bool badOffset = false;           // the first region's stream offset lies past the end
  bool badHeaderValue = false;      // the value after the region list is not 12
  bool badAirspaceOffset = false;   // every airspace offset lies past the end
};

std::vector<std::uint8_t> WriteKa1(const File& file, const Damage& damage = {});

}  // namespace ka1gen
