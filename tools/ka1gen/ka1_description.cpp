#include "tools/ka1gen/ka1_description.h"

#include <cstdlib>
#include <sstream>

namespace ka1gen {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

bool ToLong(const std::string& s, long long& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  out = std::strtoll(s.c_str(), &end, 10);
  return *end == '\0';
}

bool ToDouble(const std::string& s, double& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return *end == '\0';
}

}  // namespace

bool ParseDescription(const std::string& text, std::vector<File>& files, std::string& error) {
  files.assign(1, File{});
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::string word = line.substr(0, line.find(' '));
    std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : std::string();
    std::vector<std::string> f = Split(rest, '|');
    File& file = files.back();
    Region* region = file.regions.empty() ? nullptr : &file.regions.back();
    Airport* airport = region && !region->airports.empty() ? &region->airports.back() : nullptr;
    std::vector<long long> n(f.size(), 0);
    auto num = [&](std::size_t i) {
      if (i >= f.size() || !ToLong(f[i], n[i])) return false;
      return true;
    };
    if (word == "file") {
      files.emplace_back();
    } else if (word == "header") {
      if (!num(0) || !num(1)) return fail("header needs version|kind");
      file.version = static_cast<std::int32_t>(n[0]);
      file.regionKind = static_cast<std::int32_t>(n[1]);
    } else if (word == "region") {
      if (f.size() != 4 || !num(3)) return fail("region needs name|state|code|number");
      Region r;
      r.name = f[0];
      r.state = f[1];
      r.code = f[2];
      r.number = static_cast<std::uint16_t>(n[3]);
      file.regions.push_back(r);
    } else if (word == "option") {
      if (!region) return fail("option outside a region");
      if (rest == "nonear") region->noNear = true;
      else if (rest == "id12") region->emptyIds = true;
      else return fail("unknown option");
    } else if (word == "uses") {
      if (!region || !num(0)) return fail("uses needs a region and an id");
      region->airspaceIds.push_back(static_cast<std::uint16_t>(n[0]));
    } else if (word == "airport") {
      if (!region || f.size() < 7 || !num(1) || !num(2) || !num(3) || !num(4))
        return fail("airport needs code|lon|lat|elevation|flags|name|near");
      Airport a;
      a.code = f[0];
      a.lon = static_cast<std::int32_t>(n[1]);
      a.lat = static_cast<std::int32_t>(n[2]);
      a.elevation = static_cast<std::int16_t>(n[3]);
      a.flags = static_cast<std::uint32_t>(n[4]);
      a.name = f[5];
      a.nearName = f[6];
      double v = 0;
      if (f.size() > 7 && ToDouble(f[7], v)) a.variation = static_cast<float>(v);
      region->airports.push_back(a);
    } else if (word == "runway") {
      if (!airport || f.size() != 5 || !num(0) || !num(1) || !num(2)) return fail("runway needs an airport and 5 fields");
      airport->runways.push_back({static_cast<std::uint16_t>(n[0]), static_cast<std::uint8_t>(n[1]),
                                  static_cast<std::uint8_t>(n[2]), f[3], f[4]});
    } else if (word == "freq") {
      if (!airport || f.size() != 3 || !num(0)) return fail("freq needs an airport and type|value|text");
      airport->frequencies.push_back({static_cast<std::uint16_t>(n[0]), f[1], f[2]});
    } else if (word == "remark") {
      if (!airport || f.size() != 2 || !num(0)) return fail("remark needs an airport and type|text");
      airport->remarks.push_back({static_cast<std::uint8_t>(n[0]), f[1]});
    } else if (word == "navaid") {
      double mhz = 0;
      if (!region || f.size() != 5 || !num(0) || !num(1) || !num(2) || !ToDouble(f[3], mhz))
        return fail("navaid needs lon|lat|type|MHz|name");
      region->navaids.push_back({static_cast<std::int32_t>(n[0]), static_cast<std::int32_t>(n[1]),
                                 static_cast<std::uint16_t>(n[2]), mhz, f[4]});
    } else if (word == "intersection") {
      if (!region || f.size() != 3 || !num(0) || !num(1)) return fail("intersection needs lon|lat|name");
      region->intersections.push_back({static_cast<std::int32_t>(n[0]), static_cast<std::int32_t>(n[1]), f[2]});
    } else if (word == "airspace") {
      if (f.size() != 9 || !num(0) || !num(1) || !num(4) || !num(5) || !num(6) || !num(7))
        return fail("airspace needs 9 fields");
      Airspace s;
      s.id = static_cast<std::uint16_t>(n[0]);
      s.cls = static_cast<std::int32_t>(n[1]);
      s.shortName = f[2];
      s.longName = f[3];
      s.west = static_cast<std::int32_t>(n[4]);
      s.north = static_cast<std::int32_t>(n[5]);
      s.east = static_cast<std::int32_t>(n[6]);
      s.south = static_cast<std::int32_t>(n[7]);
      for (const std::string& p : Split(f[8], ';')) {
        if (p.empty()) continue;
        std::vector<std::string> xy = Split(p, ',');
        long long x = 0, y = 0;
        if (xy.size() != 2 || !ToLong(xy[0], x) || !ToLong(xy[1], y)) return fail("bad airspace point");
        s.points.emplace_back(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
      }
      file.airspaces.push_back(s);
    } else {
      return fail("unknown item '" + word + "'");
    }
  }
  return true;
}

}  // namespace ka1gen
