// The main window's soft keys, menu and command table, with the schedule engine, the radio
// interface manager and recording managers: the menu's translated texts, the current-location
// submenu's greying by state, the close command's question, and the commands that reach managers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/libraries/libraries.h"
#include "platform/device/device.h"
#include "platform/menus/menus.h"
#include "platform/menus/softkey_bar.h"
#include "platform/scripted/scripted_user.h"
#include "platform/window/window.h"
#include "tests/velomar/places/schedule_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/WindowMain.h"

namespace {

constexpr int kYes = 6;
constexpr int kNo = 7;

// The main window with the call-forward dialog answered by the test.
class TestWindow : public CWindowMain {
 public:
  TestWindow() : CWindowMain(0, 0) {}
  bool forward_ok = false;
  std::u16string forward_number;

 protected:
  bool RunCallForwardDialog(std::u16string& number) override {
    number = forward_number;
    return forward_ok;
  }
};

class WindowCommandsTest : public schedule_test::ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    // The window reads its skin from this device's theme.
    ASSERT_TRUE(velomar::InstallThemes());
    SetSetting(u"theme", std::u16string(u"default"));
    velomar::seam::ResetSkin();
    m_window = std::make_unique<TestWindow>();
    ASSERT_EQ(m_window->Create(GetModuleHandleW(nullptr), 0, 0), 1);
    m_hwnd = m_window->GetHwnd();
    teskautils::seam::TakeShownBoxes();
  }
  void TearDown() override {
    m_window.reset();
    TakeQuit();
    ScheduleTest::TearDown();
  }

  LRESULT Command(int id) { return SendMessageW(m_hwnd, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // Runs the window's posted messages.
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      DispatchMessageW(&msg);
    }
  }
  // Whether a quit was posted (and takes it out).
  static bool TakeQuit() {
    MSG msg{};
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) quit = true;
    return quit;
  }
  static std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : teskautils::seam::TakeShownBoxes()) texts.push_back(ce::text::ToUtf8(box.text));
    return texts;
  }
  static std::string Text(HMENU menu, int position) {
    WCHAR text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    return ce::text::ToUtf8(text);
  }
  static void CollectTexts(HMENU menu, std::vector<std::string>& out) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) continue;
      out.push_back(Text(menu, i));
      if (HMENU sub = GetSubMenu(menu, i)) CollectTexts(sub, out);
    }
  }

  std::unique_ptr<TestWindow> m_window;
  HWND m_hwnd = nullptr;
};

