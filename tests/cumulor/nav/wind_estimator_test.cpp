#include "cumulor/nav/wind/wind_estimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace cumulor {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kKnotsPerKmh = 1 / 1.852;

TEST(DetectCircling, TurnsAcrossNorthAndSteadyTurns) {
  std::uint8_t left = 9;
  TurnState a;
  a.lastTrack = 350;
  DetectCircling(a, 10, 1000, left);
  EXPECT_NEAR(a.signedTurn, 20.0 / 3, 1e-5);
  EXPECT_EQ(left, 0);
  TurnState b;
  b.lastTrack = 10;
  DetectCircling(b, 350, 1000, left);
  EXPECT_NEAR(b.signedTurn, -20.0 / 3, 1e-5);
  EXPECT_EQ(left, 1);

  TurnState straight;
  straight.lastTrack = 123;
  for (int i = 0; i < 100; ++i) EXPECT_EQ(DetectCircling(straight, 123, 1000, left), 0);

  // 10 degrees a fix at one fix a second: A = 10 (1 - (14/15)^n) passes 6 at the 14th fix.
  TurnState steady;
  for (int n = 1; n <= 20; ++n) {
    EXPECT_EQ(DetectCircling(steady, (n * 10) % 360, 1000, left), n >= 14 ? 1 : 0) << n;
  }
  // A negative interval counts as none: the absolute turn does not move.
  const double before = steady.absoluteTurn;
  DetectCircling(steady, 210, -5000, left);
  EXPECT_EQ(steady.absoluteTurn, before);
}

TEST(WindComponents, RoundTrip) {
  const WindComponents c = WindToComponents(10.0, 90.0);  // air moving east
  EXPECT_NEAR(c.x, 10.0, 1e-5);
  EXPECT_NEAR(c.y, 0.0, 1e-5);
  // The air moving north comes from the south.
  const WindVector w = WindFromComponents(0.0, 10.0);
  EXPECT_DOUBLE_EQ(w.speed, 10.0);
  EXPECT_EQ(w.direction, 180);
  EXPECT_EQ(WindFromComponents(-5.0, 0.0).direction, 90);
  EXPECT_EQ(WindFromComponents(0.0, -7.0).direction, 0);
  EXPECT_EQ(Interpolate(1.0, 2.0, 1000, 15000), static_cast<float>(1.0 + 2.0 / 15));
  EXPECT_EQ(Interpolate(1.0, 2.0, 15000, 15000), 3.0);
}

// A glider circling at constant airspeed and turn rate in a steady wind, one fix a second.
struct CirclingFlight {
  double airspeedKn;
  double windFromDeg;
  double windKmh;
  double turnDegPerSec;  // positive clockwise
  double headingDeg = 17.0;

  GpsFix NextFix() {
    headingDeg += turnDegPerSec;
    const double h = headingDeg * kPi / 180;
    const double towards = (windFromDeg + 180) * kPi / 180;
    const double windKn = windKmh * kKnotsPerKmh;
    const double gx = airspeedKn * std::sin(h) + windKn * std::sin(towards);
    const double gy = airspeedKn * std::cos(h) + windKn * std::cos(towards);
    GpsFix fix;
    fix.groundSpeed = static_cast<float>(std::sqrt(gx * gx + gy * gy));
    double track = std::atan2(gx, gy) * 180 / kPi;
    if (track < 0) track += 360;
    fix.track = static_cast<std::uint16_t>(std::lround(track) % 360);  // whole degrees, as received
    fix.pressureAltitude = 1200;
    return fix;
  }
};

struct Report {
  int fix;
  WindResult wind;
};

std::vector<Report> Fly(CirclingFlight flight, int fixes) {
  TurnState turn;
  WindEstimator est;
  std::vector<Report> reports;
  for (int i = 1; i <= fixes; ++i) {
    const GpsFix fix = flight.NextFix();
    std::uint8_t left = 0;
    const bool circling = DetectCircling(turn, fix.track, 1000, left) != 0;
    WindResult result;
    if (EstimateWind(est, circling, fix, result, 1000u + i, 1000)) reports.push_back({i, result});
  }
  return reports;
}

