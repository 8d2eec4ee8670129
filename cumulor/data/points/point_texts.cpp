#include "cumulor/data/points/point_texts.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

constexpr double kFeetToMetres = 0.30480370641307;

const char* const kSurfaces[] = {"?", "Asphalt", "Concrete", "Composite>50%", "Bituminour", "Asph/Concrete",
                                 "Permanent", "", "Clay", "Composite<50%", "Coral", "Graded Soil", "Grass",
                                 "Gravel", "Ice", "Laterite", "Crushed Rock", "Plastic", "Hardened Soil", "Steel",
                                 "Sand", "Snow", "Unpaved", "Unknown", "Dirt", "?"};
const char* const kFrequencyTypes[] = {
    "?", "Approach/Dep Ctrl", "Air/Ground", "Airport Advisory Srvce", "Area Control Center",
    "Airligt Command Post", "Aerodrome Flight Info Service", "Approach Control", "Arrival Control", "ARSA",
    "Air Route Traffic Control", "ASOS", "ATIS", "AWOS", "Centralized Approach Control", "Clearance Delivery",
    "Air Traffic Ctrl Center", "CTAF", "Departure Control", "DIRECTOR (radar/approach)", "EMERGENCY",
    "Flight Comm Center", "Flight Operations Center", "Flight Service Station", "Ground Control Approach",
    "Ground Ctrl/Clerance Delivery", "Ground Control", "Gate Control", "Helicopter Frequency", "Information",
    "Misc", "Multicom", "Parameters", "Operations", "Prelight", "Pilot To Metro Service", "Command Post",
    "Pilot To Dispatcher", "Remote Comm Outlet", "Radio", "Radar Only Frequency", "Remote Flight Service Station",
    "Ramp Control", "Single Frequency Approach", "Terminal Control Area", "Terminal Radar Service Area", "Tower",
    "Unicom"};
const char* const kRemarkTypes[] = {
    "", "CIRCLE1", "CIRCLE2", "CIRCLE3", "CIRCLE4", "Lights", "JASU", "Fuel", "TRANSIT ALERT", "Restricted",
    "CAUTION", "SERVICE CAUTION", "TRAFFIC PATTERN", "NOISE ABADMENT", "CUSTOMS", "Misc", "Opr Hours",
    "WEIGHT BEARING", "NS ABTMT", "RWY", "AF", "MC", "NG", "AOE", "N", "FLUID", "CG", "OIL", "CSTM/AG/IMG NAV",
    "AFRC", "NASA", "INBD NTC", "403 WG AFRC", "AFRC 934 AW", "ANG 133 AW", "FLUID NAVY", "FUEL NAVY", "OIL NAVY",
    "JASU NAVY", "MISC NAVY", "NS ABTMT NAVY", "OPR HOURS NAVY", "RSTD NAVY", "TRAN ALERT NAVY", "LGT VFR", "A",
    "AR", "ANG", "ARNG", "A-GEAR", "ANG ARNG", "ANG 150 TFG", "City", "ILS", "CSTMS/IMG", "NG OPS", "SERVICE",
    "FIRE", "REMARKS", "FUEL AF", ""};
const char* const kNavaidTypes[] = {"?",   "VOR",     "VORTAC", "TACAN", "VOR-DME",
                                    "NDB", "???",     "NDB-DME", "???",  "DME (excluding ILS-DME)"};
const char* const kUses[] = {"Public", "Public/Military", "MILITARY ARPT", "Private"};

template <std::size_t N>
const char* NameIn(const char* const (&table)[N], std::int32_t i) {
  return i >= 0 && static_cast<std::size_t>(i) < N ? table[i] : "?";
}

