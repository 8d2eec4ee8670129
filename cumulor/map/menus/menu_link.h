// The menu's calls into the main window through the link the program sets (SetMenuLink), and the
// icon lookup shared by the menu's files.
#pragma once

#include <cstdint>

#include "cumulor/map/menus/menu_bar.h"

namespace cumulor {

void MenuRunCommand(std::uint32_t command, std::uint32_t parameter);
void MenuShowInfoBox(const WCHAR* text, const RECT& rect);
void MenuSetDialogActive(int active);
void MenuRefreshMap();
// The menu's state changes while one lives: pages, open flag, page shown, selection, edit mode.
// Nothing that shows a dialog or runs a command may run while one lives.
class MenuStateGuard {
 public:
  MenuStateGuard();
  ~MenuStateGuard();
  MenuStateGuard(const MenuStateGuard&) = delete;
  MenuStateGuard& operator=(const MenuStateGuard&) = delete;
};
// The loaded icon of resource `id`, null when it is not one of the menu's.
HICON MenuIcon(const MenuBar& menu, std::int32_t id);

}  // namespace cumulor
