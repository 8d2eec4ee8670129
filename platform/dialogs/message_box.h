// Message boxes: a modal box with a text and its buttons, answered by the scripted user.
#pragma once

#include "platform/dialogs/dialogs.h"
#include "platform/sound/sound.h"

#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

// Shows the box modally on the calling thread (the owner, when given, is disabled meanwhile) and
// answers the button pressed (IDOK, IDCANCEL, IDYES, ...), or 0 with the last error set when the
// box cannot be shown (an unknown button set). Without a scripted answer the default button is
// pressed and logged.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags);
