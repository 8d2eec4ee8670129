#include "cumulor/data/airspace/airspace_alarms.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// The vertical alarm test of a file shape: false when the aircraft is more than v above the
// ceiling or below the floor; otherwise the vertical distance of the alarm (negative below the
// floor, positive above the ceiling, 0 within the limits).
bool FileVerticalAlarm(const AirspaceShape& s, std::int64_t v, std::int64_t alt, std::int64_t palt,
                       std::int32_t& distance) {
  const std::int64_t c = s.ceiling;
  const std::int64_t f = s.floor;
  if (c < 0 ? palt - v > -c : alt - v > c) return false;
  if (f < 0 ? palt + v < -f : alt + v < f) return false;
  const std::int64_t below = f < 0 ? -f - palt : f - alt;
  if (below > 0) {
    distance = Clamp32(-below);
  } else {
    const std::int64_t above = c < 0 ? palt + c : alt - c;
    distance = Clamp32(above >= 0 ? above : 0);
  }
  return true;
}

bool AeroVerticalAlarm(const AeroAirspace& a, std::int64_t v, std::int64_t alt, std::int64_t palt,
                       std::int32_t& distance) {
  const std::int64_t upperAlt = a.upper.type == 3 ? palt : alt;
  const std::int64_t lowerAlt = a.lower.type == 3 ? palt : alt;
  if (upperAlt - v > a.upper.value) return false;
  if (lowerAlt + v < a.lower.value) return false;
  const std::int64_t shortfall = std::int64_t{a.lower.value} - lowerAlt;
  if (shortfall > 0) {
    distance = Clamp32(-shortfall);
  } else {
    const std::int64_t excess = upperAlt - a.upper.value;
    distance = Clamp32(excess > 0 ? excess : 0);
  }
  return true;
}

constexpr double kGeoUnitsToRadians = 3.141592653589793 / (180.0 * kGeoUnitsPerDegree);
constexpr std::int64_t kGeoUnitsPerTurn = 360 * std::int64_t{kGeoUnitsPerDegree};

// The least distance, in metres, that MinDistanceToPolyline can give for the shape's outline from
// p: the gaps between p and the shape's point box on each axis, on the same plane around p
// (longitudes scaled by `scale`, the cosine of p's latitude, and taken the shorter way round).
// Every edge lies within the box, so no edge is nearer. 0 when p is in the box or the shape has
// no box.
double PointBoxGapMetres(const AirspaceShape& s, const GeoPoint& p, double scale) {
  const AirspacePointBox& b = s.pointBox;
  if (!b.set) return 0.0;
  double latGap = 0.0;
  if (p.lat < b.south) latGap = static_cast<double>(b.south) - p.lat;
  if (p.lat > b.north) latGap = static_cast<double>(p.lat) - b.north;
  double lonGap = 0.0;
  if (b.lonBounded) {
    const std::int64_t width = std::int64_t{b.east} - b.west;
    std::int64_t r = (std::int64_t{p.lon} - b.west) % kGeoUnitsPerTurn;
    if (r < 0) r += kGeoUnitsPerTurn;
    if (r > width) lonGap = static_cast<double>(std::min(r - width, kGeoUnitsPerTurn - r)) * scale;
  }
  return std::sqrt(lonGap * lonGap + latGap * latGap) * 111.0 / 36.0;
}

bool Inside(std::int32_t horizontal, std::int32_t state) { return horizontal == 0 && (state == 2 || state == 3); }
bool OutsideVertically(std::int32_t state) { return state == 1 || state == 4; }

// Nearest scoring of one tested airspace; true when it becomes the nearest.
bool Score(AirspaceModule& m, bool haveNearest, std::int32_t nearestHorizontal, std::int32_t nearestState,
           std::int32_t horizontal, std::int32_t state, std::int32_t vertical, float& proximity) {
  const float extra = OutsideVertically(state) ? static_cast<float>(vertical) / m.verticalMargin : 0.0f;
  const float score = static_cast<float>(horizontal) / m.horizontalMargin + extra;
  bool become;
  if (haveNearest) {
    if (Inside(nearestHorizontal, nearestState))
      become = false;
    else if (!Inside(horizontal, state))
      become = score <= m.bestScore;
    else
      become = true;
  } else {
    become = static_cast<float>(horizontal) < m.horizontalMargin &&
             (!OutsideVertically(state) || static_cast<float>(vertical) <= m.verticalMargin);
  }
  if (become) {
    proximity = score;
    m.bestScore = score;
  }
  return become;
}

void SetMargins(AirspaceModule& m, std::uint32_t h, std::int32_t v) {
  const std::uint32_t vm = std::max<std::uint32_t>(3u * static_cast<std::uint32_t>(v), 1500u);
  const std::uint32_t hm = std::max<std::uint32_t>(5u * h, 10000u);
  m.verticalMargin = static_cast<float>(vm);
  m.horizontalMargin = static_cast<float>(hm);
}

