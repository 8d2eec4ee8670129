#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/points/point_export.h"
#include "cumulor/data/points/point_texts.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "tests/cumulor/data_aero/ka1_fixture.h"

namespace cumulor {
namespace {

// KAUS: frequencies (one with a text), two runways, a circling remark used by another remark.
// EDNY: German supplement, a remark carrying a gliders' frequency. Two airports share the code
// "XDUP" 50 km apart.
const char kDatabase[] = R"(region USA|Texas|US|48
airport KAUS|-351000|1083000|542|1|Austin Bergstrom|Austin|2.9
freq 46|121.000|east
freq 12|124.200|
runway 12250|150|1|18R|36L
runway 9000|100|12|18L|36R
remark 2|EAST OF RWY ONLY
remark 12|CIRCLE2 WHEN TWR CLSD
remark 7|100LL
airport XDUP|-350000|1080000|500|0|First Dup||
airport XDUP|-350000|1140000|500|0|Second Dup||
region Germany||DE|0
airport EDNY|34000|1710000|1000|1088|Friedrichshafen||
runway 7729|148|2|06|24
remark 15|Segelflug m12345G Platzrunde
remark 16|m12
)";

class PointTexts : public testing::Ka1Test {
 protected:
  void SetUp() override {
    Ka1Test::SetUp();
    auto files = Describe(kDatabase);
    LoadSelected({Put("db.ka1", files[0])}, {u"USA, Texas", u"Germany"});
    ASSERT_EQ(AeroData().airports.Size(), 5);
    env.arrival = [](const PointRef&) {
      PointInfoEnv::Arrival a;
      a.ok = true;
      a.distance = u"12.3";
      a.distanceUnit = u"km";
      a.bearing = 45;
      a.altitude[0] = 300;
      a.altitude[1] = 200;
      a.altitude[2] = 100;
      return a;
    };
    env.positionText = [](const GeoPoint&) { return std::u16string(u"POS"); };
  }
  PointInfoEnv env;
};

TEST_F(PointTexts, AirportLinesWithFrequenciesRunwaysAndRemarks) {
  const std::vector<std::u16string> want = {
      u"Near: Austin",
      u"Elevation: 165m, Var +2\u00B0, Public/Military",
      u"Dist: 12.3km   Brg: 45\u00B0",
      u"Tower 121.000 east",
      u"ATIS 124.200",
      u"Arrival MC 0: 300m",
      u"MC 1: 200m",
      u"MC 2: 100m",
      u"Rwy  18R-36L  3734x46m  Asphalt ",
      u"Rwy  18L-36R  2743x30m  Grass ",
      u"* Remarks:",
      u"TRAFFIC PATTERN: EAST OF RWY ONLY WHEN TWR CLSD",
      u"Fuel: 100LL",
      u"Location: USA, Texas",
      u"Lat, Lon: POS",
      u"Source: US Government",
  };
  EXPECT_EQ(PointInfoLines(PointRef{kPointAirport, 1}, env), want);
  // In feet and statute units.
  env.altitudeFeet = true;
  env.distanceKm = false;
  env.altitudeUnit = u"ft";
  auto lines = PointInfoLines(PointRef{kPointAirport, 1}, env);
  EXPECT_EQ(lines[1], u"Elevation: 542ft, Var +2\u00B0, Public/Military");
  EXPECT_EQ(lines[8], u"Rwy  18R-36L  12250x150ft  Asphalt ");
}

TEST_F(PointTexts, GermanSupplementRemarksYieldFrequencies) {
  const std::vector<std::u16string> want = {
      u"Elevation: 305m",
      u"Dist: 12.3km   Brg: 45\u00B0",
      u"Arrival MC 0: 300m",
      u"MC 1: 200m",
      u"MC 2: 100m",
      u"Rwy  06-24  2355m  Concrete ",  // a supplement's runway has no width
      u"* Remarks:",
      u"Gliders Only",
      u"Frequency: 123.45",
      u"Misc: Segelflug m",
      u"Opr Hours: m12",                 // too short to carry a frequency
      u"Location: Germany",
      u"Lat, Lon: POS",
      u"Source: Suplemental (Germany)",
  };
  EXPECT_EQ(PointInfoLines(PointRef{kPointAirport, 4}, env), want);
}

TEST(CircleText, EachMarkerIsReplacedOnceInOnePass) {
  const std::string two = "EAST", self = "CIRCLE3 AGAIN";
  const std::string* circling[5] = {nullptr, nullptr, &two, &self, nullptr};
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"CIRCLE2 ONLY", "EAST ONLY"},
      {"CIRCLE3", "CIRCLE3 AGAIN"},  // the inserted text holds its own marker: no loop
      {"CIRCLE1 CIRCLE2 CIRCLE9 CIRCLE", "CIRCLE1 EAST CIRCLE9 CIRCLE"},
      {"xCIRCLE2CIRCLE2", "xEASTEAST"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandCircleText(c.in, circling), c.out);
}

