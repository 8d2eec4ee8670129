// Whole-file .kv3 maps (version 1): every object is read at once and kept when it meets the load
// rectangle.
//
// Behind the 512-byte header and the box (int32 west, north, east, south) come sections {uint32
// tag, uint32 length}. Tags 1 (points), 3 (lines) and 5 (areas) hold a uint32 object count and
// the object records; other tags are skipped by their length. A record: for tag 1 a 40-byte label
// (20 wide characters), then the box, an unused word, kind, category, value, threshold, the counted
// points {int32 longitude, latitude} and, for tags 3 and 5, the counted vertex words (uint16).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/tiled_file.h"
#include "platform/base/types.h"

namespace cumulor::kv3 {

// 179 degrees east and west, 89 north and south.
inline constexpr GeoRect kDefaultLoadRect{-6444000, 3204000, 6444000, -3204000};

// Whether two boxes {west, north, east, south} share a point; whether inner lies wholly in outer.
bool BoxesMeet(const GeoRect& a, const GeoRect& b);
bool BoxInside(const GeoRect& inner, const GeoRect& outer);

// What whole-file maps add to the vector map store. Each line and area carries one vertex word per
// point.
struct WholeFileObjects {
  GeoRect loadRect = kDefaultLoadRect;
  std::vector<MapPointObject> points;
  std::vector<MapLineObject> lines;
  std::vector<std::vector<std::uint16_t>> lineWords;
  std::vector<MapLineObject> areas;
  std::vector<std::vector<std::uint16_t>> areaWords;
  std::array<std::uint8_t, kHeaderBytes> header{};  // of the file read last, detail word set
  // A line that crosses the load rectangle's edge: appends its pieces inside it with their words.
  // Without it such a line is kept whole.
  std::function<void(WholeFileObjects& into, const MapLineObject& line, const std::vector<std::uint16_t>& words)>
      clipLine;
  // An area that crosses the edge: clips it in place and rebuilds its words. Without it the area is
  // kept whole.
  std::function<void(MapLineObject& area, std::vector<std::uint16_t>& words, const GeoRect& rect)> clipArea;
};

// Reads a whole-file map from an open file positioned behind its header. progress(percent) is
// called at the start and every 30000 bytes. 0, or E_FAIL for an empty file or a failing read
// (objects read before it stay).
HRESULT ReadWholeFile(WholeFileObjects& into, HANDLE file, const std::array<std::uint8_t, kHeaderBytes>& header,
                      const std::function<void(std::int32_t percent)>& progress);

}  // namespace cumulor::kv3
