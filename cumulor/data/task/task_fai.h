// The length of the active task, its legs and whether it is an FAI triangle: four points whose
// first and last are the same point, at least 100 km long, each of the three legs at least 28 %
// of the length (from 25 % to 45 % from 750 km on).
#pragma once

#include <cstdint>
#include <vector>

namespace cumulor {

struct FaiTask {
  std::vector<std::uint32_t> legs;   // legs[k]: metres from point k-1 to point k (legs[0] = 0)
  std::uint32_t length = 0;          // metres, the sum of the legs
  bool isFai = false;
};

// Whether three legs of a closed task of `length` metres make an FAI triangle.
bool FaiTriangle(const std::uint32_t legs[3], std::uint32_t length);
// Recomputes the legs, the length and the FAI flag of the active task.
void ComputeFaiSectors(FaiTask& task);

}  // namespace cumulor
