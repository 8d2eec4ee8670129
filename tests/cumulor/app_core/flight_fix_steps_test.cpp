// The new-fix steps: a thermal flown in circles is counted as a climb; the glide profile follows
// the active task while terrain clearance is on.
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "cumulor/app/core/flight_fix_steps.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "tests/cumulor/terrain_tile.h"

using namespace cumulor;
using cumulor_test::AppTest;

TEST_F(AppTest, CirclingStartsAndEndsAClimb) {
  FlightFixStepsReset();
  FixBufferReserve(app->gps, 16);
  app->simulator = 1;          // each fix a second of the climb clock
  app->stats.replayTime = 1;
  GpsStatus status;
  status.positionValid = 1;
  status.groundSpeedKn = 40.0f;
  auto feed = [&](int second, int track, int altitude) {
    GpsFix fix;
    fix.position = GeoPoint{36000 * 11, 36000 * 47};
    fix.timeOfDay = static_cast<std::uint32_t>(36000 + second);
    fix.track = static_cast<std::uint16_t>(track);
    fix.groundSpeed = 40.0f;
    StoreFix(app->gps, fix);
    status.altitude = altitude;
    FlightFixSteps(*app, status);
  };
  int t = 0;
  for (; t < 20; ++t) feed(t, 90, 1000);                                  // straight
  for (int i = 0; i < 120; ++i, ++t) feed(t, (i * 20) % 360, 1000 + 2 * i);  // circling, 2 m/s
  EXPECT_EQ(app->circling, 1);
  EXPECT_NE(app->stats.climbStartTick, 0u);
  EXPECT_EQ(app->stats.climbCount, 0);
  for (int i = 0; i < 40; ++i, ++t) feed(t, 90, 1240);                    // straight again
  EXPECT_EQ(app->circling, 0);
  EXPECT_EQ(app->stats.climbCount, 1);
  EXPECT_NEAR(app->stats.lastClimb, 200, 40);
  FlightFixStepsReset();
}

TEST_F(AppTest, TerrainClearanceFollowsTheActiveTask) {
  UserWaypointTable& t = UserWaypoints();
  t.records.SetSize(3);
  t.records[1].position = GeoPoint{36000 * 11 + 3600, 36000 * 47 + 18000 + 1000};
  t.records[2].position = GeoPoint{36000 * 11 + 3600, 36000 * 47 + 18000 + 2000};
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = 1;
  ActiveTask().Append(p);
  p.index = 2;
  ActiveTask().Append(p);
  cumulor::testing::PutTerrainTile(AeroTiles(), 11, 47, [](int, int) -> std::int16_t { return 500; });
  SetFlightParameter(app->flight, kParamQnhAltitude, 1000, 1);
  const GeoPoint own{36000 * 11 + 3600, 36000 * 47 + 18000};

  TerrainClearanceSteps(*app, own);  // switched off: nothing laid
  std::int32_t clearance = 0;
  EXPECT_EQ(GetTerrainClearance(clearance), 0);

  app->terrainClearanceOn = 1;
  TerrainClearanceSteps(*app, own);
  const TerrainProfileView profile = TerrainProfile();
  // Two legs of about 3.1 km: four steps each, a start and an end sample per leg.
  EXPECT_EQ(profile.samples.size(), 12u);
  EXPECT_EQ(profile.samples.front().altitude, GetFlightParameter(app->flight, kParamQnhAltitude));
  EXPECT_EQ(profile.samples.back().position, t.records[2].position);
  EXPECT_LT(profile.samples.back().altitude, profile.samples.front().altitude);
  ASSERT_EQ(GetTerrainClearance(clearance), 1);
  EXPECT_EQ(clearance, profile.samples.back().altitude - 500 - TerrainSafetyMargin());
  AeroTiles().FreeMaps();
  ActiveTask().SetSize(0);
  t.records.SetSize(0);
}
