// The records of the aeronautical database as held in memory: airports, runways, frequencies,
// navaids, intersections, regions and database airspaces.
//
// The file layout of each is fixed (little-endian, see the KA1 reader); in memory every fixed-width
// text field carries one more byte, so that it is always NUL-terminated whatever the file held.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cumulor/app/base/array_image.h"
#include "cumulor/app/base/geo_point.h"

namespace cumulor {

// Airport flags.
inline constexpr std::uint32_t kAirportUseMask = 0x3;
inline constexpr std::uint32_t kAirportSymbolValid = 1u << 5;
inline constexpr std::uint32_t kAirportSupplement = 1u << 6;
inline constexpr std::uint32_t kAirportGermanSupplement = 1u << 10;

struct AirportRecord {
  GeoPoint position;
  char code[7];
  char regionCode[2];
  std::uint16_t regionNumber;
  std::int32_t databaseId;
  float variation;                 // degrees, east positive
  std::uint32_t flags;
  std::int16_t elevation;          // feet
  std::uint16_t runwayFirst, runwayLast;
  std::uint16_t frequencyFirst, frequencyLast;
  std::uint16_t remarkFirst, remarkLast;
};

struct RunwayEnd {
  GeoPoint position;
  char designator[13];
};

struct RunwayRecord {
  std::uint16_t length;            // feet
  std::uint8_t width;              // feet
  std::uint8_t surface;
  RunwayEnd end[2];
};

struct FrequencyRecord {
  std::uint16_t type;
  std::uint16_t textIndex;         // into the section-5 texts; 0 none
  char frequency[17];
};

struct NavaidRecord {
  GeoPoint position;
  char regionCode[2];
  std::uint16_t regionNumber;
  double frequency;                // MHz
  std::uint16_t type;
};

struct IntersectionRecord {
  GeoPoint position;
  char name[7];
  char regionCode[2];
  std::uint16_t regionNumber;
};

struct RegionRecord {
  char name[25];
  char state[17];
  std::uint32_t streamOffset;
  char code[2];
  std::uint16_t number;
};

struct AeroLimit {
  std::int32_t type;
  std::int32_t value;
};

// A database airspace: the file fields, its polygon and the warning state of the alarm test.
struct AeroAirspace {
  std::int32_t west, north, east, south;
  char shortName[15];
  char suffix[3];
  std::int32_t airspaceClass;
  char longName[19];
  AeroLimit lower, upper;
  GeoPoint centre;
  std::uint32_t radius;            // metres
  DynArray<GeoPoint> points;
  std::int32_t warningState = 0;   // vertical state: 1 above, 2 and 3 inside, 4 below
  std::int32_t verticalDistance = 0;
  std::int32_t horizontalDistance = 0;
  float proximity = 0.0f;
};

// Element layouts of the array images (file sizes 52, 48, 24, 40, 20 and 52 bytes).
template <>
struct ImageElement<AirportRecord> {
  static constexpr std::size_t kSize = 52;
  static AirportRecord Read(ce::wire::Reader& r);
  static void Write(ce::wire::Writer& w, const AirportRecord& v);
};
template <>
struct ImageElement<RunwayRecord> {
  static constexpr std::size_t kSize = 48;
  static RunwayRecord Read(ce::wire::Reader& r);
  static void Write(ce::wire::Writer& w, const RunwayRecord& v);
};
template <>
struct ImageElement<FrequencyRecord> {
  static constexpr std::size_t kSize = 24;
  static FrequencyRecord Read(ce::wire::Reader& r);
  static void Write(ce::wire::Writer& w, const FrequencyRecord& v);
};
template <>
struct ImageElement<NavaidRecord> {
  static constexpr std::size_t kSize = 40;
  static NavaidRecord Read(ce::wire::Reader& r);
  static void Write(ce::wire::Writer& w, const NavaidRecord& v);
};
template <>
struct ImageElement<IntersectionRecord> {
  static constexpr std::size_t kSize = 20;
  static IntersectionRecord Read(ce::wire::Reader& r);
  static void Write(ce::wire::Writer& w, const IntersectionRecord& v);
};
template <>
struct ImageElement<RegionRecord> {
  static constexpr std::size_t kSize = 52;
  static RegionRecord Read(ce::wire::Reader& r);
  static void Write(ce::wire::Writer& w, const RegionRecord& v);
};
template <>
struct ImageElement<GeoPoint> {
  static constexpr std::size_t kSize = 8;
  static GeoPoint Read(ce::wire::Reader& r) {
    GeoPoint p;
    p.lon = r.I32();
    p.lat = r.I32();
    return p;
  }
  static void Write(ce::wire::Writer& w, const GeoPoint& v) {
    w.I32(v.lon);
    w.I32(v.lat);
  }
};

// Copies an n-byte field from the reader into out (n + 1 bytes), always terminated.
void ReadFixedText(ce::wire::Reader& r, char* out, std::size_t n);

// True when the region is one of the USA's: first code character 'U' or second 'S'.
inline bool RegionCodeIsUsa(const char code[2]) { return code[0] == 'U' || code[1] == 'S'; }

}  // namespace cumulor
