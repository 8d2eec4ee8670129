#include "cumulor/data/points/point_export.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cumulor/data/points/point_texts.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/files/files.h"

namespace cumulor {

namespace {

const char* const kTypeNames[] = {"airport", "vor", "intersection", "user waypoint"};

std::int32_t KindOfType(const char* type) {
  if (!type) return 0;
  for (std::int32_t k = 0; k < 4; ++k)
    if (std::strcmp(type, kTypeNames[k]) == 0) return k + 1;
  return 0;
}

void ReadArea(TaskPoint& point, const XmlNode& element) {
  const XmlNode* area = element.FindChild("Area");
  if (!area) return;
  GeoPoint own;
  if (area->GetChildLatLon(own)) {
    point.lon = own.lon;
    point.lat = own.lat;
  }
  area->GetChildInt("radius_min", point.minRadius);
  area->GetChildInt("radius_max", point.maxRadius);
  area->GetChildInt("radial_start", point.startRadial);
  area->GetChildInt("radial_end", point.endRadial);
}

// The first record of the kind whose code (or, without one, whose name) matches, less than
// 1000 m from the stored position.
std::int32_t FindPoint(std::int32_t kind, const GeoPoint& at, const char* code, const char* name) {
  const std::int32_t count = PointTableCount(kind);
  for (std::int32_t i = 1; i < count; ++i) {
    const PointRef ref{kind, i};
    if (code) {
      if (std::strcmp(PointRefCode(ref), code) != 0) continue;
    } else {
      const char* n = kind == kPointIntersection ? nullptr : PointRefName(ref);
      if (!n || !name || std::strcmp(n, name) != 0) continue;
    }
    if (GeoDistance(PointRefRecordPosition(ref), at) < 1000) return i;
  }
  return 0;
}

std::int32_t Resolve(TaskPoint& point, std::int32_t kind, const GeoPoint& at, const char* code, const char* name) {
  const std::int32_t index = FindPoint(kind, at, code, name);
  if (index == 0) return 0;
  const GeoPoint own{point.lon, point.lat};
  const bool area = point.maxRadius != 0;
  point.kind = kind;
  point.index = index;
  if (!area) {
    const GeoPoint p = PointRefRecordPosition(PointRef{kind, index});
    point.lon = p.lon;
    point.lat = p.lat;
  } else {
    point.lon = own.lon;
    point.lat = own.lat;
  }
  return 1;
}

}  // namespace

std::string FormatCupCoordinate(std::int32_t value, bool latitude) {
  const char hemisphere = latitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
  const std::int64_t v = value < 0 ? -static_cast<std::int64_t>(value) : value;
  const std::int64_t degrees = v / 36000;
  const std::int64_t minutes = (v - degrees * 36000) / 600;
  const std::int64_t thousandths = ((v - degrees * 36000 - minutes * 600) * 10) / 6;
  char buf[32];
  std::snprintf(buf, sizeof buf, latitude ? "%02lld%02lld.%03lld%c" : "%03lld%02lld.%03lld%c",
                static_cast<long long>(degrees), static_cast<long long>(minutes), static_cast<long long>(thousandths),
                hemisphere);
  return buf;
}

std::string PointCupText(const PointRef& ref) {
  const char* name = PointRefName(ref);
  const GeoPoint p = PointRefRecordPosition(ref);
  char buf[256];
  std::snprintf(buf, sizeof buf, "\"%s\",,,%s,%s,%dm,1,,,,,\r\n", name ? name : "",
                FormatCupCoordinate(p.lat, true).c_str(), FormatCupCoordinate(p.lon, false).c_str(),
                PointElevation(ref));
  return buf;
}

std::int32_t PointCupLine(const PointRef& ref, HANDLE file) {
  const std::string line = PointCupText(ref);
  DWORD written = 0;
  if (!WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) || written != line.size())
    return 0;
  return 1;
}

void TurnpointToXml(const TaskPoint& point, XmlNode& parent) {
  XmlNode* tp = parent.AddChild("Turnpoint");
  if (!tp) return;
  const PointRef ref{point.kind, point.index};
  const char* name = PointRefName(ref);
  tp->AddChildString("name", name ? name : "");
  if (point.kind >= 1 && point.kind <= 4) tp->AddChildString("type", kTypeNames[point.kind - 1]);
  if (point.kind != kPointUserWaypoint) tp->AddChildString("icao", PointRefCode(ref));
  tp->AddChildLatLon(PointRefRecordPosition(ref));
  if (point.maxRadius != 0) {
    XmlNode* area = tp->AddChild("Area");
    if (!area) return;
    area->AddChildLatLon(GeoPoint{point.lon, point.lat});
    area->AddChildInt("radius_min", point.minRadius);
    area->AddChildInt("radius_max", point.maxRadius);
    area->AddChildInt("radial_start", point.startRadial);
    area->AddChildInt("radial_end", point.endRadial);
  }
}

std::int32_t TurnpointFromXml(TaskPoint& point, const XmlNode& element) {
  const std::int32_t kind = KindOfType(element.GetChildText("type"));
  GeoPoint at;
  if (kind == 0 || !element.GetChildLatLon(at)) return 0;
  ReadArea(point, element);
  return Resolve(point, kind, at, element.GetChildText("icao"), element.GetChildText("name"));
}

std::int32_t TurnpointFromDesktopXml(TaskPoint& point, const XmlNode& element) {
  const char* type = element.GetChildText("WaypointType");
  std::int32_t kind = 0;
  if (type && std::strcmp(type, "Airport from db") == 0) kind = kPointAirport;
  if (type && std::strcmp(type, "UserWaypoint") == 0) kind = kPointUserWaypoint;
  GeoPoint at;
  if (kind == 0 || !element.GetChildLatLonTenths(at)) return 0;
  ReadArea(point, element);
  return Resolve(point, kind, at, element.GetChildText("Id"), element.GetChildText("Name"));
}

}  // namespace cumulor
