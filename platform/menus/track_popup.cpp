// Showing a popup menu: the owner prepares it (WM_INITMENUPOPUP), the scripted user picks.
#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/answer_wait.h"
#include "platform/menus/menu_internal.h"
#include "platform/menus/menu_popup.h"
#include "platform/text/utf.h"

namespace ce::menus {
namespace {

void Describe(const Snapshot& s, const std::u16string& prefix, std::vector<std::u16string>& out) {
  for (std::size_t i = 0; i < s.items.size(); ++i) {
    const Item& it = s.items[i];
    if (it.type & MF_SEPARATOR) {
      out.push_back(prefix + u"-");
      continue;
    }
    std::u16string line = prefix + it.text;
    if (it.state & MF_CHECKED) line += u" [checked]";
    if (it.state & (MF_GRAYED | MF_DISABLED)) line += u" [grayed]";
    if (it.sub) line += u" >";
    out.push_back(line);
    if (it.sub) Describe(s.subs[i], prefix + it.text + u" > ", out);
  }
}

// The popups that lead to command `id`, outermost first, with their positions; false when absent.
bool PathTo(const Snapshot& s, UINT id, std::vector<std::pair<HMENU, UINT>>& path) {
  for (std::size_t i = 0; i < s.items.size(); ++i) {
    const Item& it = s.items[i];
    if (it.sub) {
      path.emplace_back(it.sub, static_cast<UINT>(i));
      if (PathTo(s.subs[i], id, path)) return true;
      path.pop_back();
    } else if (!(it.type & MF_SEPARATOR) && it.id == id) {
      return true;
    }
  }
  return false;
}

bool Enabled(HMENU menu, UINT id) {
  auto lock = LockMenus();
  Menu* m = FindMenu(menu);
  if (!m) return false;
  for (auto& it : m->items)
    if (!it.sub && it.id == id && !(it.type & MF_SEPARATOR)) return !(it.state & (MF_GRAYED | MF_DISABLED));
  return false;
}

}  // namespace
}  // namespace ce::menus

using namespace ce::menus;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* params) {
  (void)params;
  if (!IsMenu(menu)) {
    SetLastError(1401);  // ERROR_INVALID_MENU_HANDLE
    return FALSE;
  }
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SendMessageW(owner, WM_ENTERMENULOOP, TRUE, 0);
  SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  Snapshot snap = Snap(menu);
  ce::scripted::Shown shown{ce::scripted::Kind::kMenu, {}, {}, 0, false, 0};
  Describe(snap, u"", shown.texts);
  auto& user = ce::scripted::User::Get();
  std::size_t record = user.Begin(shown);

  Awaited got = AwaitAnswer(ce::scripted::Kind::kMenu, true);
  UINT command = 0;
  if (got.answer) {
    command = static_cast<UINT>(got.answer->value);
    std::vector<std::pair<HMENU, UINT>> path;
    if (command != 0) {
      if (!PathTo(snap, command, path)) {
        user.Log("menu: command " + std::to_string(command) + " is not in the menu shown; dismissed");
        command = 0;
      } else {
        for (auto& [sub, pos] : path) SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), pos);
        HMENU holder = path.empty() ? menu : path.back().first;
        if (!Enabled(holder, command)) {
          user.Log("menu: command " + std::to_string(command) + " is grayed; dismissed");
          command = 0;
        }
      }
    }
  } else if (!got.dismissed && InteractiveMenus()) {
    command = RunMenuPopup(menu, flags, x, y, owner);  // a person picks
  } else if (!got.dismissed) {
    user.Log("menu: no scripted answer; dismissed without a command");
  }
  user.Finish(record, static_cast<int>(command), got.answer.has_value());
  SendMessageW(owner, WM_EXITMENULOOP, TRUE, 0);
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(command);
  if (command) PostMessageW(owner, WM_COMMAND, command, 0);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) {
  (void)reserved, (void)rect;
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}
