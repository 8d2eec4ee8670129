#include "cumulor/data/dialogs/select_files_dialog.h"

#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/aero_tables.h"
#include "platform/dialogs/dialogs.h"

namespace cumulor {

namespace {

SelectFilesHooks g_hooks;

struct Button {
  int id;
  std::int32_t category;
};
constexpr Button kButtons[] = {{1001, kFilesCountries}, {1002, kFilesUserWaypoints}, {1003, kFilesUserAirspace},
                               {1004, kFilesTerrain},   {1005, kFilesShape},         {1006, kFilesAviationDb},
                               {1007, kFilesThermals}};

std::int32_t Count(std::int32_t category) { return SelectedDataFiles()[category].selected.Size(); }

void SetCount(HWND dialog, int id, const std::u16string& text) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return;
  if (HFONT* font = FontHandleSlot(kFontSmall); font && *font)
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
  SetWindowTextW(item, text.c_str());
}

std::u16string Files(std::int32_t n) {
  const std::string s = std::to_string(n) + " file(s)";
  return std::u16string(s.begin(), s.end());
}

void OnInit(HWND dialog, bool overMap) {
  if (!overMap) SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (g_hooks.opened) g_hooks.opened(dialog, overMap);
  SetCount(dialog, 1444, Files(Count(kFilesAviationDb)));
  const std::string countries = std::to_string(Count(kFilesCountries)) +
                                (AeroData().regionKind == 1 ? " State(s)" : " Countries");
  SetCount(dialog, 1151, std::u16string(countries.begin(), countries.end()));
  SetCount(dialog, 1152, Files(Count(kFilesUserWaypoints)));
  SetCount(dialog, 1153, Files(Count(kFilesUserAirspace)));
  SetCount(dialog, 1158, Files(Count(kFilesTerrain) + Count(kFilesShape)));
  SetCount(dialog, 1445, Files(Count(kFilesThermals)));
}


void Forget(HWND dialog) {
  if (g_hooks.closed) g_hooks.closed(dialog);
}

}  // namespace

void SetSelectFilesHooks(const SelectFilesHooks& hooks) { g_hooks = hooks; }

INT_PTR SelectFilesDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog, lparam != 0);
      return TRUE;
    case WM_DESTROY:
      Forget(dialog);
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == 1355 || id == IDOK || id == IDCANCEL) {
        Forget(dialog);
        EndDialog(dialog, 0);
        return TRUE;
      }
      for (const Button& b : kButtons) {
        if (b.id != id) continue;
        PlayMenuClick();
        // Unregistered first, so closing the modeless dialogs leaves this one to end by itself.
        Forget(dialog);
        if (id == 1002 || id == 1003) {
          if (g_hooks.closeModeless) g_hooks.closeModeless();
          if (g_hooks.statusString) g_hooks.statusString(48);
        }
        if (g_hooks.commandWindow)
          PostMessageW(g_hooks.commandWindow, WM_COMMAND, MAKEWPARAM(kCmdChooseDataFiles, 0), b.category);
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        Forget(dialog);
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace cumulor