TEST_F(WindowCommandsTest, TheMenuShowsTheLoadedLanguage) {
  HWND bar = m_window->GetMenuBar();
  ASSERT_NE(bar, nullptr);
  for (const auto& [command, text] : {std::pair<int, std::string>{5, "Hide"}, {6, "Menu"}}) {
    WCHAR buffer[32] = {};
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = buffer;
    info.cchText = 32;
    ASSERT_NE(SendMessageW(bar, TB_GETBUTTONINFO, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info)), -1);
    EXPECT_EQ(ce::text::ToUtf8(buffer), text);
  }
  auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 6));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 8);
  EXPECT_EQ(Text(menu, 0), "Places");
  EXPECT_EQ(GetMenuItemID(menu, 0), 40002u);
  EXPECT_EQ(GetSubMenu(menu, 1), m_window->GetLocationMenu());
  EXPECT_EQ(Text(menu, 1), "Current location");
  EXPECT_TRUE(GetMenuState(menu, 4, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(Text(menu, 7), "Exit");
  EXPECT_EQ(GetMenuItemID(menu, 7), 1234u);
  // Every text is translated; the volume levels keep theirs.
  std::vector<std::string> texts;
  CollectTexts(menu, texts);
  EXPECT_EQ(texts.size(), 47u);
  for (const std::string& text : texts) EXPECT_EQ(text.find("????"), std::string::npos) << text;
  HMENU volume = GetSubMenu(GetSubMenu(menu, 2), 11);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(Text(GetSubMenu(menu, 2), 11), "Volume");
  EXPECT_EQ(Text(volume, 0), "0%");
  EXPECT_EQ(Text(volume, 5), "100%");
  EXPECT_EQ(GetMenuItemID(volume, 5), 40132u);
}

TEST_F(WindowCommandsTest, TheSoftKeysHideTheWindowAndOpenTheMenu) {
  HWND bar = m_window->GetMenuBar();
  ShowWindow(m_hwnd, SW_SHOW);
  m_window->SetShown(true);
  ASSERT_TRUE(ce::menus::PressSoftKey(bar, 0));
  Pump();
  EXPECT_FALSE(IsWindowVisible(m_hwnd));
  EXPECT_FALSE(m_window->IsShown());

  // A pick in the right key's menu reaches the command table.
  ce::scripted::User::Get().AnswerMenu(40224);
  ASSERT_TRUE(ce::menus::PressSoftKey(bar, 1));
  Pump();
  const std::vector<std::string> boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Cell answers: ", 0), 0u) << boxes[0];
}

TEST_F(WindowCommandsTest, TheLocationSubmenuFollowsThePlaceThePeriodAndTheLock) {
  const int home = AddPlace(u"Home", 4711);
  AddPeriod(home, u"Morning", 8, 0, 13, 0);  // holds at 12:00
  AddPlace(u"Office", 815);                  // no period
  const struct {
    const char* what;
    DWORD cell;
    bool locked;
    const char* enabled;  // New, Assign, Schedule, Actions, Lock, Unlock: 1 enabled, 0 grey
  } cases[] = {
      {"unknown cell", 1, false, "110010"},
      {"place with a period now", 4711, false, "001110"},
      {"place without a period now", 815, false, "001010"},
      {"unknown cell, locked", 1, true, "110001"},
      {"known cell, locked", 4711, true, "001101"},
  };
  HMENU menu = m_window->GetLocationMenu();
  ASSERT_NE(menu, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_ril->SetCellId(c.cell);
    m_engine->SetLocked(c.locked ? 1 : 0);
    EXPECT_EQ(SendMessageW(m_hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 1), 1);
    std::string enabled;
    for (UINT i = 0; i < 6; ++i) enabled += (GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) ? '0' : '1';
    EXPECT_EQ(enabled, c.enabled);
  }
  m_engine->SetLocked(0);
}

TEST_F(WindowCommandsTest, ExitAsksAndOnlyYesCloses) {
  teskautils::seam::SetBoxAnswer(kNo);
  Command(1234);
  Pump();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Close Velomar? Places and periods will no longer be followed."}));
  EXPECT_TRUE(IsWindow(m_hwnd));
  // The flag was cleared: a close from outside follows "allow_windows_close_qxt" again.
  PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_TRUE(IsWindow(m_hwnd));

  teskautils::seam::SetBoxAnswer(kYes);
  Command(1234);
  Pump();
  EXPECT_EQ(BoxTexts().size(), 1u);
  EXPECT_FALSE(IsWindow(m_hwnd));
  EXPECT_TRUE(TakeQuit());
}

TEST_F(WindowCommandsTest, CommandsReachTheManagers) {
  const struct {
    int command;
    std::vector<std::string> journal;
  } cases[] = {
      {40127, {"2:2/0/0/0~0"}},
      {40131, {"2:2/0/0/0~4"}},
      {40132, {"2:2/0/0/0~100"}},  // the top level is 100, not 5
      {55555, {}},                 // an id that is no command
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(Command(c.command), 0);
    EXPECT_EQ(m_journal.Take(), c.journal);
  }

  // Forwarding is switched on only with a number the user confirmed (the request waits 10 s of
  // device time on the calling thread).
  const auto run = [&](int command) {
    StopWhileDriving([&] { m_window->OnCommand(m_hwnd, WM_COMMAND, static_cast<WPARAM>(command), 0); });
  };
  m_window->forward_number = u"600123456";
  m_window->forward_ok = false;
  run(40095);
  EXPECT_EQ(ce::device::GetText("forward.number"), "");
  m_window->forward_ok = true;
  run(40095);
  EXPECT_EQ(ce::device::GetText("forward.number"), "600123456");
  run(40094);
  EXPECT_EQ(ce::device::GetText("forward.number"), "");
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(WindowCommandsTest, TheReportsTellTheirCounts) {
  Command(40223);
  std::vector<std::string> boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Memory in use: ", 0), 0u) << boxes[0];
  EXPECT_EQ(boxes[0].find("Memory in use: 0 bytes"), std::string::npos) << boxes[0];
  Command(40224);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cell answers: " + std::to_string(m_ril->GetCellAnswerCount()) +
                                                  "\nLocation notifications: " +
                                                  std::to_string(m_ril->GetNotifyCount())}));
}

}  // namespace
