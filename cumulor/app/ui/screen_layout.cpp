#include "cumulor/app/ui/screen_layout.h"

#include <algorithm>
#include <cstring>

#include "platform/window/window.h"

namespace cumulor {

ScreenLayout& Layout() {
  static ScreenLayout layout;
  return layout;
}

void GetDesktopRect() {
  ScreenLayout& l = Layout();
  RECT r{};
  GetWindowRect(GetDesktopWindow(), &r);
  l.desktopWidth = r.right;
  l.desktopHeight = r.bottom;
  l.clientWidth = r.right;
  l.clientHeight = r.bottom;
  l.clientRect = {0, 0, r.right, r.bottom};
  l.layoutWidth = std::max<std::int32_t>(r.right, 240);
  l.layoutHeight = std::max<std::int32_t>(r.bottom, 320);
  l.largeScreen = r.right > 240 && r.bottom > 320 ? 1 : 0;
  l.iconSize = l.largeScreen ? 64 : 32;
  if (l.largeScreen) {
    l.savedRect = {100, 0, 400, 400};
    l.savedWidth = 300;
    l.savedHeight = 400;
  } else {
    l.savedRect = {100, 0, 300, 300};
    l.savedWidth = 200;
    l.savedHeight = 300;
  }
}

bool LoadScreenRect(HKEY key) {
  std::int32_t v[4] = {};
  DWORD type = 0, size = sizeof(v);
  if (RegQueryValueExW(key, u"rScreen", nullptr, &type, reinterpret_cast<BYTE*>(v), &size) != ERROR_SUCCESS ||
      type != REG_BINARY || size != sizeof(v))
    return false;
  ScreenLayout& l = Layout();
  l.savedRect = {v[0], v[1], v[2], v[3]};
  l.savedWidth = v[2] - v[0];
  l.savedHeight = v[3] - v[1];
  return true;
}

LONG SaveScreenRect(HKEY key) {
  const RECT& r = Layout().savedRect;
  const std::int32_t v[4] = {r.left, r.top, r.right, r.bottom};
  return RegSetValueExW(key, u"rScreen", 0, REG_BINARY, reinterpret_cast<const BYTE*>(v), sizeof(v));
}

void SaveWindowRects(HWND window) {
  ScreenLayout& l = Layout();
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  l.clientOrigin = origin;
  GetClientRect(window, &l.clientRect);
  l.clientWidth = l.clientRect.right - l.clientRect.left;
  l.clientHeight = l.clientRect.bottom - l.clientRect.top;
  l.layoutWidth = std::max<std::int32_t>(l.clientWidth, 240);
  l.layoutHeight = std::max<std::int32_t>(l.clientHeight, 320);
  RECT w{};
  if (GetWindowRect(window, &w)) {
    l.savedRect = w;
    l.savedWidth = w.right - w.left;
    l.savedHeight = w.bottom - w.top;
  }
}

}  // namespace cumulor
