// The Today theme: the theme dialog lists what the device's Today applet lists and hands back the
// chosen one; the schedule engine's theme action makes the applet record the theme it names.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/applets/today_applet.h"
#include "platform/device/device.h"
#include "platform/registry/registry.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/dialogs/DialogTheme.h"
#include "velomar/places/ScheduleEngine.h"

namespace dialogs_test {
namespace {

class ThemeDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(velomar::InstallTodayThemes());
  }
  // Runs `work` on this thread while another moves the clock (the applet is waited for in steps
  // of the device's clock).
  static void WithClockMoving(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread clock([&] {
      while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        AdvanceClock(50);
      }
    });
    work();
    done = true;
    clock.join();
  }
  void TearDown() override {
    // The applet closes on its own thread once it is told to: wait for it to be gone.
    for (int i = 0; i < 2000 && FindWindowW(ce::applets::kTodayAppletClass, nullptr); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    DialogTest::TearDown();
  }
  static std::vector<std::string> ChosenThemes() {
    std::vector<std::string> out;
    for (const auto& e : ce::device::Effects("today-theme")) out.push_back(e.target);
    return out;
  }
};

TEST_F(ThemeDialogTest, ListsTheAppletsThemesAndReturnsTheChosenOne) {
  CDialogTheme dialog(nullptr, 164);
  User().AnswerDialog({Click(1064, 1), Click(IDOK)});
  INT_PTR result = 0;
  WithClockMoving([&] { result = dialog.DoModal(); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(dialog.m_themeName, u"Velomar Night");  // the second of the applet's list, in its order
  // The user was warned first; the applet was closed without choosing anything.
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, T(u"DONT TOUCH SCREEN"));
  EXPECT_TRUE(ChosenThemes().empty());
}

TEST_F(ThemeDialogTest, NoSelectionOrNoAssociationEndsWithTwo) {
  CDialogTheme unselected(nullptr, 164);
  User().AnswerDialog({Click(IDOK)});
  INT_PTR result = 0;
  WithClockMoving([&] { result = unselected.DoModal(); });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(unselected.m_themeName, u"");

  ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"\\tskfile\\Shell\\Open\\Command"), ERROR_SUCCESS);
  teskautils::seam::TakeShownBoxes();
  CDialogTheme unassociated(nullptr, 164);
  User().AnswerDialog({Click(1064, 0), Click(IDOK)});
  WithClockMoving([&] { result = unassociated.DoModal(); });
  EXPECT_EQ(result, 2);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());  // nothing was started
}

TEST_F(ThemeDialogTest, TheScheduleThemeActionMakesTheAppletRecordTheTheme) {
  velomar::schedule::StartTheme(u"Windows Default");
  EXPECT_TRUE(DriveUntilReal([] { return !ChosenThemes().empty(); }));
  EXPECT_EQ(ChosenThemes(), std::vector<std::string>{"Windows Default"});
}

}  // namespace
}  // namespace dialogs_test
