// Menus: editing by command and by position, popup menus answered by the scripted user, and the
// soft-key bar.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/display/display.h"
#include "platform/menus/menu_popup.h"
#include "platform/menus/menus.h"
#include "platform/menus/softkey_bar.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"

using ce::scripted::User;

namespace {

struct Got {
  UINT msg;
  WPARAM wparam;
  LPARAM lparam;
};
std::vector<Got>& Log() {
  static std::vector<Got> log;
  return log;
}
// Grays command 502 when its popup opens.
LRESULT OwnerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_INITMENUPOPUP || m == WM_COMMAND || m == WM_ENTERMENULOOP || m == WM_EXITMENULOOP) Log().push_back({m, w, l});
  if (m == WM_INITMENUPOPUP) EnableMenuItem(reinterpret_cast<HMENU>(w), 502, MF_BYCOMMAND | MF_GRAYED);
  return DefWindowProcW(h, m, w, l);
}

class MenuTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    User::Get().Reset();
    Log().clear();
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = u"MenuOwner";
    RegisterClassW(&wc);
    owner_ = CreateWindowW(u"MenuOwner", u"", WS_VISIBLE, 0, 0, 240, 294, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    UnregisterClassW(u"MenuOwner", nullptr);
    ce::resources::RemoveModuleResources(u"");
    User::Get().Reset();
    DeviceTest::TearDown();
  }
  // A popup: "Open" 500, separator, "Sort" > ("By name" 501, "By date" 502), "Close" 503.
  static HMENU Sample() {
    HMENU menu = CreatePopupMenu();
    HMENU sort = CreatePopupMenu();
    AppendMenuW(sort, MF_STRING, 501, u"By name");
    AppendMenuW(sort, MF_STRING, 502, u"By date");
    AppendMenuW(menu, MF_STRING, 500, u"Open");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sort), u"Sort");
    AppendMenuW(menu, MF_STRING, 503, u"Close");
    return menu;
  }
  HWND owner_ = nullptr;
};

std::u16string Text(HMENU m, UINT pos) {
  WCHAR buf[32];
  GetMenuStringW(m, pos, buf, 32, MF_BYPOSITION);
  return buf;
}

}  // namespace

TEST_F(MenuTest, EditingByPositionAndByCommand) {
  HMENU menu = Sample();
  HMENU sort = GetSubMenu(menu, 2);
  ASSERT_NE(sort, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 2), 0xFFFFFFFFu);  // a popup has no command

  ASSERT_TRUE(InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 499, u"Save"));
  ASSERT_TRUE(InsertMenuW(menu, 503, MF_BYCOMMAND | MF_STRING, 504, u"Print"));  // before "Close"
  EXPECT_EQ(Text(menu, 0), u"Save");
  EXPECT_EQ(Text(menu, 4), u"Print");
  EXPECT_EQ(Text(menu, 5), u"Close");

  // Commands are found inside popups too.
  EXPECT_EQ(CheckMenuItem(menu, 502, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(menu, 502, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu, 999, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(menu, 500, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_TRUE(GetMenuState(menu, 500, MF_BYCOMMAND) & MF_GRAYED);
  ASSERT_TRUE(CheckMenuRadioItem(sort, 0, 1, 1, MF_BYPOSITION));
  EXPECT_FALSE(GetMenuState(sort, 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(sort, 1, MF_BYPOSITION) & MF_CHECKED);

  // RemoveMenu keeps a popup it takes out; DeleteMenu destroys it.
  ASSERT_TRUE(RemoveMenu(menu, 3, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sort));
  ASSERT_TRUE(InsertMenuW(menu, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sort), u"Sort"));
  ASSERT_TRUE(DeleteMenu(menu, 3, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sort));
  EXPECT_FALSE(DeleteMenu(menu, 40, MF_BYPOSITION));

  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_TYPE | MIIM_STATE;
  info.wID = 600;
  info.dwTypeData = const_cast<LPWSTR>(u"Help");
  info.fState = MFS_CHECKED;
  ASSERT_TRUE(InsertMenuItemW(menu, 0, TRUE, &info));
  EXPECT_EQ(Text(menu, 0), u"Help");
  EXPECT_TRUE(GetMenuState(menu, 600, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_EQ(GetMenuItemCount(menu), -1);
}

// A menu never becomes its own popup, directly or through a popup inside it: the searches and
// DestroyMenu would never end.
TEST_F(MenuTest, PopupLoopsAreRefused) {
  HMENU menu = Sample();
  HMENU sort = GetSubMenu(menu, 2);
  ASSERT_NE(sort, nullptr);
  EXPECT_FALSE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"Self"));
  EXPECT_FALSE(AppendMenuW(sort, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"Up"));
  EXPECT_FALSE(ModifyMenuW(sort, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"Up"));
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = menu;
  EXPECT_FALSE(InsertMenuItemW(sort, 0, TRUE, &info));
  EXPECT_FALSE(SetMenuItemInfoW(sort, 0, TRUE, &info));
  EXPECT_EQ(GetMenuState(menu, 999, MF_BYCOMMAND), 0xFFFFFFFFu);
  HMENU other = CreatePopupMenu();
  EXPECT_TRUE(AppendMenuW(sort, MF_POPUP, reinterpret_cast<UINT_PTR>(other), u"Other"));
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(other));
}

TEST_F(MenuTest, PopupMenuReturnsScriptedCommand) {
  HMENU menu = Sample();
  User::Get().AnswerMenu(501);
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 10, 10, owner_, nullptr), 501);
  // The owner prepared the menu and the popup the command is in.
  std::vector<WPARAM> prepared;
  for (auto& g : Log())
    if (g.msg == WM_INITMENUPOPUP) prepared.push_back(g.wparam);
  EXPECT_EQ(prepared, (std::vector<WPARAM>{reinterpret_cast<WPARAM>(menu), reinterpret_cast<WPARAM>(GetSubMenu(menu, 2))}));
  auto shown = User::Get().shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].texts, (std::vector<std::u16string>{u"Open", u"-", u"Sort >", u"Sort > By name",
                                                          u"Sort > By date [grayed]", u"Close"}));
  EXPECT_EQ(shown[0].result, 501);

  // Without TPM_RETURNCMD the command is posted to the owner.
  Log().clear();
  User::Get().AnswerMenu(503);
  EXPECT_TRUE(TrackPopupMenu(menu, 0, 10, 10, 0, owner_, nullptr));
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log().back().msg, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(LOWORD(Log().back().wparam), 503);
  DestroyMenu(menu);
}

