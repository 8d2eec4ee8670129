// Popup menus drawn for a person.
#include "platform/menus/menu_popup.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/sync.h"
#include "platform/menus/menu_internal.h"

namespace ce::menus {
namespace {

constexpr const WCHAR* kPopupClass = u"MenuPopup";
constexpr int kRow = 18;
constexpr int kSeparator = 7;

std::atomic<bool> interactive{false};

struct Popup {
  HWND owner = nullptr;
  std::vector<HMENU> stack;  // the menu shown is the last
  std::vector<Item> items;
  int hot = -1;
  bool done = false;
  UINT result = 0;
  HFONT font = nullptr;
};

bool Back(const Popup& p) { return p.stack.size() > 1; }

// Row layout: an optional back row, then the items.
int RowTop(const Popup& p, int row) {
  int y = 1 + (Back(p) ? kRow : 0);
  for (int i = 0; i < row; ++i) y += (p.items[static_cast<std::size_t>(i)].type & MF_SEPARATOR) ? kSeparator : kRow;
  return y;
}

int RowAt(const Popup& p, int y) {  // -2: the back row; -1: none
  if (Back(p) && y >= 1 && y < 1 + kRow) return -2;
  for (int i = 0; i < static_cast<int>(p.items.size()); ++i) {
    int top = RowTop(p, i);
    int h = (p.items[static_cast<std::size_t>(i)].type & MF_SEPARATOR) ? kSeparator : kRow;
    if (y >= top && y < top + h) return i;
  }
  return -1;
}

bool Usable(const Item& it) { return !(it.type & MF_SEPARATOR) && !(it.state & (MF_GRAYED | MF_DISABLED)); }

void Load(HWND hwnd, Popup& p) {
  {
    auto lock = LockMenus();
    Menu* m = FindMenu(p.stack.back());
    p.items = m ? m->items : std::vector<Item>{};
  }
  p.hot = -1;
  // Size to the items, kept on the screen.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, p.font);
  int width = 80;
  for (auto& it : p.items) {
    SIZE ext{};
    GetTextExtentPoint32W(dc, it.text.c_str(), static_cast<int>(it.text.size()), &ext);
    width = std::max(width, static_cast<int>(ext.cx) + 36);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  int height = RowTop(p, static_cast<int>(p.items.size())) + 1;
  RECT r;
  GetWindowRect(hwnd, &r);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  width = std::min(width, sw);
  height = std::min(height, sh);
  int x = std::clamp(static_cast<int>(r.left), 0, sw - width), y = std::clamp(static_cast<int>(r.top), 0, sh - height);
  MoveWindow(hwnd, x, y, width, height, TRUE);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void Choose(HWND hwnd, Popup& p, int row) {
  if (row == -2) {
    p.stack.pop_back();
    Load(hwnd, p);
    return;
  }
  if (row < 0) return;
  const Item& it = p.items[static_cast<std::size_t>(row)];
  if (!Usable(it)) return;
  if (it.sub) {
    SendMessageW(p.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(it.sub), static_cast<LPARAM>(row));
    p.stack.push_back(it.sub);
    Load(hwnd, p);
    return;
  }
  p.result = it.id;
  p.done = true;
}

void Paint(HWND hwnd, Popup& p) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  HBRUSH white = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF)), frame = CreateSolidBrush(RGB(0, 0, 0));
  FillRect(hdc, &r, white);
  FrameRect(hdc, &r, frame);
  HGDIOBJ old = SelectObject(hdc, p.font);
  SetBkMode(hdc, TRANSPARENT);
  auto row_text = [&](int top, const std::u16string& text, COLORREF color, bool hot, const char16_t* mark, bool arrow) {
    RECT row{1, top, r.right - 1, top + kRow};
    if (hot) {
      HBRUSH h = CreateSolidBrush(RGB(0x00, 0x50, 0xA0));
      FillRect(hdc, &row, h);
      DeleteObject(h);
      color = RGB(0xFF, 0xFF, 0xFF);
    }
    SetTextColor(hdc, color);
    RECT t{16, top, r.right - 14, top + kRow};
    DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (mark) {
      RECT m{3, top, 15, top + kRow};
      DrawTextW(hdc, mark, 1, &m, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    if (arrow) {
      RECT a{r.right - 14, top, r.right - 3, top + kRow};
      DrawTextW(hdc, u">", 1, &a, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
  };
  if (Back(p)) row_text(1, u"Back", RGB(0, 0, 0), p.hot == -2, u"<", false);
  for (int i = 0; i < static_cast<int>(p.items.size()); ++i) {
    const Item& it = p.items[static_cast<std::size_t>(i)];
    int top = RowTop(p, i);
    if (it.type & MF_SEPARATOR) {
      RECT line{4, top + kSeparator / 2, r.right - 4, top + kSeparator / 2 + 1};
      HBRUSH g = CreateSolidBrush(RGB(0x80, 0x80, 0x80));
      FillRect(hdc, &line, g);
      DeleteObject(g);
      continue;
    }
    const char16_t* mark = (it.state & MF_CHECKED) ? ((it.type & MFT_RADIOCHECK) ? u"\u2022" : u"\u2713") : nullptr;
    row_text(top, it.text, Usable(it) ? RGB(0, 0, 0) : RGB(0x90, 0x90, 0x90), p.hot == i, mark, it.sub != nullptr);
  }
  SelectObject(hdc, old);
  DeleteObject(white);
  DeleteObject(frame);
  EndPaint(hwnd, &ps);
}

LRESULT PopupProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    return TRUE;
  }
  auto* p = reinterpret_cast<Popup*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
  if (!p) return DefWindowProcW(hwnd, msg, wparam, lparam);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(hwnd, *p); return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE: {
      RECT r;
      GetClientRect(hwnd, &r);
      POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      int row = PtInRect(&r, pt) ? RowAt(*p, pt.y) : -1;
      if (row != p->hot) {
        p->hot = row;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      RECT r;
      GetClientRect(hwnd, &r);
      POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (!PtInRect(&r, pt)) {
        p->done = true;  // a tap outside dismisses it
        return 0;
      }
      Choose(hwnd, *p, RowAt(*p, pt.y));
      return 0;
    }
    case WM_KEYDOWN: {
      int n = static_cast<int>(p->items.size());
      if (wparam == VK_ESCAPE) {
        p->done = true;
      } else if ((wparam == VK_DOWN || wparam == VK_UP) && n > 0) {
        int step = wparam == VK_DOWN ? 1 : n - 1;
        int i = p->hot < 0 ? (wparam == VK_DOWN ? n - 1 : 0) : p->hot;
        for (int k = 0; k < n; ++k) {
          i = (i + step) % n;
          if (Usable(p->items[static_cast<std::size_t>(i)])) break;
        }
        p->hot = i;
        InvalidateRect(hwnd, nullptr, FALSE);
      } else if (wparam == VK_RETURN || wparam == VK_RIGHT) {
        Choose(hwnd, *p, p->hot);
      } else if (wparam == VK_LEFT && Back(*p)) {
        Choose(hwnd, *p, -2);
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != hwnd) p->done = true;
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

HFONT MenuFont(LONG weight) {
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfWeight = weight;
  const char16_t face[] = u"Tahoma";
  std::copy(face, face + 7, lf.lfFaceName);
  return CreateFontIndirectW(&lf);
}

bool InteractiveMenus() { return interactive || display::LiveWindowShown(); }
void SetInteractiveMenus(bool on) { interactive = on; }

UINT RunMenuPopup(HMENU menu, UINT flags, int x, int y, HWND owner) {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = kPopupClass;
    RegisterClassW(&wc);
  });
  Popup p;
  p.owner = owner;
  p.stack.push_back(menu);
  p.font = MenuFont(FW_NORMAL);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, kPopupClass, u"", WS_POPUP, x, y, 10, 10, owner, nullptr, nullptr, &p);
  if (!hwnd) {
    DeleteObject(p.font);
    return 0;
  }
  Load(hwnd, p);
  // Alignment: the point is the left, centre or right edge; the top, middle or bottom.
  RECT r;
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int left = (flags & TPM_RIGHTALIGN) ? x - w : (flags & TPM_CENTERALIGN) ? x - w / 2 : x;
  int top = (flags & TPM_BOTTOMALIGN) ? y - h : (flags & TPM_VCENTERALIGN) ? y - h / 2 : y;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(hwnd, std::clamp(left, 0, std::max(0, sw - w)), std::clamp(top, 0, std::max(0, sh - h)), w, h, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetFocus(hwnd);
  SetCapture(hwnd);
  while (!p.done && IsWindow(hwnd)) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, 0);
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.hwnd != hwnd) m.hwnd = hwnd;  // keys go to the menu
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  UINT result = p.done ? p.result : 0;
  p.done = true;
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  DeleteObject(p.font);
  return result;
}

}  // namespace ce::menus
