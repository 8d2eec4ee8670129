// MenuBar: the configurable menu bar of the application record. So far the state the application
// core reads and sets (set up, open); pages, buttons, drawing and the "Menu" element come with the
// menus' own module.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

struct MenuBar {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HBRUSH background = nullptr;
  HBRUSH buttonBrush = nullptr;
  HFONT buttonFont = nullptr;
  HFONT smallFont = nullptr;
  std::uint8_t setUp = 0;
  std::uint8_t open = 0;       // a menu page is shown
};

void MenusInit(MenuBar& menu);
void MenusTerm(MenuBar& menu);
void MenuBarSetup(MenuBar& menu, HINSTANCE instance, HWND window, HBRUSH background, HBRUSH buttonBrush,
                  HFONT buttonFont, HFONT smallFont);
// The hardware application keys 193..196 run their button's command; 1 when one ran. No buttons
// are configured yet, so every key answers 0.
int MenuCommand(MenuBar& menu, std::uint32_t key);
// Command 40049: opens or closes the menu page.
void MenuHandleClick(MenuBar& menu, std::uint32_t command);
void MenuClose(MenuBar& menu);

}  // namespace cumulor
