// The drawn list: candidates by zoom level and rank, clipping to the visible box.
#include <gtest/gtest.h>

#include <vector>

#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/olc/olc.h"
#include "tests/cumulor/trail_lists.h"

using namespace cumulor;

namespace {

constexpr std::int32_t kDeg = 36000;

GpsFix Fix(GeoPoint p) {
  GpsFix f;
  f.position = p;
  f.pressureAltitude = 1000;
  return f;
}

// A zigzag about 1 km a point northwards: every sixth point about 840 m off the course, the others
// swing by about 80 m.
GeoPoint Zigzag(int i) { return GeoPoint{11 * kDeg + (i % 6 == 3 ? 400 : (i % 2) * 40), 47 * kDeg + i * 323}; }

const TrailBox kWide{10 * kDeg, 49 * kDeg, 12 * kDeg, 46 * kDeg};

class TrailViewTest : public testing::Test {
 protected:
  void SetUp() override {
    SetOlcTargetSource(nullptr);
    TrailSetSimulating(false);
    TrailInit();
  }
  void TearDown() override { TrailClear(); }
};

}  // namespace

TEST_F(TrailViewTest, EveryFixJoinsTheDrawnListUntilTheModeIsSet) {
  for (int i = 0; i < 10; ++i) TrailAddFix(Fix(Zigzag(i)), false);
  EXPECT_EQ(DrawnTrail().size(), 10u);
  EXPECT_EQ(TrailMode(), 5);
}

TEST_F(TrailViewTest, ZoomLevelsChooseTheCandidates) {
  for (int i = 0; i < 200; ++i) TrailAddFix(Fix(Zigzag(i)), false);
  // Levels 0 and 1: every point but the last (which has no segment after it).
  for (std::int32_t level : {0, 1}) {
    TrailSetMode(kWide, level, level == 0 ? 1 : 2);
    EXPECT_EQ(DrawnTrail().size(), 199u) << level;
  }
  // A scale value of 200: only points ranked above 500 (and the unranked newest ones).
  TrailSetMode(kWide, 8, 200);
  const std::vector<TrailPoint> drawn = DrawnTrail();
  ASSERT_FALSE(drawn.empty());
  EXPECT_LT(drawn.size(), 199u);
  int unranked = 0;
  for (const TrailPoint& p : drawn) {
    EXPECT_GT(p.rank, 500);
    unranked += p.rank == kTrailUnranked;
  }
  EXPECT_GT(unranked, 0);
  EXPECT_LT(unranked, static_cast<int>(drawn.size()));
  // A small scale value lowers the limit to 3 x scale: more points qualify.
  TrailSetMode(kWide, 2, 5);
  EXPECT_GT(DrawnTrail().size(), drawn.size());
  // New fixes join the list whatever their rank.
  const std::size_t before = DrawnTrail().size();
  TrailAddFix(Fix(Zigzag(200)), false);
  EXPECT_EQ(DrawnTrail().size(), before + 1);
}

TEST_F(TrailViewTest, SegmentsOutsideTheBoxAreLeftOut) {
  // Three points west of the box, then two inside it.
  const std::int32_t lat = 47 * kDeg;
  const GeoPoint points[] = {{9 * kDeg, lat}, {9 * kDeg + 100, lat + 100}, {9 * kDeg + 200, lat},
                             {11 * kDeg, lat}, {11 * kDeg + 300, lat + 300}};
  for (const GeoPoint& p : points) TrailAddFix(Fix(p), false);
  TrailSetMode(kWide, 0, 1);
  const std::vector<TrailPoint> drawn = DrawnTrail();
  // The two segments west of the box are not drawn; the one crossing into the box and the one
  // inside are.
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].position.lon, 9 * kDeg + 200);
  EXPECT_EQ(drawn[1].position.lon, 11 * kDeg);
}

TEST_F(TrailViewTest, ClipLineMovesEndsOntoTheEdges) {
  const TrailBox box{0, 1000, 1000, 0};
  struct Case {
    GeoPoint a, b;
    int result;
    GeoPoint clippedA, clippedB;
  } cases[] = {
      {{-500, 500}, {-100, 700}, 1, {}, {}},             // wholly west
      {{100, 1200}, {900, 1500}, 1, {}, {}},             // wholly north
      {{-500, 500}, {500, 500}, 0, {0, 500}, {500, 500}},  // enters from the west
      {{500, -500}, {500, 1500}, 0, {500, 0}, {500, 1000}},  // crosses south to north
      {{200, 200}, {800, 800}, 0, {200, 200}, {800, 800}},   // inside
      {{-600, 500}, {500, 1600}, 1, {}, {}},             // passes the north-west corner outside
  };
  for (const Case& c : cases) {
    GeoPoint a = c.a, b = c.b;
    EXPECT_EQ(ClipLine(box, a, b), c.result) << c.a.lon << "," << c.a.lat;
    if (c.result == 0) {
      EXPECT_EQ(a.lon, c.clippedA.lon);
      EXPECT_EQ(a.lat, c.clippedA.lat);
      EXPECT_EQ(b.lon, c.clippedB.lon);
      EXPECT_EQ(b.lat, c.clippedB.lat);
    }
  }
  EXPECT_EQ(ClipOutcode(box, -1, 500), 1u);
  EXPECT_EQ(ClipOutcode(box, 1001, -1), 2u | 4u);
  EXPECT_EQ(ClipOutcode(box, 500, 1001), 8u);
}

TEST_F(TrailViewTest, AnEmptyOrOnePointTrailDrawsNothing) {
  TrailSetMode(kWide, 0, 1);
  EXPECT_TRUE(DrawnTrail().empty());
  TrailAddFix(Fix(Zigzag(0)), false);
  TrailSetMode(kWide, 0, 1);
  EXPECT_TRUE(DrawnTrail().empty());
  EXPECT_EQ(TrailMode(), 0);
}
