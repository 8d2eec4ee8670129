// The value texts of the navigation boxes over a prepared application state and fix history: no
// target, the glide ratio, the glide ratio needed, the 20-fix climb, the task time left, unknown
// ground, the wind in knots, the clock, and legs that cannot be flown into a headwind.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox_values/nav_box_values.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/nav/polar/glide.h"
#include "platform/time/time.h"
#include "cumulor/nav/gps/gps_fix.h"

namespace cumulor {
namespace {

constexpr std::int32_t kDeg = 36000;
const GeoPoint kOwn{10 * kDeg, 45 * kDeg};

SYSTEMTIME g_now{};
AppContext* g_app = nullptr;

void Now(SYSTEMTIME* out) { *out = g_now; }

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
  return out;
}

GeoPoint North(const GeoPoint& from, std::uint32_t metres) {
  GeoPoint out;
  GeoDestination(from.lon, from.lat, metres, 0.0, out);
  return out;
}

class NavBoxValues : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<AppContext>();
    g_app = app_.get();
    NavBoxSetInit(app_->navBoxes);
    FlightStateDefaults(app_->flight);
    NavBoxValuesReset();
    NavBoxValueSourcesInstalled() = NavBoxValueSources{};
    NavBoxValueSourcesInstalled().localTime = Now;
    g_now = SYSTEMTIME{2026, 7, 6, 4, 12, 14, 30, 0};  // Saturday 4 July 2026, 12:14:30
    UserWaypointTable& w = UserWaypoints();
    w.records.SetSize(1);
    w.names.SetSize(1);
    w.countries.SetSize(1);
    ActiveTask().SetSize(0);
    DirectTarget() = TaskPoint{};
    TaskLegs().SetSize(0);
    DirectLegs().SetSize(0);
    TaskHooksInstalled() = TaskHooks{};
    TaskHooksInstalled().ownPosition = [] { return kOwn; };
    SetPosition(kOwn, 1000);
    ASSERT_EQ(FixBufferReserve(app_->gps, 180), S_OK);
    for (std::int32_t n = 1; n <= kNavBoxLast; ++n) app_->navBoxes.on[n] = 1;
  }
  void TearDown() override {
    TaskHooksInstalled() = TaskHooks{};
    NavBoxValueSourcesInstalled() = NavBoxValueSources{};
    UserWaypoints().records.SetSize(1);
    ActiveTask().SetSize(0);
    DirectTarget() = TaskPoint{};
    g_app = nullptr;
  }

  TaskPoint Waypoint(const GeoPoint& at, std::int16_t elevationFeet, const char* name) {
    UserWaypointTable& w = UserWaypoints();
    WaypointRecord r;
    r.position = at;
    r.elevation = elevationFeet;
    std::strcpy(r.code, "WP1");
    PointText text;
    std::strcpy(text.text, name);
    w.records.Append(r);
    w.names.Append(text);
    w.countries.Append(PointText{});
    TaskPoint p;
    p.kind = kPointUserWaypoint;
    p.index = w.records.Size() - 1;
    p.lon = at.lon;
    p.lat = at.lat;
    return p;
  }
  void SetPosition(const GeoPoint& at, std::int32_t altitude) {
    {
      std::lock_guard<std::mutex> lock(app_->gps.dataLock);
      app_->gps.publishedStatus.position = at;
      app_->gps.publishedStatus.positionValid = 1;
      app_->gps.publishedStatus.altitude = altitude;
    }
    app_->mapCentre = at;
    SetFlightParameter(app_->flight, kParamAltitude, altitude);
  }
  // The fix history, newest first: `count` fixes whose pressure altitude falls by `step` per fix
  // going back in time.
  void History(std::int32_t count, std::int32_t newest, std::int32_t step) {
    std::lock_guard<std::mutex> lock(app_->gps.dataLock);
    GpsPort& gps = app_->gps;
    gps.historyHead = 0;
    gps.historyCount = count;
    for (std::int32_t i = 0; i < count; ++i) gps.history[i].pressureAltitude = static_cast<std::int16_t>(newest - i * step);
  }
  std::string Value(std::int32_t box) const { return Narrow(app_->navBoxes.box[box].value); }
  std::string Unit(std::int32_t box) const { return Narrow(app_->navBoxes.box[box].unit); }
  std::string Title(std::int32_t box) const { return Narrow(app_->navBoxes.box[box].title); }

  std::unique_ptr<AppContext> app_;
};

