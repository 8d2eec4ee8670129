#include "tools/flightdemo/flight_times.h"

#include <cctype>
#include <fstream>
#include <string>

std::uint32_t FlightTimes::At(double part) const {
  return static_cast<std::uint32_t>(first + (last - first) * part) % 86400;
}

bool ReadFlightTimes(const std::filesystem::path& file, FlightTimes& out) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  FlightTimes t;
  std::uint32_t previous = 0, days = 0;
  while (std::getline(in, line)) {
    if (line.size() < 35 || line[0] != 'B' || line[24] != 'A') continue;
    bool digits = true;
    for (int i = 1; i <= 6; ++i) digits = digits && std::isdigit(static_cast<unsigned char>(line[i]));
    if (!digits) continue;
    const std::uint32_t time = std::stoul(line.substr(1, 2)) * 3600 + std::stoul(line.substr(3, 2)) * 60 +
                               std::stoul(line.substr(5, 2));
    if (time >= 86400) continue;
    if (t.fixes > 0 && time < previous) days += 86400;  // past midnight
    previous = time;
    if (t.fixes++ == 0) t.first = time;
    t.last = time + days;
    t.all.push_back(t.last);
  }
  if (t.fixes == 0) return false;
  out = t;
  return true;
}
