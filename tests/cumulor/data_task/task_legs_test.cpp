#include <cmath>
#include <string>

#include "cumulor/data/task/task_legs.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"
#include "task_fixture.h"

namespace cumulor {
namespace {

std::int32_t variation = 0;
bool headwind = false;  // every leg after the first cannot be flown

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; *text != 0; ++text) out += static_cast<char>(*text);
  return out;
}

GeoPoint North(const GeoPoint& from, std::uint32_t metres) {
  GeoPoint out;
  GeoDestination(from.lon, from.lat, metres, 0, out);
  return out;
}

class LegTest : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    variation = 0;
    headwind = false;
    TaskPageSlot() = 0;
    TaskLegs().SetSize(0);
    DirectLegs().SetSize(0);
    // 10 m/s: one metre takes 1,000,000 units.
    TaskHooksInstalled().etaCompute = [](std::int64_t& time, std::uint32_t distance, double course) {
      time = headwind && course > 1.0 && course < 2.0 ? kCannotFlyTime : static_cast<std::int64_t>(distance) * 1000000;
      return 1;
    };
    TaskHooksInstalled().magneticVariation = [] { return variation; };
    Recorder().own = base_;
  }
  const GeoPoint base_{36000 * 10, 36000 * 45};
};

TEST_F(LegTest, CylinderStartAndFinishShortenTheirLegsNotBelowZero) {
  struct Case {
    int startType;
    int finishType;
    std::uint32_t firstLeg;
    std::uint32_t lastLeg;
    std::uint32_t wantFirst;
    std::uint32_t wantLast;
  } cases[] = {
      {kGateCylinder, kGateLine, 600, 5000, 0, 5000},     // start width 1000 swallows the leg
      {kGateTwoStarts, kGateLine, 3000, 5000, 2000, 5000},
      {kGateLine, kGateCylinder, 3000, 800, 3000, 0},       // finish width 1000
      {kGateLine, kGateCylinder, 3000, 4000, 3000, 3000},
      {kGateLine, kGateLine, 3000, 4000, 3000, 4000},
  };
  for (const Case& c : cases) {
    ClearAllTasks();
    Rules().rule[kRuleStart].type = c.startType;
    Rules().rule[kRuleFinish].type = c.finishType;
    const GeoPoint p0 = North(base_, 1000);
    const GeoPoint p1 = North(p0, c.firstLeg);
    const GeoPoint p2 = North(p1, c.lastLeg);
    ActiveTask().Append(AddPoint("S", p0));
    ActiveTask().Append(AddPoint("T", p1));
    ActiveTask().Append(AddPoint("F", p2));
    RecomputeTaskLegs();
    ASSERT_EQ(TaskLegs().Size(), 3);
    const LegRecord* legs = TaskLegs().Data();
    EXPECT_NEAR(legs[0].legDistance, 1000, 5);  // from the own position
    EXPECT_NEAR(legs[1].legDistance, c.wantFirst, 5) << c.startType;
    EXPECT_NEAR(legs[2].legDistance, c.wantLast, 5) << c.finishType;
    EXPECT_EQ(legs[2].taskDistance, legs[0].legDistance + legs[1].legDistance + legs[2].legDistance);
    EXPECT_EQ(legs[2].taskTime, static_cast<std::int64_t>(legs[2].taskDistance) * 1000000);
  }
}

TEST_F(LegTest, CoursesAndTexts) {
  struct Case {
    double course;
    std::int32_t variation;
    std::int32_t trueCourse;
    std::int32_t magnetic;
  } cases[] = {{355, 10, 355, 5}, {10, -20, 10, 350}, {90.4, 0, 90, 90}, {90.6, 3, 91, 94}};
  for (const Case& c : cases) {
    ClearAllTasks();
    variation = c.variation;
    GeoPoint to;
    GeoDestination(base_.lon, base_.lat, 20000, -c.course * M_PI / 180, to);
    ActiveTask().Append(AddPoint("P", to));
    RecomputeTaskLegs();
    ASSERT_EQ(TaskLegs().Size(), 1);
    EXPECT_EQ(TaskLegs()[0].trueCourse, c.trueCourse) << c.course;
    EXPECT_EQ(TaskLegs()[0].magneticCourse, c.magnetic) << c.course;
  }
  // 20 km at 10 m/s: 33 minutes 20 seconds.
  WCHAR text[kTimeTextSize];
  GetTaskEteText(text);
  EXPECT_EQ(Narrow(text), "0.33");
  GetNextPointEtaText(text);
  EXPECT_EQ(Narrow(text).size(), 5u);
  EXPECT_EQ(Narrow(text)[2], ':');
}

