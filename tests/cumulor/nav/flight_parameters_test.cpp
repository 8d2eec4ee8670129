#include <gtest/gtest.h>

#include "cumulor/nav/polar/altimeter.h"
#include "cumulor/nav/polar/parameter_spin.h"
#include "cumulor/nav/polar/polar.h"
#include "dialog_capture.h"

namespace cumulor {
namespace {

using testing::DialogCapture;
using testing::FakeDialog;

TEST(FlightParameters, GetAndSetById) {
  FlightState fs;
  FlightStateDefaults(fs);
  EXPECT_EQ(GetFlightParameter(fs, kParamBugs), 100);
  EXPECT_EQ(GetFlightParameter(fs, kParamSafetyMargin), 200);
  EXPECT_EQ(GetFlightParameter(fs, kParamAltitude), kAltitudeUnknown);
  EXPECT_EQ(GetFlightParameter(fs, 4242), -1);
  EXPECT_EQ(GetFlightParameter(fs, kParamSetQnhHpa), -1);

  SetFlightParameter(fs, kParamBugs, 101);  // ignored
  SetFlightParameter(fs, kParamBugs, -1);
  EXPECT_EQ(GetFlightParameter(fs, kParamBugs), 100);
  SetFlightParameter(fs, kParamWaterFill, 57);
  EXPECT_EQ(fs.waterFill, 5);
  EXPECT_EQ(GetFlightParameter(fs, kParamWaterFill), 50);
  SetFlightParameter(fs, kParamSpeed2, 9);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed2), 15);
  SetFlightParameter(fs, kParamMacCready, 25);
  EXPECT_DOUBLE_EQ(fs.macCready, 2.5);
  EXPECT_EQ(GetFlightParameter(fs, kParamMacCready), 25);
  SetFlightParameter(fs, kParamWindSpeed, 36);
  EXPECT_DOUBLE_EQ(fs.windSpeedMs, 10.0);

  SetFlightParameter(fs, kParamSetQnhHpa, 1023);
  EXPECT_EQ(fs.qnhOffset, static_cast<std::int32_t>((1023 - 1013.25) * 8.3275));
  SetFlightParameter(fs, kParamSetAltitudeQnh, 1000);
  EXPECT_EQ(fs.altitude, 1000 - fs.qnhOffset);
  EXPECT_EQ(GetFlightParameter(fs, kParamQnhAltitude), 1000);
  EXPECT_EQ(GetFlightParameter(fs, kParamQnhHpa),
            static_cast<std::int32_t>(101325 + fs.qnhOffset * 100 * 0.12008405884118882));
  SetFlightParameter(fs, kParamQnhHpa, 5);  // read-only
  EXPECT_EQ(GetFlightParameter(fs, kParamQnhAltitude), 1000);
}

TEST(FlightParameters, ExtremeStoredValuesSaturateInsteadOfOverflowing) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamSetQnhHpa, INT32_MAX);
  EXPECT_EQ(fs.qnhOffset, INT32_MAX);
  EXPECT_EQ(GetFlightParameter(fs, kParamQnhHpa), INT32_MAX);
  SetFlightParameter(fs, kParamAltitude, 1000);
  EXPECT_EQ(GetFlightParameter(fs, kParamQnhAltitude), INT32_MAX);
  SetFlightParameter(fs, kParamSetQnhHpa, INT32_MIN);
  EXPECT_EQ(fs.qnhOffset, INT32_MIN);
  SetFlightParameter(fs, kParamSetAltitudeQnh, INT32_MAX);
  EXPECT_EQ(fs.altitude, INT32_MAX);
  EXPECT_EQ(std::u16string(FormatQneText(fs, INT32_MAX)).substr(0, 7), u"QNE FL ");
  SetFlightParameter(fs, kParamQnhOffset, INT32_MAX);
  EXPECT_EQ(UpdateAltimeterReading(fs), INT32_MAX);
  // The spin buttons stop at the ends of the range.
  DialogCapture shown;
  SetFlightParameter(fs, kParamMass, INT32_MAX);
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamMass, true), INT32_MAX);
  SetFlightParameter(fs, kParamWindSpeed, INT32_MAX);
  fs.windInKnots = true;
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamWindSpeed, true), static_cast<std::int32_t>(INT32_MAX * 54LL / 100));
  IncrementFlightParameter(fs, FakeDialog(), kParamQnhAltitude, true);
  EXPECT_EQ(fs.qnhOffset, INT32_MAX);
  SetFlightParameter(fs, kParamSink1, INT32_MIN);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamSink1, true), INT32_MIN);
}

