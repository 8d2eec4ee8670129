#include "cumulor/nav/polar/polar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/kernel/device_folder.h"

namespace cumulor {
namespace {

TEST(Polar, DefaultCoefficientsAndSpeedToFly) {
  FlightState fs;
  FlightStateDefaults(fs);
  EXPECT_NEAR(fs.a, -0.000502667, 1e-9);
  EXPECT_NEAR(fs.b, 0.0753533, 1e-7);
  EXPECT_NEAR(fs.c, -4.992667, 1e-6);
  // The curve passes through the three points (km/h over km/h).
  for (auto [v, w] : {std::pair{100.0, -0.69}, {175.0, -2.0}, {220.0, -3.54}}) {
    EXPECT_NEAR((fs.a * v + fs.b) * v + fs.c, w * 3.6, 1e-9);
  }
  EXPECT_NEAR(fs.stfSpeed[0] * 3.6, 99.66, 0.005);
  EXPECT_NEAR(fs.stfSpeed[0], 27.68, 0.005);
  EXPECT_NEAR(fs.stfSink[0], -0.688, 0.0005);
  EXPECT_EQ(fs.bestGlide100, 4025);
  EXPECT_NEAR(fs.stfSpeed[2] * 3.6, 155.74, 0.005);
  EXPECT_NEAR(fs.stfSink[2], -1.514, 0.0005);
  // At MacCready 0 the current values are the table's first row.
  EXPECT_EQ(fs.stfSpeedNowKmh, 99);
  EXPECT_NEAR(fs.glideRatio, 40.25, 0.01);

  SetFlightParameter(fs, kParamMacCready, 20);
  ASSERT_TRUE(ComputePolar(fs));
  EXPECT_NEAR(fs.stfSpeedNow * 3.6, 155.74, 0.005);
  EXPECT_EQ(fs.stfSpeedNowKmh, 155);
  EXPECT_GT(fs.averageSpeed, 0.0);
  EXPECT_LT(fs.averageSpeed, fs.stfSpeedNow);
}

TEST(Polar, BugsAndBallastScaleTheCurve) {
  FlightState clean;
  FlightStateDefaults(clean);
  FlightState dirty;
  FlightStateDefaults(dirty);
  SetFlightParameter(dirty, kParamBugs, 75);
  ASSERT_TRUE(ComputePolar(dirty));
  EXPECT_NEAR(dirty.a / clean.a, 1.2, 1e-12);
  EXPECT_NEAR(dirty.c / clean.c, 1.0 / (1.0 - 25.0 / 400.0), 1e-12);
  EXPECT_LT(dirty.bestGlide100, clean.bestGlide100);

  FlightState ballast;
  FlightStateDefaults(ballast);
  LoadBuiltinPolar(ballast, u"LS-8-15");  // 360 kg, 180 l
  ComputePolar(ballast);
  const double dryBest = ballast.stfSpeed[0];
  const std::int32_t dryGlide = ballast.bestGlide100;
  SetFlightParameter(ballast, kParamWaterFill, 100);  // full
  ASSERT_TRUE(ComputePolar(ballast));
  // Heavier: faster by sqrt(540 / 360), same best glide.
  EXPECT_NEAR(ballast.stfSpeed[0] / dryBest, std::sqrt(540.0 / 360.0), 1e-9);
  EXPECT_NEAR(ballast.bestGlide100, dryGlide, 1);
}

TEST(Polar, EveryBuiltinPolarIsSane) {
  ASSERT_EQ(BuiltinPolarCount, 77u);
  EXPECT_STREQ(BuiltinPolars[0].name, "Default");
  std::set<std::string> names;
  for (std::size_t i = 0; i < BuiltinPolarCount; ++i) {
    const PolarEntry& e = BuiltinPolars[i];
    SCOPED_TRACE(e.name);
    EXPECT_TRUE(names.insert(e.name).second) << "duplicate name";
    FlightState fs;
    FlightStateDefaults(fs);
    std::u16string wide(e.name, e.name + std::char_traits<char>::length(e.name));
    ASSERT_EQ(LoadBuiltinPolar(fs, wide.c_str()), 1);
    ASSERT_TRUE(ComputePolar(fs));
    EXPECT_GT(fs.bestGlide100, 2000);
    EXPECT_LT(fs.bestGlide100, 7000);
    const double minSink = (fs.c - fs.b * fs.b / (4 * fs.a)) / 3.6;  // vertex of the curve, m/s
    EXPECT_LT(minSink, 0.0);
    EXPECT_GT(minSink, -1.0);
    EXPECT_GT(e.speed[0], 50.0f);
    EXPECT_LT(e.speed[0], e.speed[1]);
    EXPECT_LT(e.speed[1], e.speed[2]);
  }
  // Rows whose figures are fixed by the table itself.
  FlightState fs;
  FlightStateDefaults(fs);
  ASSERT_EQ(LoadBuiltinPolar(fs, u"Nimbus 4D Pil+Pas"), 1);
  EXPECT_EQ(GetFlightParameter(fs, kParamMass), 743);
  EXPECT_EQ(GetFlightParameter(fs, kParamWater), 303);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed2), 142);
  EXPECT_EQ(GetFlightParameter(fs, kParamSink3), -154);
  ASSERT_EQ(LoadBuiltinPolar(fs, u"PW-5"), 1);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), 99);
  EXPECT_EQ(GetFlightParameter(fs, kParamSink2), -285);
}

