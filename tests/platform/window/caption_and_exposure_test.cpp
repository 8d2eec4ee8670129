// The caption of a top-level window lies outside its client area and is painted by the window
// system; an area uncovered on the screen is repainted by the windows under it, a parent under its
// children before they paint.
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "tests/platform/window/window_fixture.h"

using CaptionTest = WindowTest;

namespace {

COLORREF ScreenPixel(int x, int y) { return ce::gdi::BitmapPixel(ce::display::ScreenBitmap(), x, y); }
constexpr COLORREF kBand = RGB(0x00, 0x40, 0x80);
constexpr COLORREF kGreen = RGB(0, 0xC0, 0);

// Paints every window's whole client area (and far beyond) in one colour; `skip` paints nothing.
struct Painter {
  HBRUSH brush = CreateSolidBrush(kGreen);
  HWND skip = nullptr;
  ~Painter() { DeleteObject(brush); }
  bool operator()(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) const {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT all{-1000, -1000, 1000, 1000};
    if (hwnd != skip) FillRect(dc, &all, brush);
    EndPaint(hwnd, &ps);
    return true;
  }
};

bool WhiteTextIn(RECT r) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (COLORREF c = ScreenPixel(x, y); GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200) return true;
  return false;
}

}  // namespace

TEST_F(CaptionTest, CaptionLiesAboveTheClientAreaAtBothScreenSizes) {
  Painter paint;
  handler() = std::ref(paint);
  struct {
    ce::display::ScreenSize size;
    int band;
  } cases[] = {{ce::display::kPortrait, 18}, {ce::display::kVga, 36}};
  for (const auto& c : cases) {
    ASSERT_TRUE(ce::display::SetScreenSize(c.size));
    SCOPED_TRACE(c.band);
    HWND w = CreateWindowExW(0, kClass, u"Name?", WS_POPUP | WS_CAPTION, 10, 20, 150, 120, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(w, nullptr);
    HWND child = Make(WS_CHILD | WS_VISIBLE, w, {0, 0, 10, 10});
    ShowWindow(w, SW_SHOW);
    Pump();
    // Geometry: the client area starts below the band; children and points are placed in it.
    RECT client{}, child_rect{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 150);
    EXPECT_EQ(client.bottom, 120 - c.band);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    EXPECT_EQ(origin.y, 20 + c.band);
    GetWindowRect(child, &child_rect);
    EXPECT_EQ(child_rect.top, 20 + c.band);
    LPARAM size = 0;
    for (const Received& r : Got(WM_SIZE))
      if (r.hwnd == w) size = r.lparam;
    EXPECT_EQ(size, MAKELPARAM(150, 120 - c.band));
    RECT frame{0, 0, 150, 120 - c.band};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION, FALSE, 0);
    EXPECT_EQ(frame.top, -c.band);
    // What shows: the band with its title in white, the client area painted by the program, which
    // cannot paint over the band.
    EXPECT_EQ(ScreenPixel(150, 21), kBand);
    EXPECT_EQ(ScreenPixel(150, 20 + c.band), kGreen);
    EXPECT_TRUE(WhiteTextIn({10, 20, 80, 20 + c.band}));
    // A window in front of the band, gone again: the band is back.
    HWND front = Make(WS_VISIBLE, nullptr, {100, 15, 200, 30});
    Pump();
    EXPECT_EQ(ScreenPixel(150, 21), kGreen);
    DestroyWindow(front);
    Pump();
    EXPECT_EQ(ScreenPixel(150, 21), kBand);
    // Painted over through the whole window's DC, it comes back with a new title, at once.
    HDC whole = GetWindowDC(w);
    RECT top{0, 0, 150, 4};
    FillRect(whole, &top, paint.brush);
    ReleaseDC(w, whole);
    EXPECT_EQ(ScreenPixel(150, 21), kGreen);
    SetWindowTextW(w, u"Search For:");
    EXPECT_EQ(ScreenPixel(150, 21), kBand);
    // The pen on the band is the window system's; below it, the program's in client coordinates.
    const std::size_t downs = Got(WM_LBUTTONDOWN).size();
    ce::display::InjectInput({ce::display::InputEvent::kPenDown, 100, 22, 0});
    ce::display::InjectInput({ce::display::InputEvent::kPenUp, 100, 22, 0});
    ce::display::InjectInput({ce::display::InputEvent::kPenDown, 100, 22 + c.band, 0});
    ce::display::InjectInput({ce::display::InputEvent::kPenUp, 100, 22 + c.band, 0});
    Pump();
    ASSERT_EQ(Got(WM_LBUTTONDOWN).size(), downs + 1);
    EXPECT_EQ(Got(WM_LBUTTONDOWN).back().lparam, MAKELPARAM(90, 2));
    DestroyWindow(w);
  }
  // A child window has no caption whatever its style.
  RECT frame{0, 0, 10, 10};
  AdjustWindowRectEx(&frame, WS_CHILD | WS_CAPTION, FALSE, 0);
  EXPECT_EQ(frame.top, 0);
  ce::display::SetScreenSize(ce::display::kPortrait);
  handler() = nullptr;
}

// A child that shows what lies under it (it paints nothing of its own, as a button drawn over its
// parent's background): a window closed over it leaves nothing behind, even when the child was
// already waiting to paint before its parent.
TEST_F(CaptionTest, UncoveredChildShowsItsParentNotTheClosedWindow) {
  Painter paint;
  HWND parent = Make(0, nullptr, {0, 0, 100, 100});
  HWND child = Make(WS_CHILD | WS_VISIBLE, parent, {20, 20, 60, 60});
  paint.skip = child;
  handler() = std::ref(paint);
  ShowWindow(parent, SW_SHOW);
  Pump();
  EXPECT_EQ(ScreenPixel(30, 30), kGreen);
  // A popup painted red over both, then closed.
  HBRUSH red = CreateSolidBrush(RGB(0xFF, 0, 0));
  HWND popup = Make(WS_VISIBLE, nullptr, {10, 10, 80, 80});
  Pump();
  HDC dc = GetDC(popup);
  RECT all{0, 0, 70, 70};
  FillRect(dc, &all, red);
  ReleaseDC(popup, dc);
  ASSERT_EQ(ScreenPixel(30, 30), RGB(0xFF, 0, 0));
  InvalidateRect(child, nullptr, FALSE);  // the child's paint is queued before its parent's
  DestroyWindow(popup);
  Pump();
  EXPECT_EQ(ScreenPixel(30, 30), kGreen);
  EXPECT_EQ(ScreenPixel(15, 15), kGreen);
  // A child that paints itself keeps its own face: the parent paints under it only first.
  paint.skip = nullptr;
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 0xFF));
  handler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC pdc = BeginPaint(hwnd, &ps);
    RECT r{0, 0, 1000, 1000};
    FillRect(pdc, &r, hwnd == child ? blue : paint.brush);
    EndPaint(hwnd, &ps);
    return true;
  };
  popup = Make(WS_VISIBLE, nullptr, {10, 10, 80, 80});
  Pump();
  InvalidateRect(child, nullptr, FALSE);
  DestroyWindow(popup);
  Pump();
  EXPECT_EQ(ScreenPixel(30, 30), RGB(0, 0, 0xFF));
  EXPECT_EQ(ScreenPixel(15, 15), kGreen);
  handler() = nullptr;
  DeleteObject(red);
  DeleteObject(blue);
}