TEST_F(PointTexts, ElevationsAndCupCoordinates) {
  EXPECT_EQ(PointElevation(PointRef{kPointAirport, 4}), 304);  // 1000 ft
  EXPECT_EQ(PointElevation(PointRef{kPointNavaid, 1}), 0);
  struct Case {
    std::int32_t value;
    bool latitude;
    const char* text;
  } cases[] = {
      {46 * 36000 + 30 * 600 + 300, true, "4630.500N"},
      {7 * 36000 + 15 * 600 + 150, false, "00715.250E"},
      {-(33 * 36000 + 1), true, "3300.001S"},
      {-(122 * 36000 + 59 * 600 + 599), false, "12259.998W"},
      {0, true, "0000.000N"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatCupCoordinate(c.value, c.latitude), c.text);
}

TEST_F(PointTexts, CupLinesReadBackThroughGpsbabel) {
  if (std::system("gpsbabel -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "gpsbabel not installed";
  const std::filesystem::path cup = device_folder() / "root" / "points.cup";
  const std::filesystem::path csv = device_folder() / "points.csv";
  {
    std::ofstream header(cup, std::ios::binary);
    header << "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n";
  }
  HANDLE file = CreateFileW(u"\\points.cup", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetFilePointer(file, 0, nullptr, FILE_END);
  for (std::int32_t i = 1; i <= 4; ++i) EXPECT_EQ(PointCupLine(PointRef{kPointAirport, i}, file), 1);
  CloseHandle(file);
  const std::string command = "gpsbabel -i cup -f '" + cup.string() + "' -o unicsv -F '" + csv.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(csv);
  std::string line;
  std::getline(in, line);  // No,Latitude,Longitude,...
  for (std::int32_t i = 1; i <= 4; ++i) {
    ASSERT_TRUE(std::getline(in, line)) << i;
    double lat = 0, lon = 0;
    int no = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%lf,%lf", &no, &lat, &lon), 3) << line;
    const GeoPoint p = AeroData().airports[i].position;
    // The text keeps thousandths of a minute: within 0.1 s of the record's position.
    EXPECT_NEAR(lat * 36000, p.lat, 1.0) << line;
    EXPECT_NEAR(lon * 36000, p.lon, 1.0) << line;
  }
}

TEST_F(PointTexts, TurnpointsRoundTrip) {
  struct Case {
    TaskPoint point;
  } cases[] = {
      {TaskPoint{kPointAirport, 1}},
      {TaskPoint{kPointAirport, 3}},  // the second "XDUP": found by its position
      {TaskPoint{kPointAirport, 4, 34500, 1710500, 1000, 20000, 90, 270}},
  };
  for (const Case& c : cases) {
    XmlNode parent("Task");
    TurnpointToXml(c.point, parent);
    ASSERT_EQ(parent.ChildCount(), 1);
    const XmlNode* tp = parent.Child(0);
    EXPECT_STREQ(tp->GetChildText("type"), "airport");
    TaskPoint back;
    ASSERT_EQ(TurnpointFromXml(back, *tp), 1);
    EXPECT_EQ(back.kind, c.point.kind);
    EXPECT_EQ(back.index, c.point.index);
    EXPECT_EQ(back.maxRadius, c.point.maxRadius);
    EXPECT_EQ(back.endRadial, c.point.endRadial);
    if (c.point.maxRadius) {
      EXPECT_EQ(back.lon, c.point.lon);
      EXPECT_EQ(back.lat, c.point.lat);
    }
  }
  // Unknown types, missing positions and points far from any record are refused.
  XmlNode bad("Turnpoint");
  bad.AddChildString("type", "glider");
  bad.AddChildLatLon(AeroData().airports[1].position);
  TaskPoint none;
  EXPECT_EQ(TurnpointFromXml(none, bad), 0);
  XmlNode far("Turnpoint");
  far.AddChildString("type", "airport");
  far.AddChildString("icao", "KAUS");
  far.AddChildLatLon(GeoPoint{-351000, 1083000 + 36000});
  EXPECT_EQ(TurnpointFromXml(none, far), 0);
  XmlNode desktop("Point");
  desktop.AddChildString("WaypointType", "Airport from db");
  desktop.AddChildInt("Lat", 1140000 * 10);
  desktop.AddChildInt("Lon", -350000 * 10);
  desktop.AddChildString("Id", "XDUP");
  TaskPoint fromDesktop;
  ASSERT_EQ(TurnpointFromDesktopXml(fromDesktop, desktop), 1);
  EXPECT_EQ(fromDesktop.index, 3);
}

}  // namespace
}  // namespace cumulor
