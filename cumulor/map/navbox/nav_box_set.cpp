#include "cumulor/map/navbox/nav_box_set.h"

namespace cumulor {
namespace {

template <std::size_t N>
void CopyCut(WCHAR (&field)[N], const WCHAR* text) {
  std::size_t i = 0;
  for (; i + 1 < N && text[i]; ++i) field[i] = text[i];
  field[i] = 0;
}

}  // namespace

void NavBoxSetInit(NavBoxSet& set) {
  set = NavBoxSet{};
  for (std::int32_t i = 0; i < kNavBoxCount; ++i) set.box[i].number = i;
}

void NavBoxSetTerm(NavBoxSet&) {}

void NavBoxSetTexts(NavBoxSet& set, std::int32_t number, const WCHAR* title, const WCHAR* value, const WCHAR* unit) {
  if (number < 0 || number >= kNavBoxCount) return;
  NavBox& box = set.box[number];
  if (title) CopyCut(box.title, title);
  if (value) {
    CopyCut(box.value, value);
    box.greyed = 0;
  }
  if (unit) CopyCut(box.unit, unit);
  box.titleDirty = 1;
  set.changed = 1;
}

void NavBoxSetValue(NavBoxSet& set, std::int32_t number, const WCHAR* value) {
  NavBoxSetTexts(set, number, nullptr, value, nullptr);
}

void NavBoxSetHide(NavBoxSet& set) {
  set.hidden = 1;
  set.changed = 1;
}

void NavBoxSetRepairLinks(NavBoxSet&) {}

}  // namespace cumulor
