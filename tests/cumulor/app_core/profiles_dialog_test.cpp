// The profiles dialog under the scripted user: a profile named and saved, seen again after
// reopening and restored as a profile; a name typed but not saved is gone after the next refresh;
// the task backup saved and restored; without a profile folder the dialog only says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "cumulor/app/core/profiles.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "platform/display/display.h"

namespace {

using namespace cumulor;
using namespace ce::scripted::steps;

class ProfilesDialog : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ResetKeptSettings();
    ClearUserWaypoints();
    const std::u16string card = u"\\Storage Card";  // as the start-up sets it
    card.copy(app->cardFolder, card.size());
    std::filesystem::create_directories(device_folder() / "root" / "iPAQ File Store");
    SelectStorageFolder(*app);
  }
  void TearDown() override {
    ClearUserWaypoints();
    ResetKeptSettings();
    AppTest::TearDown();
  }
  INT_PTR Run() { return RunDialog(kProfilesDialog, app->mainWindow, ProfilesDialogProc, 0); }
  // The texts of the last dialog of that title shown.
  static std::vector<std::u16string> LastTexts(const std::u16string& title) {
    std::vector<std::u16string> texts;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == ce::scripted::Kind::kDialog && s.title == title) texts = s.texts;
    return texts;
  }
  static bool Has(const std::vector<std::u16string>& texts, const std::u16string& text) {
    for (const auto& t : texts)
      if (t.find(text) != std::u16string::npos) return true;
    return false;
  }
};

TEST_F(ProfilesDialog, SaveReopenAndRestoreAProfile) {
  auto& user = ce::scripted::User::Get();
  ASSERT_EQ(ProfileFolder(), u"\\iPAQ File Store");
  app->timeZone = 4;
  app->zoomIndex = 2;
  // Profile 2 named and saved.
  user.AnswerDialog({Click(1007), Click(1001), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"Club <2> & \"x\""), Click(kIdOkIcon)});
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(std::filesystem::exists(device_folder() / "root" / "iPAQ File Store" / "KV_PROFILE_2.XML"));
  EXPECT_EQ(CurrentProfile(), 1);

  // Reopened: the name is read back from the file onto its button (its "&" doubled to show).
  ProfileName(1) = u"Name";
  user.AnswerDialog({Click(IDOK)});
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Has(LastTexts(u"Profiles"), u"Club <2> && \"x\""));
  EXPECT_EQ(ProfileName(1), u"Club <2> & \"x\"");

  // Renamed but not saved: the next refresh (saving profile 1) shows the saved name again.
  user.AnswerDialog({Click(1007), Click(1000), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"Other"), Click(kIdOkIcon)});
  Run();
  EXPECT_EQ(ProfileName(1), u"Club <2> & \"x\"");

  // Restored: the saved time zone comes back, the zoom (skipped by profiles) stays.
  app->timeZone = -3;
  app->zoomIndex = 7;
  user.AnswerDialog({Click(1004)});
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(app->timeZone, 4);
  EXPECT_EQ(app->zoomIndex, 7);

  // The dialog as a picture in the test's folder ("profiles_dialog.png") for a look.
  HWND dialog = CreateModelessDialog(kProfilesDialog, nullptr, ProfilesDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  RECT r{};
  GetWindowRect(dialog, &r);
  EXPECT_TRUE(ce::display::SaveScreenshot("profiles_dialog.png", &r));
  DestroyWindow(dialog);
}

TEST_F(ProfilesDialog, TaskBackupSavedAndRestored) {
  auto& user = ce::scripted::User::Get();
  WaypointRecord w{};
  w.position = GeoPoint{400000, 1700000};
  w.flags = 0x1000;
  AddOrReplaceUserWaypoint(w, "Alpha");
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = 1;
  Tasks().slot[4].Append(p);
  user.AnswerDialog({Click(1009), Click(IDOK)});
  Run();
  EXPECT_TRUE(std::filesystem::exists(device_folder() / "root" / "iPAQ File Store" / "KV_TASKS.xml"));
  Tasks().slot[4].SetSize(0);
  user.AnswerDialog({Click(1010), Click(IDOK)});
  Run();
  ASSERT_EQ(Tasks().slot[4].Size(), 1);
  EXPECT_EQ(Tasks().slot[4][0].index, 1);
}

TEST_F(ProfilesDialog, WithoutAFolderTheDialogSaysSo) {
  std::filesystem::remove_all(device_folder() / "root" / "iPAQ File Store");
  SelectStorageFolder(*app);
  EXPECT_TRUE(ProfileFolder().empty());
  EXPECT_EQ(Run(), 0);
  bool said = false;
  for (const auto& s : ce::scripted::User::Get().shown())
    if (Has(s.texts, u"Directories '\\iPAQ File Store' and '\\Storage Card' Not Found.")) said = true;
  EXPECT_TRUE(said);

  // The storage card serves when it exists.
  std::filesystem::create_directories(device_folder() / "root" / "Storage Card");
  SelectStorageFolder(*app);
  EXPECT_EQ(ProfileFolder(), u"\\Storage Card");
}

}  // namespace