std::u16string W(const std::string& s) {
  std::u16string out;
  for (char c : s) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

const char* Text(const DynArray<char*>& texts, std::int32_t i) {
  return i > 0 && i < texts.Size() && texts[i] ? texts[i] : nullptr;
}

// Rounds with fractions above 0.5 up.
std::int32_t RoundHalfUp(double v) {
  double f = std::floor(v);
  return static_cast<std::int32_t>(v - f > 0.5 ? f + 1 : f);
}

void ArrivalLines(std::vector<std::u16string>& out, const PointInfoEnv::Arrival& a, const PointInfoEnv& env) {
  if (!a.ok) return;
  out.push_back(u"Arrival MC 0: " + W(std::to_string(a.altitude[0])) + env.altitudeUnit);
  if (a.altitude[0] > 0) {
    const int steps[2] = {env.climbKnots ? 2 : 1, env.climbKnots ? 4 : 2};
    for (int k = 0; k < 2; ++k)
      out.push_back(W(Format("MC %d: %d", steps[k], a.altitude[k + 1])) + env.altitudeUnit);
  }
}

std::vector<std::u16string> LocationLines(const char code[2], std::uint16_t number) {
  std::vector<std::u16string> out;
  for (const RegionRecord& r : AeroData().selectedRegions) {
    if (r.code[0] != code[0] || r.code[1] != code[1] || r.number != number) continue;
    std::string line = std::string("Location: ") + r.name;
    if (r.number != 0) line += std::string(", ") + r.state;
    out.push_back(W(line));
    break;
  }
  return out;
}

std::u16string Position(const PointInfoEnv& env, const GeoPoint& p) {
  return env.positionText ? env.positionText(p) : W(Format("%d, %d", p.lat, p.lon));
}

void AirportLines(std::vector<std::u16string>& out, const PointRef& ref, const PointInfoEnv& env) {
  const AeroTables& t = AeroData();
  const AirportRecord& a = t.airports[ref.index];
  if (const char* nearName = Text(t.nearNames, ref.index); nearName && *nearName)
    out.push_back(W(Format("Near: %s", nearName)));
  const std::int32_t elevation = env.altitudeFeet ? a.elevation : RoundToInt(a.elevation * kFeetToMetres);
  if (a.flags & kAirportGermanSupplement) {
    out.push_back(W(Format("Elevation: %d", elevation)) + env.altitudeUnit);
  } else {
    out.push_back(W(Format("Elevation: %d", elevation)) + env.altitudeUnit +
                  W(Format(", Var %+d", static_cast<int>(a.variation))) + u"\u00B0, " + W(AirportUseName(a.flags)));
  }
  PointInfoEnv::Arrival arrival = env.arrival ? env.arrival(ref) : PointInfoEnv::Arrival{};
  if (arrival.ok)
    out.push_back(u"Dist: " + arrival.distance + arrival.distanceUnit + W(Format("   Brg: %d", arrival.bearing)) +
                  u"\u00B0");
  if (a.frequencyFirst) {
    for (std::int32_t i = a.frequencyFirst; i <= a.frequencyLast && i < t.frequencies.Size(); ++i) {
      const FrequencyRecord& f = t.frequencies[i];
      std::string line = std::string(FrequencyTypeName(f.type)) + " " + f.frequency;
      if (const char* text = Text(t.frequencyTexts, f.textIndex)) line += std::string(" ") + text;
      out.push_back(W(line));
    }
  }
  ArrivalLines(out, arrival, env);
  if (a.runwayFirst) {
    const bool metres = env.distanceKm;
    for (std::int32_t i = a.runwayFirst; i <= a.runwayLast && i < t.runways.Size(); ++i) {
      const RunwayRecord& r = t.runways[i];
      const double length = metres ? r.length / 3.2808 : r.length;
      const double width = metres ? r.width / 3.2808 : r.width;
      const char* unit = metres ? "m" : "ft";
      if (a.flags & kAirportSupplement) {
        out.push_back(W(Format("Rwy  %s-%s  %d%s  %s ", r.end[0].designator, r.end[1].designator,
                               static_cast<int>(length), unit, SurfaceName(r.surface))));
      } else {
        out.push_back(W(Format("Rwy  %s-%s  %dx%d%s  %s ", r.end[0].designator, r.end[1].designator,
                               RoundHalfUp(length), RoundHalfUp(width), unit, SurfaceName(r.surface))));
      }
    }
  }
  if (a.remarkFirst) {
    out.push_back(u"* Remarks:");
    std::string circlingStore[5];
    const std::string* circling[5] = {};
    bool anyCircling = false;
    for (std::int32_t i = a.remarkFirst; i <= a.remarkLast && i < t.remarks.Size(); ++i) {
      const char* r = t.remarks[i];
      if (r && static_cast<unsigned char>(r[0]) <= 4) {
        const int type = static_cast<unsigned char>(r[0]);
        circlingStore[type] = r + 1;
        circling[type] = &circlingStore[type];
        anyCircling = true;
      }
    }
    for (std::int32_t i = a.remarkFirst; i <= a.remarkLast && i < t.remarks.Size(); ++i) {
      const char* r = t.remarks[i];
      if (!r || !r[0]) continue;
      const int type = static_cast<unsigned char>(r[0]);
      std::string text = r + 1;
      if (anyCircling) {
        if (type <= 4) continue;
        if (text.find("CIRCLE") != std::string::npos) {
          out.push_back(W(std::string(RemarkTypeName(type)) + ": " + ExpandCircleText(text, circling)));
          continue;
        }
      }
      if (a.flags & kAirportGermanSupplement) {
        const std::size_t m = text.find('m');
        if (m != std::string::npos && text.size() >= m + 6) {
          const std::string frequency = text.substr(m + 1, 3) + "." + text.substr(m + 4, 2);
          if (text.size() >= m + 7 && text[m + 6] == 'G') out.push_back(u"Gliders Only");
          out.push_back(W("Frequency: " + frequency));
          text.resize(m + 1);
        }
      }
      out.push_back(W(std::string(RemarkTypeName(type)) + ": " + text));
    }
  }
  for (auto& line : LocationLines(a.regionCode, a.regionNumber)) out.push_back(line);
  out.push_back(u"Lat, Lon: " + Position(env, a.position));
  const char* source = (a.flags & kAirportGermanSupplement) ? "Suplemental (Germany)"
                       : (a.flags & kAirportSupplement)      ? "Suplemental"
                                                             : "US Government";
  out.push_back(W(Format("Source: %s", source)));
}

}  // namespace

