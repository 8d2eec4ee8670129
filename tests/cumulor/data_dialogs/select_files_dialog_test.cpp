#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cumulor/data/dialogs/select_files_dialog.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/aero_tables.h"
#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/resources/resources.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

class SelectFiles : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-selectfiles.txt");
    ASSERT_TRUE(in) << "the resource text is missing";
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", text.str()), "");
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
  }
  void TearDown() override {
    SetSelectFilesHooks({});
    ce::resources::RemoveModuleResources(u"");
    AeroData().regionKind = 0;
    DeviceTest::TearDown();
  }
  static void Select(std::int32_t category, int n) {
    for (int i = 0; i < n; ++i) {
      DataFileEntry e = NewDataFileEntry();
      e.name[0] = static_cast<WCHAR>(u'a' + i);
      SelectedDataFiles()[category].selected.Append(e);
    }
  }
  static std::u16string Text(HWND dialog, int id) {
    WCHAR buf[64] = {};
    GetDlgItemTextW(dialog, id, buf, 64);
    return buf;
  }
};

TEST_F(SelectFiles, CountsPerCategoryAndButtonsThatAskForTheChooser) {
  Select(kFilesAviationDb, 2);
  Select(kFilesCountries, 3);
  Select(kFilesUserWaypoints, 1);
  Select(kFilesTerrain, 1);
  Select(kFilesShape, 2);
  AeroData().regionKind = 1;
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kSelectFilesDialog), nullptr, SelectFilesDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, 1444), u"2 file(s)");
  EXPECT_EQ(Text(dialog, 1151), u"3 State(s)");
  EXPECT_EQ(Text(dialog, 1152), u"1 file(s)");
  EXPECT_EQ(Text(dialog, 1153), u"0 file(s)");
  EXPECT_EQ(Text(dialog, 1158), u"3 file(s)");
  EXPECT_EQ(Text(dialog, 1445), u"0 file(s)");
  DestroyWindow(dialog);
  AeroData().regionKind = 0;
  dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kSelectFilesDialog), nullptr, SelectFilesDialogProc, 0);
  EXPECT_EQ(Text(dialog, 1151), u"3 Countries");
  DestroyWindow(dialog);

  // Each button closes the dialog with its id; 1002 and 1003 first close the modeless dialogs and
  // show status string 48.
  int closed = 0;
  std::vector<int> strings;
  SelectFilesHooks hooks;
  hooks.closeModeless = [&] { ++closed; };
  hooks.statusString = [&](int id) { strings.push_back(id); };
  SetSelectFilesHooks(hooks);
  for (int id : {1001, 1002, 1003, 1004, 1005, 1006, 1007}) {
    dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kSelectFilesDialog), nullptr, SelectFilesDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    DestroyWindow(dialog);
  }
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(strings, (std::vector<int>{48, 48}));
}

TEST_F(SelectFiles, RegistersItselfWhileOpenAndIsForgottenWhenItEnds) {
  std::vector<std::pair<HWND, bool>> opened;
  std::vector<HWND> closed;
  SelectFilesHooks hooks;
  hooks.opened = [&](HWND d, bool overMap) { opened.emplace_back(d, overMap); };
  hooks.closed = [&](HWND d) { closed.push_back(d); };
  SetSelectFilesHooks(hooks);

  // Without an argument: the country-window slot, at the top left corner. IDOK (what closing the
  // modeless dialogs sends) ends it.
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kSelectFilesDialog), nullptr, SelectFilesDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::make_pair(dialog, false));
  RECT r{};
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_FALSE(closed.empty());
  EXPECT_EQ(closed.back(), dialog);
  DestroyWindow(dialog);

  // With an argument: over the map. A chooser button forgets the dialog before it closes the
  // modeless dialogs, so that closing never reaches the dialog itself.
  closed.clear();
  std::vector<std::size_t> closedWhenModelessClosed;
  hooks.closeModeless = [&] { closedWhenModelessClosed.push_back(closed.size()); };
  SetSelectFilesHooks(hooks);
  dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kSelectFilesDialog), nullptr, SelectFilesDialogProc, 1);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(opened.back(), std::make_pair(dialog, true));
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
  EXPECT_EQ(closedWhenModelessClosed, (std::vector<std::size_t>{1}));
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace cumulor
