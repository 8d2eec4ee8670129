#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <vector>

#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/olc/olc_optimizer.h"
#include "cumulor/nav/replay/igc_flight_reader.h"
#include "platform/testing/device_test.h"
#include "tests/testdata.h"

using namespace cumulor;

namespace {

// Points on one meridian. 3234 units of latitude are 10000.2 m on the sphere, so that sums of up
// to four such steps truncate to whole multiples of 10000 m.
constexpr std::int32_t kTenKm = 3234;
GeoPoint North(std::int32_t units) { return GeoPoint{36000 * 11, 36000 * 47 + units}; }

// The best route value by trying every route, written from the rules: a route of m legs ending at
// candidate k comes from a candidate j (1 <= j < k); its last leg counts the distance j -> k, 8/10
// of it as the fifth leg and 6/10 as the sixth (truncated); the first leg runs from candidate 0;
// an m-leg route (m >= 2) ending at candidate 0 or 1 is worth 0.
std::uint32_t Exhaustive(const OlcOptimizer& o, std::int32_t m, std::int32_t k) {
  if (m == 1) return k == 0 ? 0 : o.Distance(0, k);
  if (k < 2) return 0;
  std::uint32_t best = 0;
  for (std::int32_t j = 1; j < k; ++j) {
    std::uint64_t leg = o.Distance(j, k);
    if (m == 5) leg = leg * 8 / 10;
    if (m == 6) leg = leg * 6 / 10;
    best = std::max<std::uint32_t>(best, static_cast<std::uint32_t>(leg) + Exhaustive(o, m - 1, j));
  }
  return best;
}

// The value of the route the optimiser gave (candidate indexes, end first), leg by leg.
std::uint32_t RouteValue(const OlcOptimizer& o, const std::vector<std::int32_t>& route) {
  const std::int32_t legs = static_cast<std::int32_t>(route.size()) - 1;
  std::uint32_t total = 0;
  for (std::int32_t m = legs; m >= 1; --m) {
    const std::int32_t to = route[static_cast<std::size_t>(legs - m)];
    const std::int32_t from = route[static_cast<std::size_t>(legs - m + 1)];
    if (m >= 2 && to < 2) break;  // the rest of the route counts nothing
    std::uint64_t leg = from == to ? 0 : o.Distance(from, to);
    if (m == 5) leg = leg * 8 / 10;
    if (m == 6) leg = leg * 6 / 10;
    total += static_cast<std::uint32_t>(leg);
  }
  return total;
}

std::vector<TrailPoint> RandomTrail(std::mt19937& rng, int candidates) {
  std::uniform_int_distribution<std::int32_t> step(-36000 / 4, 36000 / 4);  // +-0.25 degree
  std::vector<TrailPoint> trail;
  GeoPoint at{36000 * 10, 36000 * 46};
  for (int i = 0; i < candidates; ++i) {
    TrailPoint p;
    p.position = at;
    p.rank = 300;
    trail.push_back(p);
    at.lon += step(rng);
    at.lat += step(rng);
  }
  trail.push_back(trail.back());  // the last trail point is never taken
  return trail;
}

// Checks the optimiser against the exhaustive search on one candidate set, in both leg counts.
void ExpectExhaustive(const std::vector<TrailPoint>& trail, const std::string& what) {
  for (int legs : {4, 6}) {
    OlcOptimizer o;
    o.SetLegCount(legs);
    o.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
    const std::int32_t e = o.CandidateCount() - 1;
    ASSERT_GE(e, 0);
    std::uint32_t expected = Exhaustive(o, 4, e);
    std::size_t routeLegs = 4;
    if (legs == 6 && Exhaustive(o, 6, e) >= expected) {
      expected = Exhaustive(o, 6, e);
      routeLegs = 6;
    }
    SCOPED_TRACE(testing::Message() << what << ", " << o.CandidateCount() << " candidates, " << legs << " legs");
    EXPECT_EQ(o.ResultDistance(), expected);
    ASSERT_EQ(o.ResultIndexes().size(), routeLegs + 1);
    EXPECT_EQ(o.ResultIndexes().front(), e);
    EXPECT_EQ(o.ResultIndexes().back(), 0);
    EXPECT_EQ(RouteValue(o, o.ResultIndexes()), expected);
  }
}

}  // namespace

TEST(OlcOptimizer, StraightLineKeepsTheLowestPredecessors) {
  std::vector<TrailPoint> trail;
  for (int i = 0; i < 6; ++i) trail.push_back(TrailPoint{North(i * kTenKm), 0, 0, 1000});
  trail.push_back(trail.back());
  OlcOptimizer o;
  o.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
  ASSERT_EQ(o.CandidateCount(), 6);
  EXPECT_EQ(o.ResultIndexes(), (std::vector<std::int32_t>{5, 3, 2, 1, 0}));
  EXPECT_EQ(o.ResultDistance(), 50000u);
  EXPECT_EQ(RouteValue(o, o.ResultIndexes()), 50000u);
}

