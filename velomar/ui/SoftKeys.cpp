#include "velomar/ui/SoftKeys.h"

#include "platform/menus/softkey_bar.h"

namespace velomar::ui {

bool CreateSoftKeyBar(HWND parent, UINT bar_id, HINSTANCE instance, HWND& bar) {
  SHMENUBARINFO info{};
  info.cbSize = 36;
  info.hwndParent = parent;
  info.dwFlags = 0;
  info.nToolBarId = bar_id;
  info.hInstRes = instance;
  info.nBmpId = 0;
  info.cBmpImages = 0;
  if (!SHCreateMenuBar(&info)) return false;
  bar = info.hwndMB;
  return true;
}

void SetSoftKeyText(HWND bar, UINT command, const std::u16string& text) {
  if (bar == nullptr) return;
  std::u16string copy = text;
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  info.pszText = copy.data();
  info.cchText = static_cast<int>(copy.size());
  SendMessageW(bar, TB_SETBUTTONINFO, command, reinterpret_cast<LPARAM>(&info));
}

void SetSoftKeyMenuItem(HWND bar, UINT menu_key, int position, UINT command, const std::u16string& text) {
  if (bar == nullptr) return;
  auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, menu_key));
  if (menu == nullptr) return;
  if (position < GetMenuItemCount(menu)) DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
  InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING, command, text.c_str());
}

}  // namespace velomar::ui
