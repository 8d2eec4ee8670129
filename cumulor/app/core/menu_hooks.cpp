#include "cumulor/app/core/menu_hooks.h"

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/language.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/map/menus/menu_bar.h"

namespace cumulor {
namespace {

void RunCommand(std::uint32_t command, std::uint32_t parameter) {
  if (AppContext* app = AppRecord()) OnCommand(*app, command, parameter);
}

void ShowMenuInfoBox(const WCHAR* text, const RECT& rect) {
  if (AppContext* app = AppRecord()) ShowInfoBox(*app, text, rect, 0);
}

void SetDialogActive(int active) {
  if (AppContext* app = AppRecord()) app->dialogActive = active ? 1 : 0;
}

void Refresh() {
  if (AppContext* app = AppRecord()) RefreshMapWindow(*app);
}

void LockMenuState(int lock) {
  if (AppContext* app = AppRecord()) {
    if (lock) {
      EnterCriticalSection(&app->mainLock);
    } else {
      LeaveCriticalSection(&app->mainLock);
    }
  }
}

void LanguageSelected() {
  if (AppContext* app = AppRecord()) MenusApplyLanguage(app->menu);
}

void ShowLanguageMessage(const WCHAR* text) { MessageBoxOk(text); }

}  // namespace

void InstallMenuHooks() {
  SetMenuLink(MenuLink{RunCommand, ShowMenuInfoBox, SetDialogActive, Refresh, LockMenuState});
  LanguageHooks hooks;
  hooks.showMessage = ShowLanguageMessage;
  hooks.languageSelected = LanguageSelected;
  SetLanguageHooks(hooks);
}

}  // namespace cumulor
