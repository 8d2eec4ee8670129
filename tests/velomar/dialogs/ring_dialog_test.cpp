// The ring profile dialog over the ring tones the install step puts on the device.
#include <gtest/gtest.h>

#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/dialogs/DialogRing.h"

namespace dialogs_test {
namespace {

class RingDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(velomar::InstallRingTones());
  }
};

TEST_F(RingDialogTest, TheEmptyToneItemGivesAnEmptyToneAndKeepsTheIncomingScriptAndVolume) {
  CDialogRing dialog(nullptr, 165);
  dialog.m_tonePath = u"\\Storage Card\\gone.wav";  // not in the shell's list: nothing selected
  dialog.SetRingScript(u"c50apw3c150r");
  dialog.m_volume = 4;
  User().AnswerDialog({Spin(1113, -1), Click(IDOK)});
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(dialog.m_toneName, u"");
  EXPECT_EQ(dialog.m_tonePath, u"");
  EXPECT_EQ(dialog.m_ringScript, u"c50apw3c150r");
  EXPECT_EQ(dialog.m_volume, 4);
  EXPECT_EQ(dialog.m_scriptChanged, 0);
}

TEST_F(RingDialogTest, AChosenToneTypeAndVolumeAreHandedBack) {
  CDialogRing dialog(nullptr, 165);
  dialog.m_tonePath = u"\\Windows\\Rings\\Classic Ring.wav";
  dialog.SetRingScript(u"apw0r");
  dialog.m_volume = 2;
  User().AnswerDialog({SetText(1066, u"Rising"), SetText(1065, T(u"RING ONCE")), Spin(1113, 1), Click(IDOK)});
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(dialog.m_toneName, u"Rising");
  EXPECT_EQ(dialog.m_tonePath, u"\\Windows\\Rings\\Rising.wav");
  EXPECT_EQ(dialog.m_ringScript, u"p");
  EXPECT_EQ(dialog.m_volume, 3);
  EXPECT_EQ(dialog.m_scriptChanged, 1);

  // The preset tone is selected; the empty type item keeps the incoming script; the volume is the
  // control's, within 1..5.
  CDialogRing again(nullptr, 165);
  again.m_tonePath = u"\\My Documents\\My Ringtones\\Velomar Chime.wav";
  again.SetRingScript(u"custom-script");
  again.m_volume = 5;
  User().AnswerDialog({Spin(1113, 1), Spin(1113, 1), Click(IDOK)});
  EXPECT_EQ(again.DoModal(), 1);
  EXPECT_EQ(again.m_toneName, u"Velomar Chime");
  EXPECT_EQ(again.m_ringScript, u"custom-script");
  EXPECT_EQ(again.m_volume, 5);
  EXPECT_EQ(again.m_scriptChanged, 0);
}

TEST_F(RingDialogTest, PlayAsksForAToneFirstAndCancelReturnsTwo) {
  CDialogRing dialog(nullptr, 165);
  dialog.SetRingScript(u"a");
  User().AnswerDialog({Click(1057), Click(IDCANCEL)});
  EXPECT_EQ(dialog.DoModal(), 2);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, T(u"PLEASE FILL DATA"));
  EXPECT_EQ(dialog.m_ringScript, u"a");
}

TEST_F(RingDialogTest, RingTypeTable) {
  const std::pair<int, std::u16string> rows[] = {{0, u"apw0r"}, {1, u"c50apw3c150r"}, {2, u"p"}, {3, u"av3w3r"},
                                                 {4, u"av0pw3r"}, {5, u"v3w3apw3r"}, {6, u"a"}};
  for (const auto& [number, script] : rows) {
    std::u16string found;
    EXPECT_TRUE(CDialogRing::ScriptOfType(number, found));
    EXPECT_EQ(found, script);
    EXPECT_EQ(CDialogRing::TypeOfScript(script), number);
  }
  std::u16string none;
  EXPECT_FALSE(CDialogRing::ScriptOfType(7, none));
  EXPECT_EQ(CDialogRing::TypeOfScript(u"P"), -1);
}

}  // namespace
}  // namespace dialogs_test
