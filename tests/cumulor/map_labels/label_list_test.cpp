// The label list's hit tests, the runway-direction index and the label texts.
#include <gtest/gtest.h>

#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/labels/label_text.h"
#include "cumulor/nav/polar/polar.h"

using namespace cumulor;

namespace {

LabelEntry* Add(LabelList& list, std::int32_t kind, std::int32_t index, RECT rect, std::int32_t maxRadius = 0) {
  TaskPoint p;
  p.kind = kind;
  p.index = index;
  p.lon = 100 * index;
  p.maxRadius = maxRadius;
  LabelEntry* e = LabelAppend(list, p);
  e->rect = rect;
  return e;
}

}  // namespace

TEST(LabelListTest, HitTestsOnOverlappingEntries) {
  LabelList list;
  EXPECT_EQ(LabelListHitTest(list, POINT{0, 0}), nullptr);
  EXPECT_EQ(LabelListFindVisible(list, POINT{0, 0}), nullptr);
  Add(list, 1, 1, RECT{100, 100, 140, 112});
  Add(list, 4, 2, RECT{110, 104, 150, 116}, 500);
  Add(list, 4, 3, RECT{120, 106, 160, 118});
  // The last appended of the overlapping entries is found first.
  const LabelEntry* hit = LabelListHitTest(list, POINT{125, 108});
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->index, 3);
  // The margin: 10 pixels left and right, 5 above and below.
  ASSERT_NE(LabelListHitTest(list, POINT{91, 97}), nullptr);
  EXPECT_EQ(LabelListHitTest(list, POINT{91, 97})->index, 1);
  EXPECT_EQ(LabelListHitTest(list, POINT{89, 100}), nullptr);
  EXPECT_EQ(LabelListHitTest(list, POINT{120, 94}), nullptr);
  // The visible search wants a maximum radius and the rectangle as drawn, from the first entry.
  ASSERT_NE(LabelListFindVisible(list, POINT{125, 108}), nullptr);
  EXPECT_EQ(LabelListFindVisible(list, POINT{125, 108})->index, 2);
  EXPECT_EQ(LabelListFindVisible(list, POINT{105, 108}), nullptr);
  EXPECT_EQ(LabelListFindVisible(list, POINT{155, 108}), nullptr);
}

TEST(LabelListTest, NearestByKindPrefersTheLaterEntryOnATie) {
  LabelList list;
  TaskPoint out;
  out.kind = 7;
  out.index = 7;
  EXPECT_FALSE(LabelListNearest(list, out, POINT{0, 0}, 4));
  EXPECT_EQ(out.kind, 0);
  EXPECT_EQ(out.index, 0);
  Add(list, 4, 1, RECT{100, 100, 110, 110});
  Add(list, 1, 2, RECT{50, 50, 60, 60});     // nearer, but another kind
  Add(list, 4, 3, RECT{120, 100, 130, 110});  // as near as entry 1
  Add(list, 4, 4, RECT{200, 200, 210, 210});
  ASSERT_TRUE(LabelListNearest(list, out, POINT{110, 100}, 4));
  EXPECT_EQ(out.kind, 4);
  EXPECT_EQ(out.index, 3);
  EXPECT_EQ(out.lon, 300);
  ASSERT_TRUE(LabelListNearest(list, out, POINT{0, 0}, 1));
  EXPECT_EQ(out.index, 2);
}

TEST(LabelListTest, AirspaceRectanglesSkipTheEmptyOnes) {
  LabelList list;
  EXPECT_EQ(OccupiedRectHitTest(list, POINT{5, 5}), -1);
  list.airspaceRects = {RECT{0, 0, 0, 0}, RECT{0, 0, 20, 10}, RECT{15, 5, 40, 20}};
  EXPECT_EQ(OccupiedRectHitTest(list, POINT{0, 0}), 1);
  EXPECT_EQ(OccupiedRectHitTest(list, POINT{29, 14}), 1);  // within the 10 x 5 margin of entry 1
  EXPECT_EQ(OccupiedRectHitTest(list, POINT{35, 18}), 2);
  EXPECT_EQ(OccupiedRectHitTest(list, POINT{60, 60}), -1);
}

TEST(LabelListTest, RunwayDirectionIndexFollowsTheRotation) {
  struct {
    std::int32_t rotation, index;
  } cases[] = {{0, 0}, {11, 0}, {12, 1}, {200, 1}, {22, 1}, {33, 1}, {34, 2},
               {180, 0}, {349, 0}, {170, 0}, {168, 7}, {191, 0}, {-10, 0}, {360, 0}};
  for (const auto& c : cases) EXPECT_EQ(RunwayDirectionIndex(c.rotation), c.index) << c.rotation;
  // Exactly half a step (11.25 degrees) rounds down; integer rotations never hit it, so check the
  // neighbours around 33.75 as well.
  EXPECT_EQ(RunwayDirectionIndex(45), 2);
}

