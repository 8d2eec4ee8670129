// Dialog behaviour: keyboard navigation, items by id, defaults without a script, dialogs on
// worker threads, templates in memory.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/threads.h"
#include "platform/resources/resources.h"
#include "tests/platform/dialogs/dialog_fixture.h"

using ce::scripted::User;
namespace steps = ce::scripted::steps;

namespace {

const char kForm[] = R"(
dialog 120 0 0 140 80
  caption "Form"
  font 8 "Tahoma"
  control edit 1 "" 4 4 60 12 WS_BORDER|WS_TABSTOP
  control edit 2 "" 4 20 60 12 WS_BORDER|WS_TABSTOP|WS_DISABLED
  control edit 3 "" 4 36 60 12 WS_BORDER|WS_TABSTOP
  control button 4 "A" 70 4 40 10 BS_AUTORADIOBUTTON|WS_GROUP|WS_TABSTOP
  control button 5 "B" 70 16 40 10 BS_AUTORADIOBUTTON
  control button 6 "Apply" 70 40 40 14 BS_DEFPUSHBUTTON|WS_TABSTOP|WS_GROUP
  control button IDCANCEL "Cancel" 70 58 40 14 WS_TABSTOP
end
)";

// Ends with the id of any button command; keeps the focus order it sees.
INT_PTR FormProc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
  DialogTest::Note(msg, wparam, lparam);
  if (msg == WM_COMMAND && HIWORD(wparam) == BN_CLICKED && (LOWORD(wparam) == 6 || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dlg, LOWORD(wparam));
    return TRUE;
  }
  if (msg == WM_COMMAND && HIWORD(wparam) == EN_SETFOCUS) return TRUE;
  return msg == WM_INITDIALOG;
}

}  // namespace

TEST_F(DialogTest, KeyboardMovesFocusAndEnterPressesDefault) {
  UseResources(kForm);
  // Tab skips the disabled field; the arrow moves within the radio group and checks it; typing
  // goes to the field with the focus; Enter presses the default button.
  User::Get().AnswerDialog({steps::Key(VK_TAB), steps::Type(3, u"x"), steps::Key(VK_TAB), steps::Key(VK_DOWN),
                            steps::Key(VK_RETURN)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(120), nullptr, FormProc, 0), 6);
  std::vector<int> focus;
  for (auto& h : heard())
    if (h.msg == WM_COMMAND && h.code == EN_SETFOCUS) focus.push_back(h.id);
  EXPECT_EQ(focus, (std::vector<int>{1, 3}));
  EXPECT_TRUE(HeardAny(WM_COMMAND, 5, BN_CLICKED));

  // Escape is Cancel.
  heard().clear();
  User::Get().AnswerDialog({steps::Key(VK_ESCAPE)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(120), nullptr, FormProc, 0), IDCANCEL);
}

TEST_F(DialogTest, WithoutScriptCancelIsPressedAndLogged) {
  UseResources(kForm);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(120), nullptr, FormProc, 0), IDCANCEL);
  ASSERT_EQ(User::Get().log().size(), 1u);
  EXPECT_NE(User::Get().log()[0].find("no scripted answer"), std::string::npos);
  EXPECT_FALSE(User::Get().shown().at(0).scripted);
  // A procedure that ignores Cancel is still ended, so a headless run cannot hang.
  auto stubborn = [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(120), nullptr, stubborn, 0), IDCANCEL);
  EXPECT_EQ(User::Get().log().size(), 3u);
  // A missing template or a bad one: -1.
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(121), nullptr, FormProc, 0), -1);
  auto bad_class = std::string(kForm) + "dialog 122 0 0 10 10\n  control NoSuchClass 1 \"\" 0 0 5 5\nend\n";
  UseResources(bad_class);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(122), nullptr, FormProc, 0), -1);
}

