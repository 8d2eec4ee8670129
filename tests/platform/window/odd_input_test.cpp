// Bad input to the window calls: dead and foreign handles, extreme positions and sizes, odd
// message parameters. Each must fail cleanly, never crash or overflow.
#include <climits>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "tests/platform/window/window_fixture.h"

using OddInputTest = WindowTest;

TEST_F(OddInputTest, DeadAndMadeUpHandlesFail) {
  HWND dead = Make();
  ASSERT_TRUE(DestroyWindow(dead));
  HWND made_up = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFFFFF0));
  for (HWND h : {dead, made_up, static_cast<HWND>(nullptr)}) {
    RECT r{};
    POINT p{};
    WCHAR text[8] = u"x";
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_FALSE(GetWindowRect(h, &r));
    EXPECT_FALSE(ClientToScreen(h, &p));
    EXPECT_FALSE(SetWindowTextW(h, u"t"));
    EXPECT_EQ(GetWindowTextW(h, text, 8), 0);
    if (h) {
      EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));  // null posts to this thread
    }
    EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0);
    EXPECT_FALSE(MoveWindow(h, 0, 0, 1, 1, TRUE));
    EXPECT_EQ(SetParent(h, nullptr), nullptr);
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE), 0);
    EXPECT_FALSE(KillTimer(h, 1));
    EXPECT_EQ(BeginPaint(h, nullptr), nullptr);
    EXPECT_FALSE(EndPaint(h, nullptr));
    EXPECT_FALSE(UpdateWindow(h) && h != nullptr);
  }
  Pump();
  EXPECT_EQ(DispatchMessageW(nullptr), 0);
  EXPECT_FALSE(GetMessageW(nullptr, nullptr, 0, 0) > 0);
}

TEST_F(OddInputTest, ExtremePositionsAndSizesDoNotOverflow) {
  const int far[] = {INT_MIN, -(1 << 30), 0, 1 << 30, INT_MAX};
  for (int a : far) {
    for (int b : far) {
      HWND top = CreateWindowExW(0, kClass, u"far", WS_VISIBLE, a, b, b, a, nullptr, nullptr, nullptr, nullptr);
      ASSERT_NE(top, nullptr);
      HWND child = CreateWindowExW(0, kClass, u"c", WS_VISIBLE | WS_CHILD, b, a, a, b, top, nullptr, nullptr, nullptr);
      ASSERT_NE(child, nullptr);
      MoveWindow(child, a, a, b, b, TRUE);
      SetWindowPos(top, nullptr, b, a, a, b, SWP_NOZORDER);
      RECT r{a, a, b, b};
      InvalidateRect(child, &r, TRUE);
      ValidateRect(child, &r);
      InvalidateRect(top, nullptr, TRUE);
      POINT p{a, b};
      ClientToScreen(child, &p);
      ScreenToClient(child, &p);
      WindowFromPoint(p);
      ChildWindowFromPoint(top, p);
      HDC dc = GetDC(child);
      Rectangle(dc, a, b, b, a);
      ReleaseDC(child, dc);
      Pump();
      DestroyWindow(top);
    }
  }
  ce::display::InjectInput({ce::display::InputEvent::kPenDown, INT_MAX, INT_MIN, 0});
  Pump();
}

TEST_F(OddInputTest, OddMessageParametersToTheDefaultProcedure) {
  HWND w = Make();
  // Null texts and buffers, a zero or huge buffer length, a null DC.
  EXPECT_TRUE(SendMessageW(w, WM_SETTEXT, 0, 0));
  EXPECT_EQ(GetWindowTextLengthW(w), 0);
  EXPECT_EQ(SendMessageW(w, WM_GETTEXT, 100, 0), 0);
  WCHAR one[1] = {u'x'};
  EXPECT_EQ(SendMessageW(w, WM_GETTEXT, 1, reinterpret_cast<LPARAM>(one)), 0);
  EXPECT_EQ(one[0], 0);
  EXPECT_EQ(SendMessageW(w, WM_ERASEBKGND, 0, 0), 0);
  SendMessageW(w, WM_CTLCOLORSTATIC, 0x1234, 0);
  EXPECT_EQ(GetWindowTextW(w, one, 0), 0);
  EXPECT_EQ(GetWindowTextW(w, nullptr, 10), 0);
  EXPECT_EQ(GetWindowLongW(w, INT_MIN), 0);
  EXPECT_EQ(GetWindowLongW(w, INT_MAX), 0);
  EXPECT_EQ(SetWindowLongW(w, 1 << 20, 5), 0);
}
