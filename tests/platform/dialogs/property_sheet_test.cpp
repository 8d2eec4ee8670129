// Property sheets: page switching and confirming through the scripted user.
#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/dialogs/prsht.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/softkey_bar.h"
#include "tests/platform/dialogs/dialog_fixture.h"

using ce::scripted::User;
namespace steps = ce::scripted::steps;

namespace {

const char kPages[] = R"(
dialog 200 0 0 156 120
  caption "General"
  font 8 "Tahoma"
  control edit 2000 "" 4 4 100 12 WS_BORDER|WS_TABSTOP
end
dialog 201 0 0 156 120
  caption "Sound"
  font 8 "Tahoma"
  control edit 2001 "" 4 4 100 12 WS_BORDER|WS_TABSTOP
  control trackbar 2002 "" 4 20 100 14
end
)";

// The page notifications in order: page index and code.
std::vector<std::pair<int, UINT>>& Events() {
  static std::vector<std::pair<int, UINT>> e;
  return e;
}
bool& RefuseLeaving() {
  static bool refuse = false;
  return refuse;
}
std::u16string& Saved() {
  static std::u16string s;
  return s;
}

INT_PTR PageProc(HWND page, UINT msg, WPARAM, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(page, DWL_USER, reinterpret_cast<const PROPSHEETPAGEW*>(lparam)->lParam);
    return TRUE;
  }
  if (msg != WM_NOTIFY) return FALSE;
  auto* n = reinterpret_cast<NMHDR*>(lparam);
  int index = static_cast<int>(GetWindowLongPtrW(page, DWL_USER));
  if (n->code == PSN_SETACTIVE || n->code == PSN_KILLACTIVE || n->code == PSN_APPLY || n->code == PSN_RESET)
    Events().push_back({index, n->code});
  if (n->code == PSN_KILLACTIVE) {
    SetWindowLongPtrW(page, DWL_MSGRESULT, RefuseLeaving() && index == 0 ? TRUE : FALSE);
    return TRUE;
  }
  if (n->code == PSN_APPLY && index == 1) {
    WCHAR buf[32];
    GetDlgItemTextW(page, 2001, buf, 32);
    Saved() = buf;
  }
  return TRUE;
}

// The sheet's window rectangle when it was initialised.
RECT& SheetRect() {
  static RECT r{};
  return r;
}

int CALLBACK_Sheet(HWND sheet, UINT msg, LPARAM) {
  if (msg == PSCB_INITIALIZED) {
    GetWindowRect(sheet, &SheetRect());
    HWND tab = GetDlgItem(sheet, 12320);
    SetWindowLongW(tab, GWL_STYLE, GetWindowLongW(tab, GWL_STYLE) | TCS_BOTTOM);
  }
  return 1;
}

INT_PTR RunSheet() {
  HPROPSHEETPAGE pages[2];
  for (int i = 0; i < 2; ++i) {
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_USETITLE | PSP_PREMATURE;
    p.pszTemplate = MAKEINTRESOURCEW(200 + i);
    p.pszTitle = i == 0 ? u"General" : u"Sound";
    p.pfnDlgProc = PageProc;
    p.lParam = i;
    pages[i] = CreatePropertySheetPageW(&p);
  }
  PROPSHEETHEADERW h{};
  h.dwSize = sizeof h;
  h.dwFlags = PSH_USECALLBACK | PSH_MAXIMIZE;
  h.pszCaption = u"Options";
  h.nPages = 2;
  h.nStartPage = 0;
  h.phpage = pages;
  h.pfnCallback = CALLBACK_Sheet;
  INT_PTR r = PropertySheetW(&h);
  for (auto* p : pages) DestroyPropertySheetPage(p);
  return r;
}

}  // namespace

TEST_F(DialogTest, SheetSwitchesPagesAndAppliesOnOk) {
  UseResources(kPages);
  Events().clear();
  RefuseLeaving() = false;
  User::Get().AnswerDialog({steps::Page(1), steps::SetText(2001, u"loud"), steps::Click(IDOK)});
  EXPECT_EQ(RunSheet(), 1);
  std::vector<std::pair<int, UINT>> expected{{0, PSN_SETACTIVE}, {0, PSN_KILLACTIVE}, {1, PSN_SETACTIVE},
                                             {1, PSN_KILLACTIVE}, {0, PSN_APPLY},     {1, PSN_APPLY}};
  EXPECT_EQ(Events(), expected);
  EXPECT_EQ(Saved(), u"loud");
  // Maximized, the sheet takes the screen above the pages' soft-key bars, so that tabs at its
  // bottom stay in sight.
  EXPECT_EQ(SheetRect().top, 0);
  EXPECT_EQ(SheetRect().right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(SheetRect().bottom, GetSystemMetrics(SM_CYSCREEN) - SOFTKEY_BAR_HEIGHT);
  auto shown = User::Get().shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, u"Options");
}

TEST_F(DialogTest, SheetPageThatRefusesToLeaveStaysAndCancelResets) {
  UseResources(kPages);
  Events().clear();
  RefuseLeaving() = true;
  // The switch is refused, so the second page's control cannot be reached; Cancel ends the sheet.
  User::Get().AnswerDialog({steps::Page(1), steps::SetText(2001, u"x"), steps::Click(IDCANCEL)});
  EXPECT_EQ(RunSheet(), 0);
  std::vector<std::pair<int, UINT>> expected{{0, PSN_SETACTIVE}, {0, PSN_KILLACTIVE}, {0, PSN_RESET}, {1, PSN_RESET}};
  EXPECT_EQ(Events(), expected);
  auto log = User::Get().log();  // the refused switch, then the unreachable control
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find("page could not be shown"), std::string::npos);
  EXPECT_NE(log[1].find("hidden or disabled"), std::string::npos);
}

TEST_F(DialogTest, SheetWithoutItsPagesIsRefused) {
  for (DWORD flags : {DWORD{0}, DWORD{PSH_PROPSHEETPAGE}}) {
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.dwFlags = flags;
    h.nPages = 2;  // but neither page array given
    EXPECT_EQ(PropertySheetW(&h), -1) << flags;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}
