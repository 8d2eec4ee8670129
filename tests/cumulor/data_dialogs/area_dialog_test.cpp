#include <gtest/gtest.h>

#include "cumulor/data/dialogs/area_dialog.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "platform/sound/sound_effects.h"
#include "task_dialog_fixture.h"

namespace cumulor {
namespace {

using namespace ce::scripted::steps;

class AreaDialog : public TaskDialogTest {
 protected:
  void SetUp() override {
    TaskDialogTest::SetUp();
    AreaDistanceUnit() = 1;
    TaskOptionFlags() = 0;
    ce::sound::ClearRecordedEffects();
  }
  static int WindMaxSounds() {
    int n = 0;
    for (const auto& e : ce::sound::RecordedEffects())
      if (e.text.size() >= 11 && e.text.substr(e.text.size() - 11) == u"WindMax.wav") ++n;
    return n;
  }
};

TEST_F(AreaDialog, StoresTheZoneAndRefusesAMaximumBelowTheMinimum) {
  TaskPoint point{kPointUserWaypoint, 1};
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kAreaDialog), nullptr, AreaDialogProc, reinterpret_cast<LPARAM>(&point));
  ASSERT_NE(dialog, nullptr);
  Enter(dialog, 1175, u"5000");
  Enter(dialog, 1176, u"3000");
  Press(dialog, IDOK);
  EXPECT_EQ(WindMaxSounds(), 1);
  EXPECT_EQ(point.maxRadius, 0);  // refused: nothing stored, still open
  Enter(dialog, 1176, u"20000");
  Enter(dialog, 1177, u"90");
  Enter(dialog, 1178, u"270");
  SendMessageW(GetDlgItem(dialog, 1101), BM_SETCHECK, BST_CHECKED, 0);
  Press(dialog, IDOK);
  EXPECT_EQ(point.minRadius, 5000);
  EXPECT_EQ(point.maxRadius, 20000);
  EXPECT_EQ(point.startRadial, 90);
  EXPECT_EQ(point.endRadial, 270);
  EXPECT_EQ(TaskOptionFlags(), kKeepMobileInsideAreas);
  DestroyWindow(dialog);

  // In miles: shown rounded, stored x 1609; Erase then Cancel stores nothing.
  dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kAreaDialog), nullptr, AreaDialogProc, reinterpret_cast<LPARAM>(&point));
  Press(dialog, 1245);
  EXPECT_EQ(Text(dialog, 1176), u"12");
  Enter(dialog, 1175, u"2");
  Press(dialog, IDOK);
  EXPECT_EQ(point.minRadius, 2 * 1609);
  EXPECT_EQ(point.maxRadius, 12 * 1609);
  DestroyWindow(dialog);
  dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kAreaDialog), nullptr, AreaDialogProc, reinterpret_cast<LPARAM>(&point));
  Press(dialog, 3);
  EXPECT_EQ(Text(dialog, 1176), u"0");
  Press(dialog, IDCANCEL);
  EXPECT_EQ(point.maxRadius, 12 * 1609);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace cumulor
