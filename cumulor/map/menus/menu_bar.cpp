#include "cumulor/map/menus/menu_bar.h"

#include "cumulor/app/base/language.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/map/menus/menu_link.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"

namespace cumulor {
namespace {

struct EntryDef {
  std::uint32_t index;
  std::uint32_t command;
  std::int32_t icon;  // icon resource, 0 = none
};

// The program's menu commands: index (= language text id), command, icon.
constexpr EntryDef kEntries[] = {
    {1, 40115, 231},  {2, 40152, 233},  {3, 40155, 0},    {4, 40048, 0},    {5, 40034, 246},
    {6, 40046, 0},    {7, 40116, 231},  {8, 40107, 250},  {9, 40118, 248},  {10, 40113, 249},
    {11, 40105, 236}, {12, 40108, 256}, {13, 40049, 0},   {14, 40050, 0},   {15, 40083, 247},
    {16, 40084, 221}, {17, 40051, 228}, {18, 40047, 0},   {19, 40052, 0},   {20, 40053, 254},
    {21, 40056, 260}, {22, 40059, 0},   {23, 40067, 0},   {24, 40065, 255}, {25, 40111, 251},
    {26, 40080, 0},   {27, 40081, 0},   {28, 40082, 0},   {29, 40106, 227}, {30, 40114, 252},
    {31, 40085, 241}, {32, 40100, 257}, {33, 40101, 265}, {34, 40102, 232}, {35, 40109, 238},
    {37, 40117, 250}, {39, 40066, 0},   {40, 40139, 253}, {41, 40142, 0},   {42, 40153, 0},
    {43, 40143, 0},   {44, 40148, 0},   {45, 40149, 0},   {46, 40150, 0},   {47, 40151, 0},
    {48, 40161, 0},   {49, 40162, 0},   {50, 40147, 0},   {51, 40025, 0},   {52, 40145, 0},
    {54, 40156, 258}, {55, 40044, 0},   {56, 40157, 259}, {57, 40158, 0},   {58, 40159, 0},
    {59, 40160, 0},   {60, 40164, 0},   {61, 40165, 0},   {62, 40166, 0},
};

// Icon slots: the page arrows and the two halves of the tab first, then the command icons.
constexpr std::int32_t kIconIds[kMenuIconCount] = {219, 221, 225, 226, 227, 228, 231, 232, 233, 236,
                                                   238, 241, 246, 247, 248, 249, 250, 251, 252, 253,
                                                   254, 255, 256, 257, 258, 259, 260, 265};

// Default pages: entry index per slot, 0 = empty.
constexpr std::uint8_t kDefaultPages[kMenuPageCount][kMenuSlotCount] = {
    {34, 31, 1, 2, 11, 17, 54, 16, 43, 0, 50, 44, 13, 14, 0},
    {7, 25, 8, 40, 35, 30, 29, 16, 0, 0, 0, 0, 13, 14, 0},
    {10, 12, 9, 20, 18, 19, 5, 15, 0, 0, 0, 0, 13, 14, 0},
};

std::int32_t IconSlot(std::int32_t id) {
  for (std::int32_t i = 0; i < kMenuIconCount; ++i)
    if (kIconIds[i] == id) return i;
  return -1;
}

}  // namespace

HICON MenuIcon(const MenuBar& menu, std::int32_t id) {
  const std::int32_t slot = IconSlot(id);
  return slot < 0 ? nullptr : menu.icons[slot];
}

void MenusInit(MenuBar& menu) { menu = MenuBar{}; }

void MenusTerm(MenuBar& menu) {
  // The icons belong to the program's resources; nothing to free.
  menu.currentPage = nullptr;
  menu.open = 0;
}

void MenuBarSetup(MenuBar& menu, HINSTANCE instance, HWND window, HBRUSH background, HBRUSH buttonBrush,
                  HFONT buttonFont, HFONT smallFont) {
  if (menu.setUp) return;
  menu.setUp = 1;
  menu.instance = instance;
  menu.window = window;
  menu.background = background;
  menu.buttonBrush = buttonBrush;
  menu.buttonFont = buttonFont;
  menu.smallFont = smallFont;
  for (std::int32_t i = 0; i < kMenuIconCount; ++i)
    menu.icons[i] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconIds[i]), IMAGE_ICON, 32, 32, 0));
  for (MenuCommandEntry& entry : menu.entries) entry = MenuCommandEntry{};
  for (const EntryDef& def : kEntries) {
    MenuCommandEntry& entry = menu.entries[def.index];
    entry.command = def.command;
    entry.parameter = 0;
    entry.index = def.index;
    entry.text = LangText(static_cast<std::int32_t>(def.index));
    entry.icon = def.icon ? MenuIcon(menu, def.icon) : nullptr;
  }
  MenuSetDefaultPages(menu);
  menu.currentPage = menu.pages[0];
  menu.pageNumber = 1;
  menu.selected = -1;
}

