#include "cumulor/app/ui/fonts.h"

#include <cstdio>
#include <cstring>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/text_convert.h"
#include "cumulor/app/ui/screen_layout.h"

namespace cumulor {
namespace {

struct RoleInfo {
  const char* xml;
  const WCHAR* list;
  std::int32_t height, weight, hiHeight, hiWeight;
};

constexpr RoleInfo kRoles[kFontRoleCount] = {
    {"ArrivalLabels", u"Arrival Labels", 14, 700, 26, 400},
    {"TurnpointLabels", u"Waypoint Labels", 14, 700, 26, 400},
    {"AirspaceLabels", u"Airspace Labels", 14, 700, 26, 400},
    {"NavBoxLine1", u"NavBoxes line 1", 14, 700, 20, 400},
    {"NavBoxLine2", u"NavBoxes line 2", 20, 700, 48, 900},
    {"FinalGlide", u"Final Glide", 14, 700, 28, 400},
    {"HSI", nullptr, 14, 700, 26, 400},
    {"WaypointBrowser", u"Waypoint Browser", 14, 700, 28, 400},
    {"FlightPlan", u"Flight Plan", 14, 700, 36, 400},
    {"DetailsPage", u"Details", 14, 700, 26, 400},
    {"Menu", u"Menu", 14, 700, 36, 400},
    {"VerySmallFont", u"Very Small Font", 12, 400, 22, 400},
    {"SmallFont", u"Small Font", 15, 700, 24, 400},
    {"MediumFont", u"Medium Font", 24, 700, 36, 400},
    {"LargeFont", u"Large Font", 28, 700, 48, 900},
    {"InstrumentsSmall", u"Instruments Small", 15, 700, 15, 15},
    {"InstrumentsBig", u"Instruments Big", 24, 700, 24, 24},
};

struct FontTable {
  LOGFONTW record[kFontRoleCount] = {};
  HFONT handle[kFontRoleCount] = {};
  LOGFONTW templ{};
};

FontTable& Table() {
  static FontTable table;
  return table;
}

bool ValidRole(std::int32_t role) { return role >= 0 && role < kFontRoleCount; }

void SetFace(LOGFONTW& lf, const WCHAR* face) {
  std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
  for (int i = 0; i < 31 && face[i]; ++i) lf.lfFaceName[i] = face[i];
}

void Recreate(std::int32_t role) {
  FontTable& t = Table();
  if (t.handle[role]) DeleteObject(t.handle[role]);
  t.handle[role] = CreateFontIndirectW(&t.record[role]);
}

std::int32_t HeightIndex(std::int32_t height) {
  for (std::int32_t i = 0; i < kFontHeightCount; ++i)
    if (kFontHeights[i] == height) return i;
  return -1;
}

}  // namespace

HFONT* FontHandleSlot(std::int32_t role) { return ValidRole(role) ? &Table().handle[role] : nullptr; }
LOGFONTW* FontRecord(std::int32_t role) { return ValidRole(role) ? &Table().record[role] : nullptr; }
const char* FontRoleXmlName(std::int32_t role) { return ValidRole(role) ? kRoles[role].xml : nullptr; }
const WCHAR* FontRoleListText(std::int32_t role) { return ValidRole(role) ? kRoles[role].list : nullptr; }

void FontTableInit() {
  FontTable& t = Table();
  t.templ = LOGFONTW{};
  t.templ.lfHeight = 14;
  t.templ.lfWeight = 700;
  SetFace(t.templ, u"Tahoma");
  for (std::int32_t i = 0; i < kFontRoleCount; ++i) {
    if (t.handle[i]) DeleteObject(t.handle[i]);
    t.handle[i] = nullptr;
    t.record[i] = t.templ;
  }
  if (IsLargeScreen()) {
    SetHighResFonts();
  } else {
    for (std::int32_t i : {kFontNavBoxLine2, kFontVerySmall, kFontSmall, kFontMedium, kFontLarge}) {
      t.record[i].lfHeight = kRoles[i].height;
      t.record[i].lfWeight = kRoles[i].weight;
    }
    t.record[kFontInstrumentsSmall] = t.record[kFontSmall];
    t.record[kFontInstrumentsBig] = t.record[kFontMedium];
  }
  // Every role has its font from the start: a settings document without "Fonts" (the first
  // start) must not leave the texts, and the boxes laid out for them, in a fallback font.
  for (std::int32_t i = 0; i < kFontRoleCount; ++i) Recreate(i);
}

void SetHighResFonts() {
  FontTable& t = Table();
  for (std::int32_t i = 0; i < kFontRoleCount; ++i) {
    t.record[i].lfHeight = kRoles[i].hiHeight;
    t.record[i].lfWeight = kRoles[i].hiWeight;
  }
}

void FontRecreateAll(bool applyHighRes) {
  if (applyHighRes && IsLargeScreen()) SetHighResFonts();
  for (std::int32_t i = 0; i < kFontRoleCount; ++i) Recreate(i);
}

void FontTableFree() {
  FontTable& t = Table();
  for (HFONT& h : t.handle) {
    if (h) DeleteObject(h);
    h = nullptr;
  }
}

HFONT* FontSizeUp(std::int32_t role) {
  if (!ValidRole(role)) return nullptr;
  LOGFONTW& lf = Table().record[role];
  const std::int32_t i = HeightIndex(lf.lfHeight);
  if (i == kFontHeightCount - 1) return FontHandleSlot(role);
  lf.lfHeight = i < 0 ? kFontHeights[0] : kFontHeights[i + 1];
  Recreate(role);
  return FontHandleSlot(role);
}

HFONT* FontSizeDown(std::int32_t role) {
  if (!ValidRole(role)) return nullptr;
  LOGFONTW& lf = Table().record[role];
  const std::int32_t i = HeightIndex(lf.lfHeight);
  if (i <= 0) return FontHandleSlot(role);
  lf.lfHeight = kFontHeights[i - 1];
  Recreate(role);
  return FontHandleSlot(role);
}

std::int32_t FontRoleFromName(const char* name) {
  if (!name) return -1;
  for (std::int32_t i = 0; i < kFontRoleCount; ++i)
    if (std::strcmp(kRoles[i].xml, name) == 0) return i;
  return -1;
}

void FontRoleToXml(XmlNode& fonts, std::int32_t role) {
  if (!ValidRole(role)) return;
  const LOGFONTW& lf = Table().record[role];
  char face[33] = {};
  WideToNarrowN(face, lf.lfFaceName, 32);
  XmlNode* child = fonts.AddChildString(kRoles[role].xml, face);
  if (!child) return;
  child->AddAttribute("height", IntToString(lf.lfHeight).CStr());
  child->AddAttribute("weight", IntToString(lf.lfWeight).CStr());
}

void FontsToXml(XmlNode& settings) {
  XmlNode* fonts = settings.AddChild("Fonts");
  if (!fonts) return;
  for (std::int32_t i = 0; i < kFontRoleCount; ++i) FontRoleToXml(*fonts, i);
}

void FontsFromXml(const XmlNode& fonts) {
  for (std::int32_t i = 0; i < fonts.ChildCount(); ++i) {
    const XmlNode& child = *fonts.Child(i);
    const std::int32_t role = FontRoleFromName(child.Name().CStr());
    if (role < 0) continue;
    LOGFONTW& lf = Table().record[role];
    if (const char* h = child.GetAttribute("height")) lf.lfHeight = TextToInt(h);
    if (const char* w = child.GetAttribute("weight")) lf.lfWeight = TextToInt(w);
    if (const char* face = child.GetText()) {
      std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
      NarrowToWideN(lf.lfFaceName, face, 31);
    }
  }
  FontRecreateAll(false);
}

}  // namespace cumulor
