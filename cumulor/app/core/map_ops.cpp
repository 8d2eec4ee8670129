#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/vector_map_link.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/windview/wind_profile.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"
#include "cumulor/nav/polar/polar.h"
#include "platform/text/format.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr double kDegToRad = 0.01745329251994328;
constexpr double kRadToDeg = 57.2957795131;
constexpr double kQuarterPi = 0.7853981633974477;

std::int32_t g_markCounter = 0;

bool RectsIntersect(const GeoRect& a, const GeoRect& b) {
  return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

}  // namespace

GeoPoint OwnPosition(AppContext& app) { return GetGpsStatus(app.gps).position; }

void RefreshMapWindow(AppContext& app) {
  EnterCriticalSection(&app.mainLock);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  LeaveCriticalSection(&app.mainLock);
  PaintMapScreen(app);
}

void CenterMapOnFix(AppContext& app) {
  const GeoPoint own = OwnPosition(app);
  EnterCriticalSection(&app.mainLock);
  MapSetView(app.map, own.lon, own.lat, app.mapRotation);
  LeaveCriticalSection(&app.mainLock);
  if (app.mainWindow) InvalidateRect(app.mainWindow, &app.mapRect, FALSE);
}

void UpdateOwnPosition(AppContext& app, const GeoRect& view, bool vectorStep) {
  EnterCriticalSection(&app.mainLock);
  // The visible aeronautical data and the vector map follow the view when their modules exist.
  app.aeroDb.visibleArea = view;
  UpdateVisibleObjects(app, view);
  if (vectorStep) {
    RebuildAppVectorMap(app, view);
    SetTrailView(app, view);
  }
  // The file airspaces in view, once per view change (the frame draws only these).
  AirspaceModule& airspace = app.airspace;
  for (std::int32_t g = 1; g < airspace.groupCount && g < kAirspaceGroupCount; ++g) {
    if (!airspace.group[g].enabled) continue;
    for (AirspaceShape& shape : airspace.group[g].shapes) {
      const GeoRect bounds{shape.bounds.west, shape.bounds.north, shape.bounds.east, shape.bounds.south};
      shape.inView = RectsIntersect(bounds, view) ? 1 : 0;
    }
  }
  LeaveCriticalSection(&app.mainLock);
}

HRESULT SetMapRegion(AppContext& app, const GeoRect& region) {
  EnterCriticalSection(&app.mainLock);
  app.region = region;
  MapSetRegion(app.map, region, app.mapCentre);
  LeaveCriticalSection(&app.mainLock);
  // The airspace files do not depend on the region: they are read again only when they changed.
  AirspaceLoadAllIfChanged(app.airspace);
  return S_OK;
}

WCHAR* FormatLatLon(std::int32_t value, WCHAR* buffer, bool latitude) {
  const std::int64_t v = value < 0 ? -static_cast<std::int64_t>(value) : value;
  const std::int64_t degrees = v / 36000;
  const std::int64_t rest = v % 36000;
  const std::int64_t minutes = rest / 600;
  const std::int64_t thousandths = (rest % 600) * 10 / 6;
  const char16_t hemisphere = latitude ? (value < 0 ? u'S' : u'N') : (value < 0 ? u'W' : u'E');
  const std::u16string text = ce::text::Format(u"%02d:%02d.%03d%c", static_cast<int>(degrees),
                                               static_cast<int>(minutes), static_cast<int>(thousandths), hemisphere);
  ce::text::CopyOut(buffer, 16, text);
  return buffer;
}

WCHAR* FormatPosition(const GeoPoint& position, WCHAR* buffer) {
  WCHAR lat[16], lon[16];
  FormatLatLon(position.lat, lat, true);
  FormatLatLon(position.lon, lon, false);
  ce::text::CopyOut(buffer, 32, ce::text::Format(u"%s %s", lat, lon));
  return buffer;
}

TargetPositions& Targets() {
  static TargetPositions targets;
  return targets;
}

void SetNavigationTarget(AppContext& app, TaskPoint target, const GeoPoint* position, std::uint8_t keepPrevious) {
  TargetPositions& t = Targets();
  if (keepPrevious) t.previous = t.current;
  t.keepPrevious = keepPrevious;
  app.navTarget = target;
  if (position) t.current = *position;
}

