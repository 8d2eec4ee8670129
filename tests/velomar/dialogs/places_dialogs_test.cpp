// The dialogs that edit places and time frames, over the places database and the schedule engine:
// time frame, add place and the place and icon choosers.
#include <gtest/gtest.h>

#include "platform/scripted/scripted_user.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/places/schedule_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/dialogs/DialogAddPlace.h"
#include "velomar/dialogs/DialogChooseList.h"
#include "velomar/dialogs/DialogTimeFrame.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/Translator.h"

namespace dialogs_test {
namespace {

using namespace ce::scripted::steps;

class PlacesDialogsTest : public schedule_test::ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    velomar::seam::ForgetTranslator();  // one made on demand by an earlier test stays alive, unused
    m_translator = std::make_unique<CTranslator>();
    ASSERT_EQ(CTranslator::GetInstance(), m_translator.get());
    User().Reset();
  }
  void TearDown() override {
    User().Reset();
    teskautils::seam::SetBoxAnswer(0);
    velomar::seam::ResetSkin();
    StopWorkers();  // their commands use the translator
    m_translator.reset();
    ScheduleTest::TearDown();
  }
  static ce::scripted::User& User() { return ce::scripted::User::Get(); }
  static std::u16string T(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }

  std::vector<CStrPeriod> PeriodsOf(int place) {
    std::vector<CStrPeriod> out;
    m_db->GetPeriodsTable()->GetAllRecordsForPlace(out, place);
    return out;
  }
  static std::string Span(const CStrPeriod& p) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d-%02d:%02d", p.GetBegin().wHour, p.GetBegin().wMinute,
                  p.GetEnd().wHour, p.GetEnd().wMinute);
    return ce::text::ToUtf8(p.GetName()) + " " + text;
  }

 private:
  std::unique_ptr<CTranslator> m_translator;
};

TEST_F(PlacesDialogsTest, ANewTimeFrameInsideAnotherIsSplitOnYes) {
  const int home = AddPlace(u"Home", 0);
  AddPeriod(home, u"Day", 8, 0, 20, 0);
  CStrPeriod period;
  period.SetIdPlace(home);
  teskautils::seam::SetBoxAnswer(IDYES);
  CDialogTimeFrame dialog(nullptr, 127, &period, 1);
  User().AnswerDialog({SetText(1020, u"Lunch"), SetText(1023, u"13:00"), SetText(1022, u"14:30"), Click(IDOK)});
  EXPECT_EQ(dialog.DoModal(), 1);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, CTranslator::GetInstance()->GetFormatted(u"CONFIRM PERIOD SPLIT", u"Day", u"Day"));
  std::vector<std::string> spans;
  for (const auto& p : PeriodsOf(home)) spans.push_back(Span(p));
  EXPECT_EQ(spans, (std::vector<std::string>{"Day 08:00-13:00", "Lunch 13:00-14:30", "Day 14:30-20:00"}));
}

TEST_F(PlacesDialogsTest, ARefusedOrEmptyTimeFrameKeepsTheDialogOpen) {
  const int home = AddPlace(u"Home", 0);
  AddPeriod(home, u"Day", 8, 0, 20, 0);
  CStrPeriod period;
  period.SetIdPlace(home);
  teskautils::seam::SetBoxAnswer(IDNO);
  CDialogTimeFrame dialog(nullptr, 118, &period, 1);
  User().AnswerDialog({Click(IDOK), SetText(1020, u"Lunch"), SetText(1023, u"13:00"), SetText(1022, u"14:00"),
                       Click(IDOK), Click(IDCANCEL)});
  EXPECT_EQ(dialog.DoModal(), 2);
  // The empty name was refused in a box of the dialog's own; the split was declined.
  std::size_t fill = 0;
  for (const auto& shown : User().shown())
    if (shown.kind == ce::scripted::Kind::kBox && !shown.texts.empty() && shown.texts[0] == T(u"PLEASE FILL DATA")) ++fill;
  EXPECT_EQ(fill, 1u);
  EXPECT_EQ(teskautils::seam::TakeShownBoxes().size(), 1u);
  EXPECT_EQ(PeriodsOf(home).size(), 1u);
  // The refused save left the caller's record changed, as it stands.
  EXPECT_EQ(period.GetName(), u"Lunch");
  EXPECT_EQ(period.GetBegin().wHour, 13);
}

TEST_F(PlacesDialogsTest, ChangingATimeFrameShowsItAndStoresItThroughTheEngine) {
  const int home = AddPlace(u"Home", 0);
  const int key = AddPeriod(home, u"Night", 22, 0, 6, 30);
  CStrPeriod period = PeriodsOf(home).at(0);
  ASSERT_EQ(period.GetKey(), key);
  CDialogTimeFrame dialog(nullptr, 141, &period, 0);
  User().AnswerDialog({SetText(1022, u"07:15"), Click(IDOK)});
  EXPECT_EQ(dialog.DoModal(), 1);
  const auto shown = User().shown().back();
  EXPECT_NE(std::find(shown.texts.begin(), shown.texts.end(), u"Night"), shown.texts.end());
  ASSERT_EQ(PeriodsOf(home).size(), 1u);
  EXPECT_EQ(Span(PeriodsOf(home)[0]), "Night 22:00-07:15");
}

