#include "tools/nmeaplayer/nmea_source.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace nmeaplayer {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool Digits(const std::string& s, std::size_t at, std::size_t n) {
  if (at + n > s.size()) return false;
  for (std::size_t i = at; i < at + n; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

int Num(const std::string& s, std::size_t at, std::size_t n) { return std::stoi(s.substr(at, n)); }

// The B record extension in columns from..to (1-based, as the I record declares them) when it
// holds a number; a field wider than a number holds is left out.
void Extension(const std::string& b, int from, int to, double& out) {
  if (from < 1 || to < from || to - from >= 9) return;
  const auto width = static_cast<std::size_t>(to - from + 1);
  if (Digits(b, static_cast<std::size_t>(from - 1), width)) out = Num(b, static_cast<std::size_t>(from - 1), width);
}

// The time field of an RMC or GGA sentence, or "".
std::string SentenceTime(const std::string& s) {
  if (s.size() < 7 || s[0] != '$') return "";
  const std::string type = s.substr(3, 3);
  if (type != "RMC" && type != "GGA") return "";
  const std::size_t comma = s.find(',');
  if (comma == std::string::npos) return "";
  const std::size_t end = s.find(',', comma + 1);
  return s.substr(comma + 1, end == std::string::npos ? std::string::npos : end - comma - 1);
}

struct BFix {
  std::string time;
  double lat = 0, lon = 0;  // degrees
  int pressure = 0, gps = 0;
  double track = -1, kmh = -1;
};

// "DDMMmmm" + letter and "DDDMMmmm" + letter into NMEA "DDMM.mmm,N".
std::string NmeaLat(const std::string& b) { return b.substr(7, 4) + "." + b.substr(11, 3) + "," + b[14]; }
std::string NmeaLon(const std::string& b) { return b.substr(15, 5) + "." + b.substr(20, 3) + "," + b[23]; }

}  // namespace

std::string WithChecksum(const std::string& body) {
  unsigned x = 0;
  for (std::size_t i = 1; i < body.size(); ++i) x ^= static_cast<unsigned char>(body[i]);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
  return body + tail;
}

bool LooksLikeIgc(const std::string& text) { return !text.empty() && text[0] == 'A'; }

std::vector<Epoch> EpochsFromNmeaLog(const std::string& text) {
  std::vector<Epoch> epochs;
  std::string epochTime;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '#') continue;
    const std::string t = SentenceTime(line);
    if (epochs.empty() || (!t.empty() && t != epochTime && !epochTime.empty())) epochs.push_back(Epoch{});
    if (!t.empty()) epochTime = t;
    epochs.back().bytes += line + "\r\n";
  }
  return epochs;
}

std::vector<Epoch> EpochsFromIgc(const std::string& text) {
  std::vector<Epoch> epochs;
  std::string date = "010100";
  int trtFrom = 0, trtTo = 0, gspFrom = 0, gspTo = 0;
  const BFix* previous = nullptr;
  BFix last;
  for (const std::string& l : Lines(text)) {
    if (l.rfind("HFDTEDATE:", 0) == 0 && Digits(l, 10, 6)) date = l.substr(10, 6);
    else if (l.rfind("HFDTE", 0) == 0 && Digits(l, 5, 6)) date = l.substr(5, 6);
    if (l[0] == 'I' && Digits(l, 1, 2)) {
      const int n = Num(l, 1, 2);
      for (int i = 0; i < n && Digits(l, 3 + 7 * i, 4) && l.size() >= 10u + 7 * i; ++i) {
        const std::string code = l.substr(7 + 7 * i, 3);
        const int from = Num(l, 3 + 7 * i, 2), to = Num(l, 5 + 7 * i, 2);
        if (code == "TRT") trtFrom = from, trtTo = to;
        if (code == "GSP") gspFrom = from, gspTo = to;
      }
    }
    if (l.size() < 35 || l[0] != 'B' || !Digits(l, 1, 6) || !Digits(l, 7, 7) || !Digits(l, 15, 8) || l[24] != 'A')
      continue;
    BFix f;
    f.time = l.substr(1, 6);
    f.lat = (Num(l, 7, 2) + Num(l, 9, 5) / 60000.0) * (l[14] == 'S' ? -1 : 1);
    f.lon = (Num(l, 15, 3) + Num(l, 18, 5) / 60000.0) * (l[23] == 'W' ? -1 : 1);
    try {
      f.pressure = std::stoi(l.substr(25, 5));
      f.gps = std::stoi(l.substr(30, 5));
    } catch (...) {
      continue;
    }
    Extension(l, trtFrom, trtTo, f.track);
    Extension(l, gspFrom, gspTo, f.kmh);
    if ((f.track < 0 || f.kmh < 0) && previous) {
      const int dt = (Num(f.time, 0, 2) * 3600 + Num(f.time, 2, 2) * 60 + Num(f.time, 4, 2)) -
                     (Num(previous->time, 0, 2) * 3600 + Num(previous->time, 2, 2) * 60 + Num(previous->time, 4, 2));
      const double north = (f.lat - previous->lat) * 111195.0;
      const double east = (f.lon - previous->lon) * 111195.0 * std::cos(f.lat * kPi / 180);
      if (f.track < 0) f.track = std::fmod(std::atan2(east, north) * 180 / kPi + 360.0, 360.0);
      if (f.kmh < 0) f.kmh = dt > 0 ? std::hypot(north, east) / dt * 3.6 : 0.0;
    }
    if (f.track < 0) f.track = 0;
    if (f.kmh < 0) f.kmh = 0;
    char body[160];
    Epoch e;
    std::snprintf(body, sizeof body, "$GPGGA,%s,%s,%s,1,08,1.0,%d,M,,M,,", f.time.c_str(), NmeaLat(l).c_str(),
                  NmeaLon(l).c_str(), f.gps);
    e.bytes += WithChecksum(body);
    // Whole feet that a reader truncating back to metres turns into the same metres.
    const double feet = f.pressure / 0.30480370641307;
    std::snprintf(body, sizeof body, "$PGRMZ,%d,f,3", static_cast<int>(feet >= 0 ? std::ceil(feet) : std::floor(feet)));
    e.bytes += WithChecksum(body);
    std::snprintf(body, sizeof body, "$GPRMC,%s,A,%s,%s,%.1f,%.1f,%s,,", f.time.c_str(), NmeaLat(l).c_str(),
                  NmeaLon(l).c_str(), f.kmh / 1.852, f.track, date.c_str());
    e.bytes += WithChecksum(body);
    epochs.push_back(e);
    last = f;
    previous = &last;
  }
  return epochs;
}

}  // namespace nmeaplayer
