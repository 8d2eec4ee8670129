// The option pages' base and the sheet: pages created once, the first tab as asked, activation
// with a new soft-key bar, the page map, the guard's answers, and the tabs at the bottom.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/controls/commctrl.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/app/App.h"
#include "velomar/dialogs/PropertyPage.h"
#include "velomar/dialogs/PropertySheet.h"

namespace dialogs_test {
namespace {

// A page that notes what reaches it. Template 127 (the time frame dialog, without buttons of its
// own) serves as page: a change of its begin time raises the program's exception, of its end time
// another one.
class NotingPage : public CPropertyPage {
 public:
  NotingPage(CPropertySheet* owner, UINT bar, std::vector<std::string>& log, std::string name)
      : CPropertyPage(nullptr, bar, owner), m_log(log), m_name(std::move(name)) {}
  HPROPSHEETPAGE CreatePage() override {
    m_log.push_back(m_name + " create");
    return CPropertyPage::CreatePage();
  }
  UINT GetTemplateId() override { return 127; }
  std::u16string GetTitle() override { return ce::text::FromUtf8(m_name); }
  INT_PTR OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) override {
    for (int picker : {1022, 1023}) SendDlgItemMessageW(hwnd, picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(u"HH:mm"));
    m_log.push_back(m_name + " init");
    return TRUE;
  }
  INT_PTR OnSetActive() override {
    m_log.push_back(m_name + (GetMenuBar() ? " active with bar" : " active"));
    return TRUE;
  }
  INT_PTR OnKillActive() override {
    m_log.push_back(m_name + " left");
    return TRUE;
  }
  INT_PTR OnNotifyChild(HWND, UINT, WPARAM, LPARAM lparam) override {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->code == DTN_DATETIMECHANGE && header->idFrom == 1023) throw CBaseException(u"table not written");
    if (header->code == DTN_DATETIMECHANGE && header->idFrom == 1022) throw std::runtime_error("fault");
    return TRUE;
  }

 private:
  std::vector<std::string>& m_log;
  std::string m_name;
};

class NotingSheet : public CPropertySheet {
 public:
  NotingSheet(std::vector<std::string>& log, UINT bar_of_b)
      : CPropertySheet(nullptr, u"Sheet", &PropSheetCallback), m_log(log), m_barOfB(bar_of_b) {}
  void AddPages() override {
    m_log.push_back("add pages");
    m_pages.push_back(new NotingPage(this, 134, m_log, "a"));
    m_pages.push_back(new NotingPage(this, m_barOfB, m_log, "b"));
    m_pages.push_back(new NotingPage(this, 0, m_log, "c"));
  }

 private:
  std::vector<std::string>& m_log;
  UINT m_barOfB;
};

// The application record, for the restart flag.
class TestApp : public CApp {
 public:
  bool InitGUI() override { return true; }
};

class PropertySheetBaseTest : public DialogTest {};

TEST_F(PropertySheetBaseTest, OpensOnTheAskedTabCreatesPagesOnceAndEmptiesTheMap) {
  std::vector<std::string> log;
  NotingSheet sheet(log, 134);
  User().AnswerDialog({Page(0), Page(2), Click(IDOK)});
  sheet.DoModal(1);
  EXPECT_EQ(log, (std::vector<std::string>{"add pages", "a create", "b create", "c create", "a init", "b init",
                                           "c init", "b active with bar", "b left", "a active with bar", "a left",
                                           "c active", "c left"}));
  EXPECT_EQ(CPropertyPage::PageMapSize(), 0u);
  for (CPropertyPage* page : sheet.GetPages()) EXPECT_NE(page->GetHwnd(), nullptr);

  log.clear();
  User().AnswerDialog({Click(IDOK)});
  sheet.DoModal(0);
  EXPECT_EQ(log, (std::vector<std::string>{"a init", "b init", "c init", "a active with bar", "a left"}));
  EXPECT_EQ(CPropertyPage::PageMapSize(), 0u);
}

TEST_F(PropertySheetBaseTest, TabsRunAlongTheBottomAndTheVersionIsAnswered) {
  InitCommonControls();  // the tab control's class, which no sheet has registered yet when run alone
  HWND sheet = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, u"", WS_CHILD, 0, 0, 100, 20, sheet,
                             reinterpret_cast<HMENU>(static_cast<LONG_PTR>(CPropertySheet::kTabControlId)), nullptr,
                             nullptr);
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(PropSheetCallback(sheet, PSCB_INITIALIZED, 0), 1);
  EXPECT_TRUE(GetWindowLongW(tab, GWL_STYLE) & TCS_BOTTOM);
  EXPECT_EQ(PropSheetCallback(sheet, PSCB_GETVERSION, 0), 526);
  EXPECT_EQ(PropSheetCallback(sheet, PSCB_PRECREATE, 0), 1);
  DestroyWindow(sheet);
}

TEST_F(PropertySheetBaseTest, UnknownWindowsAndHandlerFaultsAreAnsweredFalse) {
  // A message before WM_INITDIALOG, for a window that is no page.
  HWND stray = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(PropertyPageProcGeneric(stray, WM_SETFONT, 0, 0), FALSE);
  DestroyWindow(stray);

  // A CBaseException from a handler is shown in its box; anything else asks for a restart.
  std::vector<std::string> log;
  NotingSheet sheet(log, 134);
  TestApp app;
  teskautils::seam::TakeShownBoxes();
  User().AnswerDialog({SetText(1023, u"10:30"), SetText(1022, u"11:45"), Click(IDOK)});
  sheet.DoModal(0);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_NE(boxes.front().text.find(u"table not written"), std::u16string::npos);
  EXPECT_TRUE(app.IsRestartRequested());
}

TEST_F(PropertySheetBaseTest, AMenuBarThatCannotBeMadeIsToldAndTheActivationSkipped) {
  std::vector<std::string> log;
  NotingSheet sheet(log, 9999);  // no such bar
  teskautils::seam::TakeShownBoxes();
  User().AnswerDialog({Page(1), Page(2), Click(IDOK)});
  sheet.DoModal(0);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes.front().text.find(T(u"ERROR CREATING MENU")), std::u16string::npos);
  EXPECT_EQ(std::count(log.begin(), log.end(), "b active"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "c active"), 1);
}

}  // namespace
}  // namespace dialogs_test
