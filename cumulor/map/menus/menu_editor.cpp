#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/menus/menu_link.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

// The menu being edited (the editor runs modally on the UI thread).
MenuBar* g_editedMenu = nullptr;

bool FillCombo(HWND combo, const MenuBar& menu, const MenuButton& button) {
  static const WCHAR kBlank[] = u"   ";
  LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kBlank));
  if (at < 0) return false;
  SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), 0);
  LRESULT chosen = -1;
  for (std::uint32_t index = 1; index < kMenuEntryCount; ++index) {
    const MenuCommandEntry& entry = menu.entries[index];
    if (!entry.command) continue;
    if (!entry.text) break;  // the list ends at a used entry without a label
    at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text));
    if (at < 0) return false;
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(index));
    if (chosen < 0 && entry.command == button.entry.command && entry.parameter == button.entry.parameter)
      chosen = at;
  }
  if (chosen >= 0) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  return true;
}

}  // namespace

INT_PTR MenuEditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  MenuBar* menu = g_editedMenu;
  switch (message) {
    case WM_INITDIALOG: {
      if (!menu || menu->editedSlot < 0 || menu->editedSlot >= kMenuSlotCount) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      const std::u16string title = ce::text::Format(u"Editing Button nr %d", menu->editedSlot + 1);
      SetWindowTextW(dialog, title.c_str());
      HWND combo = GetDlgItem(dialog, kMenuEditorCombo);
      if (HFONT* font = FontHandleSlot(kFontMedium); font && *font)
        SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(*font), 0);
      const MenuButton* page = menu->currentPage ? menu->currentPage : menu->pages[0];
      if (!FillCombo(combo, *menu, page[menu->editedSlot])) EndDialog(dialog, static_cast<INT_PTR>(E_FAIL));
      (void)lparam;
      return TRUE;
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wparam);
      if (id == IDCANCEL) {
        PlayMenuClick();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      if (id != IDOK || !menu) return FALSE;
      HWND combo = GetDlgItem(dialog, kMenuEditorCombo);
      const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
      std::uint32_t index = 0;
      if (selected > 0) index = static_cast<std::uint32_t>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
      bool assigned = false;
      {
        MenuStateGuard guard;
        assigned = MenuAssignSlot(*menu, menu->editedSlot, index);
      }
      if (!assigned) return TRUE;  // "Edit" cannot be chosen
      PlayMenuClick();
      EndDialog(dialog, IDOK);
      return TRUE;
    }
    default: return FALSE;
  }
}

void MenuEditButton(MenuBar& menu, std::int32_t slot) {
  {
    MenuStateGuard guard;
    menu.editing = 1;
    menu.editedSlot = slot;
  }
  MenuSetDialogActive(1);
  g_editedMenu = &menu;
  RunDialog(kMenuEditorDialog, menu.window, MenuEditorProc, 0);
  g_editedMenu = nullptr;
  MenuStateGuard guard;
  menu.editedSlot = -1;
  menu.editing = 0;
}

}  // namespace cumulor