void MenuSetDefaultPages(MenuBar& menu) {
  for (std::int32_t page = 0; page < kMenuPageCount; ++page)
    for (std::int32_t slot = 0; slot < kMenuSlotCount; ++slot)
      menu.pages[page][slot].entry = menu.entries[kDefaultPages[page][slot]];
}

void MenuLayout(MenuBar& menu, const RECT& screen) {
  menu.screen = screen;
  const bool large = IsLargeScreen();
  const std::int32_t w = screen.right;
  const std::int32_t bottom = screen.bottom;
  const std::int32_t h = bottom / 6 < 55 ? 55 : bottom / 6;
  menu.rowHeight = h;
  const std::int32_t g = large ? 64 : 32;
  const std::int32_t top = g + 3;
  const std::int32_t half = w / 2;
  const std::int32_t quarter = w / 4;
  const std::int32_t stripTop = bottom - h / 2;
  const std::int32_t rowsBottom = top + 4 * h;
  const std::int32_t smallHeight = large ? 40 : 20;
  const std::int32_t smallTop = (rowsBottom + stripTop) / 2 - smallHeight / 2;
  for (auto& page : menu.pages) {
    for (std::int32_t slot = 0; slot < 8; ++slot) {
      const std::int32_t row = slot / 2;
      RECT& r = page[slot].rect;
      if (slot % 2 == 0) {
        r.left = 0;
        r.right = half;
      } else {
        r.left = half < 1 ? half : half - 1;
        r.right = w;
      }
      r.top = top + row * h;
      r.bottom = top + (row + 1) * h;
    }
    for (std::int32_t i = 0; i < 4; ++i) page[8 + i].rect = RECT{i * quarter, stripTop, (i + 1) * quarter, bottom};
    page[12].rect = RECT{0, smallTop, quarter, smallTop + smallHeight};
    page[13].rect = RECT{quarter, smallTop, half, smallTop + smallHeight};
    page[14].rect = RECT{};  // never shown
  }
  menu.tabRect = RECT{half - g, 0, half + g, large ? 44 : 32};
  const std::int32_t open = large ? 50 : 20;
  menu.openRect = RECT{half - open, menu.tabRect.top, half + open, menu.tabRect.bottom + open};
  const std::int32_t arrow = large ? 64 : 32;
  menu.previousRect = RECT{0, 0, arrow, arrow};
  menu.nextRect = RECT{w - arrow, 0, w, arrow};
}

void MenusApplyLanguage(MenuBar& menu) {
  for (MenuCommandEntry& entry : menu.entries)
    if (entry.command) entry.text = LangText(static_cast<std::int32_t>(entry.index));
  for (auto& page : menu.pages)
    for (MenuButton& button : page)
      if (button.entry.command) button.entry.text = LangText(static_cast<std::int32_t>(button.entry.index));
}

int MenuCommand(MenuBar& menu, std::uint32_t key) {
  if (key < 0xC1 || key > 0xC4) return 0;
  const MenuButton& button = menu.pages[0][8 + (key - 0xC1)];
  if (!button.entry.command) return 0;
  MenuRunCommand(button.entry.command, button.entry.parameter);
  return 1;
}

void MenuClose(MenuBar& menu) { menu.open = 0; }

bool MenuAssignSlot(MenuBar& menu, std::int32_t slot, std::uint32_t entryIndex) {
  if (slot < 0 || slot >= kMenuSlotCount) return false;
  MenuButton* page = menu.currentPage ? menu.currentPage : menu.pages[0];
  if (entryIndex >= kMenuEntryCount) entryIndex = 0;
  const MenuCommandEntry& entry = menu.entries[entryIndex];
  if (entry.command == kMenuCmdEdit) return false;
  page[slot].entry = entry.command ? entry : MenuCommandEntry{};
  return true;
}

}  // namespace cumulor
