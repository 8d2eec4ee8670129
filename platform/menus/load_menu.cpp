// Menus from a module's resources.
#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_set.h"

namespace {

void Fill(HMENU menu, const std::vector<ce::resources::MenuItemTemplate>& items) {
  for (const auto& it : items) {
    if (it.flags & MF_POPUP) {
      HMENU sub = CreatePopupMenu();
      Fill(sub, it.children);
      AppendMenuW(menu, MF_POPUP | (it.flags & (MF_GRAYED | MF_CHECKED)), reinterpret_cast<UINT_PTR>(sub),
                  it.text.c_str());
    } else {
      AppendMenuW(menu, it.flags, it.id, (it.flags & MF_SEPARATOR) ? nullptr : it.text.c_str());
    }
  }
}

}  // namespace

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
  auto set = ce::resources::ResourcesOf(instance);
  if (!set) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto it = set->menus.find(ce::resources::ResName::From(name));
  if (it == set->menus.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  HMENU menu = CreateMenu();
  Fill(menu, it->second);
  return menu;
}
