// Windows: creation, the tree, long values and text, show and position, focus, painting on the
// screen with clipping, pen and key input, screenshots, rotation.
#include <cairo.h>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/window/window_seams.h"
#include "tests/platform/window/window_fixture.h"

using WindowsTest = WindowTest;

namespace {

COLORREF ScreenPixel(int x, int y) { return ce::gdi::BitmapPixel(ce::display::ScreenBitmap(), x, y); }

}  // namespace

TEST_F(WindowsTest, CreationSendsItsMessagesAndCanBeRefused) {
  HWND h = Make(0);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(Got(WM_CREATE).size(), 1u);
  auto* cs = reinterpret_cast<CREATESTRUCTW*>(Got(WM_CREATE)[0].lparam);
  (void)cs;  // only valid during the call
  auto sizes = Got(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(LOWORD(sizes[0].lparam), 100);
  EXPECT_EQ(HIWORD(sizes[0].lparam), 80);

  handler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& out) { return msg == WM_CREATE ? (out = -1, true) : false; };
  EXPECT_EQ(Make(0), nullptr);
  EXPECT_EQ(Got(WM_DESTROY).size(), 1u);
  handler() = nullptr;
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExW(0, kClass, nullptr, WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  WNDCLASSW again{};
  again.lpfnWndProc = DefWindowProcW;
  again.lpszClassName = u"testwindow";  // names compare without case
  EXPECT_EQ(RegisterClassW(&again), 0);
  EXPECT_FALSE(UnregisterClassW(kClass, nullptr));  // it still has windows
}

TEST_F(WindowsTest, TreeLongValuesAndText) {
  HWND parent = Make(0);
  HWND a = Make(WS_CHILD, parent, {0, 0, 10, 10}, 101);
  HWND b = Make(WS_CHILD, parent, {10, 0, 20, 10}, 102);
  EXPECT_EQ(GetParent(a), parent);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), b);  // the newest is in front
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetDlgItem(parent, 101), a);
  EXPECT_EQ(GetDlgCtrlID(b), 102);
  EXPECT_TRUE(IsChild(parent, a));

  EXPECT_EQ(SetWindowLongW(a, GWL_USERDATA, 77), 0);
  EXPECT_EQ(GetWindowLongW(a, GWL_USERDATA), 77);
  SetWindowLongPtrW(a, 0, 0x1234);
  SetWindowLongPtrW(a, 4, 0x5678);  // byte offsets of a 32-bit device: both kept
  EXPECT_EQ(GetWindowLongPtrW(a, 0), 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(a, 4), 0x5678);
  EXPECT_EQ(GetWindowLongPtrW(a, 8), 0);  // past cbWndExtra
  EXPECT_NE(GetWindowLongW(a, GWL_STYLE) & WS_CHILD, 0);

  EXPECT_TRUE(SetWindowTextW(parent, u"Cumulor"));
  WCHAR buf[4];
  EXPECT_EQ(GetWindowTextW(parent, buf, 4), 3);
  EXPECT_EQ(std::u16string(buf), u"Cum");
  EXPECT_EQ(GetWindowTextLengthW(parent), 7);
  EXPECT_EQ(FindWindowW(kClass, u"Cumulor"), parent);
  EXPECT_EQ(FindWindowW(u"TESTWINDOW", nullptr), parent);
  EXPECT_EQ(FindWindowW(kClass, u"Other"), nullptr);

  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_EQ(Got(WM_DESTROY).size(), 3u);
  EXPECT_EQ(Got(WM_DESTROY)[0].hwnd, parent);  // the parent first, then its children
  EXPECT_EQ(Got(WM_NCDESTROY).back().hwnd, parent);
}

TEST_F(WindowsTest, PositionVisibilityEnableAndFocus) {
  HWND h = Make(0);
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_FALSE(ShowWindow(h, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetActiveWindow(), h);
  EXPECT_EQ(GetFocus(), h);  // the default activation gives it the focus
  HWND child = Make(WS_CHILD | WS_VISIBLE, h, {5, 6, 25, 16});
  EXPECT_TRUE(SetWindowPos(child, nullptr, 10, 20, 30, 40, SWP_NOZORDER));
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 60);
  POINT p{1, 2};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(Got(WM_SIZE).back().lparam, MAKELPARAM(30, 40));
  SetFocus(child);
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(Got(WM_KILLFOCUS).back().hwnd, h);
  EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_EQ(GetFocus(), nullptr);            // a disabled window loses the focus
  EXPECT_TRUE(EnableWindow(child, TRUE));    // was disabled
  EXPECT_EQ(Got(WM_ENABLE).size(), 2u);
}

