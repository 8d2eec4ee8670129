// The item's state: one item per process, as the host loads the library once.
#pragma once

#include "platform/base/types.h"
#include "platform/shell/today.h"
#include "todayvelomar/TodayProtocol.h"

namespace todayvelomar {

// Registry strings are read into buffers of 520 bytes.
inline constexpr int kSettingChars = 260;

struct ItemState {
  HINSTANCE module = nullptr;
  WCHAR modulePath[MAX_PATH] = {};
  TODAYLISTITEM* item = nullptr;
  HWND window = nullptr;
  HWND mainWindow = nullptr;  // the last main window found; kept after Velomar quits
  bool firstTime = false;
  bool mainWindowPresent = false;
  bool refreshNeeded = true;
  int statuses[kTodayIconSlots] = {-1, -1, -1, -1, -1, -1};
  int cellId = 0;
  int lac = 0;
  WCHAR iconFolder[MAX_PATH] = {};
  DWORD printPlace = 0;
  WCHAR currentPlace[kSettingChars] = {};
  WCHAR currentFrame[kSettingChars] = {};
};

ItemState& State();

// Settings (TodaySettings.cpp).
// A string value of Velomar's settings into `buffer` of `chars` characters: cut to what fits, empty
// when absent or not a string; always terminated.
void ReadSettingString(LPCWSTR name, WCHAR* buffer, int chars);
// A DWORD value of Velomar's settings; 0 when absent or not 4 bytes.
DWORD ReadSettingDword(LPCWSTR name);
// The theme's screen folder for a screen of width x height pixels: "qvga", "square" or "vga".
const WCHAR* ScreenFolder(int width, int height);
// Builds the icon folder "<library folder>\themes\<theme>\<screen folder>" (cut to MAX_PATH - 1).
void BuildIconFolder(const WCHAR* module_path, const WCHAR* theme, const WCHAR* screen_folder, WCHAR* out);

// Painting (TodayPaint.cpp).
void PaintItem(HWND hwnd);
// The icon file shown for a slot's status.
const WCHAR* IconFile(int slot, int status);

}  // namespace todayvelomar
