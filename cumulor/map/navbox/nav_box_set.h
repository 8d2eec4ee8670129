// The navigation boxes: 34 framed text panels over the map (slot 0 is never shown, saved or laid
// out). The records, the texts, switching boxes on and off, and the set's life: activation,
// resize, re-arranging, hiding. Layout and links are in nav_box_layout.h and nav_box_links.h, the
// pen in nav_box_pen.h, the "NavBar" element in nav_box_xml.h. Everything here is window-free:
// text measuring, the drag outline and the actions of the tappable boxes go through NavBoxHooks,
// which the window side installs.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kNavBoxCount = 34;
inline constexpr std::int32_t kNavBoxLast = 33;
inline constexpr std::int32_t kNavBoxStyleDefault = 3;
inline constexpr std::int32_t kNavBoxTitleFontDefault = 3;  // font role "NavBoxes line 1"
inline constexpr std::int32_t kNavBoxValueFontDefault = 4;  // font role "NavBoxes line 2"
inline constexpr std::int32_t kNavBoxUnitFont = 11;         // font role "Very Small Font"
inline constexpr std::int32_t kNavBoxFontRoles = 17;        // roles 0..16 of the font table
inline constexpr std::int32_t kNavBoxStart = 21;            // the "Start" button box
inline constexpr std::int32_t kNavBoxRadial = 32;           // the "Radial" button box

struct NavBox {
  std::int32_t defaultStyle = kNavBoxStyleDefault;
  COLORREF defaultColour = 0;
  std::int32_t defaultTitleFont = kNavBoxTitleFontDefault;
  std::int32_t defaultValueFont = kNavBoxValueFontDefault;
  // d1[2] right neighbour, d1[3] lower neighbour; d2[0] left neighbour, d2[1] upper neighbour;
  // 0 none. The other bytes are always 0.
  BYTE d1[4] = {};
  BYTE d2[4] = {};
  std::uint8_t on = 0;          // copy of the set's on flag, made before saving
  std::uint8_t greyed = 0;      // drawn grey until a new value arrives
  std::uint8_t rightHalf = 0;   // left edge right of the area's middle (chain alignment)
  std::uint8_t titleDirty = 0;  // the whole box must be redrawn
  std::uint8_t valueDirty = 0;  // the value line must be redrawn
  RECT rect{};                  // on the screen
  RECT extent{};                // relative to the top-left corner: (0, 0, width + 1, height + 1)
  COLORREF colour = 0;
  std::int32_t titleFont = kNavBoxTitleFontDefault;  // 0 means role 3
  std::int32_t valueFont = kNavBoxValueFontDefault;  // 0 means role 4
  std::int32_t style = kNavBoxStyleDefault;          // 1, 2 or 3 lines
  WCHAR title[16] = {};         // at most 15 characters
  std::int32_t titleLength = 0;
  RECT titleRect{};
  RECT titleExtent{};
  std::int32_t titleHeight = 0;
  WCHAR value[12] = {};         // at most 11 characters
  std::int32_t valueLength = 0;
  RECT valueRect{};
  RECT valueExtent{};
  std::int32_t valueHeight = 0;
  WCHAR unit[14] = {};          // at most 13 characters (the third line)
  std::int32_t unitLength = 0;
  RECT unitRect{};
  RECT unitExtent{};
  std::int32_t unitHeight = 0;
  std::int32_t width = 0;       // the wider of title and value text, plus 4
  std::int32_t number = 0;      // 0..33
};

struct NavBoxSet;

// What the boxes need from the window side; every member may be empty (then nothing happens,
// texts measure 0 x 0).
struct NavBoxHooks {
  // Width and height of a text in a font role.
  std::function<SIZE(std::int32_t role, const WCHAR* text, std::int32_t length)> measure;
  // The drag: begin (take the window DC in inverting mode), draw the outline of a rect (drawing
  // it twice erases it), end (give the DC back).
  std::function<void()> dragBegin;
  std::function<void(const RECT&)> outline;
  std::function<void()> dragEnd;
  // The application's dialog-active flag.
  std::function<void(bool)> dialogActive;
  // The appearance button was tapped: open the appearance dialog for this box.
  std::function<void(std::int32_t box)> appearance;
  // The "Start" box was tapped (runs only when starting is allowed).
  std::function<bool()> startAllowed;
  std::function<void()> startTap;
  // The "Radial" box was tapped.
  std::function<void()> radialTap;
  // The boxes were hidden or shown again: the main window lays itself out.
  std::function<void()> resized;
  // The application's boxes-visible flag follows the set's visible flag.
  std::function<void(bool)> visibleChanged;
  // The appearance button's icon (215) is loaded.
  std::function<void()> loadIcon;
};