TEST_F(MenuTest, GrayedMissingOrUnansweredPicksNothing) {
  HMENU menu = Sample();
  User::Get().AnswerMenu(502);  // grayed by the owner when "Sort" opens
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner_, nullptr), 0);
  User::Get().AnswerMenu(777);  // not in the menu
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner_, nullptr), 0);
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner_, nullptr), 0);  // no answer
  EXPECT_EQ(User::Get().log().size(), 3u);
  // Held: a posted escape key ends the menu loop.
  User::Get().HoldUnanswered(true);
  PostMessageW(owner_, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner_, nullptr), 0);
  EXPECT_EQ(User::Get().log().size(), 3u);
  EXPECT_EQ(TrackPopupMenuEx(reinterpret_cast<HMENU>(0x1234), TPM_RETURNCMD, 0, 0, owner_, nullptr), 0);
  DestroyMenu(menu);
}

TEST_F(MenuTest, SoftKeyBarFromResources) {
  ASSERT_EQ(ce::resources::AddModuleResourceText(u"", R"(
menu 8
  popup "Menu"
    item 40013 "Save"
    item 40014 "Help"
  end
end
softkeys 8 menu 8
  key IDCANCEL "Cancel"
  key 40009 "Menu" popup 0
end
)"), "");
  SHMENUBARINFO mb{};
  mb.cbSize = 36;
  mb.hwndParent = owner_;
  mb.nToolBarId = 8;
  ASSERT_TRUE(SHCreateMenuBar(&mb));
  ASSERT_NE(mb.hwndMB, nullptr);
  EXPECT_EQ(SHFindMenuBar(owner_), mb.hwndMB);

  // The dialogs' pattern: rename the keys, replace the first item of the right key's menu.
  TBBUTTONINFOW tb{};
  tb.cbSize = 32;
  tb.dwMask = TBIF_TEXT;
  tb.pszText = const_cast<LPWSTR>(u"Back");
  EXPECT_TRUE(SendMessageW(mb.hwndMB, TB_SETBUTTONINFO, IDCANCEL, reinterpret_cast<LPARAM>(&tb)));
  HMENU sub = reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETSUBMENU, 0, 40009));
  ASSERT_NE(sub, nullptr);
  DeleteMenu(sub, 0, MF_BYPOSITION);
  InsertMenuW(sub, 0, MF_BYPOSITION | MF_STRING, IDOK, u"Store");

  WCHAR text[16];
  tb.pszText = text;
  tb.cchText = 16;
  SendMessageW(mb.hwndMB, TB_GETBUTTONINFO, IDCANCEL, reinterpret_cast<LPARAM>(&tb));
  EXPECT_EQ(std::u16string(text), u"Back");

  User::Get().AnswerMenu(IDOK);
  EXPECT_TRUE(ce::menus::PressSoftKey(mb.hwndMB, 1));
  EXPECT_TRUE(ce::menus::PressSoftKey(mb.hwndMB, 0));
  EXPECT_FALSE(ce::menus::PressSoftKey(mb.hwndMB, 2));
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  std::vector<int> commands;
  for (auto& g : Log())
    if (g.msg == WM_COMMAND) commands.push_back(LOWORD(g.wparam));
  // The left key sends its command at once; the menu's pick is posted.
  EXPECT_EQ(commands, (std::vector<int>{IDCANCEL, IDOK}));

  mb.nToolBarId = 99;  // no such bar
  EXPECT_FALSE(SHCreateMenuBar(&mb));
}