template <std::size_t N, std::size_t M>
void CopyWide(WCHAR (&to)[N], const WCHAR (&from)[M]) {
  std::size_t i = 0;
  for (; i + 1 < N && i < M && from[i]; ++i) to[i] = from[i];
  to[i] = 0;
}

// The effects decided under the lock, run after leaving it.
struct Effects {
  bool closeDialogs = false;
  std::vector<AirspaceAlarm> alarms;
};

void Act(AirspaceModule& m, const Effects& e) {
  const AirspaceUi& ui = m.ui;
  if (e.closeDialogs && ui.closeModeless) ui.closeModeless();
  for (const AirspaceAlarm& alarm : e.alarms) {
    if (ui.playSound) {
      ui.playSound(u"Alarm4.wav", true);
      ui.playSound(u"sua.wav", false);
    }
    if (m.noDialog) {
      if (ui.pendingAlarm) ui.pendingAlarm(alarm);
    } else if (ui.alarmDialog) {
      ui.alarmDialog(alarm);
    }
  }
}

}  // namespace

void AirspaceVerticalState(std::int32_t floor, bool floorIsLevel, std::int32_t ceiling, bool ceilingIsLevel,
                           std::int32_t altitude, std::int32_t pressureAltitude, std::int32_t& state,
                           std::int32_t& distance) {
  const std::int64_t ac = ceilingIsLevel ? pressureAltitude : altitude;
  const std::int64_t c = std::llabs(ceiling);
  if (ac > c) {
    state = 1;
    distance = Clamp32(ac - c);
    return;
  }
  const std::int64_t room = c - ac;
  const std::int64_t af = floorIsLevel ? pressureAltitude : altitude;
  const std::int64_t f = std::llabs(floor);
  if (af < f) {
    state = 4;
    distance = Clamp32(f - af);
    return;
  }
  const std::int64_t height = af - f;
  if (floor != 0 && height < room) {
    state = 3;
    distance = Clamp32(height);
  } else {
    state = 2;
    distance = Clamp32(room);
  }
}

std::optional<AirspaceShapeRef> AirspaceAlarmCheck(AirspaceModule& m, const GeoPoint& position, std::uint32_t h,
                                                   std::int32_t v, std::int32_t altitude,
                                                   std::int32_t pressureAltitude, int find) {
  if (find) {
    std::lock_guard guard(m.lock);
    m.bestScore = 1000.0f;
    m.nearestShape = nullptr;
    const DWORD now = GetTickCount();
    for (int g = kGroupClassA; g <= kGroupBorder; ++g) {
      if (!m.group[g].enabled) continue;
      const std::vector<AirspaceShape>& shapes = m.group[g].shapes;
      for (std::size_t i = 0; i < shapes.size(); ++i) {
        const AirspaceShape& s = shapes[i];
        if (now < SwitchedOffUntil(s)) continue;
        if (PointInPolygon(position, s.points.Data(), s.pointCount))
          return AirspaceShapeRef{m.loadNumber, g, static_cast<std::int32_t>(i), s.id};
      }
    }
    return std::nullopt;
  }
  if (m.alarmsOff) return std::nullopt;

  Effects effects;
  {
    const DWORD now = GetTickCount();
    std::lock_guard guard(m.lock);
    m.closeDialogs = 1;
    SetMargins(m, h, v);
    m.bestScore = 1000.0f;
    m.nearestShape = nullptr;
    bool hit = false;
    // A shape whose box lies farther than this can neither alarm (that needs h) nor become the
    // nearest: the first nearest scores below 2 (under one margin away, and within the vertical
    // margin when outside it vertically), a later one at most the best score, and a score is at
    // least the horizontal distance over the margin. The 1 % spares the rounding of both sides.
    const double farEnough = std::max(static_cast<double>(h), 2.0 * m.horizontalMargin) * 1.01 + 1.0;
    const double scale = std::fabs(std::cos(position.lat * kGeoUnitsToRadians));
    for (int g = kGroupClassA; g <= kGroupBorder; ++g) {
      AirspaceClassGroup& group = m.group[g];
      if (!group.enabled) continue;
      for (std::size_t i = 0; i < group.shapes.size(); ++i) {
        AirspaceShape& s = group.shapes[i];
        if (now < SwitchedOffUntil(s)) continue;
        if (PointBoxGapMetres(s, position, scale) > farEnough) continue;
        const bool inside = PointInPolygon(position, s.points.Data(), s.pointCount) != 0;
        std::uint32_t distance = 0;
        if (!inside) distance = MinDistanceToPolyline(position, s.points.Data(), s.pointCount);
        s.horizontalDistance = static_cast<std::int32_t>(std::min<std::uint32_t>(distance, INT32_MAX));
        std::int32_t vertical = 0;
        if ((inside || distance <= h) && FileVerticalAlarm(s, v, altitude, pressureAltitude, vertical)) {
          hit = true;
          if (m.closeDialogs) {
            effects.closeDialogs = true;
            m.closeDialogs = 0;
          }
          if (std::find(m.warned.begin(), m.warned.end(), &s) == m.warned.end()) {
            m.warned.push_back(&s);
            AirspaceAlarm a;
            a.shape = AirspaceShapeRef{m.loadNumber, g, static_cast<std::int32_t>(i), s.id};
            a.group = g;
            a.horizontalDistance = inside ? 0 : distance;
            a.verticalDistance = vertical;
            a.altitude = altitude;
            a.pressureAltitude = pressureAltitude;
            CopyWide(a.name, s.name);
            CopyWide(a.groupName, group.name);
            CopyWide(a.floorText, s.floorText);
            CopyWide(a.ceilingText, s.ceilingText);
            effects.alarms.push_back(a);
          }
        }
        AirspaceVerticalState(s.floor, s.floor < 0, s.ceiling, s.ceiling < 0, altitude, pressureAltitude,
                              s.verticalState, s.verticalDistance);
        const AirspaceShape* n = m.nearestShape;
        if (Score(m, n != nullptr, n ? n->horizontalDistance : 0, n ? n->verticalState : 0, s.horizontalDistance,
                  s.verticalState, s.verticalDistance, s.proximity))
          m.nearestShape = &s;
      }
    }
    if (!hit) m.warned.clear();
  }
  Act(m, effects);
  return std::nullopt;
}

