// A KA1 database described in text, as the generator reads it.
//
// One item per line, fields separated by '|', '#' starts a comment line:
//   header <version>|<region kind>                       (default 6|0)
//   airspace <id>|<class>|<short>|<long>|<west>|<north>|<east>|<south>|<lon>,<lat>;<lon>,<lat>...
//   region <name>|<state>|<code>|<number>                 starts a region
//   option nonear | option id12                           region without section 11; ids 9 and 12
//                                                         without payload in its stream
//   uses <airspace id>                                    the region lists a database airspace
//   airport <code>|<lon>|<lat>|<elevation ft>|<flags>|<name>|<near name>|<variation>
//   runway <length ft>|<width ft>|<surface>|<end 1>|<end 2>       (of the last airport)
//   freq <type>|<frequency text>|<text>                   (of the last airport; text may be empty)
//   remark <type>|<text>                                  (of the last airport)
//   navaid <lon>|<lat>|<type>|<frequency MHz>|<name>
//   intersection <lon>|<lat>|<name>
// Positions are in 1/36000 degree. A second file begins with a line "file".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ka1gen {

struct Runway {
  std::uint16_t length = 0;
  std::uint8_t width = 0;
  std::uint8_t surface = 0;
  std::string end1, end2;
};

struct Frequency {
  std::uint16_t type = 0;
  std::string value;
  std::string text;
};

struct Remark {
  std::uint8_t type = 0;
  std::string text;
};

struct Airport {
  std::string code;
  std::int32_t lon = 0, lat = 0;
  std::int16_t elevation = 0;
  std::uint32_t flags = 0;
  std::string name, nearName;
  float variation = 0;
  std::vector<Runway> runways;
  std::vector<Frequency> frequencies;
  std::vector<Remark> remarks;
};

struct Navaid {
  std::int32_t lon = 0, lat = 0;
  std::uint16_t type = 0;
  double frequency = 0;
  std::string name;
};

struct Intersection {
  std::int32_t lon = 0, lat = 0;
  std::string name;
};

struct Region {
  std::string name, state, code;
  std::uint16_t number = 0;
  bool noNear = false;
  bool emptyIds = false;  // ids 9 and 12 without payload in the stream
  std::vector<Airport> airports;
  std::vector<Navaid> navaids;
  std::vector<Intersection> intersections;
  std::vector<std::uint16_t> airspaceIds;
};

struct Airspace {
  std::uint16_t id = 0;
  std::int32_t cls = 0;
  std::string shortName, longName;
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::vector<std::pair<std::int32_t, std::int32_t>> points;
};

struct File {
  std::int32_t version = 6;
  std::int32_t regionKind = 0;
  std::vector<Region> regions;
  std::vector<Airspace> airspaces;
};

// Parses a description; false with a message naming the line on a malformed one.
bool ParseDescription(const std::string& text, std::vector<File>& files, std::string& error);

}  // namespace ka1gen
