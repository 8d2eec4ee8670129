// The tab control: a row of tabs (at the top, or at the bottom with TCS_BOTTOM); tapping one asks
// the parent (TCN_SELCHANGING) and then tells it (TCN_SELCHANGE). A row wider than the control
// scrolls: two arrows at its right end move it by one tab, and the current tab is always shown.
#include <algorithm>
#include <vector>

#include "platform/controls/control_base.h"
#include "platform/controls/user_actions.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

constexpr int kTabHeight = 20;

struct TabItem {
  std::u16string text;
  int image = -1;
  LPARAM param = 0;
};

struct Tab : ControlState {
  std::vector<TabItem> items;
  int current = -1;
  HIMAGELIST images = nullptr;
  int item_width = 0, item_height = 0;

  int first = 0;  // the first tab shown when the row is scrolled

  // Tabs are as high as set, else as their font needs (20 pixels at least): on a high-dpi
  // screen the font is larger and so are the tabs.
  int Height() const { return item_height > 0 ? item_height : std::max(kTabHeight, FontHeight(font) + 6); }
  int ArrowWidth() const { return Height(); }

  int TabWidth(HDC hdc, int k) const {
    if (item_width > 0) return item_width;
    const TabItem& item = items[static_cast<std::size_t>(k)];
    SIZE ext{};
    GetTextExtentPoint32W(hdc, item.text.c_str(), static_cast<int>(item.text.size()), &ext);
    int w = ext.cx + 12;
    if (images && item.image >= 0) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images, &cx, &cy);
      w += cx + 2;
    }
    return w;
  }

  // Where the tabs may lie: the whole width, or up to the arrows when the row does not fit.
  int Limit(HWND hwnd, HDC hdc) const {
    RECT r;
    GetClientRect(hwnd, &r);
    int total = 0;
    for (int k = 0; k < static_cast<int>(items.size()); ++k) total += TabWidth(hdc, k);
    return total <= r.right ? r.right : std::max<int>(0, r.right - 2 * ArrowWidth());
  }

  // Tab i's rectangle; empty for a tab scrolled out on the left.
  RECT TabRect(HWND hwnd, HDC hdc, int i) {
    RECT r;
    GetClientRect(hwnd, &r);
    bool bottom = GetWindowLongW(hwnd, GWL_STYLE) & TCS_BOTTOM;
    if (i < first || i >= static_cast<int>(items.size())) return RECT{0, 0, 0, 0};
    int x = 0;
    for (int k = first; k < i; ++k) x += TabWidth(hdc, k);
    int w = TabWidth(hdc, i);
    return bottom ? RECT{x, r.bottom - Height(), x + w, r.bottom} : RECT{x, 0, x + w, Height()};
  }

  // The two arrows (left, then right) at the end of a row that does not fit; empty when it fits.
  void Arrows(HWND hwnd, HDC hdc, RECT& left, RECT& right) {
    RECT r;
    GetClientRect(hwnd, &r);
    left = right = RECT{0, 0, 0, 0};
    if (Limit(hwnd, hdc) >= r.right) return;
    bool bottom = GetWindowLongW(hwnd, GWL_STYLE) & TCS_BOTTOM;
    LONG top = bottom ? r.bottom - Height() : 0;
    left = RECT{r.right - 2 * ArrowWidth(), top, r.right - ArrowWidth(), top + Height()};
    right = RECT{r.right - ArrowWidth(), top, r.right, top + Height()};
  }

  // Scrolls the row so that tab i lies wholly before the arrows (or first when it cannot).
  void Reveal(HWND hwnd, int i) {
    if (i < 0 || i >= static_cast<int>(items.size())) return;
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = UseFont(hdc, font);
    const int limit = Limit(hwnd, hdc);
    if (i < first) first = i;
    while (first < i && TabRect(hwnd, hdc, i).right > limit) ++first;
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
  }

  // Moves the row by one tab; false when it cannot go that way.
  bool Scroll(HWND hwnd, HDC hdc, int step) {
    const int last = static_cast<int>(items.size()) - 1;
    if (step < 0 && first > 0) {
      --first;
      return true;
    }
    if (step > 0 && first < last && TabRect(hwnd, hdc, last).right > Limit(hwnd, hdc)) {
      ++first;
      return true;
    }
    return false;
  }

  // A tap: on an arrow it scrolls; on a tab it picks that tab.
  void Tap(HWND hwnd, POINT p) {
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = UseFont(hdc, font);
    RECT left, right;
    Arrows(hwnd, hdc, left, right);
    int found = -1;
    bool scrolled = false;
    if (PtInRect(&left, p)) scrolled = Scroll(hwnd, hdc, -1);
    else if (PtInRect(&right, p)) scrolled = Scroll(hwnd, hdc, +1);
    else if (p.x < Limit(hwnd, hdc))
      for (int i = first; i < static_cast<int>(items.size()) && found < 0; ++i) {
        RECT t = TabRect(hwnd, hdc, i);
        if (PtInRect(&t, p)) found = i;
      }
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    if (scrolled) InvalidateRect(hwnd, nullptr, FALSE);
    UserPick(hwnd, found);
  }

  void UserPick(HWND hwnd, int i) {
    if (i < 0 || i >= static_cast<int>(items.size()) || i == current) return;
    NMHDR n{};
    if (NotifyParent(hwnd, &n, TCN_SELCHANGING)) return;  // the parent keeps the current tab
    if (i >= static_cast<int>(items.size())) return;      // the parent removed it meanwhile
    current = i;
    Reveal(hwnd, current);
    InvalidateRect(hwnd, nullptr, FALSE);
    n = NMHDR{};
    NotifyParent(hwnd, &n, TCN_SELCHANGE);
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case TCM_GETITEMCOUNT: return static_cast<LRESULT>(items.size());
      case TCM_INSERTITEMW: {
        if (!lparam) return -1;
        const auto& in = *reinterpret_cast<const TCITEMW*>(lparam);
        TabItem t;
        if ((in.mask & TCIF_TEXT) && in.pszText) t.text = text::WideView(in.pszText);
        if (in.mask & TCIF_IMAGE) t.image = in.iImage;
        if (in.mask & TCIF_PARAM) t.param = in.lParam;
        std::size_t at = std::min(items.size(), static_cast<std::size_t>(wparam));
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), t);
        if (current < 0) current = 0;
        else if (current >= static_cast<int>(at) && items.size() > 1) ++current;
        InvalidateRect(hwnd, nullptr, FALSE);
        return static_cast<LRESULT>(at);
      }
      case TCM_SETITEMW:
      case TCM_GETITEMW: {
        if (!lparam || wparam >= items.size()) return FALSE;
        auto& io = *reinterpret_cast<TCITEMW*>(lparam);
        TabItem& t = items[wparam];
        if (msg == TCM_SETITEMW) {
          if ((io.mask & TCIF_TEXT) && io.pszText) t.text = text::WideView(io.pszText);
          if (io.mask & TCIF_IMAGE) t.image = io.iImage;
          if (io.mask & TCIF_PARAM) t.param = io.lParam;
          InvalidateRect(hwnd, nullptr, FALSE);
        } else {
          if ((io.mask & TCIF_TEXT) && io.pszText && io.cchTextMax > 0) {
            std::size_t n = std::min<std::size_t>(t.text.size(), static_cast<std::size_t>(io.cchTextMax - 1));
            std::copy_n(t.text.begin(), n, io.pszText);
            io.pszText[n] = 0;
          }
          if (io.mask & TCIF_IMAGE) io.iImage = t.image;
          if (io.mask & TCIF_PARAM) io.lParam = t.param;
        }
        return TRUE;
      }
      case TCM_DELETEITEM:
        if (wparam >= items.size()) return FALSE;
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(wparam));
        if (current >= static_cast<int>(items.size())) current = static_cast<int>(items.size()) - 1;
        first = std::max(0, std::min(first, static_cast<int>(items.size()) - 1));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      case TCM_DELETEALLITEMS:
        items.clear();
        current = -1;
        first = 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      case TCM_GETCURSEL: return current;
      case TCM_SETCURSEL: {
        int old = current;
        if (wparam >= items.size()) return -1;
        current = static_cast<int>(wparam);
        Reveal(hwnd, current);
        InvalidateRect(hwnd, nullptr, FALSE);
        return old;
      }
      case TCM_GETITEMRECT: {
        if (!lparam || wparam >= items.size()) return FALSE;
        HDC hdc = GetDC(hwnd);
        HGDIOBJ old = UseFont(hdc, font);
        *reinterpret_cast<RECT*>(lparam) = TabRect(hwnd, hdc, static_cast<int>(wparam));
        SelectObject(hdc, old);
        ReleaseDC(hwnd, hdc);
        return TRUE;
      }
      case WM_SIZE:
        Reveal(hwnd, current);
        return 0;
      case TCM_SETIMAGELIST: {
        HIMAGELIST old = images;
        images = reinterpret_cast<HIMAGELIST>(lparam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return reinterpret_cast<LRESULT>(old);
      }
      case TCM_SETITEMSIZE: {
        LRESULT old = MAKELONG(item_width, item_height);
        item_width = LOWORD(lparam);
        item_height = HIWORD(lparam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return old;
      }
      case TCM_ADJUSTRECT: {
        if (!lparam) return 0;
        auto* r = reinterpret_cast<RECT*>(lparam);
        bool bottom = GetWindowLongW(hwnd, GWL_STYLE) & TCS_BOTTOM;
        if (wparam) {  // display area to window rectangle
          if (bottom) r->bottom += Height() + 2;
          else r->top -= Height() + 2;
          InflateRect(r, 2, 2);
        } else {
          if (bottom) r->bottom -= Height() + 2;
          else r->top += Height() + 2;
          InflateRect(r, -2, -2);
        }
        return 0;
      }
      case CE_UA_SELECT: UserPick(hwnd, static_cast<int>(wparam)); return current == static_cast<int>(wparam);
      case WM_LBUTTONDOWN: Tap(hwnd, PointOf(lparam)); return 0;
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      case WM_KEYDOWN:
        if (wparam == VK_LEFT) UserPick(hwnd, current - 1);
        else if (wparam == VK_RIGHT) UserPick(hwnd, current + 1);
        return 0;
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc); });
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  void Paint(HWND hwnd, HDC hdc) {
    RECT r;
    GetClientRect(hwnd, &r);
    bool bottom = GetWindowLongW(hwnd, GWL_STYLE) & TCS_BOTTOM;
    Fill(hdc, r, kFace);
    HGDIOBJ old = UseFont(hdc, font);
    RECT body = r;
    if (bottom) body.bottom -= Height();
    else body.top += Height();
    Frame(hdc, body, kShadow);
    const int limit = Limit(hwnd, hdc);
    // Tabs past the arrows are cut at them.
    HRGN clip = CreateRectRgn(0, 0, limit, r.bottom);
    SelectClipRgn(hdc, clip);
    for (int i = first; i < static_cast<int>(items.size()); ++i) {
      RECT t = TabRect(hwnd, hdc, i);
      if (t.left >= limit) break;
      bool sel = i == current;
      if (!sel) {
        if (bottom) t.bottom -= 2;
        else t.top += 2;
      }
      Fill(hdc, t, sel ? kWindow : kFace);
      Frame(hdc, t, RGB(0x40, 0x40, 0x40));
      if (sel) {  // the selected tab opens into the body
        RECT join = bottom ? RECT{t.left + 1, t.top - 1, t.right - 1, t.top + 1} : RECT{t.left + 1, t.bottom - 1, t.right - 1, t.bottom + 1};
        Fill(hdc, join, kWindow);
      }
      RECT label{t.left + 6, t.top, t.right - 4, t.bottom};
      const TabItem& item = items[static_cast<std::size_t>(i)];
      if (images && item.image >= 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        ImageList_Draw(images, item.image, hdc, label.left, (t.top + t.bottom - cy) / 2, ILD_NORMAL);
        label.left += cx + 2;
      }
      Text(hdc, item.text, label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, kText);
    }
    SelectClipRgn(hdc, nullptr);
    DeleteObject(clip);
    RECT left, right;
    Arrows(hwnd, hdc, left, right);
    if (!IsRectEmpty(&left)) {
      const int last = static_cast<int>(items.size()) - 1;
      const bool can_left = first > 0, can_right = TabRect(hwnd, hdc, last).right > limit;
      for (int side = 0; side < 2; ++side) {
        RECT a = side == 0 ? left : right;
        Raised(hdc, a, false);
        // A small triangle pointing the way the row moves, grey when it cannot.
        HBRUSH b = CreateSolidBrush((side == 0 ? can_left : can_right) ? kText : kShadow);
        HGDIOBJ ob = SelectObject(hdc, b);
        HGDIOBJ op = SelectObject(hdc, GetStockObject(NULL_PEN));
        const int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2, h = (a.bottom - a.top) / 4;
        POINT pts[3];
        if (side == 0) {
          pts[0] = {cx - h / 2, cy};
          pts[1] = {cx + h / 2, cy - h};
          pts[2] = {cx + h / 2, cy + h};
        } else {
          pts[0] = {cx + h / 2, cy};
          pts[1] = {cx - h / 2, cy - h};
          pts[2] = {cx - h / 2, cy + h};
        }
        Polygon(hdc, pts, 3);
        SelectObject(hdc, op);
        SelectObject(hdc, ob);
        DeleteObject(b);
      }
    }
    SelectObject(hdc, old);
  }
};

}  // namespace

void RegisterTab() { RegisterControlClass(WC_TABCONTROLW, Dispatch<Tab>); }

}  // namespace ce::controls
