#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/data/dialogs/data_file_chooser.h"
#include "cumulor/data/files/data_files.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/resources/resources.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

DataFileEntry Entry(const char16_t* name, const char16_t* folder = u"") {
  DataFileEntry e = NewDataFileEntry();
  SetEntryText(e.name, name);
  SetEntryText(e.folder, folder);
  return e;
}

class Chooser : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-tasks.txt");
    ASSERT_TRUE(in) << "the resource text is missing";
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", text.str()), "");
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) {
      SelectedDataFiles()[c].selected.SetSize(0);
      AvailableDataFiles()[c].SetSize(0);
    }
    SetDataFilesFolder(u"\\Data");
  }
  void TearDown() override {
    SetChooserHooks({});
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  static HWND Open(std::int32_t category) {
    return CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kDataFileChooserDialog), nullptr, DataFileChooserProc, category);
  }
  static std::vector<std::u16string> Items(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    std::vector<std::u16string> out;
    const LRESULT n = SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      WCHAR text[128] = {};
      SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      out.emplace_back(text);
    }
    return out;
  }
  static void Pick(HWND dialog, int list, int item) { SendMessageW(GetDlgItem(dialog, list), LB_SETCURSEL, item, 0); }
  static void Press(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  static std::u16string Title(HWND dialog) {
    WCHAR text[256] = {};
    GetWindowTextW(dialog, text, 256);
    return text;
  }
  using Names = std::vector<std::u16string>;
};

TEST_F(Chooser, AddsOnceMarksCardEntriesAndRemovesTheSelectedEntry) {
  PathList& available = AvailableDataFiles()[kFilesUserAirspace];
  available.Append(Entry(u"alps.txt"));
  available.Append(Entry(u"alps.txt", u"\\Storage Card"));
  available.Append(Entry(u"north.txt"));
  SelectedDataFiles()[kFilesUserAirspace].selected.Append(Entry(u"north.txt"));
  HWND dialog = Open(kFilesUserAirspace);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Title(dialog), u"Airspace files \\Data\\*.txt");
  EXPECT_EQ(Items(dialog, 1314), (Names{u"alps.txt", u"alps.txt(card)", u"north.txt"}));
  EXPECT_EQ(Items(dialog, 1238), (Names{u"north.txt"}));
  EXPECT_NE(GetWindowLongW(GetDlgItem(dialog, 1317), GWL_STYLE) & WS_VISIBLE, 0);

  Pick(dialog, 1314, 2);  // already selected: nothing changes
  Press(dialog, 1318);
  EXPECT_EQ(Items(dialog, 1238), (Names{u"north.txt"}));
  Pick(dialog, 1314, 1);
  Press(dialog, 1318);
  Press(dialog, 1318);  // twice: still once
  EXPECT_EQ(Items(dialog, 1238), (Names{u"north.txt", u"alps.txt(card)"}));
  EXPECT_EQ(std::u16string(SelectedDataFiles()[kFilesUserAirspace].selected[1].folder), u"\\Storage Card");
  SendMessageW(GetDlgItem(dialog, 1238), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Press(dialog, 1317);  // no selection: the first entry goes
  EXPECT_EQ(Items(dialog, 1238), (Names{u"alps.txt(card)"}));
  DestroyWindow(dialog);

  // Nothing to add in an empty list.
  dialog = Open(kFilesTerrain);
  Press(dialog, 1318);
  EXPECT_TRUE(Items(dialog, 1238).empty());
  DestroyWindow(dialog);
}

TEST_F(Chooser, SingleFileCategoriesKeepOneEntryAndTitlesFollowTheCategory) {
  PathList& available = AvailableDataFiles()[kFilesPolar];
  available.Append(Entry(u"Default"));
  available.Append(Entry(u"ls8.plr"));
  SelectedDataFiles()[kFilesPolar].selected.Append(Entry(u"Default"));
  HWND dialog = Open(kFilesPolar);
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, 1317), GWL_STYLE) & WS_VISIBLE, 0);  // no remove button for polars
  Pick(dialog, 1314, 1);
  Press(dialog, 1318);
  EXPECT_EQ(Items(dialog, 1238), (Names{u"ls8.plr"}));
  DestroyWindow(dialog);

  dialog = Open(kFilesCountries);
  EXPECT_EQ(Title(dialog), u"Load Aviation Data For:");
  DestroyWindow(dialog);
  dialog = Open(kFilesLanguages);
  EXPECT_EQ(Title(dialog), u"Select Language");
  DestroyWindow(dialog);
}

// The modal run ends with the changed flag; the hooks see the dialog flag and, for the database
// category, whether a database file is left.
TEST_F(Chooser, ShowReportsAChangeOnlyWhenTheListChanged) {
  std::vector<int> events;
  ChooserHooks hooks;
  hooks.dialogActive = [&](bool on) { events.push_back(on ? 1 : 0); };
  hooks.afterAviationDb = [&](bool none) { events.push_back(none ? 10 : 11); };
  SetChooserHooks(hooks);
  AvailableDataFiles()[kFilesAviationDb].Append(Entry(u"europe.ka1"));
  using namespace ce::scripted::steps;
  ce::scripted::User& user = ce::scripted::User::Get();
  user.Reset();
  user.AnswerDialog({Click(1318), Click(IDOK)});
  EXPECT_EQ(ShowDataFileChooser(kFilesAviationDb), 1);
  EXPECT_EQ(events, (std::vector<int>{1, 0, 11}));
  user.AnswerDialog({Click(1318), Click(IDOK)});  // already there
  EXPECT_EQ(ShowDataFileChooser(kFilesAviationDb), 0);
  user.AnswerDialog({Click(1317), Click(IDOK)});
  EXPECT_EQ(ShowDataFileChooser(kFilesAviationDb), 1);
  EXPECT_EQ(events.back(), 10);
  user.Reset();
}

}  // namespace
}  // namespace cumulor
