// The Cumulor Today item: its creation (ordinal 240), painting, taps and the host's two cache
// messages.
#include "cumulor/companions/CumulorToday.h"

#include "cumulor/companions/CumulorLaunch.h"
#include "platform/gdi/gdi.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/window/window.h"

namespace {

constexpr const WCHAR* kItemClass = u"KVDLL";
constexpr const WCHAR* kItemTitle = u"KV";
constexpr int kItemWidth = 240;
constexpr COLORREF kItemBackground = 0xFF0000;  // blue
constexpr int kButtonMargin = 2;
constexpr int kButtonCorner = 10;

// One item per process: the host loads the library once.
struct ItemState {
  TODAYLISTITEM* item = nullptr;  // the host's record, whose height the first query sets
  HWND window = nullptr;
  LOGFONTW font{};
  bool heightGiven = false;
};

ItemState& State() {
  static ItemState state;
  return state;
}

// The two buttons: the upper and lower halves of the client area, each 2 pixels in from every side.
void ButtonRects(HWND hwnd, RECT* upper, RECT* lower) {
  RECT client;
  GetClientRect(hwnd, &client);
  const int middle = client.top + (client.bottom - client.top) / 2;
  *upper = {client.left + kButtonMargin, client.top + kButtonMargin, client.right - kButtonMargin,
            middle - kButtonMargin};
  *lower = {client.left + kButtonMargin, middle + kButtonMargin, client.right - kButtonMargin,
            client.bottom - kButtonMargin};
}

void DrawButton(HDC hdc, RECT rect, const WCHAR* caption) {
  RoundRect(hdc, rect.left, rect.top, rect.right, rect.bottom, kButtonCorner, kButtonCorner);
  DrawTextW(hdc, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  SetBkMode(hdc, TRANSPARENT);
  RECT client;
  GetClientRect(hwnd, &client);
  HBRUSH blue = CreateSolidBrush(kItemBackground);
  FillRect(hdc, &client, blue);
  DeleteObject(blue);

  HFONT font = CreateFontIndirectW(&State().font);
  HGDIOBJ oldFont = SelectObject(hdc, font);
  HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(WHITE_BRUSH));
  RECT upper, lower;
  ButtonRects(hwnd, &upper, &lower);
  DrawButton(hdc, upper, u"Cumulor");
  DrawButton(hdc, lower, u"Cumulor Simulator");
  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldFont);
  DeleteObject(font);
  EndPaint(hwnd, &ps);
}

// A pen release at (x, y): the upper button starts the flight computer, the lower its simulator.
void OnTap(HWND hwnd, LPARAM lparam) {
  const POINT p{static_cast<short>(lparam & 0xFFFF), static_cast<short>((lparam >> 16) & 0xFFFF)};
  RECT upper, lower;
  ButtonRects(hwnd, &upper, &lower);
  if (PtInRect(&upper, p))
    cumulor_companions::StartCumulor(nullptr);
  else if (PtInRect(&lower, p))
    cumulor_companions::StartCumulor(u" /s");
}

// The host asks whether the item must be drawn again: the first time it gets the height and 1.
LRESULT OnQueryRefresh(TODAYLISTITEM* item) {
  ItemState& s = State();
  // Only the record the host gave at creation is written: a query from anywhere else carries no
  // record of ours and is answered 0.
  if (item == nullptr || item != s.item || s.heightGiven) return 0;
  s.heightGiven = true;
  item->cyp = kCumulorItemHeight;
  return 1;
}

}  // namespace

HWND CumulorItemInit(TODAYLISTITEM* item, HWND parent) {
  if (item == nullptr || !item->fEnabled) return nullptr;
  ItemState& s = State();
  s.item = item;

  // A class left by an earlier load goes first.
  UnregisterClassW(kItemClass, item->hinstDLL);
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = CumulorItemWndProc;
  wc.hInstance = item->hinstDLL;
  wc.lpszClassName = kItemClass;
  RegisterClassW(&wc);

  s.window = CreateWindowW(kItemClass, kItemTitle, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, kItemWidth, 0,
                           parent, nullptr, item->hinstDLL, nullptr);
  s.font = LOGFONTW{};
  s.font.lfHeight = 26;
  s.font.lfWidth = 9;
  s.font.lfWeight = 900;
  s.heightGiven = false;
  return s.window;
}

LRESULT CumulorItemWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_LBUTTONUP:
      OnTap(hwnd, lparam);
      return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
      return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
      return OnQueryRefresh(reinterpret_cast<TODAYLISTITEM*>(lparam));
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

CE_ORDINAL_EXPORTS({240, "CumulorItemInit"});
