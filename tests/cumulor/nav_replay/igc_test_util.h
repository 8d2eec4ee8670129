// Test helpers for the IGC readers: an independent decode of B records written from the published
// IGC format, the real flights of the shared test data linked into a device folder, and gpsbabel's
// reading of the same files.
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace igc_test {

struct BRecord {
  int seconds = 0;     // as written: hh * 3600 + mm * 60 + ss
  double lat = 0.0;    // degrees
  double lon = 0.0;
  bool valid = false;  // validity 'A'
  int pressure = 0;
  int gps = 0;
};

// Every B record of the file, in order.
inline std::vector<BRecord> DecodeB(const std::filesystem::path& path) {
  std::vector<BRecord> out;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\x1a')) line.pop_back();
    if (line.size() < 35 || line[0] != 'B') continue;
    BRecord b;
    b.seconds = std::stoi(line.substr(1, 2)) * 3600 + std::stoi(line.substr(3, 2)) * 60 + std::stoi(line.substr(5, 2));
    b.lat = std::stoi(line.substr(7, 2)) + std::stoi(line.substr(9, 5)) / 60000.0;
    if (line[14] == 'S') b.lat = -b.lat;
    b.lon = std::stoi(line.substr(15, 3)) + std::stoi(line.substr(18, 5)) / 60000.0;
    if (line[23] == 'W') b.lon = -b.lon;
    b.valid = line[24] == 'A';
    b.pressure = std::stoi(line.substr(25, 5));
    b.gps = std::stoi(line.substr(30, 5));
    out.push_back(b);
  }
  return out;
}

// Degrees as GeoPoint units (36000 a degree), for comparison within one unit.
inline double Units(double degrees) { return degrees * 36000.0; }

// The real flights of the test data folder.
inline std::vector<std::filesystem::path> Flights(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> out;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    std::string ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".igc") out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

struct TrackPoint {
  double lat = 0.0, lon = 0.0;
  int day = 0;         // days after the first point's date
  int seconds = 0;     // UTC time of day
};

// gpsbabel's first track of an IGC file (it writes the same records twice, for the pressure and
// the GNSS altitude), as its unicsv text. Empty when gpsbabel is missing or fails.
inline std::vector<TrackPoint> GpsbabelTrack(const std::filesystem::path& igc, const std::filesystem::path& csv) {
  const std::string command = "gpsbabel -t -i igc -f '" + igc.string() + "' -o unicsv,utc=0 -F '" + csv.string() +
                              "' > /dev/null 2>&1";
  std::vector<TrackPoint> all;
  if (std::system(command.c_str()) != 0) return all;
  std::ifstream in(csv);
  std::string line;
  std::getline(in, line);  // No,Latitude,Longitude,Altitude,Date,Time
  long firstDays = -1;
  while (std::getline(in, line)) {
    // No,Latitude,Longitude,Altitude (empty where gpsbabel has none),Date,Time
    int no = 0, y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    double lat = 0, lon = 0;
    const std::size_t dateAt = line.rfind(',', line.rfind(',') - 1);
    if (std::sscanf(line.c_str(), "%d,%lf,%lf,", &no, &lat, &lon) != 3 ||
        std::sscanf(line.c_str() + dateAt, ",%d/%d/%d,%d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6)
      continue;
    // Days from a civil date (proleptic Gregorian), enough to count the days after the first.
    const int yy = y - (mo <= 2 ? 1 : 0);
    const int era = yy / 400;
    const int yoe = yy - era * 400;
    const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long days = era * 146097L + yoe * 365L + yoe / 4 - yoe / 100 + doy;
    if (firstDays < 0) firstDays = days;
    all.push_back(TrackPoint{lat, lon, static_cast<int>(days - firstDays), h * 3600 + mi * 60 + s});
  }
  // The second track repeats the first.
  const std::size_t half = all.size() / 2;
  if (half > 0 && all.size() % 2 == 0 && all[half].seconds == all[0].seconds && all[half].lat == all[0].lat &&
      all[half].lon == all[0].lon)
    all.resize(half);
  return all;
}

}  // namespace igc_test
