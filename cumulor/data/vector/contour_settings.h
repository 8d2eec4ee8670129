// The terrain colouring settings: where contour areas take their colours in the 40 terrain slots
// of the palette, and from which contour group tiles list them. Saved as the settings element
// "Contours": five int32 (a word kept as read, the palette offset, the contour start group, the
// step, a word kept as read) in byte-text form.
#pragma once

#include <cstdint>

#include "cumulor/app/base/xml_node.h"

namespace cumulor {

inline constexpr std::int32_t kContourSlots = 40;  // terrain slots of the palette

struct ContourSettings {
  std::int32_t word0 = 0;
  std::int32_t offset = 0;      // palette slot of value 0, within 0..39
  std::int32_t startGroup = 0;  // the first contour group listed from tiles, 0 or more
  std::int32_t step = 1;        // 1 or 2 slots a value
  std::int32_t word4 = 0;
};

// The palette slot of a contour value: offset + step x value, held within the 40 slots.
std::int32_t ContourSlot(const ContourSettings& s, std::int64_t value);
// Holds the offset within 0..39, the start group at 0 or more and the step at 1 or 2 (others: 1).
void ContourSettingsClamp(ContourSettings& s);

// Adds "Contours" to the settings root.
void ContoursSave(XmlNode& settings, const ContourSettings& s);
// Reads the "Contours" element when its text is whole (a short or broken text changes nothing);
// the values read are held within their ranges. Returns whether the element was taken.
bool ContoursLoad(const XmlNode& contours, ContourSettings& s);

}  // namespace cumulor
