// The label list of a frame: one entry per airport, user waypoint and task point drawn, with the
// screen rectangle its symbol and label took, and the label rectangles of the database airspaces.
// The frame fills it; the pen handlers find what was touched by the hit tests below. Used under
// the application's main lock.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

// Kind, index and five words laid out as in TaskPoint (longitude, latitude, minimum and maximum
// radius, start radial), then the rectangle drawn.
struct LabelEntry {
  std::int32_t kind = 0;
  std::int32_t index = 0;
  std::int32_t lon = 0;
  std::int32_t lat = 0;
  std::int32_t minRadius = 0;
  std::int32_t maxRadius = 0;
  std::int32_t startRadial = 0;
  RECT rect{};
};

inline constexpr std::int32_t kLabelGrowStep = 1000;

struct LabelList {
  DynArray<LabelEntry> entries{kLabelGrowStep};
  std::int32_t scale = 0;             // the scale of the frame that filled the list
  std::vector<RECT> airspaceRects;    // one per database airspace; empty when it is hidden
};

// Appends an entry with the point's first seven words and an empty rectangle, which the caller
// fills; the pointer is valid until the next append. Null when the list cannot grow.
LabelEntry* LabelAppend(LabelList& list, const TaskPoint& words);
// The point's first seven words as a TaskPoint (the end radial 0).
TaskPoint LabelEntryPoint(const LabelEntry& entry);

// From the last entry to the first: the first whose rectangle, 10 pixels wider on the left and
// right and 5 on top and bottom, holds the point. Null when none.
const LabelEntry* LabelListHitTest(const LabelList& list, POINT at);
// From the first entry: the first with a maximum radius whose rectangle (as drawn) holds the
// point. Null when none.
const LabelEntry* LabelListFindVisible(const LabelList& list, POINT at);
// Among the entries of the kind, the one whose rectangle's top-left corner is nearest (a later
// entry wins a tie); its seven words go to `out`. None: `out` gets kind 0 and index 0. Returns
// whether one was found.
bool LabelListNearest(const LabelList& list, TaskPoint& out, POINT at, std::int32_t kind);
// The index of the first non-empty airspace label rectangle that, 10 x 5 pixels larger, holds the
// point; -1 when none.
std::int32_t OccupiedRectHitTest(const LabelList& list, POINT at);

// The index of the airport icons' runway direction for a map rotation in degrees: rotations of
// 180 or more count 180 less, in steps of 22.5 degrees rounded to the nearest (an exact half down),
// 8 becoming 0.
std::int32_t RunwayDirectionIndex(std::int32_t rotation);

}  // namespace cumulor