TEST_F(MenuTest, PersonPicksFromDrawnPopup) {
  HMENU menu = Sample();
  ce::menus::SetInteractiveMenus(true);
  std::thread person([] {
    ASSERT_TRUE(User::Get().WaitShown(ce::scripted::Kind::kMenu, 1));
    auto tap = [](int row_y) {
      HWND popup = nullptr;
      for (int i = 0; i < 200 && !(popup = FindWindowW(u"MenuPopup", nullptr)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      ASSERT_NE(popup, nullptr);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      RECT r;
      GetWindowRect(popup, &r);
      ce::display::InjectInput({ce::display::InputEvent::kPenDown, r.left + 20, r.top + row_y});
      ce::display::InjectInput({ce::display::InputEvent::kPenUp, r.left + 20, r.top + row_y});
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    tap(1 + 18 + 7 + 9);  // "Sort": its popup replaces the rows
    auto shot = std::filesystem::path(std::getenv("CE_SCREENSHOT_DIR") ? std::getenv("CE_SCREENSHOT_DIR")
                                                                        : ::testing::TempDir()) / "popup_menu.png";
    ce::display::SaveScreenshot(shot);
    tap(1 + 18 + 9);      // "By name", below the back row
  });
  UINT got = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_CENTERALIGN, 120, 100, owner_, nullptr);
  person.join();
  ce::menus::SetInteractiveMenus(false);
  EXPECT_EQ(got, 501u);
  EXPECT_FALSE(User::Get().shown().at(0).scripted);
  EXPECT_TRUE(User::Get().log().empty());
  DestroyMenu(menu);
}

// The bar stays where a person sees it: in front of its full-screen owner when the owner is
// brought forward (the program shown again), and painted on the screen.
TEST_F(MenuTest, SoftKeyBarStaysInFrontOfItsOwner) {
  ASSERT_EQ(ce::resources::AddModuleResourceText(u"", R"(
menu 9
  popup "Menu"
    item 40013 "Save"
  end
end
softkeys 9 menu 9
  key IDCANCEL "Hide"
  key IDOK "Done"
end
)"), "");
  HWND full = CreateWindowW(u"MenuOwner", u"", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  SHMENUBARINFO mb{};
  mb.cbSize = 36;
  mb.hwndParent = full;
  mb.nToolBarId = 9;
  ASSERT_TRUE(SHCreateMenuBar(&mb));
  HWND box = CreateWindowExW(0, u"MenuOwner", u"", WS_POPUP | WS_VISIBLE, 20, 100, 200, 100, full, nullptr, nullptr, nullptr);
  ShowWindow(full, SW_SHOW);
  SetForegroundWindow(full);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  EXPECT_EQ(WindowFromPoint(POINT{120, 310}), mb.hwndMB);
  EXPECT_EQ(WindowFromPoint(POINT{120, 150}), box);  // what it owns stays in front of it too
  EXPECT_EQ(WindowFromPoint(POINT{120, 50}), full);
  // The bar's dark face is on the screen.
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 120, 318), RGB(0x30, 0x30, 0x30));
  ReleaseDC(nullptr, screen);
  // Another program's window made topmost goes in front of the bar; made not topmost again, behind it.
  HWND other = CreateWindowW(u"MenuOwner", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(WindowFromPoint(POINT{120, 310}), other);
  SetWindowPos(other, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(WindowFromPoint(POINT{120, 310}), mb.hwndMB);
  DestroyWindow(other);
  DestroyWindow(full);
}