TEST_F(PlacesDialogsTest, ANewPlaceGetsItsDefaultScheduleAndTheCustomiseAnswer) {
  CStrPlace place;
  int customise = -1;
  teskautils::seam::SetBoxAnswer(IDYES);
  CDialogAddPlace dialog(nullptr, 107, &place, 1, &customise);
  User().AnswerDialog({SetText(1001, u"Office"), SetText(1002, u"Third floor"), Click(IDOK)});
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(customise, 1);
  ASSERT_GT(place.GetIdPlace(), 0);
  EXPECT_EQ(place.GetImage(), u"place_unknown.png");
  CStrPlace stored;
  stored.SetIdPlace(place.GetIdPlace());
  ASSERT_TRUE(m_db->GetPlacesTable()->FindAndFill(stored));
  EXPECT_EQ(stored.GetName(), u"Office");
  EXPECT_EQ(stored.GetDescription(), u"Third floor");
  const auto periods = PeriodsOf(place.GetIdPlace());
  ASSERT_EQ(periods.size(), 1u);
  EXPECT_EQ(Span(periods[0]), ce::text::ToUtf8(T(u"NAME DEFAULT TIME FRAME")) + " 00:00-00:00");
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, T(u"CONFIRM CREATE DEFAULT SCHEDULE"));
  EXPECT_EQ(boxes[1].text, T(u"CONFIRM CUSTOMIZA ACTION"));

  // Declined: the place alone, the flag untouched.
  CStrPlace second;
  teskautils::seam::SetBoxAnswer(IDNO);
  CDialogAddPlace declined(nullptr, 108, &second, 1, &customise);
  User().AnswerDialog({SetText(1001, u"Gym"), SetText(1002, u"Evenings"), Click(IDOK)});
  EXPECT_EQ(declined.DoModal(), 1);
  EXPECT_EQ(customise, 1);
  EXPECT_TRUE(PeriodsOf(second.GetIdPlace()).empty());
}

TEST_F(PlacesDialogsTest, AddPlaceRefusesMissingTextsAndEditsOrMissesExistingPlaces) {
  CStrPlace place;
  CDialogAddPlace dialog(nullptr, 139, &place, 1, nullptr);
  User().AnswerDialog({SetText(1001, u"Office"), Click(IDOK), Click(IDCANCEL)});
  EXPECT_EQ(dialog.DoModal(), 2);
  bool refused = false;
  for (const auto& shown : User().shown())
    refused |= shown.kind == ce::scripted::Kind::kBox && !shown.texts.empty() && shown.texts[0] == T(u"PLEASE FILL DATA");
  EXPECT_TRUE(refused);
  std::vector<CStrPlace> all;
  m_db->GetPlacesTable()->GetAllRecords(all);
  EXPECT_EQ(all.size(), 1u);  // the default place only

  // Editing: the stored place is shown, an empty image becomes "place_unknown.png".
  CStrPlace home(u"Home", u"Flat", u"", -1);
  m_db->GetPlacesTable()->Insert(home);
  CStrPlace edited;
  edited.SetIdPlace(home.GetIdPlace());
  CDialogAddPlace edit(nullptr, 107, &edited, 0, nullptr);
  User().AnswerDialog({SetText(1002, u"Flat 2B"), Click(IDOK)});
  EXPECT_EQ(edit.DoModal(), 1);
  CStrPlace stored;
  stored.SetIdPlace(home.GetIdPlace());
  ASSERT_TRUE(m_db->GetPlacesTable()->FindAndFill(stored));
  EXPECT_EQ(stored.GetName(), u"Home");
  EXPECT_EQ(stored.GetDescription(), u"Flat 2B");
  EXPECT_EQ(stored.GetImage(), u"place_unknown.png");

  CStrPlace missing;
  missing.SetIdPlace(4242);
  CDialogAddPlace lost(nullptr, 107, &missing, 0, nullptr);
  EXPECT_EQ(lost.DoModal(), 0);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, u"Place to edit not found");
}

TEST_F(PlacesDialogsTest, ChoosersPickPlacesAndIcons) {
  ASSERT_TRUE(velomar::InstallThemes());
  SetSetting(u"theme", std::u16string(u"default"));
  velomar::seam::ResetSkin();
  const int home = AddPlace(u"Home", 0);
  AddPlace(u"Work", 0);

  // Places by name, never the place of key 0; a tap on empty space does nothing.
  CDialogChooseList places(nullptr, 153);
  User().AnswerDialog({Click(1018, 99), Click(1018, 0)});
  EXPECT_EQ(places.DoModal(), 1);
  EXPECT_EQ(places.m_chosenKey, home);
  EXPECT_EQ(places.m_chosenText, u"Home");
  const auto shown = User().shown().back();
  EXPECT_EQ(std::count(shown.texts.begin(), shown.texts.end(), T(u"DEFAULT PLACE")), 0);

  CDialogChooseList cancelled(nullptr, 154);
  User().AnswerDialog({Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(cancelled.m_chosenKey, -1);

  // The add place dialog takes the icon picked in the icon chooser; a cancelled chooser keeps it.
  CStrPlace place;
  CDialogAddPlace dialog(nullptr, 107, &place, 1, nullptr);
  User().AnswerDialog({Click(1003), SetText(1001, u"Car"), SetText(1002, u"Driving"), Click(IDOK)});
  User().AnswerDialog({Click(1018, 0)});
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(place.GetImage().rfind(u"place_", 0), 0u);
  EXPECT_NE(place.GetImage(), u"");

  CDialogChooseIcon icons(nullptr, 155);
  User().AnswerDialog({Click(1018, 1)});
  EXPECT_EQ(icons.DoModal(), 1);
  ASSERT_GE(icons.GetFileNames().size(), 2u);
  EXPECT_EQ(icons.m_chosenKey, 1);
  for (const auto& name : icons.GetFileNames()) EXPECT_EQ(name.rfind(u"place_", 0), 0u);
}

}  // namespace
}  // namespace dialogs_test