std::int32_t AeroAirspaceAlarmCheck(AirspaceModule& m, const GeoPoint& position, std::uint32_t h, std::int32_t v,
                                    std::int32_t altitude, std::int32_t pressureAltitude, int find) {
  if (m.alarmsOff) return -1;
  const bool scoring = m.showAeroAirspace != 0;
  std::lock_guard guard(m.lock);
  AeroAirspaceMarks& marks = AeroAirspaceState();
  marks.nearest = -1;
  m.bestScore = 1000.0f;
  SetMargins(m, h, v);
  AeroTables& t = AeroData();
  for (std::size_t i = 0; i < t.airspaces.size(); ++i) {
    AeroAirspace& a = *t.airspaces[i];
    if (!find) {
      if (a.airspaceClass < 0 || a.airspaceClass > 15 || m.aeroClassWarn[a.airspaceClass] == 0) continue;
      if (GeoDistance(a.centre, position) > std::uint64_t{a.radius} + 10000) continue;
    }
    const bool inside = PointInPolygon(position, a.points.Data(), a.points.Size()) != 0;
    if (find && inside) return static_cast<std::int32_t>(i);
    std::int32_t vertical = 0;
    auto score = [&] {
      AirspaceVerticalState(a.lower.value, a.lower.type == 3, a.upper.value, a.upper.type == 3, altitude,
                            pressureAltitude, a.warningState, a.verticalDistance);
      const AeroAirspace* n = marks.nearest >= 0 ? t.airspaces[static_cast<std::size_t>(marks.nearest)].get() : nullptr;
      if (Score(m, n != nullptr, n ? n->horizontalDistance : 0, n ? n->warningState : 0, a.horizontalDistance,
                a.warningState, a.verticalDistance, a.proximity))
        marks.nearest = static_cast<std::int32_t>(i);
    };
    if (inside) {
      a.horizontalDistance = 0;
      const bool passed = AeroVerticalAlarm(a, v, altitude, pressureAltitude, vertical);
      if (scoring) score();
      if (passed) return static_cast<std::int32_t>(i);
    } else {
      const std::uint32_t distance = MinDistanceToPolyline(position, a.points.Data(), a.points.Size());
      a.horizontalDistance = static_cast<std::int32_t>(std::min<std::uint32_t>(distance, INT32_MAX));
      if (scoring && !find) score();
      if (distance > h) continue;
      if (AeroVerticalAlarm(a, v, altitude, pressureAltitude, vertical)) return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

std::optional<AirspaceWarning> AirspaceNearest(AirspaceModule& m, std::u16string* name) {
  std::lock_guard guard(m.lock);
  const AirspaceShape* file = m.nearestShape;
  const std::int32_t aeroIndex = AeroAirspaceState().nearest;
  const AeroTables& t = AeroData();
  const AeroAirspace* aero =
      aeroIndex >= 0 && static_cast<std::size_t>(aeroIndex) < t.airspaces.size() ? t.airspaces[static_cast<std::size_t>(aeroIndex)].get() : nullptr;
  if (file && (!aero || file->horizontalDistance <= aero->horizontalDistance)) {
    if (name) name->assign(reinterpret_cast<const char16_t*>(file->name));
    return AirspaceWarning{file->verticalState, file->verticalDistance, file->horizontalDistance, file->proximity};
  }
  if (aero) {
    if (name) {
      name->clear();
      for (std::size_t k = 0; k < 11 && k < sizeof(aero->longName) && aero->longName[k]; ++k)
        name->push_back(static_cast<char16_t>(static_cast<unsigned char>(aero->longName[k])));
    }
    return AirspaceWarning{aero->warningState, aero->verticalDistance, aero->horizontalDistance, aero->proximity};
  }
  return std::nullopt;
}

}  // namespace cumulor
