// Vertex words: the rank of every vertex of a polyline, by which coarser views keep fewer of them.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

inline constexpr std::uint16_t kEndVertexWord = 10000;
inline constexpr std::uint32_t kMaxVertexWord = 30000;

// The first and the last vertex get 10000; between two kept vertices the inner vertex farthest
// from their chord (metres, the first of equal ones) gets that distance, at most 30000, and both
// sides are ranked the same way. One word per point.
std::vector<std::uint16_t> ComputeVertexWords(const std::vector<GeoPoint>& points);

}  // namespace cumulor
