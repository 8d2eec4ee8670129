// kv3gen: writes the tiled .kv3 map of a demonstration area.
//
//   kv3gen <out.kv3> [lonDegree latDegree width height]
#include <cstdio>
#include <cstdlib>

#include "tools/kv3gen/kv3_writer.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: kv3gen <out.kv3> [lonDegree latDegree width height]\n");
    return 2;
  }
  int lon = 11, lat = 47, w = 2, h = 2;
  if (argc == 6) {
    lon = std::atoi(argv[2]);
    lat = std::atoi(argv[3]);
    w = std::atoi(argv[4]);
    h = std::atoi(argv[5]);
  }
  if (lon < -180 || lon > 179 || lat < -90 || lat > 89 || w < 1 || h < 1 || w > 8 || h > 8) {
    std::fprintf(stderr, "kv3gen: area out of range\n");
    return 2;
  }
  if (!kv3gen::SaveBytes(argv[1], kv3gen::WriteTiled(kv3gen::DemoArea(lon, lat, w, h)))) {
    std::fprintf(stderr, "kv3gen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
