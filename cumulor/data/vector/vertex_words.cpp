#include "cumulor/data/vector/vertex_words.h"

#include <algorithm>
#include <utility>

#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

std::vector<std::uint16_t> ComputeVertexWords(const std::vector<GeoPoint>& points) {
  std::vector<std::uint16_t> words(points.size(), 0);
  if (points.empty()) return words;
  words.front() = kEndVertexWord;
  words.back() = kEndVertexWord;
  // Ranges still to rank, by their two kept ends; an explicit stack keeps long lines off the call
  // stack.
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  if (points.size() > 2) ranges.emplace_back(0, points.size() - 1);
  while (!ranges.empty()) {
    const auto [first, last] = ranges.back();
    ranges.pop_back();
    if (last - first < 2) continue;
    const GeoPoint chord[2] = {points[first], points[last]};
    std::uint32_t farthest = 0;
    std::size_t at = first + 1;
    for (std::size_t i = first + 1; i < last; ++i) {
      std::uint32_t d = 0;
      PointSegmentDistance(points[i], chord, d);
      if (i == first + 1 || d > farthest) {
        farthest = d;
        at = i;
      }
    }
    words[at] = static_cast<std::uint16_t>(std::min(farthest, kMaxVertexWord));
    ranges.emplace_back(at, last);
    ranges.emplace_back(first, at);
  }
  return words;
}

}  // namespace cumulor
