// Writes shape layers with shapelib's writer: rivers, roads, lakes, places, borders and contour
// areas with the attribute columns the flight computer reads, spread over an area, from a seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace shapegen {

struct Area {
  double west = -1.5, south = 50.5, east = 0.5, north = 51.8;  // degrees
};

struct LayerSizes {
  int rivers = 20, roads = 40, lakes = 10, places = 30, borders = 2, contours = 12;
  int verticesPerLine = 24;  // about; lakes and contours get a ring of this many
};

// The layers written, by file base name (without extension).
struct WrittenLayer {
  std::string name;
  int shapeType = 0;
  int shapes = 0;
  int vertices = 0;
};

// Writes every layer into folder (host path; the folder must exist). Empty on failure.
std::vector<WrittenLayer> WriteLayers(const std::string& folder, const Area& area, const LayerSizes& sizes,
                                      std::uint32_t seed);

}  // namespace shapegen