void AddMark(AppContext& app, const GeoPoint& position) {
  app.dialogActive = 1;
  UserWaypointTable& table = UserWaypoints();
  if (table.records.Empty()) {  // index 0 is the placeholder
    table.records.SetSize(1);
    table.names.SetSize(1);
    table.countries.SetSize(1);
  }
  WaypointRecord record;
  record.position = position;
  record.flags = 4;  // 'M'
  record.code[0] = '0';
  SYSTEMTIME now{};
  GetLocalTime(&now);
  std::snprintf(record.comment, sizeof(record.comment), "%d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
  record.zoomLimit = 10000;
  const double elevation = app.terrainElevation == -1000 ? 5000 : app.terrainElevation;
  record.elevation = static_cast<std::int16_t>(std::lround(elevation * 3.2808));
  PointText name;
  std::snprintf(name.text, sizeof(name.text), "Mark %d", ++g_markCounter);
  if (table.records.Append(record) == S_OK) {
    table.names.Append(name);
    table.countries.Append(PointText{});
  }
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

void SetMacCready(AppContext& app, float value) {
  app.macCready = value;
  app.macCreadyKnots = static_cast<float>(value * 1.943844494119952);
  SetFlightParameter(app.flight, kParamMacCready, static_cast<std::int32_t>(value * 10), 1);
  ComputePolar(app.flight);
}

int EtaCompute(AppContext& app, std::int64_t& time, std::uint32_t distance, double course) {
  if (app.etaSpeed == 0) {
    time = 0;
    return 0;
  }
  if (app.etaMode == 0) {
    time = TimeToFlyDistance(app.flight, distance, course);
  } else if (app.etaMode == 1) {
    const double t = distance * 10000000.0 / app.etaSpeed;
    time = std::isfinite(t) && std::fabs(t) < 9.2e18 ? static_cast<std::int64_t>(t) : INT64_MAX;
  } else {
    time = TimeToFlyDistanceAtSpeed(app.flight, distance, course, app.etaSpeed);
  }
  return 1;
}

void ComputeWindFromVectors(AppContext& app, const GpsFix& fix, std::int32_t heading) {
  const double gs = fix.groundSpeed * 1.852;
  const double as = fix.airspeed * 1.852;
  const double track = fix.track * kDegToRad;
  const double head = (heading + app.headingOffset + app.headingCorrection) * kDegToRad;
  const double north = gs * std::cos(track) - as * std::cos(head);
  const double east = gs * std::sin(track) - as * std::sin(head);
  double direction = std::atan2(east, north) * kRadToDeg + 180;
  if (direction >= 360) direction -= 360;
  app.windSpeed = static_cast<float>(std::sqrt(north * north + east * east));
  app.windDirection = static_cast<std::int32_t>(direction);
  if (app.windDirection >= 360) app.windDirection = 0;
  app.windTick = GetTickCount();
  const std::int32_t altitude = fix.pressureAltitude < 0 ? 0 : fix.pressureAltitude;
  PushWindSample(app.thermalView, WindSample{app.windTick, static_cast<std::uint16_t>(altitude),
                                             static_cast<std::int16_t>(app.windDirection), app.windSpeed});
  SetFlightParameter(app.flight, kParamWindSpeed, static_cast<std::int32_t>(app.windSpeed), 1);
  SetFlightParameter(app.flight, kParamWindDirection, app.windDirection, 1);
}

double SectorBisector(const GeoPoint& turn, const GeoPoint& previous, const GeoPoint& next) {
  double toPrev = 0, toNext = 0;
  GeoBearing(toPrev, turn, previous);
  GeoBearing(toNext, turn, next);
  double bisector = (toNext + toPrev) * 0.5;
  const double larger = toNext > toPrev ? toNext : toPrev;
  const double smaller = toNext > toPrev ? toPrev : toNext;
  if (larger - smaller < M_PI) {
    bisector -= M_PI;
    if (bisector < 0) bisector += 2 * M_PI;
  }
  return bisector;
}

int InTurnpointSector(AppContext&, const GeoPoint& own, std::uint32_t distance) {
  const std::int32_t type = Rules().rule[kRuleOnTask].type;
  if (type == 6 && distance < 500) return 1;
  TaskPoint previous;
  const DynArray<TaskPoint>& task = ActiveTask();
  if (!GetLastAchievedPoint(previous) || task.Size() < 2) return 0;
  const GeoPoint turn{task[0].lon, task[0].lat};
  const GeoPoint next{task[1].lon, task[1].lat};
  const GeoPoint prev{previous.lon, previous.lat};
  double toOwn = 0;
  GeoBearing(toOwn, turn, own);
  const double bisector = SectorBisector(turn, prev, next);
  // The difference to the bisector, taken the short way round (through north as well).
  double difference = std::remainder(toOwn - bisector, 2 * M_PI);
  if (difference <= -M_PI) difference += 2 * M_PI;
  if (std::fabs(difference) < kQuarterPi) return type != 6 || distance < 10000 ? 1 : 0;
  return 0;
}

}  // namespace cumulor
