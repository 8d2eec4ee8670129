#include "cumulor/map/menus/menu_link.h"

namespace cumulor {
namespace {

MenuLink& Link() {
  static MenuLink link;
  return link;
}

}  // namespace

void SetMenuLink(const MenuLink& link) { Link() = link; }

void MenuRunCommand(std::uint32_t command, std::uint32_t parameter) {
  if (Link().runCommand) Link().runCommand(command, parameter);
}

void MenuShowInfoBox(const WCHAR* text, const RECT& rect) {
  if (Link().showInfoBox) Link().showInfoBox(text, rect);
}

void MenuSetDialogActive(int active) {
  if (Link().setDialogActive) Link().setDialogActive(active);
}

MenuStateGuard::MenuStateGuard() {
  if (Link().lockState) Link().lockState(1);
}

MenuStateGuard::~MenuStateGuard() {
  if (Link().lockState) Link().lockState(0);
}

void MenuRefreshMap() {
  if (Link().refreshMap) Link().refreshMap();
}

}  // namespace cumulor