TEST_F(DialogTest, ItemsByIdReadAndWriteValues) {
  UseResources(kForm);
  HWND dlg = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(120), nullptr, FormProc, 0);
  ASSERT_NE(dlg, nullptr);
  struct Case {
    const char16_t* text;
    BOOL is_signed;
    UINT value;
    BOOL ok;
  };
  const Case cases[] = {
      {u"42", FALSE, 42, TRUE},         {u" -17 ", TRUE, static_cast<UINT>(-17), TRUE},
      {u"-17", FALSE, 0, FALSE},        {u"12a", FALSE, 0, FALSE},
      {u"", FALSE, 0, FALSE},           {u"4294967295", FALSE, 4294967295u, TRUE},
      {u"4294967296", FALSE, 0, FALSE}, {u"2147483648", TRUE, 0, FALSE},
      // Read whole, however long: not cut to a shorter number.
      {u"0000000000000000000000000000000000000000000000000000000000000000000000012", FALSE, 12, TRUE},
      {u"1234567890123456789012345678901234567890123456789012345678901", FALSE, 0, FALSE},
  };
  for (const auto& c : cases) {
    SetDlgItemTextW(dlg, 1, c.text);
    BOOL ok = 7;
    EXPECT_EQ(GetDlgItemInt(dlg, 1, &ok, c.is_signed), c.value) << ce::text::ToUtf8(c.text);
    EXPECT_EQ(ok, c.ok) << ce::text::ToUtf8(c.text);
  }
  SetDlgItemInt(dlg, 3, static_cast<UINT>(-5), TRUE);
  WCHAR buf[8];
  EXPECT_EQ(GetDlgItemTextW(dlg, 3, buf, 8), 2u);
  EXPECT_EQ(std::u16string(buf), u"-5");
  EXPECT_EQ(GetDlgItemTextW(dlg, 99, buf, 8), 0u);
  EXPECT_TRUE(CheckRadioButton(dlg, 4, 5, 5));
  EXPECT_EQ(IsDlgButtonChecked(dlg, 4), 0u);
  EXPECT_EQ(IsDlgButtonChecked(dlg, 5), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(CheckRadioButton(dlg, 0, 0x7FFFFFFF, 4));  // a vast id range ends at once
  EXPECT_EQ(IsDlgButtonChecked(dlg, 4), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, 5), 0u);
  RECT r{0, 0, 4, 8};
  ASSERT_TRUE(MapDialogRect(dlg, &r));
  EXPECT_EQ(r.right, 6);  // 8 points: 6 pixels a width unit as on the device
  EXPECT_GT(r.bottom, 10);
  DestroyWindow(dlg);
  // On the 480 x 640 screen (192 dpi) both units double with the font.
  const LONG height = r.bottom;
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kVga));
  dlg = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(120), nullptr, FormProc, 0);
  ASSERT_NE(dlg, nullptr);
  r = RECT{0, 0, 4, 8};
  ASSERT_TRUE(MapDialogRect(dlg, &r));
  EXPECT_EQ(r.right, 12);
  EXPECT_GT(r.bottom, height + height / 2);
  DestroyWindow(dlg);
  ce::display::SetScreenSize(ce::display::kPortrait);
}

TEST_F(DialogTest, ModalDialogOnWorkerThreadFromMemoryTemplate) {
  UseResources(kForm);
  HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(120), RT_DIALOG);
  auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(nullptr, res)));
  User::Get().HoldUnanswered(true);
  std::atomic<INT_PTR> result{-2};
  std::atomic<DWORD> worker_id{0};
  std::thread worker([&] {
    worker_id = GetCurrentThreadId();
    result = DialogBoxIndirectParamW(nullptr, tmpl, nullptr, FormProc, 0);
  });
  ASSERT_TRUE(User::Get().WaitShown(ce::scripted::Kind::kDialog, 1));
  EXPECT_EQ(result.load(), -2);
  // Ended from this thread: the worker's loop wakes and returns the value.
  HWND dlg = FindWindowW(u"Dialog", u"Form");
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(dlg, nullptr), worker_id.load());
  EXPECT_TRUE(EndDialog(dlg, 77));
  worker.join();
  EXPECT_EQ(result.load(), 77);
  EXPECT_FALSE(IsWindow(dlg));
}

namespace {

// Paints its whole client area green itself, as a dialog with a preview or a keypad does.
INT_PTR SelfPaintingProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg != WM_PAINT) return FALSE;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dlg, &ps);
  RECT r;
  GetClientRect(dlg, &r);
  HBRUSH green = CreateSolidBrush(RGB(0, 0xC0, 0));
  FillRect(dc, &r, green);
  DeleteObject(green);
  EndPaint(dlg, &ps);
  return TRUE;
}

}  // namespace

TEST_F(DialogTest, DialogThatPaintsItselfKeepsItsCaption) {
  UseResources(R"(
dialog 130 0 0 160 100
  caption "Search For:"
  font 8 "Tahoma"
  style WS_POPUP|WS_CAPTION
  control edit 1 "" 2 2 108 14 WS_BORDER
end
)");
  HWND dlg = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(130), nullptr, SelfPaintingProc, 0);
  ASSERT_NE(dlg, nullptr);
  ShowWindow(dlg, SW_SHOW);
  UpdateWindow(dlg);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 200, 3), RGB(0x00, 0x40, 0x80));  // the band, beside the title
  EXPECT_EQ(GetPixel(screen, 200, 60), RGB(0, 0xC0, 0));       // what the dialog paints, below it
  ReleaseDC(nullptr, screen);
  // The template is the client area, below the band: its first control too.
  RECT window{}, client{}, edit{};
  GetWindowRect(dlg, &window);
  GetClientRect(dlg, &client);
  GetWindowRect(GetDlgItem(dlg, 1), &edit);
  EXPECT_EQ(window.bottom - window.top, client.bottom + 18);
  EXPECT_EQ(edit.top, 18 + 3);  // 2 dialog units of a 13-pixel font
  DestroyWindow(dlg);
}
