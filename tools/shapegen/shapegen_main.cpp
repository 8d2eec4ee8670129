// shapegen: writes the test and demonstration shape layers (rivers, roads, lakes, places, borders,
// contour areas) into a folder.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/shapegen/shape_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: shapegen FOLDER [--area WEST SOUTH EAST NORTH] [--scale N] [--seed N]\n"
                 "  --scale multiplies the number of shapes and vertices of every layer\n");
    return 2;
  }
  shapegen::Area area;
  shapegen::LayerSizes sizes;
  std::uint32_t seed = 1;
  int scale = 1;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--area" && i + 4 < argc) {
      area.west = std::atof(argv[++i]);
      area.south = std::atof(argv[++i]);
      area.east = std::atof(argv[++i]);
      area.north = std::atof(argv[++i]);
    } else if (arg == "--scale" && i + 1 < argc) {
      scale = std::atoi(argv[++i]);
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      std::fprintf(stderr, "shapegen: unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  if (scale < 1 || scale > 1000 || !(area.west < area.east) || !(area.south < area.north)) {
    std::fprintf(stderr, "shapegen: bad --scale or --area\n");
    return 2;
  }
  sizes.rivers *= scale;
  sizes.roads *= scale;
  sizes.lakes *= scale;
  sizes.places *= scale;
  sizes.contours *= scale;
  const auto layers = shapegen::WriteLayers(argv[1], area, sizes, seed);
  if (layers.empty()) {
    std::fprintf(stderr, "shapegen: cannot write into %s\n", argv[1]);
    return 1;
  }
  for (const auto& l : layers) std::printf("%s type %d shapes %d vertices %d\n", l.name.c_str(), l.shapeType, l.shapes, l.vertices);
  return 0;
}