struct NavBoxSet {
  HWND window = nullptr;
  std::uint32_t visible = 1;   // "Visible"
  std::uint32_t changed = 0;   // a text or position changed since the last draw
  std::uint32_t ready = 0;     // set at the first activation
  NavBox box[kNavBoxCount];
  std::uint8_t on[kNavBoxCount] = {};
  RECT area{};                 // the map window's client rect
  RECT buttonRect{};           // the appearance button, 32 x 32 at the area's centre
  HICON buttonIcon = nullptr;
  std::uint8_t savedVisible = 1;
  std::uint8_t hidden = 0;     // hidden for a full-screen view
  std::uint8_t loaded = 0;     // a "NavBoxes" element was read, or the set was activated
  std::uint8_t arrangePending = 0;  // activated before the area was known: arrange at the first size
  std::int32_t dragged = 0;    // the box being dragged, 0 none
  std::int32_t tapped = 0;     // box 21 or 32 when the pen went down on it, 0 none
  std::int32_t grabX = 0;      // pen x minus the dragged box's left edge
  std::int32_t grabY = 0;      // the dragged box's bottom edge minus pen y
  std::int32_t buttonCountdown = 0;  // the appearance button shows while 2 or more
  HWND listTab = nullptr;
  std::uint8_t allowDrag = 1;  // "AllowDrag"
  std::uint8_t lock = 0;       // "Lock"
  std::int32_t listPage = 0;
  // The pen: the box last selected (the one the appearance dialog edits), its rect and the pen
  // position when the pen went down.
  std::int32_t selected = 0;
  RECT downRect{};
  POINT downPoint{};
  NavBoxHooks hooks;
};

// Defaults for every box, on flags 1, 2, 3 and 21, the initial texts.
void NavBoxSetInit(NavBoxSet& set);
void NavBoxSetTerm(NavBoxSet& set);
// Titles of boxes 1..33 from the language (text 99 + 2 x number); a missing text keeps the title.
void NavBoxSetApplyLanguage(NavBoxSet& set);
// The long name of a box (language text 98 + 2 x number), empty when there is none.
const WCHAR* NavBoxLongName(std::int32_t number);

// Copies each non-null text into box `number` (title cut to 15 characters, value to 11, unit to
// 13); a new value clears the greyed flag. Marks the box for a full redraw and the set as changed.
// A number outside 0..33 changes nothing.
void NavBoxSetTexts(NavBoxSet& set, std::int32_t number, const WCHAR* title, const WCHAR* value, const WCHAR* unit);
// The value only: clears greyed, marks the value line for redraw.
void NavBoxSetValue(NavBoxSet& set, std::int32_t number, const WCHAR* value);
// Marks a box greyed (drawn in grey until a new value arrives).
void NavBoxSetGreyed(NavBoxSet& set, std::int32_t number);

// Switches a box on or off. A box switched on that was never placed (right edge 0) is measured
// and put near the area's centre (dragging allowed) or the set is laid out in rows. Switching a
// box off cuts the links that lead to it.
void NavBoxSetOn(NavBoxSet& set, std::int32_t number, bool on);
bool NavBoxIsOn(const NavBoxSet& set, std::int32_t number);
// Boxes 1, 2, 3 and 21 are on in a new set.
bool NavBoxDefaultOn(std::int32_t number);

// Stores the area and the window; lays the set out again when it is ready (or `force`), and puts
// the appearance button at the area's centre.
void NavBoxSetResize(NavBoxSet& set, const RECT& area, HWND window, bool force);
// When ready: repair links, measure every shown box, repair, lay out, repair; marks changed.
void NavBoxSetRearrange(NavBoxSet& set, bool dockAsYouGo);
// Re-arranges with dragging forbidden and docking as it goes: rows from the bottom-left corner,
// each row chained.
void NavBoxSetArrange(NavBoxSet& set);
// Every shown box gets its default colour, fonts and style back; then arranged.
void NavBoxSetReset(NavBoxSet& set);
// The four repair passes over boxes 1..33: right links to boxes that are off, or whose box does
// not name this one as its left neighbour, are cut on both sides; left links that are not mutual
// are cleared; lower links to boxes that are off or do not name this one are cleared; upper links
// that are not mutual are cleared. A link that closes a cycle is cut (nav_box_links.cpp).
void NavBoxSetRepairLinks(NavBoxSet& set);
// Hide keeps the visible flag aside and clears it; show puts it back.
void NavBoxSetHide(NavBoxSet& set);
void NavBoxSetShow(NavBoxSet& set);
// Sets the visible flag (and the application's boxes-visible flag through the hook).
void NavBoxSetVisible(NavBoxSet& set, bool visible);
// The first activation: the set becomes ready, loads its button icon, lays itself out (stored
// positions kept when boxes were loaded, else arranged into chained rows) and counts as loaded.
// Nothing is laid out in an empty area: an activation before the first size waits for it.
void NavBoxSetActivate(NavBoxSet& set);

// The set the dialogs edit (the application's).
NavBoxSet*& NavBoxSetGlobal();

}  // namespace cumulor