TEST(Polar, ScaledRowsKeepTheirSourceRowsBestGlide) {
  // A polar scaled by the square root of a mass ratio flies the same glide ratio, faster.
  struct Pair {
    const char16_t* source;
    const char16_t* scaled;
  } pairs[] = {
      {u"ASH-25M Pil", u"ASH-25M Pil+Pas"},
      {u"Stemme S10 Pil", u"Stemme S10 Pil+Pas"},
      {u"DG-500 Pil", u"DG-500 Pil+Pas"},
      {u"Janus B 18.2 Pil", u"Janus B 18.2 Pil+Pas"},
      {u"Nimbus 3D 24.6 Pil+Pas", u"Nimbus 3D 24.6 Pil"},
      {u"Nimbus 3DM 24.6 Pil+Pas", u"Nimbus 3DM 24.6 Pil"},
  };
  auto bestGlide = [](const char16_t* name, std::int32_t& mass) {
    FlightState fs;
    FlightStateDefaults(fs);
    EXPECT_EQ(LoadBuiltinPolar(fs, name), 1);
    EXPECT_TRUE(ComputePolar(fs));
    mass = GetFlightParameter(fs, kParamMass);
    return fs.bestGlide100.load();
  };
  for (const Pair& p : pairs) {
    std::int32_t sourceMass = 0, scaledMass = 0;
    const std::int32_t source = bestGlide(p.source, sourceMass);
    const std::int32_t scaled = bestGlide(p.scaled, scaledMass);
    EXPECT_NE(sourceMass, scaledMass);
    EXPECT_NEAR(scaled, source, 10) << std::string(p.scaled, p.scaled + std::char_traits<char16_t>::length(p.scaled));
  }
}

TEST(Polar, NamesAndList) {
  FlightState fs;
  FlightStateDefaults(fs);
  SetFlightParameter(fs, kParamMacCready, 30);
  EXPECT_EQ(LoadBuiltinPolar(fs, u"asw-19"), 0);  // case-sensitive: nothing changes
  EXPECT_EQ(GetFlightParameter(fs, kParamMacCready), 30);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), 100);
  EXPECT_EQ(LoadBuiltinPolar(fs, u"ASW-19"), 1);
  EXPECT_EQ(GetFlightParameter(fs, kParamMacCready), 0);
  EXPECT_EQ(GetFlightParameter(fs, kParamMass), 363);

  DynArray<PolarListItem> list;
  ASSERT_TRUE(ListBuiltinPolars(list));
  ASSERT_EQ(list.Size(), 77);
  EXPECT_EQ(std::u16string(list[15].name), u"ASW-27 Wnglts");
  EXPECT_EQ(list[15].index, 15);
  EXPECT_EQ(std::u16string(list[76].name), u"Stemme S10 Pil+Pas");
}

TEST(Polar, UnusablePolarKeepsThePreviousOne) {
  struct Case {
    const char* what;
    std::int32_t v1, v2, v3, s1, s2, s3, mass;
  };
  const Case cases[] = {
      {"equal speeds", 100, 100, 150, -70, -80, -150, 350},
      {"two equal last speeds", 90, 150, 150, -70, -150, -160, 350},
      {"convex curve", 100, 150, 200, -70, -200, -210, 350},
      {"straight line", 100, 150, 200, -100, -200, -300, 350},
      {"zero mass", 100, 150, 200, -70, -150, -300, 0},
  };
  for (const Case& c : cases) {
    FlightState fs;
    FlightStateDefaults(fs);
    const double a = fs.a, best = fs.bestGlide100, speed = fs.stfSpeedNow;
    SetFlightParameter(fs, kParamSpeed1, c.v1);
    SetFlightParameter(fs, kParamSpeed2, c.v2);
    SetFlightParameter(fs, kParamSpeed3, c.v3);
    SetFlightParameter(fs, kParamSink1, c.s1);
    SetFlightParameter(fs, kParamSink2, c.s2);
    SetFlightParameter(fs, kParamSink3, c.s3);
    SetFlightParameter(fs, kParamMass, c.mass);
    EXPECT_FALSE(ComputePolar(fs)) << c.what;
    EXPECT_EQ(fs.a, a) << c.what;
    EXPECT_EQ(fs.bestGlide100, best) << c.what;
    EXPECT_EQ(fs.stfSpeedNow, speed) << c.what;
  }
}

