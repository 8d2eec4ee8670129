// The new-fix steps of the statistics: a thermal flown in circles is counted as a climb.
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "cumulor/app/core/flight_fix_steps.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/stats/flight_stats.h"

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
