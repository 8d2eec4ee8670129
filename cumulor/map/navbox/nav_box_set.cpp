#include "cumulor/map/navbox/nav_box_set.h"

#include "cumulor/app/base/language.h"
#include "cumulor/map/navbox/nav_box_layout.h"
#include "cumulor/map/navbox/nav_box_links.h"

namespace cumulor {
namespace {

struct InitialTexts {
  const WCHAR* title;
  const WCHAR* value;
  const WCHAR* unit;
};

// The texts of boxes 0..33 before any language is applied.
constexpr InitialTexts kInitial[kNavBoxCount] = {
    {u"", u"", u""},
    {u"NxtTurpoint", u"000", u" "},
    {u"DIST", u" ", u" "},
    {u"  Arrival  ", u"0000", u" "},
    {u"TRK", u"000\u00B0", u"mag"},
    {u"BRG", u"000\u00B0", u"mag"},
    {u"Avg20", u"+0.0", u" "},
    {u"Avg T", u"0.0", u" "},
    {u"AvgAll", u"0.0", u" "},
    {u" Wind ", u"000\u00B0/00 ", u" "},
    {u"XTError", u"000\u00B0", u" "},
    {u"GS", u" ", u" "},
    {u" L/D ", u"01.0", u" "},
    {u"QNH Alt", u"0000", u" "},
    {u"Time", u"00:00", u" "},
    {u"TLeft", u"-.-", u" "},
    {u" Ground ", u"000", u" "},
    {u"AGL Alt", u"000", u" "},
    {u"XC Leg", u"000", u" "},
    {u"XC Task", u"000", u" "},
    {u" OLC ", u"000", u" "},
    {u"", u"START", u" "},
    {u"Grid", u"0000", u" "},
    {u"ETA", u"00:00", u" "},
    {u"ETANxt", u"00:00", u" "},
    {u"ETE", u"00:00", u" "},
    {u"ETENxt", u"00:00", u" "},
    {u"SUAX", u"----", u" "},
    {u"SUAY", u"----", u" "},
    {u"LDReq", u"----", u" "},
    {u"LDRNxt", u"----", u" "},
    {u"TAS", u"----", u" "},
    {u"Radial", u"----", u" "},
    {u"Alt Ft", u"----", u" "},
};

constexpr std::int32_t kDefaultOn[] = {1, 2, 3, kNavBoxStart};

bool Valid(std::int32_t n) { return n >= 1 && n <= kNavBoxLast; }

bool AreaEmpty(const NavBoxSet& set) { return set.area.right <= set.area.left || set.area.bottom <= set.area.top; }

template <std::size_t N>
std::int32_t CopyCut(WCHAR (&field)[N], const WCHAR* text) {
  std::size_t i = 0;
  for (; i + 1 < N && text[i]; ++i) field[i] = text[i];
  field[i] = 0;
  return static_cast<std::int32_t>(i);
}

void SetVisibleFlag(NavBoxSet& set, bool visible) {
  set.visible = visible ? 1 : 0;
  if (set.hooks.visibleChanged) set.hooks.visibleChanged(visible);
}

}  // namespace

NavBoxSet*& NavBoxSetGlobal() {
  static NavBoxSet* global = nullptr;
  return global;
}

void NavBoxSetInit(NavBoxSet& set) {
  NavBoxHooks hooks = std::move(set.hooks);
  set = NavBoxSet{};
  set.hooks = std::move(hooks);
  for (std::int32_t i = 0; i < kNavBoxCount; ++i) {
    NavBox& b = set.box[i];
    b.number = i;
    b.titleLength = CopyCut(b.title, kInitial[i].title);
    b.valueLength = CopyCut(b.value, kInitial[i].value);
    b.unitLength = CopyCut(b.unit, kInitial[i].unit);
  }
  for (std::int32_t n : kDefaultOn) set.on[n] = 1;
}

void NavBoxSetTerm(NavBoxSet& set) {
  if (NavBoxSetGlobal() == &set) NavBoxSetGlobal() = nullptr;
}

const WCHAR* NavBoxLongName(std::int32_t number) {
  const WCHAR* text = Valid(number) ? LangText(LangCurrentId() - 2 + 2 * number) : nullptr;
  return text ? text : u"";
}

void NavBoxSetApplyLanguage(NavBoxSet& set) {
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (const WCHAR* title = LangText(LangCurrentId() - 1 + 2 * n)) NavBoxSetTexts(set, n, title, nullptr, nullptr);
  }
}

void NavBoxSetTexts(NavBoxSet& set, std::int32_t number, const WCHAR* title, const WCHAR* value, const WCHAR* unit) {
  if (number < 0 || number >= kNavBoxCount) return;
  NavBox& box = set.box[number];
  if (title) box.titleLength = CopyCut(box.title, title);
  if (value) {
    box.valueLength = CopyCut(box.value, value);
    box.greyed = 0;
  }
  if (unit) box.unitLength = CopyCut(box.unit, unit);
  box.titleDirty = 1;
  set.changed = 1;
}

