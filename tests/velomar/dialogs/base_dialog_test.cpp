// The dialog base: creation from the program's templates, the soft-key bar, the dialog map and
// the default answers.
#include <gtest/gtest.h>

#include "platform/menus/softkey_bar.h"
#include "platform/resources/resources.h"
#include "platform/window/window.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/dialogs/BaseDialog.h"
#include "velomar/dialogs/ScreenMode.h"

namespace dialogs_test {
namespace {

// A base dialog that notes what reached it.
class Probe : public CBaseDialog {
 public:
  Probe(UINT templ, UINT bar) : CBaseDialog(templ, nullptr, nullptr, bar) {}
  INT_PTR OnInit(HWND hwnd, UINT, WPARAM, LPARAM) override {
    m_initCalled = true;
    m_hadBar = SHFindMenuBar(hwnd) != nullptr;
    m_mappedDuringRun = FindDialog(hwnd) == this;
    return TRUE;
  }
  bool m_initCalled = false;
  bool m_hadBar = false;
  bool m_mappedDuringRun = false;
};

class BaseDialogTest : public DialogTest {};

TEST_F(BaseDialogTest, OkAndCancelEndWithZeroWithOrWithoutBarAndTheMapEntryGoes) {
  struct Case {
    UINT bar;
    int command;
  } cases[] = {{0, IDOK}, {0, IDCANCEL}, {157, IDOK}, {157, IDCANCEL}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "bar " << c.bar << " command " << c.command);
    Probe dialog(167, c.bar);
    User().AnswerDialog({Click(c.command)});
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_TRUE(dialog.m_initCalled);
    EXPECT_EQ(dialog.m_hadBar, c.bar != 0);
    EXPECT_TRUE(dialog.m_mappedDuringRun);
    ASSERT_NE(dialog.GetDialogWindow(), nullptr);
    EXPECT_EQ(CBaseDialog::FindDialog(dialog.GetDialogWindow()), nullptr);
  }
}

TEST_F(BaseDialogTest, AMissingTemplateOrScreenModeGivesMinusOne) {
  // A screen mode outside 0..2 gives template 0; an id the program lacks cannot be found either.
  EXPECT_EQ(velomar::dialogs::TemplateForMode(3, 127, 118, 141), 0u);
  EXPECT_EQ(velomar::dialogs::TemplateForMode(1, 127, 118, 141), 118u);
  for (UINT templ : {0u, 4242u}) {
    Probe dialog(templ, 157);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(dialog.m_initCalled);
  }
}

TEST_F(BaseDialogTest, AMessageForAWindowWithoutObjectGetsFalse) {
  EXPECT_EQ(CBaseDialog::DialogProc(reinterpret_cast<HWND>(0x1234), WM_COMMAND, IDOK, 0), FALSE);
  EXPECT_EQ(CBaseDialog::DialogProc(reinterpret_cast<HWND>(0x1234), WM_PAINT, 0, 0), FALSE);
}

TEST_F(BaseDialogTest, ABarThatCannotBeCreatedIsReportedAndInitIsSkipped) {
  Probe dialog(167, 4243);  // no such soft-key bar
  User().AnswerBox(IDOK);
  dialog.DoModal();
  EXPECT_FALSE(dialog.m_initCalled);
  const auto box = LastShown(ce::scripted::Kind::kBox);
  EXPECT_EQ(box.title, u"Error");
  ASSERT_FALSE(box.texts.empty());
  EXPECT_EQ(box.texts.front(), u"Could not create soft key bar.");
}

}  // namespace
}  // namespace dialogs_test