TEST_F(LegTest, TextsWithoutATaskComeFromTheDirectLegOrShowNoValue) {
  RecomputeTaskLegs();
  WCHAR text[kTimeTextSize];
  for (auto get : {GetTaskEtaText, GetNextPointEtaText, GetTaskEteText, GetNextPointEteText}) {
    get(text);
    EXPECT_EQ(Narrow(text), "-.-");
  }
  GotoPoint(AddPoint("D", North(base_, 36100)));  // just over an hour at 10 m/s
  RecomputeTaskLegs();
  GetTaskEteText(text);
  EXPECT_EQ(Narrow(text), "1.00");
  GetNextPointEteText(text);
  EXPECT_EQ(Narrow(text), "1.00");
}

TEST_F(LegTest, ALegThatCannotBeFlownMakesTheTaskTimeNever) {
  headwind = true;
  const GeoPoint p0 = North(base_, 1000);
  GeoPoint p1;
  GeoDestination(p0.lon, p0.lat, 5000, -M_PI / 2, p1);  // eastbound: cannot be flown
  ActiveTask().Append(AddPoint("A", p0));
  ActiveTask().Append(AddPoint("B", p1));
  ActiveTask().Append(AddPoint("C", North(p1, 5000)));
  RecomputeTaskLegs();
  EXPECT_EQ(TaskLegs()[1].legTime, kCannotFlyTime);
  EXPECT_EQ(TaskLegs()[2].taskTime, kCannotFlyTime);  // no overflow past the never leg
  EXPECT_EQ(TaskLegs()[2].arrivalTime, kCannotFlyTime);
  WCHAR text[kTimeTextSize];
  GetTaskEtaText(text);
  EXPECT_EQ(Narrow(text), "--:--");
  GetNextPointEteText(text);
  EXPECT_NE(Narrow(text), "--:--");
}

TEST_F(LegTest, AStalePointStopsTheLegsAndEverySlotKeepsItsPoints) {
  const TaskPoint a = AddPoint("A", North(base_, 1000));
  const TaskPoint b = AddPoint("B", North(base_, 2000));
  TaskPoint stale = b;
  stale.index = 50;
  ActiveTask().Append(a);
  ActiveTask().Append(stale);
  ActiveTask().Append(b);
  for (int s = 1; s < kTaskSlotCount; ++s) Tasks().slot[s].Append(a);
  EXPECT_FALSE(ComputeLegs(ActiveTask(), TaskLegs(), true));
  ASSERT_EQ(TaskLegs().Size(), 3);
  EXPECT_GT(TaskLegs()[0].legDistance, 0u);
  EXPECT_EQ(TaskLegs()[1].legDistance, 0u);
  EXPECT_EQ(TaskLegs()[2].legDistance, 0u);
  EXPECT_EQ(TaskLegs()[2].taskTime, 0);
  EXPECT_EQ(ActiveTask().Size(), 3);
  for (int s = 1; s < kTaskSlotCount; ++s) EXPECT_EQ(Tasks().slot[s].Size(), 1) << s;
}

TEST_F(LegTest, OtherSlotsStartAtTheirFirstPointAndThePageUsesTheEllipsoid) {
  const GeoPoint p0 = North(base_, 5000);
  const GeoPoint p1 = North(p0, 30000);
  ActiveTask().Append(AddPoint("A", p0));
  ActiveTask().Append(AddPoint("B", p1));
  DynArray<LegRecord> legs;
  ASSERT_TRUE(ComputeLegs(ActiveTask(), legs, false));
  EXPECT_EQ(legs[0].legDistance, 0u);
  EXPECT_EQ(legs[0].legTime, 0);
  EXPECT_EQ(legs[1].taskDistance, GeoDistance(p0, p1));
  ASSERT_TRUE(ComputeLegs(ActiveTask(), legs, true, LegStyle::kTaskPage));
  EXPECT_EQ(legs[0].legDistance, 0u);  // the first row's distances are 0 on the page
  EXPECT_NEAR(static_cast<double>(legs[0].legTime), GeoDistance(base_, p0) * 1e6, 2e7);
  EXPECT_EQ(legs[1].legDistance, GeoDistanceEllipsoid(p0, p1));
  EXPECT_EQ(legs[1].taskDistance, legs[1].legDistance);
}

}  // namespace
}  // namespace cumulor
