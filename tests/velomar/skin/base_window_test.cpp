// The window base: messages during creation, the guard and its two boxes, button registration,
// focus movement with disabled buttons, key releases forwarded by the buttons, the layout in rows
// from the bottom band, owner-draw routing and the orientation.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "platform/display/virtual_keys.h"
#include "tests/velomar/skin/skin_fixture.h"
#include "velomar/core/Exceptions.h"

namespace {

using velomar_test::TestWindow;

class BaseWindowTest : public velomar_test::SkinTest {
 protected:
  // A plain button (no images) registered with `window` when created.
  static CButtonOwnDrawImage* AddButton(TestWindow& window, int id, int x = 0, int y = 0, int cx = 60, int cy = 65) {
    auto* button = new CButtonOwnDrawImage(&window, x, y, cx, cy, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           u"button", id, 0, false, 0, 0, nullptr);
    button->Create();
    return button;
  }
};

TEST_F(BaseWindowTest, MessagesDuringCreationReachTheObjectBeforeItsMapEntry) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  EXPECT_TRUE(window.m_createSeen);
  EXPECT_EQ(CBaseWindow::GetWindowObject(window.GetHwnd()), &window);
  // A window with no object and none being created gets the default procedure.
  EXPECT_EQ(CBaseWindow::StaticWindowProc(reinterpret_cast<HWND>(0x7fff0001), WM_USER + 5, 0, 0), 0);
}

TEST_F(BaseWindowTest, AThrowingHandlerShowsOneBoxAnswersZeroAndTheWindowGoesOn) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  const struct {
    const char* name;
    std::function<LRESULT()> handler;
    std::u16string text;
  } cases[] = {
      {"program exception", [] () -> LRESULT { throw CBaseException(u"disk 100% full"); }, u"There was an error:\ndisk 100% full"},
      {"any other exception", [] () -> LRESULT { throw std::runtime_error("x"); }, u"There was an error."},
      {"an int", [] () -> LRESULT { throw 5; }, u"There was an error."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window.m_onCommand = c.handler;
    EXPECT_EQ(SendMessageW(window.GetHwnd(), WM_COMMAND, 1, 0), 0);
    const auto boxes = teskautils::seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(boxes[0].owner, window.GetHwnd());
  }
  window.m_onCommand = [] { return LRESULT{42}; };
  EXPECT_EQ(SendMessageW(window.GetHwnd(), WM_COMMAND, 1, 0), 42);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

TEST_F(BaseWindowTest, RegistrationRefusesNullsAndDrawingAnUnknownButtonIsShown) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  CButtonOwnDrawImage* button = AddButton(window, 10);
  EXPECT_THROW(window.RegisterButton(nullptr, button), CBaseException);
  EXPECT_THROW(window.RegisterButton(button->GetHwnd(), nullptr), CBaseException);
  ASSERT_EQ(window.GetButtonList().size(), 1u);
  EXPECT_EQ(window.GetButtonMap().at(button->GetHwnd()), button);
  // A second registration appends the button again; the window still deletes it once.
  window.RegisterButton(button->GetHwnd(), button);
  EXPECT_EQ(window.GetButtonList().size(), 2u);
  EXPECT_EQ(window.GetButtonMap().size(), 1u);

  DRAWITEMSTRUCT item{};
  item.hwndItem = window.GetHwnd();  // not a registered button
  EXPECT_EQ(SendMessageW(window.GetHwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), 0);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"There was an error:\nNo se encontro el objeto owner draw");
}