TEST_F(WindowsTest, PaintingDrawsOnTheScreenClippedToWhatIsVisible) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  HWND parent = Make(0, nullptr, {0, 0, 60, 60});
  HWND child = Make(WS_CHILD | WS_VISIBLE, parent, {10, 10, 30, 30});
  handler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT all{0, 0, 1000, 1000};
    FillRect(dc, &all, hwnd == parent ? red : hwnd == child ? blue : green);  // far more than the window
    EndPaint(hwnd, &ps);
    return true;
  };
  ShowWindow(parent, SW_SHOW);
  Pump();
  EXPECT_EQ(ScreenPixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(15, 15), RGB(0, 0, 255));  // the parent does not paint over its child
  EXPECT_EQ(ScreenPixel(70, 70), RGB(255, 255, 255));
  // Once painted, nothing more to paint; an invalidation brings one WM_PAINT back.
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  size_t paints = Got(WM_PAINT).size();
  RECT part{0, 0, 5, 5};
  InvalidateRect(parent, &part, FALSE);
  UpdateWindow(parent);
  EXPECT_EQ(Got(WM_PAINT).size(), paints + 1);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

  // A window on top hides what is under it from the one below; hiding it repaints that part.
  HWND top = Make(WS_VISIBLE, nullptr, {40, 40, 80, 80});
  Pump();
  HDC dc = GetDC(parent);
  RECT all{0, 0, 60, 60};
  FillRect(dc, &all, blue);
  ReleaseDC(parent, dc);
  EXPECT_EQ(ScreenPixel(45, 45), RGB(0, 255, 0));  // still the top window's face
  EXPECT_EQ(ScreenPixel(35, 35), RGB(0, 0, 255));
  ShowWindow(top, SW_HIDE);
  Pump();
  EXPECT_EQ(ScreenPixel(45, 45), RGB(255, 0, 0));  // repainted by the parent
  EXPECT_EQ(ScreenPixel(70, 70), RGB(255, 255, 255));
  handler() = nullptr;
  DeleteObject(red);
  DeleteObject(blue);
  DeleteObject(green);
}

TEST_F(WindowsTest, PenAndKeysReachTheWindowUnderThePenAndTheFocus) {
  HWND parent = Make(WS_VISIBLE, nullptr, {0, 0, 100, 100});
  HWND child = Make(WS_CHILD | WS_VISIBLE, parent, {20, 30, 60, 70});
  Pump();
  ce::display::InjectInput({ce::display::InputEvent::kPenDown, 25, 35, 0});
  ce::display::InjectInput({ce::display::InputEvent::kPenUp, 25, 35, 0});
  ce::display::InjectInput({ce::display::InputEvent::kPenDown, 5, 5, 0});
  Pump();
  auto downs = Got(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].hwnd, child);
  EXPECT_EQ(downs[0].lparam, MAKELPARAM(5, 5));  // client coordinates
  EXPECT_EQ(downs[1].hwnd, parent);
  EXPECT_EQ(Got(WM_LBUTTONUP).at(0).hwnd, child);
  // Capture takes the pen wherever it goes.
  SetCapture(child);
  ce::display::InjectInput({ce::display::InputEvent::kPenUp, 90, 90, 0});
  ReleaseCapture();
  SetFocus(child);
  ce::display::InjectInput({ce::display::InputEvent::kKeyDown, 0, 0, VK_RIGHT});
  ce::display::InjectInput({ce::display::InputEvent::kKeyUp, 0, 0, VK_RIGHT});
  Pump();
  EXPECT_EQ(Got(WM_LBUTTONUP).back().hwnd, child);
  EXPECT_EQ(Got(WM_LBUTTONUP).back().lparam, MAKELPARAM(70, 60));
  ASSERT_EQ(Got(WM_KEYUP).size(), 1u);
  EXPECT_EQ(Got(WM_KEYUP)[0].hwnd, child);
  EXPECT_EQ(Got(WM_KEYUP)[0].wparam, static_cast<WPARAM>(VK_RIGHT));
}

