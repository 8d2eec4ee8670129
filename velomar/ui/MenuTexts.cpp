// Translating a menu by its text ids.
#include "velomar/ui/MenuTexts.h"

#include "velomar/ui/Translator.h"

namespace velomar::ui {

std::u16string MenuText(HMENU menu, int position) {
  WCHAR text[256] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
  return text;
}

void TranslateMenu(HMENU menu, CTranslator& texts, const WCHAR* kept_submenu) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    const UINT at = static_cast<UINT>(position);
    if (GetMenuState(menu, at, MF_BYPOSITION) & MF_SEPARATOR) continue;
    const std::u16string id = MenuText(menu, position);
    if (HMENU submenu = GetSubMenu(menu, position)) {
      RemoveMenu(menu, at, MF_BYPOSITION);
      InsertMenuW(menu, at, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), texts.GetText(id).c_str());
      if (kept_submenu == nullptr || id != kept_submenu) TranslateMenu(submenu, texts, kept_submenu);
      continue;
    }
    const UINT command = GetMenuItemID(menu, position);
    DeleteMenu(menu, at, MF_BYPOSITION);
    InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING, command, texts.GetText(id).c_str());
  }
}

}  // namespace velomar::ui