TEST_F(BaseWindowTest, CursorAndTabKeysMoveTheFocusOnReleaseSkippingDisabledButtons) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  CButtonOwnDrawImage* first = AddButton(window, 1);
  CButtonOwnDrawImage* second = AddButton(window, 2);
  CButtonOwnDrawImage* third = AddButton(window, 3);
  second->StatusChanged(-1, 0, 10);
  ASSERT_FALSE(IsWindowEnabled(second->GetHwnd()));

  const struct {
    CButtonOwnDrawImage* from;
    UINT message;
    WPARAM key;
    CButtonOwnDrawImage* to;
  } cases[] = {
      {first, WM_KEYUP, VK_RIGHT, third}, {third, WM_KEYUP, VK_RIGHT, first}, {first, WM_KEYUP, VK_LEFT, third},
      {third, WM_KEYUP, VK_UP, first},    {first, WM_KEYUP, VK_TAB, third},   {first, WM_KEYUP, VK_DOWN, third},
      {first, WM_KEYDOWN, VK_RIGHT, first},  // presses act on release only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " message " << c.message);
    SetFocus(c.from->GetHwnd());
    SendMessageW(window.GetHwnd(), c.message, c.key, 0);
    EXPECT_EQ(GetFocus(), c.to->GetHwnd());
  }

  // From a window that is no button: the first enabled one, either way.
  EXPECT_EQ(window.FindNextButton(window.GetHwnd(), true), first);
  EXPECT_EQ(window.FindNextButton(window.GetHwnd(), false), first);
  // The window's own focus goes to the first enabled button.
  SetFocus(window.GetHwnd());
  EXPECT_EQ(GetFocus(), first->GetHwnd());

  // A key released on a button reaches the window through the button's procedure.
  SendMessageW(first->GetHwnd(), WM_KEYUP, VK_RIGHT, 0);
  Pump();
  EXPECT_EQ(GetFocus(), third->GetHwnd());

  // F6 goes to OnEnterButton.
  SendMessageW(window.GetHwnd(), WM_KEYUP, VK_F6, 0);
  EXPECT_EQ(window.m_enterKeys, std::vector<int>{VK_F6});

  // With no button enabled the search ends and the focus stays.
  first->StatusChanged(-1, 0, 10);
  third->StatusChanged(-1, 0, 10);
  SetFocus(window.GetHwnd());
  EXPECT_EQ(GetFocus(), window.GetHwnd());
  SendMessageW(window.GetHwnd(), WM_KEYUP, VK_RIGHT, 0);
  SendMessageW(window.GetHwnd(), WM_KEYUP, VK_LEFT, 0);
  EXPECT_EQ(GetFocus(), window.GetHwnd());
  EXPECT_EQ(window.FindNextButton(nullptr, true), nullptr);
  // The next status enables a button again.
  third->StatusChanged(2, 0, 10);
  EXPECT_TRUE(IsWindowEnabled(third->GetHwnd()));
  SendMessageW(window.GetHwnd(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(GetFocus(), third->GetHwnd());
}

TEST_F(BaseWindowTest, FiveButtonsAtVgaFillRowsFromTheBottomBandUpward) {
  TestWindow window(200, 300);
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  window.SetResolution(2);
  window.SetButtonSize(60, 65);
  std::vector<CButtonOwnDrawImage*> buttons;
  for (int i = 0; i < 5; ++i) buttons.push_back(AddButton(window, 100 + i, 7, 7, 10, 10));
  window.Relayout(1, 0);
  const POINT expected[] = {{0, 185}, {60, 185}, {120, 185}, {0, 120}, {60, 120}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    RECT rc{};
    GetWindowRect(buttons[i]->GetHwnd(), &rc);
    EXPECT_EQ(rc.left, expected[i].x);
    EXPECT_EQ(rc.top, expected[i].y);
    EXPECT_EQ(rc.right - rc.left, 60);
    EXPECT_EQ(rc.bottom - rc.top, 65);
  }
  EXPECT_EQ(window.GetLayoutRight(), 120);
  EXPECT_EQ(window.GetLayoutTop(), 120);

  // At class 1 the band is 25 pixels; mode 0 lays nothing out.
  window.SetResolution(1);
  window.Relayout(0, 0);
  RECT rc{};
  GetWindowRect(buttons[0]->GetHwnd(), &rc);
  EXPECT_EQ(rc.top, 185);
  window.Relayout(1, 0);
  GetWindowRect(buttons[0]->GetHwnd(), &rc);
  EXPECT_EQ(rc.top, 300 - 25 - 65);
}

TEST_F(BaseWindowTest, OrientationIsReadFromTheDesktopOnceThenKept) {
  const struct {
    ce::display::ScreenSize size;
    int orientation;
  } cases[] = {{{240, 320}, 0}, {{320, 240}, 1}, {{480, 480}, 2}};
  for (const auto& c : cases) {
    ASSERT_TRUE(ce::display::SetScreenSize(c.size));
    TestWindow window;
    EXPECT_EQ(window.GetOrientation(), c.orientation);
    ASSERT_TRUE(ce::display::SetScreenSize({240, 400}));
    EXPECT_EQ(window.GetScreenMode(), c.orientation);
  }
}

}  // namespace