TEST(PolarFile, TextIsCheckedBeforeUse) {
  struct Case {
    const char* text;
    int ok;
    std::int32_t speed1;
  };
  const Case cases[] = {
      {"* comment\r\n*another\r\n350,120,95,-0.63,140,-1.23,180,-2.29\r\n", 1, 95},
      {"350,120,12,-0.63,140,-1.23,180,-2.29\r\n", 1, 15},  // accepted, stored as 15
      {"350,120,9,-0.63,140,-1.23,180,-2.29\r\n", 0, 0},    // speed below 10
      {"350,120,95,-0.63,140,-1.23,180\r\n", 0, 0},         // seven numbers
      {"350,120,95,-0.63,140,-1.23,180,0.5\r\n", 0, 0},     // climbing sink
      {"2001,120,95,-0.63,140,-1.23,180,-2.29\r\n", 0, 0},  // mass
      {"0,120,95,-0.63,140,-1.23,180,-2.29\r\n", 0, 0},     // no mass
      {"350,501,95,-0.63,140,-1.23,180,-2.29\r\n", 0, 0},   // water
      {"350,120,95,-0.63,95,-1.23,180,-2.29\r\n", 0, 0},    // equal speeds
      {"350,120,95,-0.63,140,-0.7,180,-0.71\r\n", 0, 0},    // convex
      {"\r\n350,120,95,-0.63,140,-1.23,180,-2.29\r\n", 0, 0},
      {"* only comments\r\n", 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    FlightState fs;
    FlightStateDefaults(fs);
    SetFlightParameter(fs, kParamMacCready, 10);
    ComputePolar(fs);
    EXPECT_EQ(ApplyPolarFileText(fs, c.text), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), c.speed1);
      EXPECT_EQ(GetFlightParameter(fs, kParamMass), 350);
      EXPECT_EQ(GetFlightParameter(fs, kParamMacCready), 0);
      EXPECT_EQ(GetFlightParameter(fs, kParamSink2), -123);
    } else {
      EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), 100) << c.text;
      EXPECT_EQ(GetFlightParameter(fs, kParamMacCready), 10) << c.text;
    }
  }
  // A line longer than the reader's buffer is read in pieces; the first piece is the line.
  const std::string longComment = "*" + std::string(600, 'x') + "\r\n350,120,95,-0.63,140,-1.23,180,-2.29\r\n";
  EXPECT_FALSE(ParsePolarText(longComment).has_value());
}

class PolarFileOnDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("cumulor_nav_polar_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    ce::SetDeviceFolder(folder_);
    std::filesystem::create_directories(ce::DeviceRootFolder());
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void Write(const char* name, const std::string& text) {
    std::ofstream(ce::DeviceRootFolder() / name, std::ios::binary) << text;
  }
  std::filesystem::path folder_;
};

TEST_F(PolarFileOnDevice, LoadPolarFromFileBuiltinOrDefault) {
  Write("Mine.plr", "* my glider\r\n400,100,90,-0.6,130,-1.1,170,-2.0\r\n");
  Write("Broken.plr", "not a polar\r\n");
  FlightState fs;
  FlightStateDefaults(fs);

  EXPECT_EQ(LoadPolar(fs, u"\\Mine.plr", u"Mine.plr"), PolarSource::File);
  EXPECT_EQ(GetFlightParameter(fs, kParamMass), 400);

  // A broken file falls back to the built-in entry of the category's name.
  EXPECT_EQ(LoadPolar(fs, u"\\Broken.plr", u"ASW-24"), PolarSource::Builtin);
  EXPECT_EQ(GetFlightParameter(fs, kParamMass), 350);
  EXPECT_EQ(LoadPolar(fs, u"\\Missing.plr", u"Ka-6CR"), PolarSource::Builtin);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), 64);

  // An unknown name keeps the previous polar.
  EXPECT_EQ(LoadPolar(fs, u"\\Broken.plr", u"Broken.plr"), PolarSource::Kept);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), 64);

  EXPECT_EQ(LoadPolar(fs, nullptr, nullptr), PolarSource::DefaultForEmptyCategory);
  EXPECT_EQ(fs.bestGlide100, 4025);
  EXPECT_EQ(ReadPolarFile(fs, nullptr), 0);
}

}  // namespace
}  // namespace cumulor
