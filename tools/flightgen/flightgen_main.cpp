// flightgen [--lat DEG] [--lon DEG] [--radius KM] [--minutes N] [--interval S] [--start SECONDS]
//           [--seed N] [--task LAT,LON/LAT,LON/...] FILE.igc
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/flightgen/flight_generator.h"

int main(int argc, char** argv) {
  flightgen::Options options;
  std::string file, message;
  if (!flightgen::ParseOptions(argc, argv, options, file, message)) {
    std::fprintf(stderr, "flightgen: %s\nusage: flightgen [--lat DEG] [--lon DEG] [--radius KM] [--minutes N] "
                         "[--interval S] [--start SECONDS] [--seed N]\n"
                         "                 [--task LAT,LON/LAT,LON/...] FILE.igc\n", message.c_str());
    return 2;
  }
  std::ofstream out(file, std::ios::binary);
  out << flightgen::GenerateFlight(options);
  out.close();
  if (!out) {
    std::fprintf(stderr, "flightgen: cannot write %s\n", file.c_str());
    return 1;
  }
  return 0;
}
