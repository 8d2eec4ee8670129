#include "tools/flightgen/flight_generator.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace flightgen {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111194.9;  // on a sphere of radius 6371 km
// A task flight: where it climbs before the start (metres behind the start point; its circles stay
// within 500 m of the point) and for how long (seconds), how far beyond a turnpoint it flies and
// how near a point counts as reached (metres).
constexpr double kRunUp = 300.0;
constexpr double kClimbBeforeStart = 240.0;
constexpr double kBeyondTurnpoint = 800.0;
constexpr double kReached = 300.0;

// Uniform in [0, 1) from the raw 32-bit output, which the standard fixes for mt19937 (the library's
// distributions may differ between implementations).
double Uniform(std::mt19937& random) { return static_cast<double>(random()) / 4294967296.0; }
double Between(std::mt19937& random, double low, double high) { return low + (high - low) * Uniform(random); }

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* format, ...) {
  char line[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out += line;
}

// "DDMMmmmN" / "DDDMMmmmE".
void Coordinate(std::string& out, double degrees, bool latitude) {
  const char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
  long thousandths = std::lround(std::fabs(degrees) * 60000.0);
  const long whole = thousandths / 60000;
  thousandths -= whole * 60000;
  Append(out, latitude ? "%02ld%05ld%c" : "%03ld%05ld%c", whole, thousandths, hemisphere);
}

// "LAT,LON/LAT,LON/...": at least two points, each within the latitudes and longitudes there are.
bool ParseTask(const char* text, std::vector<Turnpoint>& out) {
  std::vector<Turnpoint> points;
  const char* p = text;
  for (;;) {
    char* end = nullptr;
    Turnpoint t;
    t.latitude = std::strtod(p, &end);
    if (end == p || *end != ',') return false;
    p = end + 1;
    t.longitude = std::strtod(p, &end);
    if (end == p || !(std::fabs(t.latitude) < 85) || !(std::fabs(t.longitude) <= 180)) return false;
    points.push_back(t);
    if (*end == '\0') break;
    if (*end != '/') return false;
    p = end + 1;
  }
  if (points.size() < 2) return false;
  out = std::move(points);
  return true;
}

}  // namespace

