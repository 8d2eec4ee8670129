// The main page of the options sheet: assigning the current location, adding one by hand, and
// removing one by the menu and by tap-and-hold, each followed by the schedule engine's
// re-evaluation (the start or end actions of the place's period run); the location mode.
#include <gtest/gtest.h>

#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/dialogs/PropertyPageDialogMain.h"

namespace dialogs_test {
namespace {

using Entries = std::vector<std::string>;
using schedule_test::Entry;

constexpr int kCombo = 1072;
constexpr int kAllocate = 1057;
constexpr int kList = 1064;
constexpr int kCellRadio = 1068;
constexpr int kLacRadio = 1069;

class MainPageTest : public OptionPagesTest {
 protected:
  // "Work": from 11:00 to 13:00 (it is 12:00) the Wi-Fi is on, off when the period is left.
  int AddWork(int cell) {
    const int work = AddPlace(u"Work", cell);
    const int period = AddPeriod(work, u"Office", 11, 0, 13, 0);
    AddAction(period, MGR_WIFI, 0, 1);
    AddAction(period, MGR_WIFI, 1, 0);
    return work;
  }
  // The engine forgot the period of the place and read the location again: the cell is in no
  // place now, so no period runs (and no action: a location that left every place is not a move).
  void ExpectReEvaluatedWithoutPlace() {
    EXPECT_EQ(Await(1), Entries{});
    EXPECT_EQ(m_engine->GetCurrentPeriod().GetKey(), -1);
    EXPECT_EQ(m_engine->GetCurrentLocationValue(), 100);
  }
  int PlaceOfCell(int cell) {
    CStrCell record;
    record.SetValue(cell);
    return m_db->GetCellsTable()->FindAndFill(record) ? record.GetPlace() : -1;
  }
  int PlaceOfLac(int lac) {
    CStrLAC record;
    record.SetValue(lac);
    return m_db->GetLacsTable()->FindAndFill(record) ? record.GetPlace() : -1;
  }
};

TEST_F(MainPageTest, AssigningTheCurrentLocationMakesTheEngineEnterThePlace) {
  const int work = AddWork(0);
  MoveTo(100);
  EXPECT_EQ(Await(1), Entries{});
  teskautils::seam::SetBoxAnswer(IDYES);
  RunSheet(0, {SetText(kCombo, u"Work"), Click(kAllocate), Click(IDOK)});
  EXPECT_EQ(PlaceOfCell(100), work);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});
  // The question named the kind, the cell and the place.
  const auto boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(u"100"), std::u16string::npos);
  EXPECT_NE(boxes[0].find(u"Work"), std::u16string::npos);

  // Shown again, the page holds the place of the current location and offers to take it away.
  teskautils::seam::SetBoxAnswer(IDYES);
  RunSheet(0, {Click(kAllocate), Click(IDOK)});
  EXPECT_EQ(PlaceOfCell(100), -1);
  ExpectReEvaluatedWithoutPlace();
}

TEST_F(MainPageTest, WithoutAPlaceAssignAndAddReportSelectProfile) {
  MoveTo(100);
  User().AnswerMenu(40140);
  RunSheet(0, {Click(kAllocate), SoftKey(1), Click(IDOK)});
  EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{T(u"SELECT PROFILE"), T(u"SELECT PROFILE")}));
  EXPECT_EQ(PlaceOfCell(100), -1);
}

TEST_F(MainPageTest, ALocationAddedByHandJoinsThePlace) {
  const int work = AddWork(0);
  MoveTo(200);
  EXPECT_EQ(Await(1), Entries{});
  User().AnswerMenu(40140);  // "MENU_ADD_LOCATION"
  User().AnswerDialog({SetText(kCombo, u"Work"), SoftKey(1), Click(IDOK)});
  User().AnswerDialog({SetText(1077, u"200"), Click(IDOK)});
  CPropertySheetOptions sheet(nullptr);
  sheet.DoModal(0);
  EXPECT_EQ(PlaceOfCell(200), work);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});
  const auto menu = LastMenuTexts();
  EXPECT_EQ(menu, (std::vector<std::u16string>{T(u"MENU_ADD_LOCATION"), T(u"MENU_REMOVE_LOCATION"), T(u"MENU_HELP_TEXT")}));
}

TEST_F(MainPageTest, RemovingByMenuAndByHoldingACellOfTheLacColumn) {
  const int work = AddWork(100);
  CStrLAC lac;
  lac.SetValue(7);
  lac.SetPlace(work);
  m_db->GetLacsTable()->Insert(lac);
  CStrCell other;  // a cell numbered like the LAC, of another place: the hold must not touch it
  other.SetValue(7);
  other.SetPlace(0);
  m_db->GetCellsTable()->Insert(other);
  MoveTo(100);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});

  // Holding row 0 in the LAC column (the right one) takes the LAC 7 away, in cell mode too.
  teskautils::seam::SetBoxAnswer(IDYES);
  User().AnswerMenu(40142);
  RunSheet(0, {SetText(kCombo, u"Work"), HoldCell(kList, 0, 1), Click(IDOK)});
  EXPECT_EQ(PlaceOfLac(7), -1);
  EXPECT_EQ(PlaceOfCell(7), 0);
  EXPECT_EQ(PlaceOfCell(100), work);
  EXPECT_NE(BoxTexts().at(0).find(u"LAC"), std::u16string::npos);

  // The menu's remove takes the selected row's cell: the engine leaves the place.
  teskautils::seam::SetBoxAnswer(IDYES);
  User().AnswerMenu(40141);
  RunSheet(0, {Click(kList, 0), SoftKey(1), Click(IDOK)});
  EXPECT_EQ(PlaceOfCell(100), -1);
  ExpectReEvaluatedWithoutPlace();
}

TEST_F(MainPageTest, TheLocationModeIsWrittenWhenThePageIsLeft) {
  RunSheet(0, {Click(kLacRadio), Click(IDOK)});
  EXPECT_EQ(m_ril->UseCellId(), 0u);
  RunSheet(0, {Click(kCellRadio), Click(IDOK)});
  EXPECT_EQ(m_ril->UseCellId(), 1u);
}

}  // namespace
}  // namespace dialogs_test
