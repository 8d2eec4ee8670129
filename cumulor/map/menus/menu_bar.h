// MenuBar: the configurable on-screen menu. A "Menu" tab at the top centre of the map opens three
// pages of fifteen finger-sized buttons; each button runs one main-window command. Buttons can be
// reassigned in edit mode (button editor, dialog 130), the default pages restored, and the four
// hardware application keys run page 1's bottom strip. The pages are kept in the settings
// document's "Menu" element.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

class XmlNode;

inline constexpr std::int32_t kMenuEntryCount = 80;
inline constexpr std::int32_t kMenuPageCount = 3;
inline constexpr std::int32_t kMenuSlotCount = 15;
inline constexpr std::int32_t kMenuIconCount = 28;

// Commands the menu handles itself on a pen-up.
inline constexpr std::uint32_t kMenuCmdEdit = 40049;
inline constexpr std::uint32_t kMenuCmdReset = 40050;
inline constexpr std::uint32_t kMenuCmdPage1 = 40080;
inline constexpr std::uint32_t kMenuCmdPage2 = 40081;
inline constexpr std::uint32_t kMenuCmdPage3 = 40082;
inline constexpr std::uint32_t kMenuCmdClose = 40083;
inline constexpr std::uint32_t kMenuCmdMore = 40084;

// Dialog 130: the button editor.
inline constexpr int kMenuEditorDialog = 130;
inline constexpr int kMenuEditorCombo = 1300;

struct MenuCommandEntry {
  std::uint32_t command = 0;    // WM_COMMAND id; 0 = entry not used
  std::uint32_t parameter = 0;  // lParam sent with it
  std::uint32_t index = 0;      // the entry's own index, also its language text id
  const WCHAR* text = nullptr;  // the label (language text of `index`)
  HICON icon = nullptr;
};

struct MenuButton {
  MenuCommandEntry entry;
  RECT rect{};
};

struct MenuBar {
  HDC dc = nullptr;  // drawn into when no DC is given
  HWND window = nullptr;
  HINSTANCE instance = nullptr;
  RECT screen{};
  std::int32_t rowHeight = 55;
  HICON icons[kMenuIconCount] = {};
  RECT tabRect{};
  RECT openRect{};
  RECT nextRect{};
  RECT previousRect{};
  MenuCommandEntry entries[kMenuEntryCount] = {};
  MenuButton pages[kMenuPageCount][kMenuSlotCount] = {};
  MenuButton* currentPage = nullptr;
  std::int32_t pageNumber = 1;  // 1..3
  std::uint32_t open = 0;
  std::int32_t selected = -1;
  std::uint32_t selectedCommand = 0;
  std::uint32_t editMode = 0;
  std::uint32_t editing = 0;  // the button editor is up; drawing suspended
  // Kept for the caller: the brushes and fonts handed to the set-up.
  HBRUSH background = nullptr;
  HBRUSH buttonBrush = nullptr;
  HFONT buttonFont = nullptr;
  HFONT smallFont = nullptr;
  // Pen state: the pen is down; the next pen-up is swallowed; the slot being edited.
  std::uint8_t penDown = 0;
  std::uint8_t swallowUp = 0;
  std::uint8_t setUp = 0;
  std::int32_t editedSlot = -1;
};

// What the menu needs of the main window: its command handler, the info box, the dialog-active
// flag, the map refresh, and the lock under which the menu's state changes (the frame draws the
// menu on another thread; 1 takes it, 0 gives it back; recursive). Unset members do nothing.
struct MenuLink {
  void (*runCommand)(std::uint32_t command, std::uint32_t parameter) = nullptr;
  void (*showInfoBox)(const WCHAR* text, const RECT& rect) = nullptr;
  void (*setDialogActive)(int active) = nullptr;
  void (*refreshMap)() = nullptr;
  void (*lockState)(int lock) = nullptr;
};
void SetMenuLink(const MenuLink& link);

void MenusInit(MenuBar& menu);
void MenusTerm(MenuBar& menu);
// Once per run: loads the icons, fills the command entries and the default pages.
void MenuBarSetup(MenuBar& menu, HINSTANCE instance, HWND window, HBRUSH background, HBRUSH buttonBrush,
                  HFONT buttonFont, HFONT smallFont);
// The default pages (also what "Reset" restores).
void MenuSetDefaultPages(MenuBar& menu);
// All rects for the map window's client area `screen`.
void MenuLayout(MenuBar& menu, const RECT& screen);
// Re-reads the label of every used entry and button from the language texts.
void MenusApplyLanguage(MenuBar& menu);
// Draws the tab, and the page when open; a null DC draws into the menu's DC. Nothing while the
// button editor is up.
void MenuDraw(MenuBar& menu, HDC dc);
// Draws into the main window's own DC.
void MenuRedraw(MenuBar& menu);
// The pen (WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP at x, y) and the command 40049 (as message).
// 1 when the menu took the event, 0 when the map should handle it. `handled` (may be null) is 0
// when the tap only opened the menu, else 1 for a taken event.
int MenuHandleClick(MenuBar& menu, std::uint32_t message, std::int32_t x, std::int32_t y, int* handled);
// The hardware application keys 193..196 run page 1's slots 8..11; 1 when a command ran.
int MenuCommand(MenuBar& menu, std::uint32_t key);
void MenuClose(MenuBar& menu);
// Slot `slot` (0-based) of the current page from the button editor's choice: `entryIndex` 0 empties
// it; the "Edit" entry is refused (false).
bool MenuAssignSlot(MenuBar& menu, std::int32_t slot, std::uint32_t entryIndex);

// The "Menu" element: three "Page" children with "nr" 1..3 and the fifteen entry indexes as text.
void MenuToXml(const MenuBar& menu, XmlNode& parent);
void MenuFromXml(MenuBar& menu, const XmlNode& element);

// The button editor (dialog 130) for slot `slot` of the current page; the dialog procedure.
void MenuEditButton(MenuBar& menu, std::int32_t slot);
INT_PTR MenuEditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
