// A dialog as a person sees it: a screenshot of a list view, a combo box and buttons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/message_box.h"
#include "platform/window/window_seams.h"
#include "tests/platform/dialogs/dialog_fixture.h"

namespace {

const char kPlaces[] = R"(
dialog 300 0 0 156 177
  caption "Places"
  font 8 "Tahoma"
  control static 3000 "Choose a place and a profile:" 4 4 148 10
  control listview 3001 "" 4 16 148 100 LVS_REPORT|LVS_SINGLESEL|LVS_SHOWSELALWAYS|WS_BORDER|WS_TABSTOP
  control static 3002 "Profile:" 4 124 30 10
  control combobox 3003 "" 40 122 112 60 CBS_DROPDOWNLIST|WS_TABSTOP
  control button 3004 "Vibrate" 4 140 70 10 BS_AUTOCHECKBOX|WS_TABSTOP
  control button IDOK "OK" 20 156 54 16 BS_DEFPUSHBUTTON|WS_TABSTOP
  control button IDCANCEL "Cancel" 82 156 54 16 WS_TABSTOP
end
)";

INT_PTR PlacesProc(HWND dlg, UINT msg, WPARAM, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    HWND list = GetDlgItem(dlg, 3001);
    const char16_t* headers[] = {u"Place", u"Cell", u"Visits"};
    int widths[] = {100, 70, 50};
    for (int c = 0; c < 3; ++c) {
      LVCOLUMNW col{LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, c == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT, widths[c],
                    const_cast<LPWSTR>(headers[c]), 0, c};
      SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    const char16_t* rows[][3] = {{u"Home", u"31021", u"112"},
                                 {u"Office", u"30877", u"64"},
                                 {u"Gym", u"31455", u"9"},
                                 {u"Station", u"30012", u"27"}};
    for (int r = 0; r < 4; ++r) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = r;
      item.pszText = const_cast<LPWSTR>(rows[r][0]);
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      for (int c = 1; c < 3; ++c) {
        LVITEMW sub{};
        sub.iSubItem = c;
        sub.pszText = const_cast<LPWSTR>(rows[r][c]);
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&sub));
      }
    }
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    for (const char16_t* s : {u"Normal", u"Silent", u"Meeting", u"Outdoor"})
      SendDlgItemMessageW(dlg, 3003, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendDlgItemMessageW(dlg, 3003, CB_SETCURSEL, 2, 0);
    CheckDlgButton(dlg, 3004, BST_CHECKED);
    return TRUE;
  }
  (void)lparam;
  return FALSE;
}

std::filesystem::path ShotFolder() {
  const char* dir = std::getenv("CE_SCREENSHOT_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path(::testing::TempDir());
}

bool IsPng(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  return in && std::string(sig + 1, 3) == "PNG";
}

}  // namespace

TEST_F(DialogTest, ScreenshotOfDialogWithListViewComboAndButtons) {
  UseResources(kPlaces);
  HWND dlg = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(300), nullptr, PlacesProc, 0);
  ASSERT_NE(dlg, nullptr);
  ShowWindow(dlg, SW_SHOW);
  UpdateWindow(dlg);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  auto file = ShotFolder() / "dialog_places.png";
  ASSERT_TRUE(ce::window::SaveWindowScreenshot(dlg, file));
  EXPECT_TRUE(IsPng(file));
  DestroyWindow(dlg);

  // A message box, shown by a worker thread, taken while it waits for the user.
  ce::scripted::User::Get().HoldUnanswered(true);
  std::thread worker([] {
    MessageBoxW(nullptr, u"The place \"Office\" has 3 profiles. Delete it anyway?", u"Delete place",
                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  });
  ASSERT_TRUE(ce::scripted::User::Get().WaitShown(ce::scripted::Kind::kBox, 1));
  HWND box = FindWindowW(u"Dialog", u"Delete place");
  ASSERT_NE(box, nullptr);
  for (int i = 0; i < 100 && GetQueueStatus(QS_ALLINPUT); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the box's thread paints it
  EXPECT_TRUE(ce::window::SaveWindowScreenshot(box, ShotFolder() / "message_box.png"));
  ce::scripted::User::Get().AnswerBox(IDYES);
  worker.join();
}

