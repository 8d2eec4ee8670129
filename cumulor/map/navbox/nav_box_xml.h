// The settings element "NavBar": the boxes' places, links and appearance, and the set's flags
// "Visible", "AllowDrag" and "Lock".
#pragma once

#include "cumulor/app/base/xml_node.h"
#include "cumulor/map/navbox/nav_box_set.h"

namespace cumulor {

// Appends "NavBar" to parent (links repaired first): "NavBoxes" with one "Box" per box that has
// anything to save, then "Visible", "AllowDrag", "Lock".
void NavBoxLayoutSave(NavBoxSet& set, XmlNode& parent);
// Reads a "NavBar" element. Box numbers outside 1..33 are skipped; links to 34 or more read as 0;
// a font role outside the font table reads as the line's default; a style outside 1..3 is not
// taken; places are held within +-100000.
void NavBoxLayoutLoad(NavBoxSet& set, const XmlNode& element);

}  // namespace cumulor
