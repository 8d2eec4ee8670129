#include "cumulor/data/aero/point_tables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

PointTable g_tables[kPointTableCount];

void FillRecords(PointTable& t, const void* base, std::size_t stride, std::int32_t count) {
  t.records.SetSize(count);
  const auto* p = static_cast<const std::uint8_t*>(base);
  for (std::int32_t i = 0; i < count; ++i) t.records[i] = p + stride * static_cast<std::size_t>(i);
}

void BuildOne(std::int32_t kind) {
  PointTable& t = g_tables[kind];
  AeroTables& aero = AeroData();
  t.kind = kind;
  switch (kind) {
    case kPointAirport:
      FillRecords(t, aero.airports.Data(), sizeof(AirportRecord), aero.airports.Size());
      t.names = &aero.airportNames;
      t.listImage = 0;
      t.iconId = 164;
      break;
    case kPointNavaid:
      FillRecords(t, aero.navaids.Data(), sizeof(NavaidRecord), aero.navaids.Size());
      t.names = &aero.navaidNames;
      t.listImage = 1;
      t.iconId = 163;
      break;
    case kPointIntersection:
      FillRecords(t, aero.intersections.Data(), sizeof(IntersectionRecord), aero.intersections.Size());
      t.names = nullptr;
      t.listImage = 3;
      t.iconId = 165;
      break;
    case kPointUserWaypoint:
      FillRecords(t, UserWaypoints().records.Data(), sizeof(WaypointRecord), UserWaypoints().records.Size());
      t.names = nullptr;  // the user waypoint names are resolved through PointRefName
      t.listImage = 4;
      t.iconId = 176;
      break;
    default: break;
  }
}

const char* NameOf(std::int32_t kind, std::int32_t i) {
  const char* n = PointRefName(PointRef{kind, i});
  return n ? n : "";
}

}  // namespace

PointTable& PointTableOf(std::int32_t kind) { return g_tables[kind >= 0 && kind < kPointTableCount ? kind : 0]; }

void BuildPointIndexes(std::int32_t kind) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  if (kind == 0) {
    for (std::int32_t k = 1; k <= 4; ++k) BuildOne(k);
  } else if (kind >= 1 && kind <= 4) {
    BuildOne(kind);
  }
  for (PointTable& t : g_tables) {
    const std::int32_t n = t.Count();
    t.bearings.SetSize(n);
    t.distances.SetSize(n);
    t.index.SetSize(n > 0 ? n - 1 : 0);
  }
}

void ResetPointDisplayFlags() {
  for (std::int32_t k : {1, 2, 4, 5}) g_tables[k].displayFlag = 1;
  g_tables[3].displayFlag = 0;
}

void ResetPointTableOrigins() {
  for (std::int32_t k = 1; k <= 5; ++k) g_tables[k].reference = GeoPoint{};
}

void UpdatePointDistances(const GeoPoint& position, std::int32_t kind) {
  if (kind < 1 || kind >= kPointTableCount) return;
  PointTable& t = g_tables[kind];
  if (FlatDistance(position, t.reference) < 1000) return;
  t.reference = position;
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  const std::int32_t n = std::min({t.Count(), t.bearings.Size(), t.distances.Size(), PointTableCount(kind)});
  for (std::int32_t i = 1; i < n; ++i) {
    const GeoPoint p = PointRefRecordPosition(PointRef{kind, i});
    double bearing = 0;
    GeoBearing(bearing, position, p);
    t.distances[i] = GeoDistance(position, p);
    t.bearings[i] = static_cast<std::uint16_t>(static_cast<std::int32_t>(bearing * 180.0 / M_PI) % 360);
  }
}

void FreePointTables() {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  for (PointTable& t : g_tables) {
    t.records.FreeData();
    t.bearings.FreeData();
    t.distances.FreeData();
    t.index.FreeData();
    t.filtered.FreeData();
    t.reference = GeoPoint{};
    SearchRecordReset(t.search);
  }
}

void ResetSearchStates() {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  for (std::int32_t k = 1; k <= 5; ++k) SearchRecordReset(g_tables[k].search);
}

void PointListFilter(const SearchRecord& s, std::int32_t kind) {
  if (kind < 1 || kind >= kPointTableCount) return;
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  PointTable& t = g_tables[kind];
  t.filtered.SetSize(0);
  const std::int32_t count = std::min(t.Count(), PointTableCount(kind));
  if (s.numberMode) {
    for (std::int32_t i = 1; i < count; ++i) {
      const std::int32_t n = std::atoi(PointRefCode(PointRef{kind, i}));
      if (n != 0 && n == s.number) t.filtered.Append(i);
    }
  } else if (s.prefixMode) {
    for (std::int32_t i = 1; i < count; ++i)
      if (MatchPrefix(s, NameOf(kind, i))) t.filtered.Append(i);
  } else if (s.directionMode) {
    for (std::int32_t i = 1; i < count && i < t.distances.Size(); ++i) {
      std::int32_t diff = (static_cast<std::int32_t>(t.bearings[i]) - s.direction) % 360;
      if (diff > 180) diff -= 360;
      if (diff < -180) diff += 360;
      if (t.distances[i] < s.maxDistance && std::abs(diff) < 30) t.filtered.Append(i);
    }
  } else if (s.length == 0) {
    t.filtered.SetSize(count > 0 ? count - 1 : 0);
    for (std::int32_t i = 1; i < count; ++i) t.filtered[i - 1] = i;
  } else {
    for (std::int32_t i = 1; i < count; ++i)
      if (MatchName(s, NameOf(kind, i), PointRefCode(PointRef{kind, i}))) t.filtered.Append(i);
    if (kind == kPointAirport && t.filtered.Size() < 8) {
      const AeroTables& aero = AeroData();
      for (std::int32_t i = 1; i < count && i < aero.nearNames.Size(); ++i) {
        const char* nearName = aero.nearNames[i];
        if (nearName && *nearName && MatchNameOrCode(s, nearName)) t.filtered.Append(i);
      }
    }
  }
}

}  // namespace cumulor
