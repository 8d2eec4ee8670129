// Message boxes, choosers and the tray, answered by the scripted user.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/dialogs/commdlg.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/tray.h"
#include "platform/files/files.h"
#include "platform/kernel/last_error.h"
#include "tests/platform/dialogs/dialog_fixture.h"

using ce::scripted::Kind;
using ce::scripted::User;

TEST_F(DialogTest, BoxOnWorkerThreadBlocksOnlyThatThread) {
  User::Get().HoldUnanswered(true);
  std::atomic<int> answer{-1};
  std::thread worker([&] { answer = MessageBoxW(nullptr, u"Save changes?", u"Notes", MB_YESNOCANCEL | MB_ICONQUESTION); });
  ASSERT_TRUE(User::Get().WaitShown(Kind::kBox, 1));
  // The worker waits for the user; this thread goes on with its own windows and messages.
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    return m == WM_USER ? 7 : DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"BoxProbe";
  RegisterClassW(&wc);
  HWND probe = CreateWindowW(u"BoxProbe", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageW(probe, WM_USER, 0, 0), 7);
  EXPECT_EQ(answer.load(), -1);
  User::Get().AnswerBox(IDNO);
  worker.join();
  EXPECT_EQ(answer.load(), IDNO);
  DestroyWindow(probe);
  UnregisterClassW(u"BoxProbe", nullptr);

  auto shown = User::Get().shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, u"Notes");
  EXPECT_EQ(shown[0].texts, (std::vector<std::u16string>{u"Save changes?", u"Yes", u"No", u"Cancel"}));
  EXPECT_EQ(shown[0].result, IDNO);
  EXPECT_TRUE(shown[0].scripted);
}

TEST_F(DialogTest, BoxWithoutFittingAnswerPressesItsDefaultButton) {
  struct Case {
    UINT flags;
    std::optional<int> scripted;
    int expected;
  };
  const Case cases[] = {
      {MB_OK, std::nullopt, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, std::nullopt, IDNO},
      {MB_OKCANCEL, IDYES, IDOK},        // not a button of the box
      {MB_YESNOCANCEL, IDCANCEL, IDCANCEL},
  };
  for (const auto& c : cases) {
    User::Get().Reset();
    if (c.scripted) User::Get().AnswerBox(*c.scripted);
    EXPECT_EQ(MessageBoxW(nullptr, u"Text", u"Caption", c.flags), c.expected) << c.flags;
    bool fitting = c.scripted && *c.scripted == c.expected;
    EXPECT_EQ(User::Get().log().empty(), fitting) << c.flags;
    EXPECT_EQ(User::Get().shown().at(0).scripted, fitting) << c.flags;
  }
  EXPECT_EQ(MessageBoxW(nullptr, u"Text", u"Caption", 0x0F), 0);  // no such button set
}

TEST_F(DialogTest, FileChooserAnswersScriptedPathOrCancels) {
  WCHAR file[32] = u"old.txt";
  WCHAR title[16];
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = 32;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = 16;
  ofn.lpstrFilter = u"Flights\0*.igc\0All\0*.*\0";
  ofn.lpstrInitialDir = u"\\My Documents";
  ofn.lpstrTitle = u"Open flight";
  ofn.lpstrDefExt = u"igc";

  User::Get().AnswerSaveFile(u"\\My Documents\\day1");
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::u16string(file), u"\\My Documents\\day1.igc");
  EXPECT_EQ(std::u16string(title), u"day1.igc");
  EXPECT_EQ(ofn.nFileOffset, 14);
  EXPECT_EQ(ofn.nFileExtension, 19);

  // Too long for the buffer: refused with the reason.
  User::Get().AnswerOpenFile(u"\\My Documents\\a very long file name indeed.igc");
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));

  // A file that must exist and does not: cancelled and logged; no answer: cancelled.
  ofn.Flags = OFN_FILEMUSTEXIST;
  User::Get().AnswerOpenFile(u"\\nothere.igc");
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(User::Get().log().size(), 2u);

  auto shown = User::Get().shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].title, u"Open flight");
  EXPECT_NE(std::find(shown[0].texts.begin(), shown[0].texts.end(), u"filter: Flights (*.igc)"), shown[0].texts.end());
}

TEST_F(DialogTest, ColorChooserAndTray) {
  COLORREF custom[16] = {};
  CHOOSECOLORW cc{sizeof(CHOOSECOLORW), nullptr, nullptr, RGB(1, 2, 3), custom, CC_RGBINIT | CC_SOLIDCOLOR, 0, nullptr, nullptr};
  User::Get().AnswerColor(RGB(10, 20, 30));
  ASSERT_TRUE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(10, 20, 30));
  User::Get().AnswerColor(std::nullopt);
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(10, 20, 30));

  ce::dialogs::ClearTray();
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"TrayOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowW(u"TrayOwner", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  NOTIFYICONDATAW nid{};
  nid.hWnd = owner;
  nid.uID = 14;
  nid.uFlags = NIF_MESSAGE | NIF_TIP;
  nid.uCallbackMessage = WM_USER + 2;
  std::u16string tip = u"Velomar";
  std::copy(tip.begin(), tip.end(), nid.szTip);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &nid));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &nid));  // shown already
  ASSERT_EQ(ce::dialogs::TrayIcons().size(), 1u);
  EXPECT_EQ(ce::dialogs::TrayIcons()[0].tip, u"Velomar");
  EXPECT_TRUE(ce::dialogs::TapTrayIcon(owner, 14, WM_LBUTTONUP));
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, owner, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(m.wParam, 14u);
  EXPECT_EQ(m.lParam, WM_LBUTTONUP);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &nid));
  ce::dialogs::RefuseNextTrayAdd(ERROR_GEN_FAILURE);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &nid));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &nid));
  ce::dialogs::ClearTray();
  DestroyWindow(owner);
  UnregisterClassW(u"TrayOwner", nullptr);
}

// A box on a worker thread, owned by a window of a thread that is busy waiting for the worker,
// still opens, takes its answer and returns: nothing it does waits on the owner's thread.
TEST_F(DialogTest, BoxOwnedByBusyThreadsWindowDoesNotWaitForIt) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BoxOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowW(u"BoxOwner", u"Owner", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  User::Get().AnswerBox(IDOK);
  std::atomic<int> answer{-1};
  std::thread worker([&] { answer = MessageBoxW(owner, u"Done", u"Export", MB_OKCANCEL); });
  worker.join();  // this thread pumps nothing meanwhile
  EXPECT_EQ(answer.load(), IDOK);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
  UnregisterClassW(u"BoxOwner", nullptr);
}
