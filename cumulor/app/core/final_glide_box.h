// The final-glide box over the map: the MacCready value, the altitude over (or required for) the
// glide over the rest of the task or to the go-to target, chevrons above or below the glide, the
// terrain clearance and the arrival time (or the time ahead of or behind the task deadline). With
// the automatic MacCready option each call may step the MacCready value by one.
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/app/app_context.h"

namespace cumulor {

// What one computation gives.
struct FinalGlideResult {
  bool drawn = false;                  // a destination exists: the box is drawn
  bool areaLast = false;               // the last task point is an area: only the MacCready text
  std::uint32_t totalDistance = 0;     // metres
  std::int64_t totalTime = 0;          // 100-ns units
  std::int32_t requiredAltitude = 0;   // metres
  std::int32_t finishElevation = 0;    // metres
  std::int32_t shownAltitude = 0;      // metres: the balance, or the required altitude
  std::int32_t glideRatio = 999;
  double chevronRatio = 0.0;
  std::u16string timeText;             // "%d:%02d\n", "%c%d:%02d\n", "--:--\n" or empty
};

// Where the box goes below the top of `anchor` (its text rectangles in the screen record too).
struct GlideBoxLayout {
  LONG textHeight = 12;                // of the box's font
  LONG width = 0;
  LONG left = 0;
  LONG right = 0;
  LONG top = 0;
  LONG lineY = 0;                      // the glide line
  RECT area{};                         // everything the box draws
};
GlideBoxLayout LayoutGlideBox(AppContext& app, HDC dc, const RECT& anchor);

// Computes the box's values (no drawing, no MacCready step).
FinalGlideResult ComputeFinalGlide(AppContext& app);

// Computes (stepping the automatic MacCready when on) and draws the box below the top of
// `anchor`; with `fill` the box is filled first and no clearance mark is drawn.
FinalGlideResult UpdateTaskTimeTexts(AppContext& app, HDC dc, bool fill, const RECT& anchor);

}  // namespace cumulor
