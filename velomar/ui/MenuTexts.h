// Menus whose resource texts are text ids: every item rewritten by position with its translation.
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/menus/menus.h"

class CTranslator;

namespace velomar::ui {

// The text of the item at `position` (at most 255 characters).
std::u16string MenuText(HMENU menu, int position);
// Rewrites every item of `menu` by position with the translation of its text; a submenu is taken
// out, put back as a popup with its translated title, and rewritten the same way, except the
// items of the submenu whose text id is `kept_submenu` (null: none), which keep their texts.
// Separators stay as they are.
void TranslateMenu(HMENU menu, CTranslator& texts, const WCHAR* kept_submenu = nullptr);

}  // namespace velomar::ui
