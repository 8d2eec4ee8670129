#include "cumulor/map/menus/menu_bar.h"

namespace cumulor {

void MenusInit(MenuBar& menu) { menu = MenuBar{}; }

void MenusTerm(MenuBar& menu) { menu.setUp = 0; }

void MenuBarSetup(MenuBar& menu, HINSTANCE instance, HWND window, HBRUSH background, HBRUSH buttonBrush,
                  HFONT buttonFont, HFONT smallFont) {
  menu.instance = instance;
  menu.window = window;
  menu.background = background;
  menu.buttonBrush = buttonBrush;
  menu.buttonFont = buttonFont;
  menu.smallFont = smallFont;
  menu.setUp = 1;
}

int MenuCommand(MenuBar&, std::uint32_t) { return 0; }

void MenuHandleClick(MenuBar& menu, std::uint32_t) { menu.open = menu.open ? 0 : 1; }

void MenuClose(MenuBar& menu) { menu.open = 0; }

}  // namespace cumulor
