// The flight generator: the program's output read back with the flight computer's IGC readers
// (fix count and interval, the area kept, climbs and glides, a flight across midnight), the same
// seed giving the same bytes, and bad options refused.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "cumulor/nav/replay/igc_flight_reader.h"
#include "platform/testing/device_test.h"
#include "tools/flightgen/flight_generator.h"

namespace {

using namespace cumulor;

class FlightGen : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
  }
  int Run(const std::string& arguments, const std::string& file) {
    const std::string command = std::string(FLIGHTGEN_PATH) + " " + arguments + " '" +
                                (device_folder() / "root" / file).string() + "' 2>/dev/null";
    return WEXITSTATUS(std::system(command.c_str()));
  }
  std::string Bytes(const std::string& file) {
    std::ifstream in(device_folder() / "root" / file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(FlightGen, AFlightReadsBackWithItsLengthIntervalAreaAndClimbs) {
  ASSERT_EQ(Run("--lat -38.6 --lon 176.1 --radius 10 --minutes 90 --interval 4 --start 84600 --seed 3", "g.igc"), 0);
  DynArray<GpsFix> fixes;
  FlightInfo info;
  ASSERT_EQ(ReadIgcFlight(u"\\g.igc", fixes, info), 1);
  ASSERT_EQ(fixes.Size(), 90 * 60 / 4);
  EXPECT_EQ(info.fixInterval, 4);
  // Past midnight the times count on.
  EXPECT_EQ(fixes[0].timeOfDay, 84600u);
  EXPECT_EQ(fixes[fixes.Size() - 1].timeOfDay, 84600u + (90 * 60 - 4));
  const GeoPoint centre{static_cast<std::int32_t>(176.1 * 36000), static_cast<std::int32_t>(-38.6 * 36000)};
  int climbing = 0, sinking = 0;
  for (std::int32_t i = 0; i < fixes.Size(); ++i) {
    ASSERT_LT(GeoDistance(centre, fixes[i].position), 12000u) << i;  // the area and a turn's margin
    if (i > 0) (fixes[i].gpsAltitude > fixes[i - 1].gpsAltitude ? climbing : sinking)++;
  }
  EXPECT_GT(climbing, fixes.Size() / 10);
  EXPECT_GT(sinking, fixes.Size() / 10);
  // The fix reader takes every record too (all valid), times as written.
  auto app = std::make_unique<AppContext>();
  ASSERT_EQ(IgcFileOpen(*app, u"\\g.igc"), S_OK);
  ASSERT_EQ(LoadIgcFixes(*app), S_OK);
  EXPECT_EQ(app->loadedFlight.FixCount(), fixes.Size());
  EXPECT_EQ(app->loadedFlight.fixes[app->loadedFlight.FixCount() - 1].timeOfDay, (84600u + 90 * 60 - 4) % 86400);
  FreeIgcFixes(*app);
}

TEST_F(FlightGen, ATaskFlightPassesEachTurnpointInTurnAndEndsAtTheFinish) {
  // A triangle of about 120 km.
  ASSERT_EQ(Run("--task 47.3,11.0/47.6,11.3/47.3,11.5/47.3,11.0 --interval 2 --minutes 600 --seed 4", "t.igc"), 0);
  DynArray<GpsFix> fixes;
  FlightInfo info;
  ASSERT_EQ(ReadIgcFlight(u"\\t.igc", fixes, info), 1);
  const auto at = [](double lat, double lon) {
    return GeoPoint{static_cast<std::int32_t>(lon * 36000), static_cast<std::int32_t>(lat * 36000)};
  };
  const GeoPoint points[] = {at(47.6, 11.3), at(47.3, 11.5), at(47.3, 11.0)};
  // Each turnpoint is reached (within 500 m and a fix's travel) after the one before it.
  std::int32_t from = 0;
  for (const GeoPoint& p : points) {
    std::int32_t reached = -1;
    for (std::int32_t i = from; i < fixes.Size() && reached < 0; ++i)
      if (GeoDistance(fixes[i].position, p) < 500 + 2 * 30 + 100) reached = i;
    ASSERT_GE(reached, 0) << "turnpoint " << (&p - points) + 1 << " not reached";
    from = reached;
  }
  // It starts behind the start point (so it crosses the start line) and flies into each inner
  // turnpoint's 90-degree sector, beyond the point on the bisector away from both legs.
  const auto metres = [](const GeoPoint& from, const GeoPoint& to) {
    const double c = std::cos(from.lat / 36000.0 * 3.14159265358979 / 180.0);
    return std::pair{(to.lon - from.lon) / 36000.0 * 111194.9 * c, (to.lat - from.lat) / 36000.0 * 111194.9};
  };
  const GeoPoint start = at(47.3, 11.0);
  const auto [fx, fy] = metres(start, fixes[0].position);
  const auto [lx, ly] = metres(start, points[0]);
  EXPECT_LT(fx * lx + fy * ly, 0.0) << "the first fix is not behind the start point";
  for (int k = 0; k < 2; ++k) {
    const GeoPoint& t = points[k];
    const auto [px, py] = metres(t, k == 0 ? start : points[k - 1]);
    const auto [nx, ny] = metres(t, points[k + 1]);
    double bx = -(px / std::hypot(px, py) + nx / std::hypot(nx, ny)), by = -(py / std::hypot(px, py) + ny / std::hypot(nx, ny));
    const double bn = std::hypot(bx, by);
    bx /= bn, by /= bn;
    bool inSector = false;
    for (std::int32_t i = 0; i < fixes.Size() && !inSector; ++i) {
      const auto [gx, gy] = metres(t, fixes[i].position);
      const double along = gx * bx + gy * by, across = std::abs(gx * by - gy * bx);
      inSector = along > 100.0 && along < 3000.0 && across < along;  // within 45 degrees of the bisector
    }
    EXPECT_TRUE(inSector) << "turnpoint " << k + 1 << ": no fix in its sector";
  }
  // The last fix is at the finish, well before the ten hours allowed, and the climbs happened.
  EXPECT_LT(GeoDistance(fixes[fixes.Size() - 1].position, points[2]), 700u);
  EXPECT_LT(fixes.Size(), 600 * 30 / 2);
  for (const char* bad : {"--task 47,11", "--task 47,11/", "--task 47x11/48,12", "--task 95,11/47,11"})
    EXPECT_EQ(Run(bad, "bad.igc"), 2) << bad;
}

TEST_F(FlightGen, TheSameSeedGivesTheSameFileAndBadOptionsAreRefused) {
  ASSERT_EQ(Run("--minutes 10 --seed 9", "a.igc"), 0);
  ASSERT_EQ(Run("--minutes 10 --seed 9", "b.igc"), 0);
  ASSERT_EQ(Run("--minutes 10 --seed 10", "c.igc"), 0);
  EXPECT_EQ(Bytes("a.igc"), Bytes("b.igc"));
  EXPECT_NE(Bytes("a.igc"), Bytes("c.igc"));
  EXPECT_EQ(Bytes("a.igc"), flightgen::GenerateFlight([] {
              flightgen::Options o;
              o.minutes = 10;
              o.seed = 9;
              return o;
            }()));
  for (const char* bad : {"--minutes", "--minutes 0", "--interval x", "--lat 95", "--colour red"})
    EXPECT_EQ(Run(bad, "bad.igc"), 2) << bad;
  EXPECT_EQ(WEXITSTATUS(std::system((std::string(FLIGHTGEN_PATH) + " 2>/dev/null").c_str())), 2);
}

}  // namespace
