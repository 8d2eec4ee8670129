// The soft-key bar of a window or dialog: making it, the keys' texts and the items of a key's menu.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace velomar::ui {

// Makes the soft-key bar of resource `bar_id` (of `instance`) for `parent`; false when it cannot
// be made. `bar` is the bar's window when made, left as it was otherwise.
bool CreateSoftKeyBar(HWND parent, UINT bar_id, HINSTANCE instance, HWND& bar);
// The soft key with command `command` of the bar `bar` shows `text` (nothing without a bar).
void SetSoftKeyText(HWND bar, UINT command, const std::u16string& text);
// Item `position` of the menu of soft key `menu_key` of the bar `bar` becomes `text` with
// `command`: the item there is replaced, or one is added when the menu has fewer. Nothing when
// the key has no menu.
void SetSoftKeyMenuItem(HWND bar, UINT menu_key, int position, UINT command, const std::u16string& text);

}  // namespace velomar::ui