const char* SurfaceName(std::int32_t i) { return NameIn(kSurfaces, i); }
const char* FrequencyTypeName(std::int32_t i) { return NameIn(kFrequencyTypes, i); }
const char* RemarkTypeName(std::int32_t i) { return NameIn(kRemarkTypes, i); }
const char* NavaidTypeName(std::int32_t i) { return NameIn(kNavaidTypes, i); }
const char* AirportUseName(std::uint32_t flags) { return kUses[flags & kAirportUseMask]; }

std::int32_t PointElevation(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return 0;
  if (ref.kind == kPointAirport) return static_cast<std::int32_t>(AeroData().airports[ref.index].elevation * kFeetToMetres);
  if (ref.kind == kPointUserWaypoint)
    return static_cast<std::int32_t>(UserWaypoints().records[ref.index].elevation * kFeetToMetres);
  return 0;
}

std::string ExpandCircleText(const std::string& text, const std::string* const circling[5]) {
  std::string out;
  std::size_t from = 0;
  for (;;) {
    std::size_t at = text.find("CIRCLE", from);
    while (at != std::string::npos) {
      const std::size_t digit = at + 6;
      if (digit < text.size() && text[digit] >= '0' && text[digit] <= '4' && circling[text[digit] - '0']) break;
      at = text.find("CIRCLE", at + 1);
    }
    if (at == std::string::npos) break;
    out.append(text, from, at - from);
    out += *circling[text[at + 6] - '0'];
    from = at + 7;
  }
  out.append(text, from, std::string::npos);
  return out;
}

std::vector<std::u16string> PointInfoLines(const PointRef& ref, const PointInfoEnv& env) {
  std::vector<std::u16string> out;
  if (!PointRefIsValid(ref)) return out;
  const AeroTables& t = AeroData();
  switch (ref.kind) {
    case kPointAirport: AirportLines(out, ref, env); break;
    case kPointNavaid: {
      const NavaidRecord& n = t.navaids[ref.index];
      out.push_back(W(Format("Type: %s", NavaidTypeName(n.type))));
      out.push_back(W(Format("Frequency: %.2lf", n.frequency)));
      for (auto& line : LocationLines(n.regionCode, n.regionNumber)) out.push_back(line);
      out.push_back(u"Lat, Lon: " + Position(env, n.position));
      break;
    }
    case kPointIntersection: {
      const IntersectionRecord& x = t.intersections[ref.index];
      out.push_back(u"Type: Intersection");
      for (auto& line : LocationLines(x.regionCode, x.regionNumber)) out.push_back(line);
      out.push_back(u"* Lat, Lon: " + Position(env, x.position));
      break;
    }
    case kPointUserWaypoint: {
      const WaypointRecord& w = UserWaypoints().records[ref.index];
      if (w.flags & (1u << 10)) {
        out.push_back(u"Mobile Turnpoint (Area Tasks)");
        out.push_back(u"* Lat, Lon: " + Position(env, w.position));
        break;
      }
      const std::int32_t elevation = env.altitudeFeet ? w.elevation : RoundToInt(w.elevation * kFeetToMetres);
      out.push_back(W(Format("Elevation: %d", elevation)) + env.altitudeUnit);
      char comment[33] = {};
      std::memcpy(comment, w.comment, sizeof w.comment);
      out.push_back(W(Format("Comment: %s", comment)));
      PointInfoEnv::Arrival arrival = env.arrival ? env.arrival(ref) : PointInfoEnv::Arrival{};
      if (arrival.ok)
        out.push_back(u"Dist: " + arrival.distance + arrival.distanceUnit + W(Format("   Brg: %d", arrival.bearing)) +
                      u"\u00B0");
      ArrivalLines(out, arrival, env);
      if (w.zoomLimit != 0) out.push_back(W(Format("Visible at Zoom: %d", w.zoomLimit)));
      out.push_back(u"Attributes: " + W(env.flagLetters ? env.flagLetters(w.flags) : std::string()));
      char code[13] = {};
      std::memcpy(code, w.code, sizeof w.code);
      out.push_back(W(Format("Npid: %s", code)));
      out.push_back(u"* Lat, Lon: " + Position(env, w.position));
      break;
    }
    default: break;
  }
  return out;
}

}  // namespace cumulor
