#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "airspace_test_util.h"
#include "cumulor/nav/geo/geodesy.h"

namespace {

using namespace cumulor;
using namespace airspace_test;

class AirspaceReader : public ::testing::Test {
 protected:
  void SetUp() override {
    AirspaceInit(module);
    ASSERT_EQ(AirspaceAllocClassArrays(module, 16), S_OK);
  }
  void TearDown() override { AirspaceTerm(module); }

  AirspaceModule module;
};

constexpr GeoPoint kCentre{13 * 36000 + 20 * 600, 52 * 36000 + 30 * 600};

void ExpectOnRadius(const AirspaceShape& s, std::int32_t from, std::int32_t to, std::uint32_t radius) {
  for (std::int32_t i = from; i < to; ++i) {
    const std::uint32_t d = GeoDistance(kCentre, s.points[i]);
    EXPECT_NEAR(static_cast<double>(d), radius, 5.0) << "point " << i;
  }
}

TEST_F(AirspaceReader, RestrictedCircleOfTheFormat) {
  const Loaded l = LoadTexts(module, {"AC R\nAN TEST\nAL SFC\nAH FL95\nV X=52:30:00 N 013:20:00 E\nDC 5\n"});
  EXPECT_TRUE(l.texts.empty());
  ASSERT_EQ(module.group[kGroupRestricted].shapes.size(), 1u);
  const AirspaceShape& s = module.group[kGroupRestricted].shapes[0];
  EXPECT_EQ(Narrow(s.name), "TEST");
  EXPECT_EQ(s.floor, 0);
  EXPECT_EQ(s.ceiling, -9500);
  EXPECT_EQ(Narrow(s.floorText), "SFC");
  EXPECT_EQ(Narrow(s.ceilingText), "FL95");
  EXPECT_EQ(s.id, 1);
  ASSERT_EQ(s.pointCount, 121);
  EXPECT_EQ(s.points[0], s.points[120]);
  ExpectOnRadius(s, 0, 120, 9260);
  // The circle starts north of the centre and runs anticlockwise (west first).
  EXPECT_GT(s.points[0].lat, kCentre.lat);
  EXPECT_LT(s.points[10].lon, kCentre.lon);
  // The bounds hold the whole circle.
  EXPECT_LE(s.bounds.west, kCentre.lon - 4900);
  EXPECT_GE(s.bounds.north, kCentre.lat + 3000);
}

TEST_F(AirspaceReader, AnticlockwiseArcSweepsTheLongWayRound) {
  const Loaded l = LoadTexts(module, {"AC Q\nAN ARC\nV X=52:30:00 N 013:20:00 E\nV D=-\nDA 5,270,290\n"});
  EXPECT_TRUE(l.texts.empty());
  ASSERT_EQ(module.group[kGroupDanger].shapes.size(), 1u);
  const AirspaceShape& s = module.group[kGroupDanger].shapes[0];
  // 340 degrees in 113 steps of 3 degrees, the end point, and the closing point.
  ASSERT_EQ(s.pointCount, 115);
  ExpectOnRadius(s, 0, 114, 9260);
  EXPECT_LT(s.points[0].lon, kCentre.lon);       // starts west of the centre (270 degrees)
  EXPECT_GT(s.points[56].lon, kCentre.lon);      // passes the east side on the way round
  // A clockwise arc of the same angles is short: 20 degrees, 6 steps and the end.
  AirspaceTerm(module);
  AirspaceInit(module);
  AirspaceAllocClassArrays(module, 16);
  LoadTexts(module, {"AC Q\nAN ARC\nV X=52:30:00 N 013:20:00 E\nDA 5,270,290\n"});
  ASSERT_EQ(module.group[kGroupDanger].shapes.size(), 1u);
  EXPECT_EQ(module.group[kGroupDanger].shapes[0].pointCount, 8);
}

TEST(AirspaceTexts, DistancesAndAltitudes) {
  struct Distance {
    const char* text;
    std::int32_t metres;
  } distances[] = {{" 5", 9260}, {"10KM", 10000}, {"3SM", 4827}, {"500M", 500}, {"2nm", 3704}, {"0.5", 926},
                   {" 1 * comment km", 1852}};
  for (const Distance& d : distances) {
    std::int32_t m = 0;
    EXPECT_EQ(ParseAirspaceDistance(d.text, m), S_OK) << d.text;
    EXPECT_EQ(m, d.metres) << d.text;
  }
  std::int32_t m = 7;
  EXPECT_EQ(ParseAirspaceDistance("KM", m), E_FAIL);
  EXPECT_EQ(m, -1);
  EXPECT_EQ(ParseAirspaceDistance("1e300", m), E_FAIL);

  struct Altitude {
    const char* text;
    std::int32_t preset;
    std::int32_t feet;
  } altitudes[] = {{"3000M", 999999, 9842},   {"3000 MSL", 999999, 3000}, {"2500 STD", 0, -2500},
                   {"FL95", 999999, -9500},  {"FL 065", 999999, -6500}, {"SFC", 0, 0},
                   {"GND", 0, 0},            {"UNLIM", 999999, 999999}, {"1000 AGL", 0, 1000},
                   {"2500F AMSL", 0, 2500},  {"250M AGL", 0, 820},      {"1500 ft", 0, 1500},
                   {"Ceiling", 999999, 999999}, {"", 0, 0}};
  for (const Altitude& a : altitudes) {
    std::int32_t feet = a.preset;
    ParseAirspaceAltitude(a.text, feet);
    EXPECT_EQ(feet, a.feet) << a.text;
  }
}

TEST_F(AirspaceReader, IdsRestartInEachFileAndGroupsFollowTheClassLetters) {
  const std::string first =
      "* two shapes\nAC CTR\nAN ONE\nDP 47:00:00 N 011:00:00 E\nDP 47:10:00 N 011:00:00 E\nDP 47:10:00 N 011:10:00 E\n"
      "AC T\nAN KEEPS CTR\nDP 47:00:00 N 012:00:00 E\nDP 47:10:00 N 012:00:00 E\n"
      "AC GR\nAN BORDER\nDP 47:00:00 N 013:00:00 E\nDP 47:10:00 N 013:00:00 E\nDP 47:10:00 N 013:10:00 E\n";
  const std::string second = "AC DS\nAN SECTOR\nDP 46:00:00 N 011:00:00 E\nDP 46:10:00 N 011:00:00 E\n";
  const Loaded l = LoadTexts(module, {first, second});
  EXPECT_TRUE(l.texts.empty());
  ASSERT_EQ(module.group[kGroupCtr].shapes.size(), 2u);
  EXPECT_EQ(module.group[kGroupCtr].shapes[0].id, 1);
  EXPECT_EQ(module.group[kGroupCtr].shapes[1].id, 2);
  EXPECT_EQ(module.group[kGroupCtr].shapes[0].pointCount, 4);   // closed
  ASSERT_EQ(module.group[kGroupBorder].shapes.size(), 1u);
  EXPECT_EQ(module.group[kGroupBorder].shapes[0].id, 3);
  EXPECT_EQ(module.group[kGroupBorder].shapes[0].pointCount, 3);  // a border stays open
  ASSERT_EQ(module.group[kGroupSector].shapes.size(), 1u);
  EXPECT_EQ(module.group[kGroupSector].shapes[0].id, 1);
}

TEST_F(AirspaceReader, SyntaxErrorsEndOnlyTheirFile) {
  const std::string good = "AC P\nAN GOOD\nDP 47:00:00 N 011:00:00 E\nDP 47:10:00 N 011:00:00 E\n";
  struct Case {
    std::string text;
    std::string line;      // the line the box shows
    std::string caption;
    std::size_t kept;      // shapes of this file kept
  } cases[] = {
      {good + "AC X\nAN BAD\n", "AC X", "User Airspace Syntax Error", 1},
      {good + "AC R\n AN LEADING BLANK\nDP 47:00:00 N 011:00:00 E\n", " AN LEADING BLANK", "Airspace.txt Syntax Error", 1},
      {good + "AC R", "AC R", "User Airspace Syntax Error", 1},
      {good + "AC R\nAN X\nDQ 1\n", "DQ 1", "User Airspace Syntax Error", 1},
      {good + "AC R\nAN X\nDP 47:00:60 N 011:00:00 E\n", "DP 47:00:60 N 011:00:00 E", "User Airspace Syntax Error", 1},
      {good + "AC R\nAN X\nV X\nDC 1\n", "V X", "User Airspace Syntax Error", 1},
      {good + "AC R\nAN X\nV Q=1\n", "V Q=1", "Airspace.txt Syntax Error", 1},
      {good + "AC R\nV X=47:00:00 N 011:00:00 E\nDA 5,270\n", "DA 5,270", "User Airspace Syntax Error", 1},
      {good + "AC R\nV X=47:00:00 N 011:00:00 E\nDC 0\n", "DC 0", "Airspace.txt Syntax Error", 1},
      {"AC UNC\n" + good, "AC UNC", "User Airspace Syntax Error", 0},
  };
  for (const Case& c : cases) {
    AirspaceFreeAll(module);
    const std::string next = "AC Q\nAN NEXT FILE\nDP 46:00:00 N 011:00:00 E\nDP 46:10:00 N 011:00:00 E\n";
    const Loaded l = LoadTexts(module, {c.text, next});
    ASSERT_EQ(l.texts.size(), 1u) << c.line;
    EXPECT_EQ(l.texts[0], c.line);
    EXPECT_EQ(l.captions[0], c.caption) << c.line;
    EXPECT_EQ(l.results[0], E_FAIL) << c.line;
    EXPECT_EQ(module.group[kGroupProhibited].shapes.size(), c.kept) << c.line;
    EXPECT_EQ(module.group[kGroupDanger].shapes.size(), 1u) << c.line;
  }
}

TEST_F(AirspaceReader, CommentsShortLinesAndCentreMessages) {
  // A line of blanks before "*" is a comment; "AN" alone is an empty name; an arc before any
  // centre shows the centre message and ends the file.
  const Loaded l = LoadTexts(
      module, {"AC R\nAN\n   * comment\nV Z=\nDP 47:00:00 N 011:00:00 E\nDP 47:10:00 n 011:00:00 e\n",
               "AC R\nAN NO CENTRE\nDB 47:00:00 N 011:00:00 E,47:10:00 N 011:00:00 E\n"});
  // (The centre is kept from file to file, so a fresh module is needed for the second case.)
  ASSERT_EQ(module.group[kGroupRestricted].shapes.size(), 1u);
  const AirspaceShape& s = module.group[kGroupRestricted].shapes[0];
  EXPECT_EQ(s.name[0], 0);
  EXPECT_EQ(s.zoomLimit, 0);
  EXPECT_EQ(s.points[1].lat, 47 * 36000 + 10 * 600);
  ASSERT_EQ(l.texts.size(), 1u);
  EXPECT_EQ(l.texts[0], "Airspace.Txt: DB: Center Position (V X) not set");
  EXPECT_EQ(l.captions[0], "Cumulor");
}

TEST_F(AirspaceReader, ShapesWithoutOutlineAreDroppedAndLargeShapesAreWhole) {
  // Label points alone make no outline: the shape is dropped and takes no id.
  std::string text = "AC R\nAN LABELS ONLY\nAT 47:00:00 N 011:00:00 E\n";
  // Twenty circles make 2400 points, more than any fixed buffer of 2100 would hold.
  text += "AC R\nAN MANY CIRCLES\n";
  for (int i = 0; i < 20; ++i) text += "V X=47:" + std::to_string(10 + i) + ":00 N 011:00:00 E\nDC 1\n";
  // Of 2101 elements only the first 2100 are taken.
  text += "AC P\nAN MANY POINTS\nV X=46:00:00 N 011:00:00 E\nDC 1\n";
  for (int i = 0; i < 2100; ++i) text += "DP 46:00:00 N 011:" + std::to_string(10 + i % 40) + ":00 E\n";
  const Loaded l = LoadTexts(module, {text});
  EXPECT_TRUE(l.texts.empty());
  ASSERT_EQ(module.group[kGroupRestricted].shapes.size(), 1u);
  const AirspaceShape& circles = module.group[kGroupRestricted].shapes[0];
  EXPECT_EQ(circles.id, 1);
  EXPECT_EQ(circles.pointCount, 2401);
  EXPECT_EQ(circles.points.Size(), 2401);
  ASSERT_EQ(module.group[kGroupProhibited].shapes.size(), 1u);
  EXPECT_EQ(module.group[kGroupProhibited].shapes[0].pointCount, 120 + 2099 + 1);
}

TEST_F(AirspaceReader, StyleLinesChangeTheirClassUntilTheNextLoad) {
  LoadTexts(module, {"AC C\nSP 0,3,127,127,127\nSB 255,0,255\nAC C\nSB -1,0,0\nSP 1,2\n"});
  const AirspaceClassGroup& c = module.group[kGroupClassC];
  ASSERT_TRUE(c.outlineFromFile);
  EXPECT_EQ(c.outline, (AirspaceOutline{false, 0, 3, RGB(127, 127, 127)}));
  EXPECT_FALSE(c.fillFromFile);  // -1: no fill
  EXPECT_EQ(c.fill.kind, AirspaceFill::kHollow);
  LoadTexts(module, {""});
  EXPECT_FALSE(c.outlineFromFile);
  EXPECT_EQ(c.outline, (AirspaceOutline{false, kOutlineSolid, 1, RGB(180, 0, 180)}));  // the class's own again
}

TEST(AirspaceGeometry, PointInPolygonCountsCrossings) {
  const GeoPoint square[] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  struct Case {
    GeoPoint p;
    int inside;
  } cases[] = {{{50, 50}, 1}, {{150, 50}, 0}, {{-1, 50}, 0}, {{50, 100}, 0}, {{50, 0}, 1}, {{99, 99}, 1}};
  for (const Case& c : cases) EXPECT_EQ(PointInPolygon(c.p, square, 4), c.inside) << c.p.lon << "," << c.p.lat;
  EXPECT_EQ(PointInPolygon({50, 50}, square, 0), 0);
  // Coordinates near the limits do not overflow the crossing computation.
  const GeoPoint wide[] = {{-6480000, -3240000}, {6480000, -3240000}, {6480000, 3240000}, {-6480000, 3240000}};
  EXPECT_EQ(PointInPolygon({6479999, 3239999}, wide, 4), 1);
}

TEST_F(AirspaceReader, DamagedTextsNeverReadPastTheirLines) {
  const std::string base =
      "AC R\nAN TEST\nAL 1500 ft\nAH FL95\nV X=52:30:00 N 013:20:00 E\nV D=-\nDA 5,270,290\nDC 2\n"
      "AC GR\nAN B\nDP 47:00:00 N 011:00:00 E\nDB 47:00:00 N 011:00:00 E,47:10:00 N 011:00:00 E\nAT 47:00:00 N 011:00:00 E\n"
      "SP 0,1,2,3,4\nSB 1,2,3\nV T=1\nV Z=50\nV R=5\nTC NAME\n";
  std::mt19937 random(28);
  const char alphabet[] = "ACDPVXZRTBSLNH:.,-+=*09 NEWS\r\n";
  for (int round = 0; round < 400; ++round) {
    std::string text = base;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text[at] = alphabet[random() % (sizeof(alphabet) - 1)]; break;
        case 1: text.erase(at, 1 + random() % 6); break;
        default: text.insert(at, 1, alphabet[random() % (sizeof(alphabet) - 1)]); break;
      }
      if (text.empty()) text = "A";
    }
    // Cut exactly at the end of a heap block so a read past it shows.
    std::vector<char> exact(text.begin(), text.end());
    AirspaceLoad load;
    AirspaceLoadBegin(module, load);
    AirspaceReadText(module, load, exact.data(), static_cast<std::int32_t>(exact.size()));
    for (const AirspaceClassGroup& g : load.group)
      for (const AirspaceShape& s : g.shapes) {
        EXPECT_EQ(s.pointCount, s.points.Size());
        EXPECT_GT(s.pointCount, 0);
      }
  }
}

}  // namespace
