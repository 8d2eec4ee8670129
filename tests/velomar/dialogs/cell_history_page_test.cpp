// The cell history page: positions the device reports (moved with devicectl, a process of its own)
// appear with their colours; assigning and unassigning an entry change the location table and the
// engine's place; clearing empties the list.
#include <gtest/gtest.h>

#include <thread>

#include "platform/controls/commctrl.h"
#include "platform/gdi/gdi.h"
#include "platform/testing/device_process.h"
#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/dialogs/PropertyPageDialogCellHistory.h"

namespace dialogs_test {
namespace {

using Entries = std::vector<std::string>;
using schedule_test::Entry;

constexpr int kList = 1138;

class CellHistoryPageTest : public OptionPagesTest {
 protected:
  int Devicectl(std::vector<std::string> args) {
    return ce::testing::RunDeviceTool(DEVICECTL_PATH, device_folder(), args).code;
  }
  int PlaceOfCell(int cell) {
    CStrCell record;
    record.SetValue(cell);
    return m_db->GetCellsTable()->FindAndFill(record) ? record.GetPlace() : -1;
  }
  // The sheet shown on the cell history page.
  void RunOnPage(std::vector<ce::scripted::Step> steps, std::vector<ce::scripted::Step> nested = {}) {
    CPropertySheetOptions sheet(nullptr);
    sheet.CreatePages();
    int index = -1;
    for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
      if (dynamic_cast<CPropertyPageDialogCellHistory*>(sheet.GetPages()[i])) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    m_page = sheet.GetPages()[static_cast<std::size_t>(index)];
    User().AnswerDialog(std::move(steps));
    if (!nested.empty()) User().AnswerDialog(std::move(nested));  // a dialog the page opens
    sheet.DoModal(index);
    m_page = nullptr;
  }
  static int ListItemCountOf(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
  CPropertyPage* m_page = nullptr;
};

std::u16string ListText(HWND list, int row, int column) {
  WCHAR buffer[64] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

TEST_F(CellHistoryPageTest, PositionsAppearColouredAssignUnassignAndClear) {
  const int work = AddPlace(u"Work", 0);
  const int period = AddPeriod(work, u"Office", 11, 0, 13, 0);
  AddAction(period, MGR_WIFI, 0, 1);
  m_ril->InitRil(1);
  ASSERT_EQ(Devicectl({"cell", "300", "7"}), 0);
  ASSERT_TRUE(DriveUntilReal([] { return CCellHistory::GetInstance()->GetCount() >= 1; }));
  ASSERT_EQ(Devicectl({"cell", "400", "7"}), 0);
  ASSERT_TRUE(DriveUntilReal([] { return CCellHistory::GetInstance()->GetCount() >= 2; }));
  EXPECT_EQ(Await(1), Entries{});

  // Row 0 is the newest, cell 400, told by the radio: a blue time, white cells without a place.
  // Held, it is assigned to "Work" (the chooser's only place), and the engine enters the place.
  std::vector<std::u16string> texts;
  COLORREF time_colour = 0, cell_colour = 0;
  UiProbe probe;
  probe.Post([&] {
    HWND list = GetDlgItem(m_page->GetHwnd(), kList);
    for (int column = 0; column < 4; ++column) texts.push_back(ListText(list, 0, column));
    UpdateWindow(list);
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    HDC dc = GetDC(list);
    time_colour = GetPixel(dc, row.left + 3, row.top + 3);
    cell_colour = GetPixel(dc, row.left + 35 + 3, row.top + 3);
    ReleaseDC(list, dc);
  });
  User().AnswerMenu(40255);  // "DIALOG_CELL_HISTORY_MENU_LOCATION_ASSIGN"
  RunOnPage({Hold(kList, 0), Click(IDOK)}, {Click(1018, 0)});
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[1], u"400");
  EXPECT_EQ(texts[2], u"7");
  EXPECT_EQ(texts[3], T(u"UNKNOWN"));
  EXPECT_EQ(time_colour, static_cast<COLORREF>(0xFF8080));
  EXPECT_EQ(cell_colour, static_cast<COLORREF>(0xFFFFFF));
  EXPECT_EQ(PlaceOfCell(400), work);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});

  // Shown again the row has its place; unassigned, the cell leaves the table and the engine
  // forgets the period.
  texts.clear();
  probe.Post([&] {
    HWND list = GetDlgItem(m_page->GetHwnd(), kList);
    for (int column = 0; column < 4; ++column) texts.push_back(ListText(list, 0, column));
    UpdateWindow(list);
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    HDC dc = GetDC(list);
    cell_colour = GetPixel(dc, row.left + 35 + 3, row.top + 3);
    ReleaseDC(list, dc);
  });
  teskautils::seam::SetBoxAnswer(IDYES);
  User().AnswerMenu(40256);  // "DIALOG_CELL_HISTORY_MENU_LOCATION_UNASSIGN"
  RunOnPage({Hold(kList, 0), Click(IDOK)});
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[3], u"Work");
  EXPECT_EQ(cell_colour, static_cast<COLORREF>(0x80FF80));
  EXPECT_EQ(PlaceOfCell(400), -1);
  EXPECT_EQ(Await(1), Entries{});
  EXPECT_EQ(m_engine->GetCurrentPeriod().GetKey(), -1);
  EXPECT_EQ(m_engine->GetCurrentLocationValue(), 400);

  // Clearing empties the history and, through its listener, the list.
  int rows_after = -1;
  std::function<void(int)> look = [&](int tries) {
    rows_after = ListItemCountOf(GetDlgItem(m_page->GetHwnd(), kList));
    if (rows_after != 0 && tries > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      probe.Post([&look, tries] { look(tries - 1); });
      return;
    }
    PostMessageW(GetParent(m_page->GetHwnd()), WM_COMMAND, IDOK, 0);
  };
  User().AnswerMenu(40252);  // "DIALOG_EVENT_LOG_LIST_MENU_CLEAR"
  User().HoldUnanswered(true);
  std::thread closer([&] {
    DriveUntilReal([] { return CCellHistory::GetInstance()->GetCount() == 0; });
    probe.Post([&] { look(1000); });
  });
  RunOnPage({SoftKey(1)});
  closer.join();
  User().HoldUnanswered(false);
  EXPECT_EQ(rows_after, 0);
}

}  // namespace
}  // namespace dialogs_test
