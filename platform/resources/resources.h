// A program's resources: dialog templates, menus, soft-key bars, string tables, icons, bitmaps,
// sounds and raw data, written as text in the program's res/ folder (format in README.md) and
// built into the program. Found by module and id as on the device.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/images.h"

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_WAVE u"WAVE"

// RT_DIALOG answers the binary dialog template (DLGTEMPLATE with its items) that
// DialogBoxIndirectParamW takes; RT_BITMAP, RT_ICON / RT_GROUP_ICON, RT_WAVE and RT_RCDATA the
// bytes of the file the resource names. Null with ERROR_RESOURCE_NAME_NOT_FOUND (or
// ERROR_RESOURCE_TYPE_NOT_FOUND) when absent.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);
// Copies string `id` (cut to size - 1 characters) and answers its length; 0 when absent. With
// size 0 the buffer receives a pointer to the read-only string itself.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);
