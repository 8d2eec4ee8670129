// The caption of a top-level window lies outside its client area and is painted by the window
// system.
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
