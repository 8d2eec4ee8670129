// FontTable: one LOGFONTW and one created font per screen role (map labels, box lines, lists,
// menus, instruments), with defaults for normal and high-resolution screens, size steps through a
// fixed height table, and the settings element "Fonts". Module globals; the UI thread uses them.
#pragma once

#include <cstdint>

#include "cumulor/app/base/xml_node.h"
#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

enum FontRole : std::int32_t {
  kFontArrivalLabels = 0,
  kFontTurnpointLabels,
  kFontAirspaceLabels,
  kFontNavBoxLine1,
  kFontNavBoxLine2,
  kFontFinalGlide,
  kFontHsi,
  kFontWaypointBrowser,
  kFontFlightPlan,
  kFontDetailsPage,
  kFontMenu,
  kFontVerySmall,
  kFontSmall,
  kFontMedium,
  kFontLarge,
  kFontInstrumentsSmall,
  kFontInstrumentsBig,
  kFontRoleCount
};

inline constexpr std::int32_t kFontHeightCount = 16;
inline constexpr std::int32_t kFontHeights[kFontHeightCount] = {8, 9, 10, 11, 12, 14, 16, 18,
                                                                 20, 22, 24, 26, 28, 36, 48, 72};

// The role's font handle (null when not created); callers select it into a DC. Null for a role
// outside 0..16.
HFONT* FontHandleSlot(std::int32_t role);
// The role's record (height, weight and face are the program's; the rest 0).
LOGFONTW* FontRecord(std::int32_t role);
// The XML element name and the role list text (null for HSI, which is not listed).
const char* FontRoleXmlName(std::int32_t role);
const WCHAR* FontRoleListText(std::int32_t role);

// Fills every role with the template (14, 700, "Tahoma") and the defaults of the screen kind; on a
// normal screen creates role 13's font at once.
void FontTableInit();
void SetHighResFonts();
// Re-creates every role's font from its record (with applyHighRes on a high-resolution screen the
// high-resolution defaults first).
void FontRecreateAll(bool applyHighRes);
void FontTableFree();
// One step up or down the height table; at either end nothing changes. A height not in the table
// becomes 8 going up and stays going down. The handle slot is returned.
HFONT* FontSizeUp(std::int32_t role);
HFONT* FontSizeDown(std::int32_t role);
// 0..16, or -1.
std::int32_t FontRoleFromName(const char* name);

// Appends "Fonts" with one child per role (face as text, "height" and "weight").
void FontsToXml(XmlNode& settings);
void FontRoleToXml(XmlNode& fonts, std::int32_t role);
// Reads the children of "Fonts" (unknown names ignored; the face cut to 31 characters) and
// re-creates the fonts.
void FontsFromXml(const XmlNode& fonts);

// The role list, then dialog 154 for the chosen role; the dialog's result, -1 when no role was
// chosen.
INT_PTR SelectFontDialog(HWND parent);
INT_PTR FontDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