TEST_F(WindowsTest, HeadlessScreenshotShowsTheWindows) {
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  HWND h = Make(0, nullptr, {20, 20, 120, 100});
  handler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r{0, 0, 100, 80};
    FillRect(dc, &r, green);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, u"Hello", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd, &ps);
    return true;
  };
  ShowWindow(h, SW_SHOW);
  Pump();
  auto screen_png = device_folder() / "screen.png";
  auto window_png = device_folder() / "window.png";
  ASSERT_TRUE(ce::display::SaveScreenshot(screen_png));
  ASSERT_TRUE(ce::window::SaveWindowScreenshot(h, window_png));
  cairo_surface_t* s = cairo_image_surface_create_from_png(screen_png.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), 240);
  EXPECT_EQ(cairo_image_surface_get_height(s), 320);
  auto* row = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + 25 * cairo_image_surface_get_stride(s));
  EXPECT_EQ(row[25] & 0xFFFFFF, 0x00C800u);
  cairo_surface_destroy(s);
  s = cairo_image_surface_create_from_png(window_png.c_str());
  EXPECT_EQ(cairo_image_surface_get_width(s), 100);
  EXPECT_EQ(cairo_image_surface_get_height(s), 80);
  cairo_surface_destroy(s);
  handler() = nullptr;
  DeleteObject(green);
}

TEST_F(WindowsTest, RotationResizesFullScreenWindows) {
  HWND full = Make(WS_VISIBLE, nullptr, {0, 0, CW_USEDEFAULT, CW_USEDEFAULT});
  RECT r;
  GetWindowRect(full, &r);
  ASSERT_EQ(r.right, 240);
  ASSERT_EQ(r.bottom, 320);
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kLandscape));
  GetWindowRect(full, &r);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(r.bottom, 240);
  EXPECT_EQ(Got(WM_SIZE).back().lparam, MAKELPARAM(320, 240));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 320);
  ReleaseDC(nullptr, dc);
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kPortrait));
  EXPECT_FALSE(ce::display::SetScreenSize({5, 5}));
}

TEST_F(WindowsTest, DemoProgramSavesAScreenshotHeadless) {
  auto png = device_folder() / "demo.png";
  std::string command = "CE_DEVICE_DIR='" + device_folder().string() + "' CE_SCREEN=vga '" SCREEN_DEMO_PROGRAM
                        "' --screenshot '" + png.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), 480);
  EXPECT_EQ(cairo_image_surface_get_height(s), 640);
  auto* row = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + 50 * cairo_image_surface_get_stride(s));
  EXPECT_EQ(row[100] & 0xFFFFFF, 0xDC1E1Eu);  // inside the red rectangle
  cairo_surface_destroy(s);
}

TEST_F(WindowsTest, SystemCloseCommandClosesTheWindowByDefault) {
  HWND h = Make(0);
  SendMessageW(h, WM_SYSCOMMAND, 0xF000, 0);  // another system command: nothing
  EXPECT_TRUE(IsWindow(h));
  SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);  // the low four bits are ignored
  EXPECT_EQ(Got(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(h));
}

// A pop-up owned by a child window is destroyed with that child's top-level window, as one owned
// by the top-level window itself is.
TEST_F(WindowsTest, PopupsOwnedByAChildGoWithItsTopLevelWindow) {
  HWND top = Make(WS_VISIBLE);
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, {10, 10, 50, 50});
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, child, {1, 1, 20, 20});
  HWND by_child = CreateWindowExW(0, kClass, u"bar", WS_POPUP | WS_VISIBLE, 0, 0, 40, 20, child, nullptr, nullptr, nullptr);
  HWND by_grandchild = CreateWindowExW(0, kClass, u"bar", WS_POPUP, 0, 0, 40, 20, grandchild, nullptr, nullptr, nullptr);
  HWND other = Make(WS_VISIBLE);
  ASSERT_TRUE(IsWindow(by_child) && IsWindow(by_grandchild));
  EXPECT_EQ(GetWindow(by_child, GW_OWNER), child);
  DestroyWindow(top);
  EXPECT_FALSE(IsWindow(by_child));
  EXPECT_FALSE(IsWindow(by_grandchild));
  EXPECT_TRUE(IsWindow(other));
}