TEST(LabelTextTest, ArrivalTexts) {
  LabelTextSettings s;
  s.labelLen = 8;
  s.labelsFlag = true;
  s.unitText = u"ft";
  struct {
    std::int32_t height, index, scale;
    bool labels;
    const char16_t* text;
    int mode;
  } cases[] = {
      {157, 0, 10, true, u"Kufstein:150ft", kLabelInReach},
      {9, 0, 10, true, u"Kufstein:0ft", kLabelInReach},
      {0, 0, 10, true, u"Kufstein", kLabelPlain},
      {-40, 2, 10, true, u"Kufstein", kLabelPlain},
      {1234, 2, 10, true, u"Kufstein:1230ft@Mc2", kLabelInReach},
      {1234, 2, 21, false, u"Kufstein", kLabelInReach},  // labels off, scale above 20
      {1234, 0, 20, false, u"Kufstein:1230ft", kLabelInReach},
  };
  for (const auto& c : cases) {
    s.labelsFlag = c.labels;
    const PointLabelText t = ArrivalLabelText(s, u"Kufstein", c.height, c.index, c.scale);
    EXPECT_EQ(t.text, c.text) << c.height;
    EXPECT_EQ(t.mode, c.mode) << c.height;
  }
  // On a high-resolution screen the name alone starts above 50.
  s.labelsFlag = false;
  s.highResolution = true;
  EXPECT_EQ(ArrivalLabelText(s, u"K", 500, 0, 50).text, u"K:500ft");
  EXPECT_EQ(ArrivalLabelText(s, u"K", 500, 0, 51).text, u"K");
}

TEST(LabelTextTest, NamesAreCutToTheLabelLength) {
  LabelTextSettings s;
  struct {
    std::int32_t length;
    bool code;
    const char* name;
    const char16_t* text;
  } cases[] = {
      {0, false, "Innsbruck", u""},
      {-3, false, "Innsbruck", u""},
      {4, false, "Innsbruck", u"Inns"},
      {63, false, "Innsbruck", u"Innsbruck"},
      {3, true, "Innsbruck", u"LOW"},
      {5, false, nullptr, u""},
  };
  for (const auto& c : cases) {
    s.labelLen = c.length;
    s.useCode = c.code;
    EXPECT_EQ(LabelName(s, c.name, "LOWI"), c.text) << c.length;
  }
}

TEST(LabelTextTest, GlideRatioMode) {
  FlightState fs;
  FlightStateDefaults(fs);
  fs.altitude = 1700;
  fs.qnhOffset = 0;
  fs.safetyMargin = 200;
  fs.glideRatio = 30.0f;  // the glider's glide ratio: below it a point is within reach
  LabelTextSettings s;
  s.labelLen = 9;
  s.glideRatioMode = true;
  const GeoPoint own{11 * 36000, 47 * 36000};
  // 50 m away: the ratio is not computed and shows as 0.0, within reach.
  PointLabelText t = BuildPointLabelText(s, fs, 10, GeoPoint{own.lon, own.lat + 16}, "Innsbruck", "LOWI", own, 500);
  EXPECT_EQ(t.text, u"Innsbruck:0.0");
  EXPECT_EQ(t.mode, kLabelInReach);
  // About 20 km at 1000 m above the point: a ratio near 20.
  const GeoPoint far{own.lon, own.lat + 6478};
  t = BuildPointLabelText(s, fs, 10, far, "Innsbruck", "LOWI", own, 500);
  EXPECT_EQ(t.text.substr(0, 12), u"Innsbruck:20");
  EXPECT_EQ(t.mode, kLabelInReach);
  // Beyond the glider's own glide ratio: shown, but not within reach.
  t = BuildPointLabelText(s, fs, 10, far, "Innsbruck", "LOWI", own, 1000);
  EXPECT_EQ(t.text.substr(0, 12), u"Innsbruck:40");
  EXPECT_EQ(t.mode, kLabelPlain);
  // At the point's height (a division by 0) and below it: the name alone.
  EXPECT_EQ(BuildPointLabelText(s, fs, 10, far, "Innsbruck", "LOWI", own, 1500).text, u"Innsbruck");
  EXPECT_EQ(BuildPointLabelText(s, fs, 10, far, "Innsbruck", "LOWI", own, 1800).text, u"Innsbruck");
  // A ratio of 70 or more: the name alone.
  EXPECT_EQ(BuildPointLabelText(s, fs, 10, far, "Innsbruck", "LOWI", own, 1250).text, u"Innsbruck");
}

TEST(LabelTextTest, ArrivalModeUsesTheFinalGlide) {
  FlightState fs;
  FlightStateDefaults(fs);
  ASSERT_TRUE(ComputePolar(fs));
  fs.altitude = 2000;
  LabelTextSettings s;
  s.labelLen = 9;
  s.labelsFlag = true;
  const GeoPoint own{11 * 36000, 47 * 36000};
  const GeoPoint near{own.lon, own.lat + 3239};  // about 10 km
  const PointLabelText high = BuildPointLabelText(s, fs, 10, near, "Innsbruck", "LOWI", own, 500);
  EXPECT_EQ(high.mode, kLabelInReach);
  ASSERT_GT(high.text.size(), 10u);
  EXPECT_EQ(high.text.substr(0, 10), u"Innsbruck:");
  // Far beyond reach: the name alone.
  const PointLabelText low =
      BuildPointLabelText(s, fs, 10, GeoPoint{own.lon, own.lat + 36000 * 3}, "Innsbruck", "LOWI", own, 500);
  EXPECT_EQ(low.text, u"Innsbruck");
  EXPECT_EQ(low.mode, kLabelPlain);
}
