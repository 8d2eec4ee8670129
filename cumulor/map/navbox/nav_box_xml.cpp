#include "cumulor/map/navbox/nav_box_xml.h"

#include <algorithm>
#include <cstring>

#include "cumulor/app/base/number_text.h"
#include "cumulor/map/navbox/nav_box_links.h"

namespace cumulor {
namespace {

inline constexpr std::int32_t kFarOut = -150;     // places below this are saved as 0
inline constexpr std::int32_t kPlaceLimit = 100000;

bool NameIs(const XmlNode& node, const char* name) { return std::strcmp(node.Name().Data(), name) == 0; }

bool AnyByte(const BYTE (&bytes)[4]) { return bytes[0] || bytes[1] || bytes[2] || bytes[3]; }

void AddBytes(XmlNode& box, const char* name, const BYTE (&bytes)[4]) {
  DynString text;
  BytesToText(bytes, 4, text);
  box.AddChildString(name, text.Data());
}

std::int32_t FontRole(std::int32_t role, std::int32_t fallback) {
  return role >= 0 && role < kNavBoxFontRoles ? role : fallback;
}

void WriteBox(const NavBoxSet& set, std::int32_t n, XmlNode& boxes) {
  const NavBox& b = set.box[n];
  const std::int32_t x = b.rect.left < kFarOut ? 0 : b.rect.left;
  const std::int32_t y = b.rect.bottom < kFarOut ? 0 : b.rect.bottom;
  const bool place = x != 0 || y != 0;
  const bool style = b.style != b.defaultStyle;
  const bool colour = b.colour != b.defaultColour;
  const bool titleFont = b.titleFont != b.defaultTitleFont;
  const bool valueFont = b.valueFont != b.defaultValueFont;
  const bool d1 = AnyByte(b.d1);
  const bool d2 = AnyByte(b.d2);
  // A box that is on by default and was switched off is written too, so that it stays off.
  const bool switchedOff = !b.on && NavBoxDefaultOn(n);
  if (!b.on && !switchedOff && !place && !style && !colour && !titleFont && !valueFont && !d1 && !d2) return;

  XmlNode* box = boxes.AddChild("Box");
  if (!box) return;
  box->AddAttribute("nr", IntToString(n).Data());
  if (b.on) box->AddChildInt("On", 1);
  if (place) {
    box->AddChildInt("X", x);
    box->AddChildInt("Y", y);
  }
  if (style) box->AddChildInt("L", b.style);
  if (colour) box->AddChildInt("Rgb", static_cast<std::int32_t>(b.colour));
  if (titleFont) box->AddChildInt("F1", b.titleFont);
  if (valueFont) box->AddChildInt("F2", b.valueFont);
  if (d1) AddBytes(*box, "D1", b.d1);
  if (d2) AddBytes(*box, "D2", b.d2);
  if (!b.on) box->AddChildInt("On", 0);
}

void ReadBox(NavBoxSet& set, const XmlNode& element) {
  const char* nr = element.GetAttribute("nr");
  if (!nr) return;
  const std::int32_t n = TextToInt(nr);
  if (n < 1 || n > kNavBoxLast) return;
  NavBox& b = set.box[n];
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd(); it.Advance()) {
    const XmlNode& child = *it.Get();
    const char* text = child.GetText();
    if (!text) continue;
    if (NameIs(child, "D1")) {
      TextToBytes(b.d1, 4, text);
    } else if (NameIs(child, "D2")) {
      TextToBytes(b.d2, 4, text);
    } else if (NameIs(child, "On")) {
      b.on = TextToInt(text) != 0 ? 1 : 0;
    } else if (NameIs(child, "X")) {
      const std::int32_t x = std::clamp(TextToInt(text), -kPlaceLimit, kPlaceLimit);
      const std::int32_t w = b.rect.right - b.rect.left;
      b.rect.left = x;
      b.rect.right = x + std::max(w, 1);
    } else if (NameIs(child, "Y")) {
      const std::int32_t y = std::clamp(TextToInt(text), -kPlaceLimit, kPlaceLimit);
      const std::int32_t h = b.rect.bottom - b.rect.top;
      b.rect.bottom = y;
      b.rect.top = y - std::max(h, 1);
    } else if (NameIs(child, "L")) {
      const std::int32_t style = TextToInt(text);
      if (style >= 1 && style <= 3) b.style = style;
    } else if (NameIs(child, "Rgb")) {
      b.colour = static_cast<COLORREF>(TextToInt(text)) & 0x00FFFFFF;
    } else if (NameIs(child, "F1")) {
      b.titleFont = FontRole(TextToInt(text), kNavBoxTitleFontDefault);
    } else if (NameIs(child, "F2")) {
      b.valueFont = FontRole(TextToInt(text), kNavBoxValueFontDefault);
    }
  }
  NavBoxSanitizeLinks(b);
  set.on[n] = b.on;
  b.titleDirty = 1;
}

}  // namespace

void NavBoxLayoutSave(NavBoxSet& set, XmlNode& parent) {
  NavBoxSetRepairLinks(set);
  XmlNode* bar = parent.AddChild("NavBar");
  if (!bar) return;
  if (XmlNode* boxes = bar->AddChild("NavBoxes")) {
    for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
      set.box[n].on = set.on[n];
      WriteBox(set, n, *boxes);
    }
  }
  bar->AddChildInt("Visible", static_cast<std::int32_t>(set.visible));
  bar->AddChildInt("AllowDrag", set.allowDrag);
  bar->AddChildInt("Lock", set.lock);
}

void NavBoxLayoutLoad(NavBoxSet& set, const XmlNode& element) {
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd(); it.Advance()) {
    const XmlNode& child = *it.Get();
    if (NameIs(child, "NavBoxes")) {
      set.loaded = 1;
      for (XmlChildIterator box = child.ChildIterator(); !box.AtEnd(); box.Advance()) {
        if (box.Get()->AttributeCount() > 0) ReadBox(set, *box.Get());
      }
    } else if (std::int32_t value = 0; NameIs(child, "Visible") && child.GetInt(value)) {
      NavBoxSetVisible(set, value != 0);
    } else if (NameIs(child, "AllowDrag") && child.GetInt(value)) {
      set.allowDrag = value != 0 ? 1 : 0;
    } else if (NameIs(child, "Lock") && child.GetInt(value)) {
      set.lock = value != 0 ? 1 : 0;
    }
  }
  set.changed = 1;
}

}  // namespace cumulor
