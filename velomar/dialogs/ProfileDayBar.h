// The day bar of the profiles page, worked out without a window: a 24-hour strip under the
// time-frame list in which every time frame of the shown profile fills its stretch of the day in
// a colour of its own, the same colour that its row of the list gets.
#pragma once

#include <vector>

#include "platform/base/types.h"
#include "velomar/places/Records.h"

namespace velomar::profiles {

// The six colours of the time frames (COLORREF), by position.
inline constexpr COLORREF kDayBarPalette[6] = {0x9696FF, 0x96FF96, 0xFF9696, 0x6464C8, 0x64C864, 0xC86464};
inline constexpr COLORREF kNoTimeFrameColor = 0xFFFFFF;

// The time frames in begin order (hour, then minute).
std::vector<CStrPeriod> SortedByBegin(std::vector<CStrPeriod> periods);

// The palette position of a time frame among `sorted` (begin order), -1 when none has the key.
// When the last one runs past midnight it takes position 0, since it also starts the day, and the
// others follow from position 1.
int TimeFrameColorPosition(const std::vector<CStrPeriod>& sorted, int key);
COLORREF TimeFrameColor(const std::vector<CStrPeriod>& sorted, int key);

// The x offset of hour:minute in a bar `width` pixels wide.
int DayBarOffset(int hour, int minute, int width);

// One filled stretch of the bar: from `left` to `right` (offsets, right excluded) in `color`, with
// a dividing line drawn at both ends.
struct DayBarStretch {
  int left;
  int right;
  COLORREF color;
};
// The stretches in drawing order: first the part after midnight of a last time frame that runs
// past it, then every time frame from its begin to its end (to the end of the day when it ends
// before it begins or at 00:00).
std::vector<DayBarStretch> DayBarStretches(const std::vector<CStrPeriod>& sorted, int width);

}  // namespace velomar::profiles
