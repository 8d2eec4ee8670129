#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/olc/olc_optimizer.h"
#include "tests/cumulor/trail_lists.h"

using namespace cumulor;

namespace {

GpsFix Fix(GeoPoint p, float climb = 0.0f) {
  GpsFix f;
  f.position = p;
  f.verticalSpeed = climb;
  f.pressureAltitude = 1000;
  return f;
}

// A zigzag about 1 km a point: small swings of about 80 m, and every sixth point about 840 m off
// the course.
GeoPoint Zigzag(int i) { return GeoPoint{36000 * 11 + (i % 6 == 3 ? 400 : (i % 2) * 40), 36000 * 47 + i * 323}; }

class TrailTest : public testing::Test {
 protected:
  void SetUp() override {
    SetOlcTargetSource(nullptr);
    TrailSetSimulating(false);
    OlcSetLegCount(4);
    TrailClear();
  }
  void TearDown() override { TrailClear(); }
};

}  // namespace

TEST_F(TrailTest, A97thFixRanksTheFirstStretch) {
  for (int i = 0; i < 96; ++i) TrailAddFix(Fix(Zigzag(i)), false);
  std::vector<TrailPoint> trail = FullTrail();
  for (const TrailPoint& p : trail) ASSERT_EQ(p.rank, kTrailUnranked);
  TrailAddFix(Fix(Zigzag(96)), false);
  trail = FullTrail();
  int ranked = 0;
  for (std::int32_t i = 1; i < 96; ++i) ranked += trail[i].rank != kTrailUnranked;
  EXPECT_EQ(ranked, 95);
  EXPECT_EQ(trail[96].rank, kTrailUnranked);  // the stretch end waits for the next stretch
}

TEST_F(TrailTest, SimulatorRanksEverySixPoints) {
  TrailSetSimulating(true);
  for (int i = 0; i < 6; ++i) TrailAddFix(Fix(Zigzag(i)), false);
  EXPECT_NE(FullTrail()[2].rank, kTrailUnranked);
}

TEST_F(TrailTest, StraightStretchRanksZeroButTheExtremeClimbs) {
  for (int i = 0; i < 97; ++i) {
    const float climb = i == 10 ? 5.0f : (i == 20 ? -3.0f : 0.0f);
    TrailAddFix(Fix(GeoPoint{36000 * 11, 36000 * 47 + i * 300}, climb), false);
  }
  const std::vector<TrailPoint> trail = FullTrail();
  for (std::int32_t i = 1; i < 96; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(trail[i].rank, (i == 10 || i == 20) ? kTrailClimbRank : 0);
  }
  EXPECT_EQ(trail[10].climb, 50);
  EXPECT_EQ(trail[20].climb, -30);
}

TEST_F(TrailTest, OnlyPointsAbove250AndTheStretchStartReachTheLiveFeed) {
  for (int i = 0; i < 97 + 96; ++i) TrailAddFix(Fix(Zigzag(i)), true);
  const std::vector<TrailPoint> trail = FullTrail();
  std::vector<GeoPoint> expected;
  for (std::int32_t i = 0; i < 96 + 96; ++i) {
    if (i == 0 || i == 96 || trail[i].rank > kOlcCandidateRank) expected.push_back(trail[i].position);
  }
  // Some interior points of a zigzag lie closer than 250 m to the simplified line, some farther.
  EXPECT_LT(expected.size(), 150u);
  EXPECT_GT(expected.size(), 10u);
  EXPECT_EQ(OlcCandidatePositions(), expected);

  TrailClear();
  EXPECT_EQ(OlcCandidateCount(), 0);
  for (int i = 0; i < 97; ++i) TrailAddFix(Fix(Zigzag(i)), false);
  EXPECT_EQ(OlcCandidateCount(), 0);
}

TEST_F(TrailTest, OlcStartResetsTheCandidatesAndAddsTheLastPoint) {
  for (int i = 0; i < 200; ++i) TrailAddFix(Fix(Zigzag(i)), true);
  TrailSetOlcStart();
  EXPECT_EQ(TrailOlcStart(), 199);
  EXPECT_EQ(OlcCandidatePositions(), (std::vector<GeoPoint>{Zigzag(199)}));
}

TEST_F(TrailTest, BatchRunOverTheTrailWhileTheReaderAddsFixes) {
  // The optimiser holds the trail lock for a whole run, so it waits for each new batch of fixes
  // instead of spinning: a spinning loop could keep the reader from the lock on a busy machine.
  constexpr int kFixes = 2000;
  constexpr int kBatch = 250;
  std::atomic<int> added{0};
  std::thread reader([&] {
    for (int i = 0; i < kFixes; ++i) {
      TrailAddFix(Fix(Zigzag(i), static_cast<float>(i % 7) - 3.0f), true);
      added.store(i + 1);
      added.notify_all();
    }
  });
  WCHAR text[32];
  int runs = 0;
  for (int seen = 0; seen < kFixes;) {
    const int now = added.load();
    if (now < kFixes && now - seen < kBatch) {
      added.wait(now);
      continue;
    }
    seen = now;
    TrailOptimize();
    OlcFormatResult(text, 32);
    std::uint32_t distance = 0;
    std::vector<GeoPoint> route;
    if (OlcResult(distance, &route)) {
      EXPECT_EQ(route.size(), 5u);
    }
    ++runs;
  }
  reader.join();
  EXPECT_GE(runs, 2);
  TrailOptimize();
  const std::vector<TrailPoint> trail = FullTrail();
  OlcOptimizer alone;
  alone.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
  std::uint32_t distance = 0;
  ASSERT_TRUE(OlcResult(distance, nullptr));
  EXPECT_EQ(distance, alone.ResultDistance());
  EXPECT_GT(distance, 0u);
}