TEST(EstimateWind, FindsTheWindOfASyntheticCirclingFlight) {
  struct Case {
    double airspeedKn, windFrom, windKmh, turn;
  };
  // 20-second circles (18 degrees a second), both ways round, several winds and airspeeds.
  const Case cases[] = {
      {50, 270, 20, 18}, {50, 270, 20, -18}, {45, 45, 30, 18}, {60, 180, 10, -18}, {55, 333, 25, 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.windFrom << " deg " << c.windKmh << " km/h turn " << c.turn);
    const int fixesPerCircle = static_cast<int>(360 / std::fabs(c.turn));
    const std::vector<Report> reports =
        Fly(CirclingFlight{c.airspeedKn, c.windFrom, c.windKmh, c.turn}, 6 * fixesPerCircle);
    ASSERT_FALSE(reports.empty());
    // Circling is recognised within the first circle, and a wind is first reported after three
    // samplings twelve fixes apart: within two circles in all.
    EXPECT_LE(reports.front().fix, 2 * fixesPerCircle);
    // The smoothed wind starts from calm and is a running mean of the fits, and each report shows
    // the sample taken two samplings earlier, so the first reports still lag; from the third circle
    // on every report holds the wind.
    int checked = 0;
    for (const Report& r : reports) {
      EXPECT_GT(r.wind.speed, 0.0f);
      EXPECT_LE(r.wind.speed, c.windKmh + 2.0f);
      EXPECT_EQ(r.wind.pressureAltitude, 1200);
      EXPECT_EQ(r.wind.time, 1000u + r.fix);
      // The lag shortens the vector but does not turn it.
      EXPECT_NEAR(std::remainder(r.wind.direction - c.windFrom, 360.0), 0.0, 10.0) << "fix " << r.fix;
      if (r.fix <= 3 * fixesPerCircle) continue;
      ++checked;
      EXPECT_NEAR(r.wind.speed, c.windKmh, 2.0) << "fix " << r.fix;
    }
    EXPECT_GE(checked, 3 * fixesPerCircle - 1);
    // Once reporting, every further circling fix reports.
    EXPECT_EQ(reports.back().fix - reports.front().fix + 1, static_cast<int>(reports.size()));
  }
}

TEST(EstimateWind, StraightFlightReportsNone) {
  TurnState turn;
  turn.lastTrack = 90;
  WindEstimator est;
  for (int i = 0; i < 600; ++i) {
    GpsFix fix;
    fix.groundSpeed = 55.0f;
    fix.track = static_cast<std::uint16_t>(90 + (i % 3) - 1);  // a wobble of a degree
    std::uint8_t left = 0;
    const bool circling = DetectCircling(turn, fix.track, 1000, left) != 0;
    EXPECT_FALSE(circling);
    WindResult result;
    EXPECT_EQ(EstimateWind(est, circling, fix, result, i, 1000), 0);
  }
}

TEST(EstimateWind, ImplausibleCirclesLeaveTheWindUnchanged) {
  // 30 knots of airspeed is below 60 km/h: every fit is refused and the smoothed wind stays zero.
  const std::vector<Report> slow = Fly(CirclingFlight{30, 270, 20, 18}, 120);
  ASSERT_FALSE(slow.empty());
  for (const Report& r : slow) EXPECT_EQ(r.wind.speed, 0.0f);
  // So is 100 knots (above 180 km/h).
  for (const Report& r : Fly(CirclingFlight{100, 270, 20, 18}, 120)) EXPECT_EQ(r.wind.speed, 0.0f);
}

TEST(EstimateWind, LeavingTheCircleStopsReports) {
  TurnState turn;
  WindEstimator est;
  CirclingFlight flight{50, 270, 20, 18};
  int reports = 0;
  for (int i = 0; i < 120; ++i) {
    const GpsFix fix = flight.NextFix();
    std::uint8_t left = 0;
    WindResult result;
    reports += EstimateWind(est, DetectCircling(turn, fix.track, 1000, left) != 0, fix, result, i, 1000);
  }
  ASSERT_GT(reports, 0);
  GpsFix cruise;
  cruise.groundSpeed = 60.0f;
  cruise.track = 0;
  WindResult result;
  EXPECT_EQ(EstimateWind(est, false, cruise, result, 200, 1000), 0);
  EXPECT_EQ(est.estimateCounter, -1);
  // A stop (ground speed 0) while circling clears the vectors without a fit.
  cruise.groundSpeed = 0.0f;
  EstimateWind(est, true, cruise, result, 201, 1000);
  EXPECT_EQ(est.weightMs, 0);
  EXPECT_EQ(est.ring[0].x, 0.0);
}

}  // namespace
}  // namespace cumulor
