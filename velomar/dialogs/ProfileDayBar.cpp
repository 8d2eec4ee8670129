// The day bar's stretches and the time frames' colours.
#include "velomar/dialogs/ProfileDayBar.h"

#include <algorithm>

namespace velomar::profiles {

std::vector<CStrPeriod> SortedByBegin(std::vector<CStrPeriod> periods) {
  std::stable_sort(periods.begin(), periods.end());
  return periods;
}

int TimeFrameColorPosition(const std::vector<CStrPeriod>& sorted, int key) {
  int offset = 0;
  if (!sorted.empty() && !sorted.back().EndsSameDay()) {
    if (sorted.back().GetKey() == key) return 0;
    offset = 1;
  }
  for (std::size_t i = 0; i < sorted.size(); ++i)
    if (sorted[i].GetKey() == key) return (offset + static_cast<int>(i)) % 6;
  return -1;
}

COLORREF TimeFrameColor(const std::vector<CStrPeriod>& sorted, int key) {
  const int position = TimeFrameColorPosition(sorted, key);
  return position < 0 ? kNoTimeFrameColor : kDayBarPalette[position];
}

int DayBarOffset(int hour, int minute, int width) { return (hour * width) / 24 + ((width / 24) * minute) / 60; }

std::vector<DayBarStretch> DayBarStretches(const std::vector<CStrPeriod>& sorted, int width) {
  std::vector<DayBarStretch> out;
  if (!sorted.empty() && !sorted.back().EndsSameDay()) {
    const SYSTEMTIME end = sorted.back().GetEnd();
    int e = DayBarOffset(end.wHour, end.wMinute, width);
    if (e == 0) e = width;
    out.push_back({0, e, kDayBarPalette[0]});
  }
  for (const CStrPeriod& period : sorted) {
    const SYSTEMTIME begin = period.GetBegin();
    const SYSTEMTIME end = period.GetEnd();
    const int b = DayBarOffset(begin.wHour, begin.wMinute, width);
    int e = DayBarOffset(end.wHour, end.wMinute, width);
    if (e < b || e == 0) e = width;
    out.push_back({b, e, TimeFrameColor(sorted, period.GetKey())});
  }
  return out;
}

}  // namespace velomar::profiles