TEST(OlcOptimizer, OnlyFirstAndRankedPointsBecomeCandidates) {
  std::vector<TrailPoint> trail = {{North(0), 0, 0, 0},    {North(100), 0, 0, 250}, {North(200), 0, 0, 251},
                                   {North(300), 0, 0, 100}, {North(400), 0, 0, 30000}, {North(500), 0, 0, 30000}};
  OlcOptimizer o;
  o.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
  ASSERT_EQ(o.CandidateCount(), 3);
  EXPECT_EQ(o.CandidatePosition(1), North(200));
  EXPECT_EQ(o.CandidatePosition(2), North(400));
}

TEST(OlcOptimizer, EqualsExhaustiveSearchOnRandomSets) {
  for (std::uint32_t seed : {1u, 7u, 42u, 1234u, 99991u}) {
    std::mt19937 rng(seed);
    for (int n = 3; n <= 12; ++n) ExpectExhaustive(RandomTrail(rng, n), "seed " + std::to_string(seed));
  }
}

class OlcRealFlights : public ce::testing::DeviceTest {};

// Each real flight thinned to 12 candidates spread evenly over its fixes.
TEST_F(OlcRealFlights, EqualsExhaustiveSearchOnThinnedFlights) {
  const std::filesystem::path flights = test_data::Folder("igc");
  SKIP_WITHOUT_TEST_DATA(flights);
  const std::filesystem::path docs = device_folder() / "root" / "My Documents";
  std::filesystem::create_directories(docs);
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(flights)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext != ".igc") continue;
    std::filesystem::create_symlink(entry.path(), docs / entry.path().filename());  // linked, not copied
    const std::u16string path = u"\\My Documents\\" + entry.path().filename().u16string();
    DynArray<GpsFix> fixes;
    FlightInfo info;
    if (ReadIgcFlight(path.c_str(), fixes, info) != 1 || fixes.Size() < 24) continue;
    std::vector<TrailPoint> trail;
    for (std::int32_t i = 0; i < 12; ++i) trail.push_back(TrailPoint{fixes[i * (fixes.Size() - 1) / 11].position, 0, 0, 1000});
    trail.push_back(trail.back());
    ExpectExhaustive(trail, entry.path().filename().string());
    ++read;
  }
  EXPECT_GE(read, 5);
}

TEST(OlcOptimizer, LateLegsAreWeighted) {
  // Eight candidates 10 km apart on a line: in six-leg mode the fifth and sixth legs count 8/10
  // and 6/10, so the best six-leg route (50 + 8 + 6 = 64 km) stays below four legs (70 km), which
  // are then the result.
  std::vector<TrailPoint> trail;
  for (int i = 0; i < 8; ++i) trail.push_back(TrailPoint{North(i * kTenKm), 0, 0, 1000});
  trail.push_back(trail.back());
  OlcOptimizer o;
  o.SetLegCount(6);
  o.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
  const std::uint32_t leg = o.Distance(6, 7);
  EXPECT_EQ(o.Entry(6, 7).best, o.Entry(5, 6).best + leg * 6 / 10);
  EXPECT_EQ(o.Entry(5, 6).best, o.Entry(4, 5).best + o.Distance(5, 6) * 8 / 10);
  // The four-leg route is longer, so it is the result.
  EXPECT_LT(o.Entry(6, 7).best, o.Entry(4, 7).best);
  EXPECT_EQ(o.ResultIndexes().size(), 5u);
  EXPECT_EQ(o.ResultDistance(), o.Entry(4, 7).best);
}

TEST(OlcOptimizer, LiveStepSkipsClosePointsAndEndsAtTheTarget) {
  OlcOptimizer o;
  const TaskPoint none;
  o.AddLiveFix(North(0), none, false, {});
  o.AddLiveFix(North(32), none, false, {});  // about 99 m: ignored
  EXPECT_EQ(o.CandidateCount(), 1);
  o.AddLiveFix(North(33), none, false, {});  // about 102 m
  EXPECT_EQ(o.CandidateCount(), 2);

  // With a target each step keeps it as the provisional last candidate.
  TaskPoint target;
  target.kind = 4;
  target.index = 1;
  const GeoPoint far = North(20 * kTenKm);
  for (int i = 2; i <= 6; ++i) o.AddLiveFix(North(i * kTenKm), target, true, far);
  ASSERT_EQ(o.CandidateCount(), 8);  // six live points and the target
  EXPECT_TRUE(o.LiveTargetPresent());
  EXPECT_EQ(o.CandidatePosition(7), far);
  for (std::int32_t j = 0; j < 7; ++j) EXPECT_EQ(o.Distance(j, 7), GeoDistance(o.CandidatePosition(j), far));
  ASSERT_TRUE(o.HasResult());
  EXPECT_EQ(o.ResultRoute().front(), far);
  EXPECT_EQ(o.ResultDistance(), Exhaustive(o, 4, 7));

  // The next step replaces the provisional target; a new target gets its distances afresh.
  TaskPoint other = target;
  other.index = 2;
  const GeoPoint west{North(0).lon - 36000, North(0).lat};
  o.AddLiveFix(North(7 * kTenKm), other, true, west);
  ASSERT_EQ(o.CandidateCount(), 9);
  EXPECT_EQ(o.CandidatePosition(7), North(7 * kTenKm));
  for (std::int32_t j = 0; j < 8; ++j) EXPECT_EQ(o.Distance(j, 8), GeoDistance(o.CandidatePosition(j), west));
  EXPECT_EQ(o.ResultDistance(), Exhaustive(o, 4, 8));
}
