// Running the flight computer's dialogs from the templates in its resources, and the click sound
// of its menus, dialogs and buttons.
#pragma once

#include "platform/base/types.h"
#include "platform/dialogs/dialogs.h"

namespace cumulor {

// The module whose resources the dialogs come from (null: the program).
void SetUiInstance(HINSTANCE instance);
HINSTANCE UiInstance();

// Finds dialog template `id` (RT_DIALOG) and runs it modally; -1 when the template is missing or
// the dialog cannot be created.
INT_PTR RunDialog(int id, HWND owner, DLGPROC proc, LPARAM param);
// The same as a modeless dialog; null when it cannot be created.
HWND CreateModelessDialog(int id, HWND owner, DLGPROC proc, LPARAM param);

// A hardware key that ends or confirms the dialogs (virtual keys 193..196).
inline bool IsAppKey(WPARAM key) { return key >= 193 && key <= 196; }
// A dialog's WM_KEYDOWN where a hardware key ends the dialog with `result`: TRUE when `key` was
// one (the dialog ends), FALSE for any other key.
INT_PTR EndDialogOnAppKey(HWND dialog, WPARAM key, INT_PTR result);
// A dialog's WM_KEYDOWN where a hardware key confirms the dialog: IDOK is sent to it as a command.
// TRUE when `key` was one, FALSE for any other key.
INT_PTR ConfirmOnAppKey(HWND dialog, WPARAM key);

// "MenuPop.wav", asynchronously.
void PlayMenuClick();
// A sound of the program, asynchronously (a bare name is found in "\Windows").
void PlaySoundAsync(const WCHAR* name);

}  // namespace cumulor