TEST(FlightParameters, SpinButtonsClampWrapAndShow) {
  DialogCapture shown;
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamBugs, 95);
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamBugs, true), 100);
  SetFlightParameter(fs, kParamBugs, 80);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamBugs, true), 75);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamBugs, false), 75);
  EXPECT_EQ(shown[kParamBugs], u"75");

  SetFlightParameter(fs, kParamWindDirection, 355);
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamWindDirection, false), 0);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamWindDirection, false), 355);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamWindDirection, true), 325);
  EXPECT_NEAR(fs.windDirectionRad, 325 * 0.01745329251994328, 1e-12);

  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamWindSpeed, false), 0);
  fs.windInKnots = true;
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamWindSpeed, true), 19 * 54 / 100);
  EXPECT_EQ(fs.windSpeed, 19);

  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamWaterFill, true), 20);
  EXPECT_EQ(shown[kParamWaterFill], u"20");
  SetFlightParameter(fs, kParamMass, 55);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamMass, true), 50);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamWater, true), 0);
}

TEST(FlightParameters, PolarPointsShowTheirGlideRatio) {
  DialogCapture shown;
  FlightState fs;
  FlightStateDefaults(fs);  // 100 km/h at -0.69 m/s
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamSpeed1, false), 101);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamSpeed1, false), 100);
  EXPECT_EQ(shown[kParamGlide1], u"40.25");
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamSink2, true), -190);
  EXPECT_EQ(shown[kParamSink2], u"-1.90");
  // A sink stepped to zero shows a glide ratio of 0, not a division by zero.
  SetFlightParameter(fs, kParamSink3, -1);
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamSink3, false), 0);
  EXPECT_EQ(shown[kParamGlide3], u"0.00");
  EXPECT_EQ(PointGlideRatio100(100, 0), 0);
  EXPECT_EQ(PointGlideRatio100(100, -69), 4025);
  SetFlightParameter(fs, kParamSpeed3, 15);
  EXPECT_EQ(DecrementFlightParameter(fs, FakeDialog(), kParamSpeed3, true), 15);
}

TEST(FlightParameters, HundredthsText) {
  DialogCapture shown;
  struct Case {
    std::int32_t value;
    const char16_t* text;
  };
  for (const Case& c : {Case{101325, u"1013.25"}, Case{-50, u"-0.50"}, Case{0, u"0.00"}, Case{-101, u"-1.01"},
                        Case{-2147483647 - 1, u"-21474836.48"}}) {
    SetDlgItemHundredths(FakeDialog(), 7, c.value);
    EXPECT_EQ(shown[7], c.text);
  }
}

TEST(Altimeter, QnhEntryAndFlightLevel) {
  DialogCapture shown;
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamAltitude, 1000);
  AdjustQnh(fs, FakeDialog(), 1.0f);
  EXPECT_EQ(fs.qnhModeHpa, 1);
  EXPECT_EQ(shown[kParamQnhHpa], u"1014");
  EXPECT_EQ(shown[kParamQnhInHg], u"29.95");
  EXPECT_EQ(fs.dialogOffset, 8);  // 8.3275 rounded
  EXPECT_EQ(fs.altimeterReading, 1000 - 8);
  EXPECT_EQ(shown[kParamQneText], u"QNE FL 32.54");  // 992 m = 3254 ft

  AdjustQnhInHg(fs, FakeDialog(), -0.05f);
  EXPECT_EQ(fs.qnhModeHpa, 0);
  EXPECT_NEAR(fs.qnhInHg, 29.8995, 0.001);  // 29.9495 from the hPa step, less 0.05
  EXPECT_NEAR(fs.qnhHpa, 1013.0 + (fs.qnhInHg - 29.92) * 282.01334 * 0.120084055, 0.001);

  fs.altitudeInFeet = true;
  EXPECT_EQ(ResetQnh(fs, FakeDialog()), 1000 * 32808 / 10000);
  EXPECT_EQ(fs.dialogOffset, 0);
  EXPECT_EQ(shown[kParamQnhHpa], u"1013");

  EXPECT_EQ(std::u16string(FormatQneText(fs, 1000)), u"QNE FL 32.80");
  // With the recorder's altitude in use the logger error is shown too.
  fs.gpsLoggerAltitude = true;
  SetFlightParameter(fs, kParamQnhOffset, 20);
  AdjustQnh(fs, FakeDialog(), 0.0f);
  EXPECT_TRUE(fs.loggerErrorFlag);
  EXPECT_EQ(fs.loggerError, 0 - 20);
  EXPECT_EQ(fs.altimeterReading, 1000 + 20 + 20);
  EXPECT_EQ(shown[kParamQneText].rfind(u"QNE FL 34.1", 0), 0u);
  EXPECT_NE(shown[kParamQneText].find(u"; Loger Error:-20"), std::u16string::npos);
}

TEST(Altimeter, QnhAltitudeSpinFollowsTheEntryMode) {
  DialogCapture shown;
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamAltitude, 500);
  EXPECT_EQ(IncrementFlightParameter(fs, FakeDialog(), kParamQnhAltitude, true), 525);
  EXPECT_EQ(fs.qnhOffset, 25);
  EXPECT_NEAR(fs.qnhHpa, 1013.0 + 25 / 8.3275, 0.01);
  EXPECT_EQ(fs.dialogOffset, 25);
}

}  // namespace
}  // namespace cumulor
