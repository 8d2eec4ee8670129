// Painting: update regions, WM_PAINT, window DCs on the screen clipped to what is visible, the
// default window procedure.
#include <algorithm>
#include <iterator>

#include "platform/base/errors.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"
#include "platform/window/window_internal.h"
#include "platform/window/window_seams.h"

namespace ce::window {
namespace {

// A caller's rectangle may lie anywhere: its corners are pulled in to +-2^28 first, so that its
// width and height never overflow.
constexpr LONG kFar = 1 << 28;
cairo_rectangle_int_t ToCairo(const RECT& r) {
  auto near = [](LONG v) { return std::clamp(v, -kFar, kFar); };
  LONG l = near(r.left), t = near(r.top);
  return {l, t, std::max<LONG>(near(r.right) - l, 0), std::max<LONG>(near(r.bottom) - t, 0)};
}

// The part of the screen where the window shows: its rectangle within every ancestor, less the
// visible windows in front of it at every level and its own visible children. With
// `under_pending_children` a child's part that waits to be painted itself is left in: the window
// paints what lies under it first (a child drawn over its parent's background finds that
// background, not what a closed window left there). Window lock held.
cairo_region_t* VisibleRegion(const Window& w, bool under_pending_children = false) {
  RECT rect = ScreenRect(w);
  cairo_rectangle_int_t r = ToCairo(rect);
  cairo_region_t* region = cairo_region_create_rectangle(&r);
  auto screen = display::CurrentScreenSize();
  cairo_rectangle_int_t all = {0, 0, screen.width, screen.height};
  cairo_region_intersect_rectangle(region, &all);
  if (!Visible(w)) {
    cairo_region_subtract_rectangle(region, &all);
    return region;
  }
  const Window* cur = &w;
  WindowPtr holder;
  for (;;) {
    WindowPtr parent = cur->parent ? Find(cur->parent) : nullptr;
    const std::vector<HWND>& siblings = parent ? parent->children : TopLevels();
    for (HWND h : siblings) {
      if (h == cur->handle) break;
      auto s = Find(h);
      if (!s || !(s->style & WS_VISIBLE) || Transparent(*s)) continue;
      cairo_rectangle_int_t sr = ToCairo(ScreenRect(*s));
      cairo_region_subtract_rectangle(region, &sr);
    }
    if (!parent) break;
    cairo_rectangle_int_t pr = ToCairo(ClientScreenRect(*parent));
    cairo_region_intersect_rectangle(region, &pr);
    holder = parent;
    cur = holder.get();
  }
  for (HWND h : w.children) {
    auto c = Find(h);
    if (!c || !(c->style & WS_VISIBLE) || Transparent(*c)) continue;
    RECT screen = ScreenRect(*c);
    cairo_rectangle_int_t cr = ToCairo(screen);
    if (under_pending_children && c->update) {
      cairo_region_t* covered = cairo_region_create_rectangle(&cr);
      cairo_region_t* pending = cairo_region_copy(c->update);
      cairo_region_translate(pending, screen.left, screen.top);
      cairo_region_subtract(covered, pending);
      cairo_region_subtract(region, covered);
      cairo_region_destroy(pending);
      cairo_region_destroy(covered);
      continue;
    }
    cairo_region_subtract_rectangle(region, &cr);
  }
  return region;
}

// A window paints over its transparent children: the part of each that lies in `update` (the
// window's client coordinates) is painted again after it. Window lock held.
void RepaintTransparentChildren(Window& w, const cairo_region_t* update) {
  for (HWND h : w.children) {
    auto c = Find(h);
    if (!c || !Transparent(*c) || !Visible(*c)) continue;
    cairo_region_t* part = cairo_region_copy(update);
    cairo_rectangle_int_t cr = ToCairo(c->rect);
    cairo_region_intersect_rectangle(part, &cr);
    if (!cairo_region_is_empty(part)) {
      cairo_rectangle_int_t e;
      cairo_region_get_extents(part, &e);
      RECT r{e.x - c->rect.left, e.y - c->rect.top, e.x + e.width - c->rect.left, e.y + e.height - c->rect.top};
      InvalidateLocked(*c, &r, false, false);
    }
    cairo_region_destroy(part);
  }
}

// A DC on the window's client area (`whole`: on the whole window, caption included), limited to
// what shows of it and, when given, to `limit_client` (client coordinates).
HDC WindowDC(const Window& w, const cairo_region_t* limit_client, bool whole = false) {
  RECT screen = whole ? ScreenRect(w) : ClientScreenRect(w);
  HDC dc = gdi::CreateSurfaceDC(display::ScreenBitmap(), {screen.left, screen.top}, screen, w.handle);
  // A paint (limited to its update region) goes under the children that paint after it.
  cairo_region_t* visible = VisibleRegion(w, limit_client != nullptr);
  if (!whole) {
    cairo_rectangle_int_t client = ToCairo(screen);
    cairo_region_intersect_rectangle(visible, &client);
  }
  if (limit_client) {
    cairo_region_t* limit = cairo_region_copy(limit_client);
    cairo_region_translate(limit, screen.left, screen.top);
    cairo_region_intersect(visible, limit);
    cairo_region_destroy(limit);
  }
  gdi::SetSurfaceDCVisibleRegion(dc, visible);
  cairo_region_destroy(visible);
  return dc;
}

void ExposeIn(const std::vector<HWND>& list, const RECT& screen) {
  for (HWND h : list) {
    auto w = Find(h);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    RECT wr = ScreenRect(*w), hit;
    if (!IntersectRect(&hit, &wr, &screen)) continue;
    const int caption = CaptionHeight(*w);
    if (caption > 0 && hit.top < wr.top + caption) PaintCaptionLocked(*w);
    OffsetRect(&hit, -wr.left, -(wr.top + caption));
    InvalidateLocked(*w, &hit, true, false);
    ExposeIn(w->children, screen);
  }
}

}  // namespace

void InvalidateLocked(Window& w, const RECT* rect, bool erase, bool children) {
  if (!Visible(w)) return;
  RECT client{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top - CaptionHeight(w)}, r = client;
  if (rect && !IntersectRect(&r, rect, &client)) r = {0, 0, 0, 0};
  if (!IsRectEmpty(&r)) {
    cairo_rectangle_int_t cr = ToCairo(r);
    if (!w.update) w.update = cairo_region_create();
    cairo_region_union_rectangle(w.update, &cr);
    w.erase = w.erase || erase;
    NotePaintNeeded(w, true);
  }
  if (children) {
    for (HWND h : w.children) {
      auto c = Find(h);
      if (!c) continue;
      RECT cr = r;
      OffsetRect(&cr, -c->rect.left, -c->rect.top);
      InvalidateLocked(*c, &cr, erase, true);
    }
  }
}

void ExposeScreenArea(const RECT& screen) {
  auto lock = LockWindows();
  ExposeIn(TopLevels(), screen);
  // What no window covers is the empty desktop: white.
  cairo_rectangle_int_t area = ToCairo(screen);
  cairo_region_t* bare = cairo_region_create_rectangle(&area);
  for (HWND h : TopLevels()) {
    auto w = Find(h);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    cairo_rectangle_int_t wr = ToCairo(ScreenRect(*w));
    cairo_region_subtract_rectangle(bare, &wr);
  }
  if (!cairo_region_is_empty(bare)) {
    auto size = display::CurrentScreenSize();
    HDC dc = gdi::CreateSurfaceDC(display::ScreenBitmap(), {0, 0}, {0, 0, size.width, size.height}, nullptr);
    gdi::SetSurfaceDCVisibleRegion(dc, bare);
    RECT all{0, 0, size.width, size.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DeleteDC(dc);
    display::ScreenChanged();
  }
  cairo_region_destroy(bare);
}

void PaintCaptionLocked(const Window& w) {
  const int height = CaptionHeight(w);
  if (height <= 0 || !Visible(w)) return;
  HDC dc = WindowDC(w, nullptr, true);
  RECT band{0, 0, w.rect.right - w.rect.left, height};
  HBRUSH fill = CreateSolidBrush(RGB(0x00, 0x40, 0x80));
  FillRect(dc, &band, fill);
  DeleteObject(fill);
  // The title in bold, scaled with the band (12 pixels in the 18-pixel band).
  LOGFONTW lf{};
  lf.lfHeight = -(height * 2 / 3);
  lf.lfWeight = FW_BOLD;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  HFONT bold = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, bold);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  band.left += height / 4;
  band.right -= height / 4;
  DrawTextW(dc, w.text.c_str(), static_cast<int>(w.text.size()), &band,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, old);
  DeleteObject(bold);
  DeleteDC(dc);
  display::ScreenChanged();
}

bool SaveWindowScreenshot(HWND hwnd, const std::filesystem::path& file) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  return gdi::SaveBitmapPng(display::ScreenBitmap(), file, &r);
}

}  // namespace ce::window

