#include <string>

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/map/menus/menu_bar.h"

namespace cumulor {
namespace {

// Reads "15,i1,...,i15": exactly fifteen entry numbers after the count, each 0..255 written in
// decimal digits. False (nothing stored) otherwise.
bool ParsePageText(const char* text, std::uint8_t (&slots)[kMenuSlotCount]) {
  if (!text) return false;
  std::int32_t field = -1;  // -1: the count
  std::uint32_t value = 0;
  std::int32_t digits = 0;
  for (const char* p = text;; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      if (value > 255) return false;
      ++digits;
      continue;
    }
    if (c == ' ') continue;
    if (c != ',' && c != '\0' && c != '\r' && c != '\n') return false;
    if (digits == 0) return false;
    if (field < 0) {
      if (value != kMenuSlotCount) return false;
    } else {
      if (field >= kMenuSlotCount) return false;
      slots[field] = static_cast<std::uint8_t>(value);
    }
    ++field;
    value = 0;
    digits = 0;
    if (c != ',') break;
  }
  return field == kMenuSlotCount;
}

}  // namespace

void MenuToXml(const MenuBar& menu, XmlNode& parent) {
  XmlNode* element = parent.AddChild("Menu");
  if (!element) return;
  for (std::int32_t page = 0; page < kMenuPageCount; ++page) {
    BYTE slots[kMenuSlotCount] = {};
    for (std::int32_t slot = 0; slot < kMenuSlotCount; ++slot) {
      const MenuCommandEntry& entry = menu.pages[page][slot].entry;
      slots[slot] = static_cast<BYTE>(entry.command ? entry.index : 0);
    }
    DynString text;
    BytesToText(slots, kMenuSlotCount, text);
    XmlNode* node = element->AddChild("Page");
    if (!node) continue;
    node->AddAttribute("nr", std::to_string(page + 1).c_str());
    node->SetText(text.CStr());
  }
}

void MenuFromXml(MenuBar& menu, const XmlNode& element) {
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd(); it.Advance()) {
    const XmlNode& child = *it.Get();
    // A page needs its "nr" and its text; one without them ends the reading.
    const char* nr = child.GetAttribute("nr");
    const char* text = child.GetText();
    if (child.AttributeCount() < 2 || !nr || !text) return;
    const std::int32_t number = TextToInt(nr);
    if (number < 1 || number > kMenuPageCount) continue;
    std::uint8_t slots[kMenuSlotCount] = {};
    if (!ParsePageText(text, slots)) continue;  // a bad page text leaves the page as it was
    for (std::int32_t slot = 0; slot < kMenuSlotCount; ++slot) {
      // Indexes beyond the entries are empty slots.
      const std::uint8_t index = slots[slot] < kMenuEntryCount ? slots[slot] : 0;
      const MenuCommandEntry& entry = menu.entries[index];
      menu.pages[number - 1][slot].entry = entry.command ? entry : MenuCommandEntry{};
    }
  }
}

}  // namespace cumulor
