// The airspace groups' brushes and pens made from their fills and outlines: one object per style,
// the kinds a frame needs, and nothing for the map's default pen or a style no pen takes.
#include "cumulor/map/draw/airspace_styles.h"

#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"

namespace {

using namespace cumulor;

LOGBRUSH BrushOf(HBRUSH brush) {
  LOGBRUSH b{};
  EXPECT_GT(GetObjectW(brush, sizeof b, &b), 0);
  return b;
}

TEST(AirspaceStyles, EachFillKindGivesItsBrushAndEqualStylesShareOne) {
  EXPECT_EQ(AirspaceFillBrush(AirspaceFill{}), nullptr);
  EXPECT_EQ(AirspaceFillBrush({AirspaceFill::kHollow, 0}), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(AirspaceFillBrush({AirspaceFill::kStockGrey, 0}), GetStockObject(GRAY_BRUSH));

  const HBRUSH solid = AirspaceFillBrush({AirspaceFill::kSolid, RGB(255, 0, 0)});
  EXPECT_EQ(BrushOf(solid).lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(BrushOf(solid).lbColor, RGB(255, 0, 0));
  EXPECT_EQ(AirspaceFillBrush({AirspaceFill::kSolid, RGB(255, 0, 0)}), solid);
  const HBRUSH checked = AirspaceFillBrush({AirspaceFill::kChecked, RGB(255, 0, 0)});
  EXPECT_NE(checked, solid);
  EXPECT_EQ(BrushOf(checked).lbStyle, static_cast<UINT>(BS_PATTERN));
  EXPECT_NE(AirspaceFillBrush({AirspaceFill::kSolid, RGB(0, 0, 255)}), solid);
}

TEST(AirspaceStyles, OutlinesGiveTheirPenOrNone) {
  EXPECT_EQ(AirspaceOutlinePen(AirspaceOutline{}), nullptr);  // the map's default pen
  const HPEN dashed = AirspaceOutlinePen({false, kOutlineDashed, 2, RGB(1, 2, 3)});
  LOGPEN p{};
  ASSERT_GT(GetObjectW(dashed, sizeof p, &p), 0);
  EXPECT_EQ(p.lopnStyle, static_cast<UINT>(PS_DASH));
  EXPECT_EQ(p.lopnWidth.x, 2);
  EXPECT_EQ(p.lopnColor, RGB(1, 2, 3));
  EXPECT_EQ(AirspaceOutlinePen({false, kOutlineDashed, 2, RGB(1, 2, 3)}), dashed);
  EXPECT_NE(AirspaceOutlinePen({false, kOutlineSolid, 2, RGB(1, 2, 3)}), dashed);
  // A file's style line may name a style no pen takes: the frame keeps its default pen.
  EXPECT_EQ(AirspaceOutlinePen({false, 4, 1, 0}), nullptr);
  EXPECT_EQ(AirspaceOutlinePen({false, 77, 1, 0}), nullptr);
}

}  // namespace
