// Where the frame's labels go. Before the map's points and airspaces are drawn, the frame takes
// the screen space of what it draws over the map afterwards (icons, the aircraft, the final-glide
// box, the navigation boxes); each label then goes to the first of its candidate places that lies
// wholly on the screen and meets nothing taken, and takes that place. A label with no such place
// is left out, so that no text of the map is overprinted or cut by the screen edge.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/types.h"

namespace cumulor {

struct LabelPlacer {
  RECT screen{};
  std::vector<RECT> taken;
  std::vector<POINT> labelled;  // the points labelled beside them
  // What an area drawn later must leave readable: every label placed and the point symbols.
  std::vector<RECT> kept;
};

// A new frame on a screen of this size: nothing taken.
void LabelPlacerStart(LabelPlacer& placer, const RECT& screen);
// Marks the rectangle as taken (an empty one is not kept).
void LabelPlacerTake(LabelPlacer& placer, const RECT& rect);
// Takes the rectangle of a symbol that must stay readable over areas drawn after it.
void LabelPlacerKeep(LabelPlacer& placer, const RECT& rect);
// Whether the rectangle lies wholly on the screen and meets nothing taken (but `own`, the symbol
// the label belongs to, when given).
bool LabelPlacerFree(const LabelPlacer& placer, const RECT& rect, const RECT* own = nullptr);
// The first free candidate goes to `placed` and is taken (and kept); false (nothing taken) when none is free.
bool LabelPlacerPlace(LabelPlacer& placer, const RECT* candidates, std::size_t count, RECT& placed,
                      const RECT* own = nullptr);
// A label of `size` beside its symbol at `at` (`gap` pixels from the point; it may cover `own`,
// the symbol's taken rectangle): right and below, right and above, left and below, left and above.
// A point that has a label beside it already (a task point is drawn by the task and again as a
// waypoint) gets no second one (false).
bool LabelPlaceBeside(LabelPlacer& placer, POINT at, SIZE size, std::int32_t gap, RECT& placed,
                      const RECT* own = nullptr);
// A label of `size` centred on `at`, a point on the screen (a point beyond it places nothing); a
// label passing the screen's edge is first moved inside, then, when that place is not free, up and
// down by its height and sideways by half its width, up to two steps.
bool LabelPlaceAround(LabelPlacer& placer, POINT at, SIZE size, RECT& placed);

}  // namespace cumulor