TEST_F(NavBoxValues, WithoutATargetNoBoxChangesNotEvenTheClock) {
  const TaskPoint a = Waypoint(North(kOwn, 5000), 0, "ALPHA");
  ActiveTask().Append(a);
  ActiveTask().Append(a);
  app_->navTarget = TaskPoint{};
  app_->terrainElevation = -1000;
  app_->taskDeadline = 1;
  NavBoxSet before;
  std::memcpy(static_cast<void*>(before.box), app_->navBoxes.box, sizeof before.box);
  EXPECT_EQ(NavBoxValuesUpdate(*app_), 0);
  EXPECT_EQ(ActiveTask().Size(), 0);
  EXPECT_EQ(std::memcmp(before.box, app_->navBoxes.box, sizeof before.box), 0);
  EXPECT_EQ(Value(14), "00:00");
}

TEST_F(NavBoxValues, TargetValuesOnAPreparedState) {
  // Target 10 km north, 1000 ft (304 m) up; we fly at 1000 m.
  app_->navTarget = Waypoint(North(kOwn, 10000), 1000, "ALPHA");
  ASSERT_EQ(NavBoxValuesUpdate(*app_), 1);
  EXPECT_EQ(Title(1), "ALPHA");
  EXPECT_EQ(Unit(1), "WP1");
  EXPECT_EQ(Value(2), "10.0");
  EXPECT_EQ(Value(12), "100");          // the first glide ratio: no kept position yet
  EXPECT_EQ(Value(30), "14");           // 10000 / (1000 - 304)
  EXPECT_EQ(Value(13), "1000");
  EXPECT_EQ(Unit(13), "3280ft");
  EXPECT_EQ(Value(33), "3280");
  EXPECT_EQ(Value(14), "12:14");
  EXPECT_EQ(Value(15), "-.--");
  EXPECT_EQ(Value(6), "0.0");           // fewer than 21 fixes
  EXPECT_EQ(Value(7), "-.-");           // no thermal yet
  EXPECT_EQ(Title(3), "Arrival");
  EXPECT_EQ(Unit(3), "m agl");
  EXPECT_EQ(Title(27), "SUA X");        // no airspace
  EXPECT_EQ(Value(27), "----");
  EXPECT_TRUE(app_->navBoxes.box[27].greyed);
}

TEST_F(NavBoxValues, GlideRatioEverySixteenthUpdate) {
  app_->navTarget = Waypoint(North(kOwn, 20000), 0, "ALPHA");
  struct Step {
    std::uint32_t north;     // metres from the start
    std::int32_t altitude;
    int updates;
    const char* want;
  } steps[] = {
      {0, 1000, 1, "100"},       // first update
      {1000, 950, 15, "100"},    // kept until the 17th
      {1000, 950, 1, "20.0"},    // 1000 m for 50 m
      {1000, 950, 16, "100"},    // level: 100
      {3000, 1050, 16, "100"},   // climbing: 100
      {3000 + 1234, 1000, 16, "24.6"},  // 1234 / 50 = 24.68: truncated to one decimal
      {3000 + 1234 + 5000, 990, 16, "100"},  // 500: above 100
  };
  for (const Step& s : steps) {
    SetPosition(North(kOwn, s.north), s.altitude);
    for (int i = 0; i < s.updates; ++i) NavBoxValuesUpdate(*app_);
    EXPECT_EQ(Value(12), s.want) << s.north << " m at " << s.altitude;
  }
}

TEST_F(NavBoxValues, GlideRatioNeededToTheTarget) {
  struct Case {
    std::uint32_t distance;
    std::int16_t elevationFeet;
    std::int32_t altitude;
    const char* want;
  } cases[] = {
      {10100, 0, 1000, "10"},
      {10000, 3281, 1000, "----"},   // 1000 m: level with us
      {10000, 4000, 1000, "----"},   // below the target
      {900000, 0, 100, "999"},       // 9000 is held at 999
  };
  for (const Case& c : cases) {
    app_->navTarget = Waypoint(North(kOwn, c.distance), c.elevationFeet, "T");
    SetPosition(kOwn, c.altitude);
    NavBoxValuesUpdate(*app_);
    EXPECT_EQ(Value(30), c.want) << c.distance << " " << c.elevationFeet;
  }
}

TEST_F(NavBoxValues, ClimbOfTheLastTwentyFixes) {
  app_->navTarget = Waypoint(North(kOwn, 5000), 0, "T");
  struct Case {
    std::int32_t fixes;
    std::int32_t step;     // metres per fix
    std::int32_t climbUnit;
    const char* want;
  } cases[] = {
      {20, 1, 3, "0.0"},     // one short of 21
      {21, 1, 3, "+1.0"},    // 20 m in 20 fixes x 0.05
      {40, -2, 3, "-2.0"},
      {21, 0, 3, "+0.0"},
      {21, 1, 4, "+1.9"},    // 1.94 kts truncated
      {30, -1, 4, "-1.9"},
  };
  for (const Case& c : cases) {
    History(c.fixes, 1500, c.step);
    app_->climbUnit = c.climbUnit;
    NavBoxValuesUpdate(*app_);
    EXPECT_EQ(Value(6), c.want) << c.fixes << " fixes, " << c.step;
  }
}

