// Navigation values to a point: bearings, tracks and turns (across north too), variations of
// airports and of the GPS, the speed texts and the cylinder rule on task.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/navpoint/point_nav_values.h"

using namespace cumulor;

namespace {

constexpr std::int32_t kDeg = 36000;
const GeoPoint kOwn{11 * kDeg, 0};  // on the equator, where due east is a bearing of 90

class PointNav : public ::testing::Test {
 protected:
  void SetUp() override {
    app = std::make_unique<AppContext>();
    UserWaypointTable& w = UserWaypoints();
    w.records.SetSize(1);
    w.names.SetSize(1);
    w.countries.SetSize(1);
    AeroData().airports.SetSize(1);
    Rules() = TaskRules{};
  }
  void TearDown() override {
    UserWaypoints().records.SetSize(1);
    AeroData().airports.SetSize(1);
    Rules() = TaskRules{};
  }
  PointRef Waypoint(GeoPoint at) {
    UserWaypointTable& w = UserWaypoints();
    WaypointRecord r;
    r.position = at;
    w.records.Append(r);
    w.names.Append(PointText{});
    w.countries.Append(PointText{});
    return PointRef{kPointUserWaypoint, w.records.Size() - 1};
  }
  PointRef Airport(GeoPoint at, float variation) {
    AirportRecord a{};
    a.position = at;
    a.variation = variation;
    AeroData().airports.Append(a);
    return PointRef{kPointAirport, AeroData().airports.Size() - 1};
  }
  void Status(std::uint16_t track, std::int32_t variation, float speedMs = 10.0f) {
    std::lock_guard<std::mutex> lock(app->gps.dataLock);
    GpsStatus& s = app->gps.publishedStatus;
    s.position = kOwn;
    s.track = track;
    s.variation = variation;
    s.groundSpeedMs = speedMs;
    s.groundSpeedKn = speedMs / 0.514444444f;
  }
  struct Values {
    std::uint32_t distance = 0;
    double bearing = 0;
    std::u16string distanceText, speed, bearingText, track, turn;
  };
  Values Get(const PointRef& p) {
    Values v;
    const WCHAR *d = nullptr, *s = nullptr, *b = nullptr, *t = nullptr, *u = nullptr;
    PointNavOutputs out;
    out.distance = &v.distance;
    out.bearing = &v.bearing;
    out.distanceText = &d;
    out.speedText = &s;
    out.bearingText = &b;
    out.trackText = &t;
    out.turnText = &u;
    PointNavValues(*app, p, out);
    v.distanceText = d;
    v.speed = s;
    v.bearingText = b;
    v.track = t;
    v.turn = u;
    return v;
  }
  std::unique_ptr<AppContext> app;
};

TEST_F(PointNav, BearingsTracksAndTurns) {
  struct Case {
    GeoPoint point;
    std::uint16_t track;
    std::int32_t variation;
    const char16_t* bearing;
    const char16_t* trackText;
    const char16_t* turn;
  } cases[] = {
      {{kOwn.lon + kDeg / 10, kOwn.lat}, 0, 0, u"90°", u"0°", u"90°»"},         // due east
      {{kOwn.lon - kDeg / 10, kOwn.lat}, 0, 0, u"270°", u"0°", u"«90°"},        // due west: a left turn
      {{kOwn.lon - 600, kOwn.lat + kDeg / 10}, 10, 0, u"351°", u"10°", u"«20°"},  // across north, to the left
      {{kOwn.lon + 600, kOwn.lat + kDeg / 10}, 350, 0, u"9°", u"350°", u"19°»"},  // across north, to the right
      {{kOwn.lon, kOwn.lat + kDeg / 10}, 0, 0, u"0°", u"0°", u"0°"},
      {{kOwn.lon, kOwn.lat - kDeg / 10}, 0, 0, u"180°", u"0°", u"180°»"},
      {{kOwn.lon + kDeg / 10, kOwn.lat}, 355, 10, u"100°", u"5°", u"95°»"},     // west variation 10
      {{kOwn.lon + kDeg / 10, kOwn.lat}, 5, -10, u"80°", u"355°", u"85°»"},     // east variation 10
  };
  for (const Case& c : cases) {
    Status(c.track, c.variation);
    const PointRef p = Waypoint(c.point);
    const Values v = Get(p);
    EXPECT_EQ(v.bearingText, c.bearing) << c.point.lon << "," << c.point.lat;
    EXPECT_EQ(v.track, c.trackText) << c.point.lon << "," << c.point.lat;
    EXPECT_EQ(v.turn, c.turn) << c.point.lon << "," << c.point.lat;
    EXPECT_EQ(v.distance, GeoDistance(kOwn, c.point));
    double bearing = 0;
    GeoBearing(bearing, kOwn, c.point);
    EXPECT_EQ(v.bearing, bearing);
  }
}

TEST_F(PointNav, AirportsBringTheirOwnVariation) {
  Status(0, 7);
  const PointRef a = Airport({kOwn.lon + kDeg / 10, kOwn.lat}, 2.6f);  // rounded to 3
  EXPECT_EQ(Get(a).bearingText, u"93°");
  EXPECT_EQ(Get(a).track, u"3°");
  const PointRef w = Waypoint({kOwn.lon + kDeg / 10, kOwn.lat});
  EXPECT_EQ(Get(w).bearingText, u"97°");
}

TEST_F(PointNav, SpeedTextsAndTheSimulator) {
  const PointRef p = Waypoint({kOwn.lon + kDeg / 10, kOwn.lat});
  Status(0, 0, 11.52f);
  app->speedUnit = 7;
  EXPECT_EQ(Get(p).speed, u"41");  // 11.52 m/s = 41.4 km/h
  app->speedUnit = 4;
  EXPECT_EQ(Get(p).speed, u"22");  // 22.39 kn
  app->simulator = 1;
  EXPECT_EQ(Get(p).speed, u"SIM");
  app->gps.replayActive = 1;
  EXPECT_EQ(Get(p).speed, u"22");
}

TEST_F(PointNav, OnTaskACylinderIsReachedAtItsRadius) {
  Status(0, 0);
  const PointRef p = Waypoint({kOwn.lon, kOwn.lat + kDeg / 100});  // about 1100 m north
  const std::uint32_t full = GeoDistance(kOwn, UserWaypoints().records[p.index].position);
  Rules().rule[kRuleOnTask].type = kGateCylinder;
  Rules().rule[kRuleOnTask].width = 500;
  EXPECT_EQ(Get(p).distance, full);  // before the start
  app->taskStarted = 1;
  EXPECT_EQ(Get(p).distance, full - 500);
  Rules().rule[kRuleOnTask].width = 5000;
  EXPECT_EQ(Get(p).distance, 0u);
  Rules().rule[kRuleOnTask].type = kGateSector90;
  EXPECT_EQ(Get(p).distance, full);
  EXPECT_EQ(Get(PointRef{kPointUserWaypoint, 999}).distance, GeoDistance(kOwn, GeoPoint{}));
}

}  // namespace
