#include <cmath>

#include "cumulor/nav/geo/geodesy.h"
#include "task_fixture.h"

namespace cumulor {
namespace {

constexpr double kDeg = M_PI / 180;

// The point `distance` metres from `from` at the compass course (degrees).
GeoPoint Toward(const GeoPoint& from, double course, std::uint32_t distance) {
  GeoPoint out;
  GeoDestination(from.lon, from.lat, distance, -course * kDeg, out);
  return out;
}

double CourseDegrees(const GeoPoint& from, const GeoPoint& to) {
  double c = 0;
  GeoBearing(c, from, to);
  return c / kDeg;
}

class GateTest : public TaskTest {
 protected:
  const GeoPoint start_{36000 * 7, 36000 * 50};
  void NorthboundTask() {
    ActiveTask().Append(AddPoint("START", start_));
    ActiveTask().Append(AddPoint("TURN", Toward(start_, 0, 50000)));
  }
};

TEST_F(GateTest, LineAcrossTheFirstLegAndAlongTheBearing) {
  struct Case {
    int type;
    int bearing;
    int width;
    double end1Course;
    double end2Course;
    std::uint32_t half;
  } cases[] = {{kGateLine, 0, 1000, 90, 270, 500},
               {kGateBearingLine, 30, 1000, 30, 210, 500},
               {kGateLine, 0, 1001, 90, 270, 500},
               {kGateBearingLine, 200, 2000, 200, 20, 1000}};
  NorthboundTask();
  for (const Case& c : cases) {
    Rules().rule[kRuleStart].type = c.type;
    Rules().rule[kRuleStart].bearing = c.bearing;
    Rules().rule[kRuleStart].width = c.width;
    ComputeStartFinishGates();
    const Gate& g = StartGate();
    EXPECT_NEAR(g.bearing1 / kDeg, c.end1Course, 1e-6) << c.type << " " << c.bearing;
    EXPECT_NEAR(g.bearing2 / kDeg, c.end2Course, 1e-6) << c.type << " " << c.bearing;
    EXPECT_NEAR(GeoDistance(start_, g.end1), c.half, 5.0);  // positions are whole 0.1 arc-seconds
    EXPECT_NEAR(GeoDistance(start_, g.end2), c.half, 5.0);
    EXPECT_NEAR(CourseDegrees(start_, g.end1), c.end1Course, 1.0);
  }
}

TEST_F(GateTest, FinishLineAcrossTheLastLegAlsoWithOneActivePointLeft) {
  const TaskPoint a = AddPoint("A", start_);
  const GeoPoint eastPos = Toward(start_, 90, 40000);
  const TaskPoint east = AddPoint("EAST", eastPos);
  const TaskPoint finish = AddPoint("FIN", Toward(eastPos, 0, 40000));  // last leg northbound
  ActiveTask().Append(a);
  ActiveTask().Append(east);
  ActiveTask().Append(finish);
  ComputeStartFinishGates();
  EXPECT_NEAR(FinishGate().bearing1 / kDeg, 90, 0.5);
  EXPECT_NEAR(FinishGate().bearing2 / kDeg, 270, 0.5);
  FinishGate() = Gate{};
  AdvanceTask();
  AdvanceTask();  // only the finish is left: the point before it is the last one reached
  ComputeStartFinishGates();
  EXPECT_NEAR(FinishGate().bearing1 / kDeg, 90, 0.5);
  EXPECT_NEAR(FinishGate().bearing2 / kDeg, 270, 0.5);
  // The start gate still lies across the first leg (due east).
  EXPECT_NEAR(StartGate().bearing1 / kDeg, 180, 0.5);
}

TEST_F(GateTest, CrossingIsReportedOnTheThirdFixInRangeAndTheRecrossingAfterIt) {
  NorthboundTask();
  ComputeStartFinishGates();  // Line, 1000 m
  auto fix = [&](double course, std::uint32_t distance) {
    const GeoPoint own = Toward(start_, course, distance);
    return CheckStartLineCrossing(own, GeoDistance(own, start_), &start_);
  };
  // Far away, two fixes south of the line in range, then one just north of it.
  EXPECT_FALSE(fix(180, 5000));
  EXPECT_FALSE(fix(175, 450));
  EXPECT_FALSE(fix(170, 200));
  EXPECT_TRUE(fix(20, 100));

  // Only one fix south of the line within range: nothing.
  ResetStartLineChecks();
  EXPECT_FALSE(fix(180, 5000));
  EXPECT_FALSE(fix(175, 200));
  EXPECT_FALSE(fix(20, 100));
  EXPECT_FALSE(fix(20, 300));

  // Exactly along the line (90 degrees off) does not count.
  ResetStartLineChecks();
  EXPECT_FALSE(fix(180, 5000));
  EXPECT_FALSE(fix(175, 450));
  EXPECT_FALSE(fix(170, 200));
  EXPECT_FALSE(fix(90, 200));

  // Back south across the line: the first fix in range only clears the outside flag.
  auto back = [&](double course, std::uint32_t distance) {
    const GeoPoint own = Toward(start_, course, distance);
    return CheckStartLineRecrossing(own, GeoDistance(own, start_), &start_);
  };
  EXPECT_FALSE(back(0, 70000));
  EXPECT_FALSE(back(10, 20000));
  EXPECT_FALSE(back(20, 3000));
  EXPECT_TRUE(back(170, 2000));
  // Crossed back at once after coming in range: not reported on the first fix in range.
  ResetStartLineChecks();
  EXPECT_FALSE(back(170, 2000));
  EXPECT_FALSE(back(170, 1000));
}

TEST(RelativeDegrees, TruncatedAndBroughtIntoRange) {
  struct Case {
    double degrees;
    int rel;
  } cases[] = {{0, 0}, {89.9, 89}, {-0.5, 0}, {180, 180}, {181, -179}, {-180, 180}, {-179.5, -179}, {359, -1}, {-359, 1}};
  for (const Case& c : cases) EXPECT_EQ(RelativeDegrees(c.degrees * kDeg), c.rel) << c.degrees;
}

}  // namespace
}  // namespace cumulor