using namespace ce::window;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  auto lock = LockWindows();
  if (!hwnd) {
    RECT all;
    GetWindowRect(GetDesktopWindow(), &all);
    ExposeScreenArea(rect ? *rect : all);
    return TRUE;
  }
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  InvalidateLocked(*w, rect, erase, false);
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  RECT box;
  if (rgn && GetRgnBox(rgn, &box) != ERROR) return InvalidateRect(hwnd, &box, erase);
  return InvalidateRect(hwnd, nullptr, erase);
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!w->update) return TRUE;
  if (rect) {
    cairo_rectangle_int_t r = ToCairo(*rect);
    cairo_region_subtract_rectangle(w->update, &r);
  }
  if (!rect || cairo_region_is_empty(w->update)) {
    cairo_region_destroy(w->update);
    w->update = nullptr;
    w->erase = false;
    NotePaintNeeded(*w, false);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  (void)erase;
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w || !w->update) {
    if (rect) *rect = {0, 0, 0, 0};
    return FALSE;
  }
  cairo_rectangle_int_t e;
  cairo_region_get_extents(w->update, &e);
  if (rect) *rect = {e.x, e.y, e.x + e.width, e.y + e.height};
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool needs;
  {
    auto lock = LockWindows();
    needs = w->update && Visible(*w);
  }
  if (needs) SendMessageW(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  if (rgn && !rect) {
    RECT box;
    if (GetRgnBox(rgn, &box) != ERROR) return RedrawWindow(hwnd, &box, nullptr, flags);
  }
  if (flags & RDW_INVALIDATE) {
    auto lock = LockWindows();
    auto w = Find(hwnd);
    if (!w) return FALSE;
    InvalidateLocked(*w, rect, (flags & RDW_ERASE) != 0, (flags & RDW_ALLCHILDREN) != 0);
  }
  if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
  if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  WindowPtr w = Find(hwnd);
  if (!w || !ps) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  cairo_region_t* update;
  bool erase;
  HDC dc;
  {
    auto lock = LockWindows();
    update = w->update ? w->update : cairo_region_create();
    w->update = nullptr;
    erase = w->erase;
    w->erase = false;
    NotePaintNeeded(*w, false);
    dc = WindowDC(*w, update);
    RepaintTransparentChildren(*w, update);
  }
  cairo_rectangle_int_t e;
  cairo_region_get_extents(update, &e);
  cairo_region_destroy(update);
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  ps->rcPaint = {e.x, e.y, e.x + e.width, e.y + e.height};
  ps->fErase = erase && !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  (void)hwnd;
  if (!ps || !ps->hdc) return FALSE;
  DeleteDC(ps->hdc);
  ce::display::ScreenChanged();
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd || IsDesktop(hwnd)) {
    auto size = ce::display::CurrentScreenSize();
    return ce::gdi::CreateSurfaceDC(ce::display::ScreenBitmap(), {0, 0}, {0, 0, size.width, size.height}, nullptr);
  }
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return WindowDC(*w, nullptr);
}

