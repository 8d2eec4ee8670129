// The frame's label places: a label goes to its first free candidate, moved onto the screen; a
// label that has no free place is left out and takes nothing.
#include <gtest/gtest.h>

#include "cumulor/map/labels/label_placer.h"

namespace cumulor {
namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(LabelPlacer, CentredLabelsMoveOntoTheScreenAndAroundWhatIsTaken) {
  struct Case {
    const char* what;
    POINT at;
    bool placed;
    RECT expected;
  } cases[] = {
      {"free: centred on the point", {100, 100}, true, {80, 95, 120, 105}},
      {"past the left edge: moved inside", {5, 200}, true, {0, 195, 40, 205}},
      {"past the bottom-right corner: moved inside", {238, 318}, true, {200, 310, 240, 320}},
      {"on the taken box: one label height up", {100, 150}, true, {80, 135, 120, 145}},
      {"beyond the screen: no label", {-30, 100}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LabelPlacer placer;
    LabelPlacerStart(placer, RECT{0, 0, 240, 320});
    LabelPlacerTake(placer, RECT{90, 146, 110, 160});
    RECT placed{};
    ASSERT_EQ(LabelPlaceAround(placer, c.at, SIZE{40, 10}, placed), c.placed);
    if (!c.placed) {
      EXPECT_EQ(placer.taken.size(), 1u);
      continue;
    }
    EXPECT_TRUE(Same(placed, c.expected)) << placed.left << "," << placed.top << "," << placed.right << ","
                                          << placed.bottom;
    // The place is taken: the same label again goes elsewhere.
    RECT again{};
    if (LabelPlaceAround(placer, c.at, SIZE{40, 10}, again)) {
      EXPECT_FALSE(Same(again, placed));
    }
  }
}

TEST(LabelPlacer, ABesideLabelMayCoverItsOwnSymbolOnlyAndAPointGetsOneLabel) {
  const RECT own{95, 95, 106, 106};
  const RECT other{120, 105, 130, 110};
  for (const bool ownGiven : {true, false}) {
    SCOPED_TRACE(ownGiven);
    LabelPlacer placer;
    LabelPlacerStart(placer, RECT{0, 0, 240, 320});
    LabelPlacerTake(placer, own);
    LabelPlacerTake(placer, other);
    RECT placed{};
    if (!ownGiven) {
      // Every place beside the point meets its symbol: no label, nothing taken.
      EXPECT_FALSE(LabelPlaceBeside(placer, POINT{100, 100}, SIZE{30, 12}, 2, placed));
      EXPECT_EQ(placer.taken.size(), 2u);
      continue;
    }
    // Right and below meets the other label: right and above, over its own symbol.
    ASSERT_TRUE(LabelPlaceBeside(placer, POINT{100, 100}, SIZE{50, 12}, 2, placed, &own));
    EXPECT_TRUE(Same(placed, RECT{102, 86, 152, 98}));
    // The same point drawn again (a task point, then as a waypoint) gets no second label.
    EXPECT_FALSE(LabelPlaceBeside(placer, POINT{100, 100}, SIZE{40, 12}, 2, placed, &own));
    EXPECT_EQ(placer.taken.size(), 3u);
  }
}

}  // namespace
}  // namespace cumulor
