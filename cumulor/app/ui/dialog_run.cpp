#include "cumulor/app/ui/dialog_run.h"

#include <atomic>

#include "platform/resources/resources.h"
#include "platform/window/window.h"
#include "platform/sound/sound.h"

namespace cumulor {
namespace {

std::atomic<HINSTANCE> g_instance{nullptr};

LPCDLGTEMPLATEW FindTemplate(int id) {
  HINSTANCE instance = g_instance.load();
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_DIALOG);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(instance, found);
  return loaded ? static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)) : nullptr;
}

}  // namespace

void SetUiInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE UiInstance() { return g_instance.load(); }

INT_PTR RunDialog(int id, HWND owner, DLGPROC proc, LPARAM param) {
  LPCDLGTEMPLATEW dialog = FindTemplate(id);
  if (!dialog) return -1;
  return DialogBoxIndirectParamW(g_instance.load(), dialog, owner, proc, param);
}

HWND CreateModelessDialog(int id, HWND owner, DLGPROC proc, LPARAM param) {
  LPCDLGTEMPLATEW dialog = FindTemplate(id);
  return dialog ? CreateDialogIndirectParamW(g_instance.load(), dialog, owner, proc, param) : nullptr;
}

INT_PTR EndDialogOnAppKey(HWND dialog, WPARAM key, INT_PTR result) {
  if (!IsAppKey(key)) return FALSE;
  EndDialog(dialog, result);
  return TRUE;
}

INT_PTR ConfirmOnAppKey(HWND dialog, WPARAM key) {
  if (!IsAppKey(key)) return FALSE;
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void PlayMenuClick() { PlaySoundAsync(u"MenuPop.wav"); }

void PlaySoundAsync(const WCHAR* name) { sndPlaySoundW(name, SND_ASYNC); }

}  // namespace cumulor
