// A small program on the platform's screen: a full-screen window with shapes, a gradient and
// text; a tap draws a dot, a key shows its code, Escape ends it.
//   screen_demo --screenshot <file.png>   headless: paints, saves the screen, ends
//   screen_demo --live                    shows the screen in an SDL2 window (mouse = pen)
// $CE_SCREEN selects the size (portrait, landscape, square, vga, ...).
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace {

std::u16string g_status = u"Tap the screen";

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      TRIVERTEX v[2] = {{0, 0, 0x2000, 0x4000, 0xA000, 0}, {r.right, r.bottom, 0xC000, 0xE000, 0xFF00, 0}};
      GRADIENT_RECT g{0, 1};
      GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
      HBRUSH red = CreateSolidBrush(RGB(220, 30, 30));
      HGDIOBJ old_brush = SelectObject(dc, red);
      Rectangle(dc, 20, 20, r.right / 2, 90);
      HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 0));
      HGDIOBJ old_pen = SelectObject(dc, pen);
      SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
      POINT star[] = {{r.right - 60, 20}, {r.right - 30, 90}, {r.right - 100, 45}, {r.right - 20, 45}, {r.right - 90, 90}};
      Polygon(dc, star, 5);
      Ellipse(dc, 30, 110, r.right - 30, r.bottom / 2 + 40);
      LOGFONTW lf{};
      lf.lfHeight = -22;
      lf.lfWeight = FW_BOLD;
      std::memcpy(lf.lfFaceName, u"Tahoma", sizeof(u"Tahoma"));
      HFONT font = CreateFontIndirectW(&lf);
      HGDIOBJ old_font = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      RECT title{0, 110, r.right, r.bottom / 2 + 40};
      DrawTextW(dc, u"Handheld", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, GetStockObject(SYSTEM_FONT));
      SetTextColor(dc, RGB(0, 0, 0));
      RECT status{0, r.bottom - 30, r.right, r.bottom};
      DrawTextW(dc, g_status.c_str(), -1, &status, DT_CENTER | DT_SINGLELINE);
      SelectObject(dc, old_font);
      SelectObject(dc, old_pen);
      SelectObject(dc, old_brush);
      DeleteObject(font);
      DeleteObject(pen);
      DeleteObject(red);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      HDC dc = GetDC(hwnd);
      SelectObject(dc, GetStockObject(BLACK_BRUSH));
      int x = static_cast<SHORT>(LOWORD(lparam)), y = static_cast<SHORT>(HIWORD(lparam));
      Ellipse(dc, x - 4, y - 4, x + 4, y + 4);
      ReleaseDC(hwnd, dc);
      return 0;
    }
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) {
        DestroyWindow(hwnd);
        return 0;
      }
      g_status = u"Key " + std::u16string(1, static_cast<char16_t>(u'0' + wparam / 100)) +
                 std::u16string(1, static_cast<char16_t>(u'0' + wparam / 10 % 10)) +
                 std::u16string(1, static_cast<char16_t>(u'0' + wparam % 10));
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* screenshot = nullptr;
  bool live = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) screenshot = argv[++i];
    else if (std::strcmp(argv[i], "--live") == 0) live = true;
    else {
      std::fprintf(stderr, "usage: screen_demo [--screenshot file.png] [--live]\n");
      return 2;
    }
  }
  if (live && !ce::display::UseLiveWindow(2)) {
    std::fprintf(stderr, "screen_demo: no live window (no display?); running headless\n");
    live = false;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = u"ScreenDemo";
  if (!RegisterClassW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, u"ScreenDemo", u"Demo", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) return 1;
  MSG msg;
  if (!live) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    bool ok = !screenshot || ce::display::SaveScreenshot(screenshot);
    DestroyWindow(hwnd);
    UnregisterClassW(u"ScreenDemo", nullptr);
    return ok ? 0 : 1;
  }
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (screenshot) ce::display::SaveScreenshot(screenshot);
  UnregisterClassW(u"ScreenDemo", nullptr);
  return 0;
}
