// The shell's dialog helpers: full-screen dialogs, the soft-key bar in a dialog, tap-and-hold.
#include <gtest/gtest.h>

#include "platform/dialogs/aygshell.h"
#include "tests/platform/dialogs/dialog_fixture.h"

using ce::scripted::User;
namespace steps = ce::scripted::steps;

namespace {

const char kRes[] = R"(
dialog 130 0 0 100 60
  caption "Ring"
  font 8 "Tahoma"
  control "HoldPad" 7 "" 4 4 60 30
end
menu 134
  popup "Menu"
    item 40043 "Save"
    item 40241 "Help"
  end
end
softkeys 134 menu 134
  key 101 "Done"
  key 40006 "Menu" popup 0
end
)";

// A window that asks the shell whether a press is a tap-and-hold, as the Parts' pages do.
LRESULT HoldPadProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) {
    SHRGINFO rg{sizeof(SHRGINFO), h, {LOWORD(l), HIWORD(l)}, SHRG_RETURNCMD};
    DialogTest::Hear({WM_LBUTTONDOWN, GetDlgCtrlID(h), static_cast<int>(SHRecognizeGesture(&rg)), 0});
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

INT_PTR RingProc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
  DialogTest::Note(msg, wparam, lparam);
  if (msg == WM_INITDIALOG) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
    SHSipPreference(dlg, SIP_UP);
    SHMENUBARINFO mb{};
    mb.cbSize = 36;
    mb.hwndParent = dlg;
    mb.nToolBarId = 134;
    return SHCreateMenuBar(&mb);
  }
  if (msg == WM_COMMAND && (LOWORD(wparam) == 40043 || LOWORD(wparam) == 101)) {
    EndDialog(dlg, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

TEST_F(DialogTest, FullScreenDialogWithSoftKeysAndHold) {
  UseResources(kRes);
  WNDCLASSW wc{};
  wc.lpfnWndProc = HoldPadProc;
  wc.lpszClassName = u"HoldPad";
  RegisterClassW(&wc);
  ce::dialogs::ClearShellCalls();
  // A plain press, a hold, then Save through the right key's menu.
  User::Get().AnswerDialog({steps::Click(7), steps::Hold(7, -1), steps::SoftKey(1)});
  User::Get().AnswerMenu(40043);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(130), nullptr, RingProc, 0), 40043);
  auto presses = HeardOf(WM_LBUTTONDOWN, 7, 0);
  EXPECT_EQ(presses.size(), 1u);
  EXPECT_EQ(HeardOf(WM_LBUTTONDOWN, 7, GN_CONTEXTMENU).size(), 1u);
  EXPECT_EQ(ce::dialogs::ShellCalls(), (std::vector<std::string>{"SHInitDialog flags=7", "SHSipPreference state=0"}));
  auto shown = User::Get().shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].kind, ce::scripted::Kind::kMenu);
  EXPECT_EQ(shown[1].texts, (std::vector<std::u16string>{u"Save", u"Help"}));
  UnregisterClassW(u"HoldPad", nullptr);
}
