#include "cumulor/map/menus/menu_bar.h"

#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/map/menus/menu_link.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

COLOR16 Channel(int value) { return static_cast<COLOR16>(value << 8); }

// The button face: a vertical gradient from pale yellow at the top to light blue at the bottom
// (the other way round while the pen is on it), one pixel taller than the button.
void DrawFace(HDC dc, const RECT& r, bool pressed) {
  TRIVERTEX v[2] = {};
  const int top[3] = {255, 255, 224};
  const int bottom[3] = {126, 166, 255};
  const int* a = pressed ? bottom : top;
  const int* b = pressed ? top : bottom;
  v[0] = TRIVERTEX{r.left, r.top, Channel(a[0]), Channel(a[1]), Channel(a[2]), 0};
  v[1] = TRIVERTEX{r.right, r.bottom + 1, Channel(b[0]), Channel(b[1]), Channel(b[2]), 0};
  GRADIENT_RECT mesh{0, 1};
  GradientFill(dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Rectangle(dc, r.left, r.top, r.right, r.bottom + 1);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

void DrawButton(HDC dc, const MenuButton& button, std::int32_t slot, bool pressed, bool large) {
  const RECT& r = button.rect;
  DrawFace(dc, r, pressed);
  const std::int32_t full = large ? 64 : 32;
  const std::int32_t size = slot >= 8 ? full / 2 : full;
  const WCHAR* text = button.entry.text ? button.entry.text : u"";
  RECT label = r;
  if (button.entry.icon) {
    const std::int32_t y = r.top + (r.bottom - r.top - size) / 2;
    if (!*text) {
      DrawIconEx(dc, r.left + (r.right - r.left - size) / 2, y, button.entry.icon, size, size, 0, nullptr, DI_NORMAL);
    } else {
      DrawIconEx(dc, r.left + 8, y, button.entry.icon, size, size, 0, nullptr, DI_NORMAL);
      label.left = r.left + 8 + size;
    }
  }
  if (*text) {
    HFONT* font = FontHandleSlot(slot >= 8 ? kFontSmall : kFontMenu);
    HGDIOBJ oldFont = font && *font ? SelectObject(dc, *font) : nullptr;
    DrawTextW(dc, text, -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    if (oldFont) SelectObject(dc, oldFont);
  }
}

}  // namespace

void MenuDraw(MenuBar& menu, HDC dc) {
  if (menu.editing) return;
  if (!dc) dc = menu.dc;
  if (!dc) return;
  const bool large = IsLargeScreen();
  const std::int32_t g = large ? 64 : 32;
  HFONT* small = FontHandleSlot(kFontSmall);
  HGDIOBJ oldFont = small && *small ? SelectObject(dc, *small) : nullptr;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, RGB(0, 0, 0));
  if (menu.open) {
    HBRUSH background = menu.background ? menu.background : static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    FillRect(dc, &menu.screen, background);
  }
  if (HICON left = MenuIcon(menu, 225))
    DrawIconEx(dc, menu.tabRect.left, menu.tabRect.top, left, g, g, 0, nullptr, DI_NORMAL);
  if (HICON right = MenuIcon(menu, 226))
    DrawIconEx(dc, menu.tabRect.left + g, menu.tabRect.top, right, g, g, 0, nullptr, DI_NORMAL);
  if (menu.open) {
    const std::int32_t arrow = menu.previousRect.right - menu.previousRect.left;
    HICON previous = MenuIcon(menu, 219);
    HICON next = MenuIcon(menu, 221);
    if (menu.pageNumber > 1 && previous)
      DrawIconEx(dc, menu.previousRect.left, menu.previousRect.top, previous, arrow, arrow, 0, nullptr, DI_NORMAL);
    if (menu.pageNumber < 3 && next)
      DrawIconEx(dc, menu.nextRect.left, menu.nextRect.top, next, arrow, arrow, 0, nullptr, DI_NORMAL);
    const MenuButton* page = menu.currentPage ? menu.currentPage : menu.pages[0];
    for (std::int32_t slot = 0; slot < 14; ++slot) {
      const MenuButton& button = page[slot];
      if (!menu.editMode && !button.entry.command) continue;
      if (menu.editMode ? slot == 12 : slot == 13) continue;
      DrawButton(dc, button, slot, slot == menu.selected, large);
    }
  }
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
}

void MenuRedraw(MenuBar& menu) {
  if (!menu.window || menu.editing) return;
  HDC dc = GetDC(menu.window);
  if (!dc) return;
  MenuDraw(menu, dc);
  ReleaseDC(menu.window, dc);
}

}  // namespace cumulor
