// kv3gen: writes the tiled .kv3 map of a demonstration area.
//
//   kv3gen <out.kv3> [lonDegree latDegree width height]
#include <charconv>
#include <cstdio>
#include <cstring>

#include "tools/kv3gen/kv3_writer.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: kv3gen <out.kv3> [lonDegree latDegree width height]\n");
    return 2;
  }
  // An option where the file name goes is a mistake, not a file to make.
  if (argv[1][0] == '-' || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: kv3gen <out.kv3> [lonDegree latDegree width height]\n");
    return 2;
  }
  int lon = 11, lat = 47, w = 2, h = 2;
  if (argc == 6) {
    int* numbers[] = {&lon, &lat, &w, &h};
    for (int i = 0; i < 4; ++i) {
      const char* text = argv[2 + i];
      const auto [end, error] = std::from_chars(text, text + std::strlen(text), *numbers[i]);
      if (error != std::errc() || *end != '\0') {
        std::fprintf(stderr, "kv3gen: not a whole number: %s\n", text);
        return 2;
      }
    }
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