void NavBoxSetValue(NavBoxSet& set, std::int32_t number, const WCHAR* value) {
  if (number < 0 || number >= kNavBoxCount || !value) return;
  NavBox& box = set.box[number];
  box.valueLength = CopyCut(box.value, value);
  box.greyed = 0;
  box.valueDirty = 1;
  set.changed = 1;
}

void NavBoxSetGreyed(NavBoxSet& set, std::int32_t number) {
  if (number < 0 || number >= kNavBoxCount) return;
  set.box[number].greyed = 1;
  set.box[number].titleDirty = 1;
  set.changed = 1;
}

bool NavBoxIsOn(const NavBoxSet& set, std::int32_t number) { return Valid(number) && set.on[number]; }

bool NavBoxDefaultOn(std::int32_t number) {
  for (std::int32_t n : kDefaultOn) {
    if (n == number) return true;
  }
  return false;
}

void NavBoxSetOn(NavBoxSet& set, std::int32_t number, bool on) {
  if (!Valid(number)) return;
  set.on[number] = on ? 1 : 0;
  set.changed = 1;
  if (!on) {
    NavBoxSetRepairLinks(set);
    return;
  }
  NavBox& b = set.box[number];
  if (!set.ready || b.rect.right != 0 || AreaEmpty(set)) return;
  NavBoxMeasure(set, number);
  if (set.allowDrag) {
    const std::int32_t w = set.area.right - set.area.left;
    const std::int32_t h = set.area.bottom - set.area.top;
    NavBoxPlace(b, w / 2 - 15, h / 2 - 10, true);
  } else {
    NavBoxLayout(set, false);
  }
}

void NavBoxSetResize(NavBoxSet& set, const RECT& area, HWND window, bool force) {
  set.area = area;
  set.window = window;
  const std::int32_t cx = (area.left + area.right) / 2;
  const std::int32_t cy = (area.top + area.bottom) / 2;
  set.buttonRect = RECT{cx - 16, cy - 16, cx + 16, cy + 16};
  if (!set.ready && !force) return;
  if (set.ready && set.arrangePending && !AreaEmpty(set)) {
    set.arrangePending = 0;
    NavBoxSetArrange(set);
    return;
  }
  const std::uint32_t ready = set.ready;
  set.ready = 1;
  NavBoxSetRearrange(set, false);
  set.ready = ready;
}

void NavBoxSetRearrange(NavBoxSet& set, bool dockAsYouGo) {
  if (!set.ready || AreaEmpty(set)) return;
  NavBoxSetRepairLinks(set);
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (set.on[n]) NavBoxMeasure(set, n);
  }
  NavBoxSetRepairLinks(set);
  NavBoxLayout(set, dockAsYouGo);
  NavBoxSetRepairLinks(set);
  set.changed = 1;
}

void NavBoxSetArrange(NavBoxSet& set) {
  const std::uint8_t allowDrag = set.allowDrag;
  set.allowDrag = 0;
  NavBoxSetRearrange(set, true);
  set.allowDrag = allowDrag;
}

void NavBoxSetReset(NavBoxSet& set) {
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (!set.on[n]) continue;
    NavBox& b = set.box[n];
    b.colour = b.defaultColour;
    b.titleFont = b.defaultTitleFont;
    b.valueFont = b.defaultValueFont;
    b.style = b.defaultStyle;
  }
  NavBoxSetArrange(set);
}

void NavBoxSetVisible(NavBoxSet& set, bool visible) {
  SetVisibleFlag(set, visible);
  set.changed = 1;
}

void NavBoxSetHide(NavBoxSet& set) {
  const bool wasVisible = set.visible != 0;
  if (!set.hidden) set.savedVisible = static_cast<std::uint8_t>(set.visible);
  set.hidden = 1;
  SetVisibleFlag(set, false);
  set.changed = 1;
  if (wasVisible && set.hooks.resized) set.hooks.resized();
}

void NavBoxSetShow(NavBoxSet& set) {
  const bool wasVisible = set.visible != 0;
  if (set.hidden) SetVisibleFlag(set, set.savedVisible != 0);
  set.hidden = 0;
  set.changed = 1;
  if (!wasVisible && set.visible && set.hooks.resized) set.hooks.resized();
}

void NavBoxSetActivate(NavBoxSet& set) {
  if (set.ready) return;
  set.ready = 1;
  if (set.hooks.loadIcon) set.hooks.loadIcon();
  if (AreaEmpty(set)) {
    set.arrangePending = set.loaded ? 0 : 1;
  } else if (set.loaded) {
    NavBoxSetRearrange(set, false);
  } else {
    NavBoxSetArrange(set);
  }
  NavBoxSetRepairLinks(set);
  set.loaded = 1;
  set.changed = 1;
}

}  // namespace cumulor
