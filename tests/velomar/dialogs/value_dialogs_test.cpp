// The dialogs that ask for one value: location number, custom time, backlight levels, call
// forwarding number, sound level, week days and the message texts.
#include <gtest/gtest.h>

#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/dialogs/DialogAddLocation.h"
#include "velomar/dialogs/DialogMessage.h"
#include "velomar/dialogs/DialogSoundLevel.h"
#include "velomar/dialogs/DialogWeek.h"
#include "velomar/dialogs/ValueDialogs.h"
#include "velomar/ui/OptionDialog.h"

namespace dialogs_test {
namespace {

class ValueDialogsTest : public DialogTest {
 protected:
  // The texts of the TeskaUtils boxes shown since the last call.
  static std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> texts;
    for (const auto& box : teskautils::seam::TakeShownBoxes()) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(ValueDialogsTest, AddLocationRefusesWhatIsNotAPositive32BitNumber) {
  for (const std::u16string typed : {u"", u"abc", u"0", u"-5", u"99999999999", u"4294967297"}) {
    SCOPED_TRACE(ce::text::ToUtf8(typed));
    CDialogAddLocation dialog(nullptr, 167, 1);
    dialog.m_value = 77;
    User().AnswerDialog({SetText(1077, typed), Click(IDOK), Click(IDCANCEL)});
    EXPECT_EQ(dialog.DoModal(), 2);  // still open after the error, then cancelled
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{T(u"ENTER LOCATION")});
  }
  const std::pair<std::u16string, int> accepted[] = {{u"12ab", 12}, {u" 2147483647", 2147483647}, {u"+9", 9}};
  for (const auto& [typed, value] : accepted) {
    SCOPED_TRACE(ce::text::ToUtf8(typed));
    CDialogAddLocation dialog(nullptr, 167, 0);
    User().AnswerDialog({SetText(1077, typed), Click(IDOK)});
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(dialog.m_value, value);
    EXPECT_TRUE(BoxTexts().empty());
  }
  // The label names what is asked for, untranslated.
  EXPECT_NE(std::find(LastShown(ce::scripted::Kind::kDialog).texts.begin(),
                      LastShown(ce::scripted::Kind::kDialog).texts.end(), u"LAC:"),
            LastShown(ce::scripted::Kind::kDialog).texts.end());
}

TEST_F(ValueDialogsTest, CustomTimeGivesTheNumbersAsTypedAndSavesFromTheSoftKeyMenu) {
  struct Case {
    std::u16string hours, minutes;
    int h, m;
  } cases[] = {{u"1", u"30", 1, 30}, {u"1", u"49", 1, 49}, {u"", u"", 0, 0}, {u"0", u"90", 0, 90}};
  for (const auto& c : cases) {
    CDialogCustomTime dialog(nullptr, 143);
    User().AnswerMenu(IDOK);  // the right key's first item: "SAVE"
    User().AnswerDialog({SetText(1049, c.hours), SetText(1051, c.minutes), SoftKey(1)});
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(dialog.m_hours * 60 + dialog.m_minutes, c.h * 60 + c.m);
  }
  const auto menu = LastShown(ce::scripted::Kind::kMenu);
  ASSERT_FALSE(menu.texts.empty());
  EXPECT_EQ(menu.texts.front(), T(u"SAVE"));
  CDialogCustomTime cancelled(nullptr, 143);
  User().AnswerDialog({SetText(1049, u"5"), Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(cancelled.m_hours, 0);
}

TEST_F(ValueDialogsTest, BacklightReadsTheTrackbarsOnSaveAndKeepsTheFieldsOnCancel) {
  CDialogBacklight saved(nullptr, 163);
  saved.m_batteryLevel = 3;
  saved.m_externalLevel = 9;
  User().AnswerDialog({Track(1062, 7), Track(1064, 2), Click(IDOK)});
  EXPECT_EQ(saved.DoModal(), 1);
  EXPECT_EQ(saved.m_batteryLevel, 7);
  EXPECT_EQ(saved.m_externalLevel, 2);

  CDialogBacklight cancelled(nullptr, 163);
  cancelled.m_batteryLevel = 3;
  cancelled.m_externalLevel = 9;
  User().AnswerDialog({Track(1062, 10), Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(cancelled.m_batteryLevel, 3);
  EXPECT_EQ(cancelled.m_externalLevel, 9);
}

TEST_F(ValueDialogsTest, CallForwardKeepsTheOpenersNumberWhenTheEditIsEmptied) {
  CDialogCallForward emptied(nullptr, 161);
  emptied.m_number = u"+34600111222";
  User().AnswerDialog({SetText(1061, u""), Click(IDOK)});
  EXPECT_EQ(emptied.DoModal(), 1);
  EXPECT_EQ(emptied.m_number, u"+34600111222");

  CDialogCallForward typed(nullptr, 161);
  typed.m_number = u"+34600111222";
  User().AnswerDialog({SetText(1061, u"555 0101"), Click(IDOK)});
  EXPECT_EQ(typed.DoModal(), 1);
  EXPECT_EQ(typed.m_number, u"555 0101");
}

TEST_F(ValueDialogsTest, SoundLevelButtonsAndTheActionKey) {
  const std::pair<int, int> cases[] = {{1057, 1}, {1059, 2}, {1060, 3}, {1061, 4}, {1062, 5}, {IDOK, 5}};
  for (const auto& [control, level] : cases) {
    CDialogSoundLevel dialog(nullptr, 162);
    User().AnswerDialog({Click(control)});
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(dialog.m_level, level) << control;
  }
  CDialogSoundLevel cancelled(nullptr, 162);
  User().AnswerDialog({Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(cancelled.m_level, -1);
}

TEST_F(ValueDialogsTest, WeekMaskToBoxesAndBack) {
  struct Case {
    int mask;
    int flags[8];  // enabled, Monday .. Sunday
  } cases[] = {
      {0, {1, 1, 1, 1, 1, 1, 1, 1}},
      {10000000, {1, 1, 1, 1, 1, 1, 1, 0}},
      {1, {0, 1, 1, 1, 1, 1, 1, 1}},
      {11111110, {1, 0, 0, 0, 0, 0, 0, 0}},
      {20000002, {0, 1, 1, 1, 1, 1, 1, 0}},  // digits other than 0 count as unchecked
      {1000, {1, 1, 1, 0, 1, 1, 1, 1}},       // Wednesday off
  };
  for (const auto& c : cases) {
    int flags[8];
    CDialogWeek::FlagsOfMask(c.mask, flags);
    EXPECT_TRUE(std::equal(flags, flags + 8, c.flags)) << c.mask;
    EXPECT_EQ(CDialogWeek::MaskOfFlags(flags), c.mask == 20000002 ? 10000001 : c.mask);
  }
  // Masks outside eight digits are read without overrunning anything.
  for (int odd : {-1, 123456789, 2147483647, static_cast<int>(0x80000000)}) {
    int flags[8];
    CDialogWeek::FlagsOfMask(odd, flags);
  }

  // Through the dialog: unchanged saves give the mask back; unticking a box sets its digit.
  const std::tuple<int, int, int> runs[] = {{0, 0, 0}, {10000000, 0, 10000000}, {0, 1015, 10000000}, {0, 1016, 1}};
  for (const auto& [mask, untick, expected] : runs) {
    CDialogWeek dialog(nullptr, 160, mask);
    std::vector<ce::scripted::Step> steps;
    if (untick) steps.push_back(Check(untick, false));
    steps.push_back(Click(IDOK));
    User().AnswerDialog(steps);
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(dialog.m_dayMask, expected) << mask << " untick " << untick;
  }
  CDialogWeek cancelled(nullptr, 160, 10000000);
  User().AnswerDialog({Check(1009, false), Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(cancelled.m_dayMask, 10000000);
}

TEST_F(ValueDialogsTest, MessageKeepsEmptiedFieldsAndLocksTheSubjectOfAnSms) {
  CDialogMessage sms(nullptr, 157, 1);
  sms.m_recipient = u"+34600111222";
  sms.m_subject = u"kept";
  User().AnswerDialog({SetText(1058, u""), SetText(1060, u"typed"), SetText(1061, u"On my way"), Click(IDOK)});
  EXPECT_EQ(sms.DoModal(), 1);
  EXPECT_EQ(sms.m_recipient, u"+34600111222");
  EXPECT_EQ(sms.m_subject, u"kept");  // the disabled subject could not be typed into
  EXPECT_EQ(sms.m_text, u"On my way");

  CDialogMessage mail(nullptr, 158, 0);
  User().AnswerDialog({SetText(1058, u"anna@example.org"), SetText(1060, u"Hello"), Click(IDOK)});
  EXPECT_EQ(mail.DoModal(), 1);
  EXPECT_EQ(mail.m_recipient, u"anna@example.org");
  EXPECT_EQ(mail.m_subject, u"Hello");
  EXPECT_EQ(mail.m_text, u"");

  CDialogMessage cancelled(nullptr, 159, 0);
  cancelled.m_text = u"draft";
  User().AnswerDialog({SetText(1061, u"changed"), Click(IDCANCEL)});
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_EQ(cancelled.m_text, u"draft");
}

// The popups reach these dialogs through the program's hooks: what the user typed or chose comes
// back, and a cancel answers anything but 1.
TEST_F(ValueDialogsTest, PopupsOpenTheProgramsDialogs) {
  velomar::ui::GetPopupDialogs() = {};
  velomar::ui::UseProgramPopupDialogs();
  const velomar::ui::PopupDialogs dialogs = velomar::ui::GetPopupDialogs();
  ASSERT_TRUE(dialogs.customTime && dialogs.soundLevel && dialogs.choosePlace);

  int hours = -1, minutes = -1;
  User().AnswerMenu(IDOK);
  User().AnswerDialog({SetText(1049, u"1"), SetText(1051, u"30"), SoftKey(1)});
  EXPECT_EQ(dialogs.customTime(nullptr, hours, minutes), 1);
  EXPECT_EQ(hours * 60 + minutes, 90);
  User().AnswerDialog({Click(IDCANCEL)});
  EXPECT_NE(dialogs.customTime(nullptr, hours, minutes), 1);

  int level = 0;
  User().AnswerDialog({Click(1060)});
  EXPECT_EQ(dialogs.soundLevel(nullptr, level), 1);
  EXPECT_EQ(level, 3);

  int place = 5;
  User().AnswerDialog({Click(IDCANCEL)});
  EXPECT_NE(dialogs.choosePlace(nullptr, 153, place), 1);
  velomar::ui::GetPopupDialogs() = {};
}

}  // namespace
}  // namespace dialogs_test