std::string GenerateFlight(const Options& o) {
  std::mt19937 random(o.seed);
  std::string out;
  Append(out, "AXGN001\r\n");
  Append(out, "HFDTE%02d%02d%02d\r\n", o.day, o.month, o.year % 100);
  Append(out, "HFFXA035\r\n");
  Append(out, "HFPLTPILOTINCHARGE:Generated Pilot\r\n");
  Append(out, "HFGTYGLIDERTYPE:Generated\r\n");
  Append(out, "HFGIDGLIDERID:GEN-%u\r\n", o.seed);
  Append(out, "HFDTM100GPSDATUM:WGS-1984\r\n");
  Append(out, "HFFTYFRTYPE:flightgen\r\n");
  Append(out, "I023638TRT3941GSP\r\n");
  Append(out, "LXGNSEED%u\r\n", o.seed);

  // Positions are metres east and north of the origin: the area's centre, or the task's first point.
  const double originLat = o.task.empty() ? o.latitude : o.task.front().latitude;
  const double originLon = o.task.empty() ? o.longitude : o.task.front().longitude;
  const double cosLat = std::cos(originLat * kPi / 180.0);
  std::vector<std::pair<double, double>> turnpoints;  // metres east, north
  for (const Turnpoint& t : o.task)
    turnpoints.emplace_back((t.longitude - originLon) * kMetresPerDegree * cosLat,
                            (t.latitude - originLat) * kMetresPerDegree);
  // Where the glider flies to for each point: beyond an inner turnpoint, inside its 90-degree
  // sector (on the bisector, away from the two legs); the finish point itself.
  std::vector<std::pair<double, double>> aims = turnpoints;
  for (std::size_t k = 1; k + 1 < turnpoints.size(); ++k) {
    const auto unit = [](double dx, double dy) {
      const double n = std::hypot(dx, dy);
      return n > 0 ? std::pair{dx / n, dy / n} : std::pair{0.0, 0.0};
    };
    const auto [ix, iy] = unit(turnpoints[k].first - turnpoints[k - 1].first, turnpoints[k].second - turnpoints[k - 1].second);
    const auto [ox, oy] = unit(turnpoints[k + 1].first - turnpoints[k].first, turnpoints[k + 1].second - turnpoints[k].second);
    const auto [bx, by] = unit(ix - ox, iy - oy);
    aims[k] = {turnpoints[k].first + kBeyondTurnpoint * bx, turnpoints[k].second + kBeyondTurnpoint * by};
  }
  std::size_t next = 1;  // the point flown to
  bool finished = false;
  double x = 0.0, y = 0.0;
  double altitude = 1500.0;
  double heading = Between(random, 0.0, 360.0);
  if (!turnpoints.empty()) {
    // A task starts with a climb just behind the start point, then glides along the first leg
    // across the start line.
    const double dx = turnpoints[1].first, dy = turnpoints[1].second;
    const double n = std::hypot(dx, dy);
    heading = std::atan2(dx, dy) * 180.0 / kPi;
    if (n > 0) x = -kRunUp * dx / n, y = -kRunUp * dy / n;
  }
  bool thermal = false;
  double phaseLeft = Between(random, 180.0, 480.0);  // seconds left of the glide or the climb
  double climb = 0.0;
  double turn = 0.0;
  if (!turnpoints.empty()) {
    thermal = true;
    phaseLeft = kClimbBeforeStart;
    climb = 1.5;
    turn = 360.0 / 25.0;
  }
  const int fixes = o.interval > 0 ? o.minutes * 60 / o.interval : 0;
  for (int i = 0; i < fixes; ++i) {
    const int seconds = (o.startSeconds + i * o.interval) % 86400;
    const double lat = originLat + y / kMetresPerDegree;
    const double lon = originLon + x / (kMetresPerDegree * cosLat);
    const double speed = thermal ? 22.0 : 30.0;  // m/s
    const int gps = static_cast<int>(std::lround(altitude));
    Append(out, "B%02d%02d%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    Coordinate(out, lat, true);
    Coordinate(out, lon, false);
    const int track = static_cast<int>(std::fmod(heading + 360.0, 360.0));
    Append(out, "A%05d%05d%03d%03d\r\n", gps - 25, gps, track, static_cast<int>(speed * 3.6));
    if (finished) break;  // the fix at the finish is the last one

    // The next fix.
    for (int s = 0; s < o.interval; ++s) {
      if (thermal) {
        heading += turn;
        altitude += climb;
      } else {
        heading += Between(random, -2.0, 2.0);
        altitude -= 0.9;
        if (!turnpoints.empty()) {
          // Towards the next turnpoint.
          const double goal = std::atan2(aims[next].first - x, aims[next].second - y) * 180.0 / kPi;
          const double d = std::remainder(goal - heading, 360.0);  // -180..180
          heading += d > 5 ? 5 : d < -5 ? -5 : d;
        } else if (std::hypot(x, y) > o.radiusKm * 1000.0 * 0.9) {
          // Back towards the centre when the area's edge is near.
          const double home = std::atan2(-x, -y) * 180.0 / kPi;
          double d = std::fmod(home - heading + 540.0, 360.0) - 180.0;
          heading += d > 5 ? 5 : d < -5 ? -5 : d;
        }
      }
      x += speed * std::sin(heading * kPi / 180.0);
      y += speed * std::cos(heading * kPi / 180.0);
      if (!turnpoints.empty() && std::hypot(aims[next].first - x, aims[next].second - y) < kReached) {
        if (++next == turnpoints.size()) {
          finished = true;
          break;
        }
      }
      phaseLeft -= 1.0;
      if (phaseLeft <= 0.0 || altitude < 400.0 || altitude > 2800.0) {
        thermal = !thermal && altitude < 2800.0;
        phaseLeft = thermal ? Between(random, 120.0, 420.0) : Between(random, 180.0, 600.0);
        climb = Between(random, 1.0, 3.5);
        turn = (Uniform(random) < 0.5 ? -1.0 : 1.0) * 360.0 / Between(random, 20.0, 30.0);
      }
    }
  }
  return out;
}

bool ParseOptions(int argc, const char* const* argv, Options& out, std::string& file, std::string& message) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name.rfind("--", 0) != 0) {
      if (!file.empty()) {
        message = "one output file only: " + name;
        return false;
      }
      file = name;
      continue;
    }
    if (i + 1 >= argc) {
      message = "no value for " + name;
      return false;
    }
    const char* value = argv[++i];
    if (name == "--task") {
      if (!ParseTask(value, out.task)) {
        message = std::string("bad task (LAT,LON/LAT,LON/... with at least two points): ") + value;
        return false;
      }
      continue;
    }
    char* end = nullptr;
    const double v = std::strtod(value, &end);
    if (end == value || *end != '\0') {
      message = "not a number: " + name + " " + value;
      return false;
    }
    if (name == "--lat" && std::fabs(v) < 85) out.latitude = v;
    else if (name == "--lon" && std::fabs(v) <= 180) out.longitude = v;
    else if (name == "--radius" && v > 0 && v <= 500) out.radiusKm = v;
    else if (name == "--minutes" && v >= 1 && v <= 24 * 60) out.minutes = static_cast<int>(v);
    else if (name == "--interval" && v >= 1 && v <= 60) out.interval = static_cast<int>(v);
    else if (name == "--start" && v >= 0 && v < 86400) out.startSeconds = static_cast<int>(v);
    else if (name == "--seed" && v >= 0 && v <= 4294967295.0) out.seed = static_cast<std::uint32_t>(v);
    else {
      message = "unknown option or value out of range: " + name + " " + value;
      return false;
    }
  }
  if (file.empty()) {
    message = "no output file";
    return false;
  }
  return true;
}

}  // namespace flightgen
