#include "cumulor/nav/polar/glide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cumulor/nav/polar/polar.h"
#include "cumulor/nav/polar/time_text.h"

namespace cumulor {
namespace {

constexpr double kPi = 3.141592653589793;

void SetWind(FlightState& fs, int fromDegrees, int kmh) {
  SetFlightParameter(fs, kParamWindDirection, fromDegrees);
  SetFlightParameter(fs, kParamWindSpeed, kmh);
  ComputePolar(fs);
}

TEST(Glide, HeadwindFoldsTheAngle) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetWind(fs, 350, 36);                                                            // 10 m/s from 350
  EXPECT_NEAR(Headwind(fs, 10 * kPi / 180), 10 * std::cos(20 * kPi / 180), 1e-9);  // across north
  EXPECT_NEAR(Headwind(fs, 170 * kPi / 180), -10.0, 1e-9);                         // pure tailwind
  EXPECT_NEAR(Headwind(fs, 260 * kPi / 180), 0.0, 1e-9);
}

TEST(Glide, LossAndTimeWithAndWithoutWind) {
  FlightState fs;
  FlightStateDefaults(fs);  // MacCready 0: 27.68 m/s, -0.688 m/s
  EXPECT_EQ(GlideAltitudeLoss(fs, 10000, 0.0), static_cast<std::int32_t>(10000 * -fs.sinkNow / fs.stfSpeedNow));
  EXPECT_NEAR(GlideAltitudeLoss(fs, 10000, 0.0), 248, 1);
  EXPECT_NEAR(static_cast<double>(TimeToFlyDistance(fs, 10000, 0.0)), 10000 / fs.stfSpeedNow * 1e7, 1.0);
  EXPECT_EQ(TimeToFlyDistanceAtSpeed(fs, 1000, 0.0, 10.0), 1000000000);

  SetWind(fs, 0, 36);  // 10 m/s on the nose when flying north
  EXPECT_GT(GlideAltitudeLoss(fs, 10000, 0.0), 248);
  EXPECT_NEAR(static_cast<double>(TimeToFlyDistance(fs, 10000, 0.0)), 10000 / (fs.stfSpeedNow - 10) * 1e7, 1.0);

  // A headwind as strong as the airspeed or stronger: no time, no loss that could be flown.
  SetWind(fs, 0, 200);
  EXPECT_EQ(TimeToFlyDistance(fs, 10000, 0.0), kCannotFlyTime);
  EXPECT_EQ(GlideAltitudeLoss(fs, 10000, 0.0), kCannotFlyAltitude);
  EXPECT_EQ(TimeToFlyDistanceAtSpeed(fs, 10000, 0.0, 200 / 3.6), kCannotFlyTime);  // exactly equal
  EXPECT_GT(TimeToFlyDistance(fs, 10000, kPi), 0);                                 // with the wind behind it is fine
}

TEST(Glide, TheCannotFlyTimeIsNeverAndShowsAsDashes) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetWind(fs, 0, 200);
  // Not a time that a long but real leg could take (10 s was one).
  EXPECT_GT(TimeToFlyDistance(fs, 1, 0.0), std::int64_t{10000} * 365 * 86400 * 10000000);
  const SYSTEMTIME noon{2026, 6, 1, 1, 12, 0, 0, 0};
  const SYSTEMTIME late{2026, 6, 1, 1, 23, 50, 30, 0};
  constexpr std::int64_t kMinute = 60LL * 10000000;
  struct Case {
    std::int64_t time;
    const SYSTEMTIME& now;
    std::u16string toFly, arrival;
  } cases[] = {
      {kCannotFlyTime, noon, u"--:--", u"--:--"},
      {TimeToFlyDistance(fs, 10000, 0.0), noon, u"--:--", u"--:--"},
      {90 * kMinute + 59 * 10000000, noon, u"1.30", u"13:30"},
      {20 * kMinute, late, u"0.20", u"00:10"},
      {0, late, u"0.00", u"23:50"},
      {-5 * kMinute, noon, u"0.00", u"12:00"},
      {30 * 60 * kMinute, noon, u"30.00", u"18:00"},
  };
  for (const Case& c : cases) {
    WCHAR text[kTimeTextSize];
    FormatTimeToFlyText(c.time, text);
    EXPECT_EQ(std::u16string(text), c.toFly) << c.time;
    FormatArrivalText(c.time, c.now, text);
    EXPECT_EQ(std::u16string(text), c.arrival) << c.time;
  }
}

TEST(Glide, AltitudeBalance) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamAltitude, 1500);
  SetFlightParameter(fs, kParamQnhOffset, 30);
  EXPECT_EQ(AltitudeBalance(fs, 400, 100), 1500 - 200 - 400 - 100 + 30);
  // Beyond the int range the balance stops at its ends.
  EXPECT_EQ(AltitudeBalance(fs, INT32_MIN, INT32_MIN), INT32_MAX);
  EXPECT_EQ(AltitudeBalance(fs, INT32_MAX, INT32_MAX), INT32_MIN);
}

TEST(FinalGlide, RequiredAndArrivalAltitudes) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamAltitude, 2000);
  const std::uint32_t distance = 20000;
  std::int32_t losses[4];
  for (int k = 0; k < 4; ++k) losses[k] = static_cast<std::int32_t>(-(distance * fs.stfSink[k]) / fs.stfSpeed[k]);

  fs.requiredAltitudeMode = true;
  std::int32_t r[5] = {0, 0, 0, 0, 0};
  EXPECT_EQ(FinalGlideCalc(fs, 300, distance, 0.0, r, false), 1);
  EXPECT_EQ(r[0], 0);  // MacCready 0 loses least
  for (int k = 0; k < 4; ++k) EXPECT_EQ(r[1 + k], (200 + losses[k] + 300) / 10 * 10) << k;

  // Feet: x 32808 / 100000, in tens.
  EXPECT_EQ(FinalGlideCalc(fs, 300, distance, 0.0, r, true), 1);
  EXPECT_EQ(r[1], static_cast<std::int32_t>((200LL + losses[0] + 300) * 32808 / 100000 * 10));

  fs.requiredAltitudeMode = false;
  EXPECT_EQ(FinalGlideCalc(fs, 300, distance, 0.0, r, false), 1);
  EXPECT_EQ(r[1], (2000 - 200 - losses[0] - 300) / 10 * 10);

  // The single-value request with a light wind.
  SetWind(fs, 90, 20);
  r[0] = 1;
  EXPECT_EQ(FinalGlideCalc(fs, 300, distance, 0.0, r, false), 1);
  EXPECT_EQ(r[0], 0);
  EXPECT_NE(r[1], 0);
}

TEST(FinalGlide, LegsAgainstAStormAreMarked) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamAltitude, 2000);
  SetWind(fs, 0, 130);  // 36 m/s: stronger than the MacCready 0 and 1 speeds, weaker than 3
  ASSERT_LT(fs.stfSpeed[0], 36.2);
  ASSERT_GT(fs.stfSpeed[3], 36.2);
  for (bool required : {true, false}) {
    fs.requiredAltitudeMode = required;
    std::int32_t r[5] = {0, 0, 0, 0, 0};
    FinalGlideCalc(fs, 0, 20000, 0.0, r, false);
    EXPECT_EQ(r[1], required ? 9999999 : -9999999);
    EXPECT_NE(std::abs(r[4]), 9999999);
    EXPECT_GE(r[0], 2);  // the lowest finite loss is at a higher MacCready
  }
}

}  // namespace
}  // namespace cumulor
