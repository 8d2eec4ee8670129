// Where the flight computer's window lies on the screen: process-wide placement values, read at
// start (GetDesktopRect), kept on every move (SaveWindowRects) and stored as the registry value
// "rScreen" (16 bytes: left, top, right, bottom).
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "platform/registry/registry.h"

namespace cumulor {

struct ScreenLayout {
  std::int32_t desktopWidth = 240;
  std::int32_t desktopHeight = 320;
  std::uint8_t largeScreen = 0;        // wider than 240 and taller than 320
  std::int32_t iconSize = 32;          // 64 on a large screen
  POINT clientOrigin{};                // in screen coordinates
  RECT clientRect{0, 0, 240, 320};
  std::int32_t clientWidth = 240;
  std::int32_t clientHeight = 320;
  std::int32_t layoutWidth = 240;      // client width, at least 240
  std::int32_t layoutHeight = 320;     // client height, at least 320
  RECT savedRect{100, 0, 300, 300};    // "rScreen"
  std::int32_t savedWidth = 200;
  std::int32_t savedHeight = 300;
};

ScreenLayout& Layout();
inline bool IsLargeScreen() { return Layout().largeScreen != 0; }

// Reads the desktop window's rectangle into the layout and sets the large-screen flag, the icon
// size and the default saved rectangle.
void GetDesktopRect();
// Reads "rScreen" (exactly 16 bytes of REG_BINARY) into the saved rectangle; other values are
// ignored. True when read.
bool LoadScreenRect(HKEY key);
LONG SaveScreenRect(HKEY key);
// WM_MOVE: the client origin, rectangle and sizes, the layout size, and the window's rectangle as
// the saved rectangle.
void SaveWindowRects(HWND window);

}  // namespace cumulor
