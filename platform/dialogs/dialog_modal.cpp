// Running dialogs: modal loops on any thread with the scripted user's steps, EndDialog, and the
// entry points from resources and from templates in memory.
#include "platform/base/errors.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/display/display.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/menus/answer_wait.h"
#include "platform/resources/resources.h"
#include "platform/text/utf.h"

namespace ce::dialogs {
namespace {

std::optional<resources::DialogTemplate> Decode(LPCDLGTEMPLATEW dialog) {
  if (!dialog) return std::nullopt;
  std::size_t size = resources::KnownTemplateSize(dialog);
  // A template built by the caller in memory has no known size; it is read until complete.
  return resources::DecodeDialog(dialog, size ? size : (1u << 20));
}

bool Ended(HWND dialog) {
  auto st = StateOf(dialog);
  return !st || st->ended || !IsWindow(dialog);
}

}  // namespace

INT_PTR RunModal(HWND dialog, HWND owner, const ModalScript& how) {
  auto& user = scripted::User::Get();
  bool reenable = false;
  if (owner && IsWindow(owner) && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    reenable = true;
  }
  if (!Ended(dialog)) {
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
  }
  int length = GetWindowTextLengthW(dialog);
  std::u16string title(static_cast<std::size_t>(length) + 1, u'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(dialog, title.data(), length + 1)));
  std::size_t record = user.Begin({how.kind, title, how.texts.empty() ? ShownTexts(dialog) : how.texts, 0, false, 0});

  std::optional<scripted::Answer> script;
  std::size_t next_step = 0;
  bool defaulted = false;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  user.WakeOnAnswer(wake);
  while (!Ended(dialog)) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));  // for the thread's own loop
        EndDialog(dialog, 0);
        break;
      }
      if (!IsDialogMessageW(dialog, &m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      continue;
    }
    // Idle: the user acts.
    if (!script && !defaulted) script = how.take ? how.take() : user.Take(scripted::Kind::kDialog);
    if (script && next_step < script->steps.size()) {
      RunStep(dialog, script->steps[next_step++]);
      continue;
    }
    if (display::LiveWindowShown() || user.holding()) {
      MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, 0);
      continue;
    }
    if (!defaulted) {
      defaulted = true;
      user.Log(std::string(scripted::KindName(how.kind)) + " \"" + text::ToUtf8(title) + "\": " +
               (script ? "the scripted steps left it open" : "no scripted answer") + "; " + how.fallback_name);
      if (how.fallback) how.fallback(dialog);
      else SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      continue;
    }
    user.Log("dialog \"" + text::ToUtf8(title) + "\": did not close on Cancel; ended with IDCANCEL");
    EndDialog(dialog, IDCANCEL);
  }
  user.StopWaking(wake);
  CloseHandle(wake);
  auto st = StateOf(dialog);
  INT_PTR result = st ? st->result.load() : -1;
  user.Finish(record, static_cast<int>(result), script.has_value() && !defaulted);
  if (reenable) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return result;
}

}  // namespace ce::dialogs

using namespace ce::dialogs;

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialog, HWND owner, DLGPROC proc, LPARAM param) {
  auto t = Decode(dialog);
  if (!t) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  t->style &= ~WS_CHILD;
  HWND dlg = CreateFromTemplate(instance, *t, owner, proc, param, true);
  if (!dlg) return -1;
  return RunModal(dlg, owner);
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  auto set = ce::resources::ResourcesOf(instance);
  const ce::resources::DialogTemplate* t = set ? ce::resources::FindDialog(*set, name) : nullptr;
  if (!t) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  auto copy = *t;
  copy.style &= ~WS_CHILD;
  HWND dlg = CreateFromTemplate(instance, copy, owner, proc, param, true);
  if (!dlg) return -1;
  return RunModal(dlg, owner);
}

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialog, HWND owner, DLGPROC proc, LPARAM param) {
  auto t = Decode(dialog);
  if (!t) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateFromTemplate(instance, *t, owner, proc, param, false);
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  auto set = ce::resources::ResourcesOf(instance);
  const ce::resources::DialogTemplate* t = set ? ce::resources::FindDialog(*set, name) : nullptr;
  if (!t) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return CreateFromTemplate(instance, *t, owner, proc, param, false);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto st = StateOf(dialog);
  if (!st) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  st->result = result;
  st->ended = true;
  if (st->thread == GetCurrentThreadId()) ShowWindow(dialog, SW_HIDE);
  PostMessageW(dialog, WM_NULL, 0, 0);  // wakes the modal loop when called from another thread
  return TRUE;
}