HDC GetWindowDC(HWND hwnd) {
  if (!hwnd || IsDesktop(hwnd)) return GetDC(hwnd);
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return WindowDC(*w, nullptr, true);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  (void)hwnd;
  if (GetObjectType(hdc) != OBJ_DC) return 0;
  DeleteDC(hdc);
  ce::display::ScreenChanged();
  return 1;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
      // The low four bits of the command are the system's own.
      if ((wparam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = nullptr;
      {
        auto lock = LockWindows();
        if (auto w = Find(hwnd)) brush = w->cls->background;
      }
      if (!brush) return 0;
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, brush);
      return 1;
    }
    case WM_SETTEXT: {
      auto lock = LockWindows();
      auto w = Find(hwnd);
      if (!w) return FALSE;
      w->text = ce::text::WideView(reinterpret_cast<LPCWSTR>(lparam));
      if (w->published) Publish(*w);
      PaintCaptionLocked(*w);  // a new title shows at once
      return TRUE;
    }
    case WM_GETTEXT: {
      auto lock = LockWindows();
      auto w = Find(hwnd);
      auto* out = reinterpret_cast<LPWSTR>(lparam);
      if (!w || !out || wparam == 0) return 0;
      std::size_t n = std::min<std::size_t>(w->text.size(), wparam - 1);
      std::copy_n(w->text.begin(), n, out);
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      auto lock = LockWindows();
      auto w = Find(hwnd);
      return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && !HIWORD(wparam)) SetFocus(hwnd);
      return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    default: return 0;
  }
}