TEST_F(NavBoxValues, TaskTimeLeftCountsDownAndStopsAtZero) {
  app_->navTarget = Waypoint(North(kOwn, 5000), 0, "T");
  FILETIME ft{};
  SystemTimeToFileTime(&g_now, &ft);
  const std::int64_t now = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  app_->taskDeadline = now + 3725LL * 10000000;
  NavBoxValuesUpdate(*app_);
  EXPECT_EQ(Value(15), "1.02.05");
  EXPECT_EQ(app_->taskTimeSeconds, 3725);
  g_now.wHour = 13;
  g_now.wMinute = 16;
  g_now.wSecond = 34;
  NavBoxValuesUpdate(*app_);
  EXPECT_EQ(Value(15), "0.00.01");
  EXPECT_EQ(Value(14), "13:16");
  g_now.wSecond = 59;
  NavBoxValuesUpdate(*app_);
  EXPECT_EQ(Value(15), "0.00.00");
  EXPECT_EQ(app_->taskTimeSeconds, 0);
}

TEST_F(NavBoxValues, GroundAndHeightAboveIt) {
  app_->navTarget = Waypoint(North(kOwn, 5000), 0, "T");
  struct Case {
    std::int32_t ground;
    std::int32_t altitudeUnit;
    const char* ground16;
    const char* unit16;
    const char* agl17;
    const char* unit17;
  } cases[] = {
      {-1000, 1, "---", "  ", "---", "  "},
      {400, 1, "400", "1312ft", "600", "1968ft"},
      {400, 2, "1312", "400m", "1968", "600m"},
      {1200, 1, "1200", "3936ft", "0", "0ft"},   // below the ground: 0
  };
  for (const Case& c : cases) {
    app_->terrainElevation = c.ground;
    app_->altitudeUnit = c.altitudeUnit;
    NavBoxValuesUpdate(*app_);
    EXPECT_EQ(Value(16), c.ground16) << c.ground;
    EXPECT_EQ(Unit(16), c.unit16) << c.ground;
    EXPECT_EQ(Value(17), c.agl17) << c.ground;
    EXPECT_EQ(Unit(17), c.unit17) << c.ground;
  }
}

TEST_F(NavBoxValues, WindInKnotsRoundsUpOnlyAboveAHalf) {
  app_->navTarget = Waypoint(North(kOwn, 5000), 0, "T");
  struct Case {
    std::int32_t speedUnit;
    std::int32_t kmh;
    const char16_t* want;
  } cases[] = {
      {4, 19, u"270\u00B0/10"},   // 10.26
      {4, 20, u"270\u00B0/11"},   // 10.80
      {4, 0, u"270\u00B0/0"},
      {7, 19, u"270\u00B0/19"},
  };
  SetFlightParameter(app_->flight, kParamWindDirection, 270);
  for (const Case& c : cases) {
    app_->speedUnit = c.speedUnit;
    SetFlightParameter(app_->flight, kParamWindSpeed, c.kmh);
    NavBoxValuesUpdate(*app_);
    EXPECT_EQ(std::u16string(app_->navBoxes.box[9].value), std::u16string(c.want)) << c.kmh;
  }
}

TEST_F(NavBoxValues, ALegIntoAHeadwindStrongerThanTheSpeedToFlyShowsNoTime) {
  const TaskPoint target = Waypoint(North(kOwn, 20000), 0, "T");
  app_->navTarget = target;
  DirectTarget() = target;
  app_->flight.stfSpeedNow = 25.0;  // m/s, 90 km/h
  TaskHooksInstalled().etaCompute = [](std::int64_t& time, std::uint32_t distance, double course) {
    time = TimeToFlyDistance(g_app->flight, distance, course);
    return 1;
  };
  SetFlightParameter(app_->flight, kParamWindDirection, 0);  // from the north, the way we fly
  struct Case {
    std::int32_t windKmh;
    bool flyable;
  } cases[] = {{120, false}, {90, false}, {60, true}, {0, true}};
  for (const Case& c : cases) {
    SetFlightParameter(app_->flight, kParamWindSpeed, c.windKmh);
    for (int i = 0; i < 5; ++i) NavBoxValuesUpdate(*app_);  // the legs are recomputed every fifth
    for (std::int32_t box = 23; box <= 26; ++box) {
      if (c.flyable) {
        EXPECT_NE(Value(box), "--:--") << box << " at " << c.windKmh;
        EXPECT_NE(Value(box), "-.-") << box << " at " << c.windKmh;
      } else {
        EXPECT_EQ(Value(box), "--:--") << box << " at " << c.windKmh;
      }
    }
  }
  // 20 km at 25 m/s in calm air: 13 minutes and 20 seconds.
  EXPECT_EQ(Value(26), "0.13");
}

}  // namespace
}  // namespace cumulor
