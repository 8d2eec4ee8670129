#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/dialogs/sector_dialog.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/resources/resources.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "task_dialog_fixture.h"

namespace cumulor {
namespace {

using namespace ce::scripted::steps;

class SectorDialog : public TaskDialogTest {
 protected:
  void SetUp() override {
    TaskDialogTest::SetUp();
    Rules() = TaskRules{};
    SectorDialogTab() = 0;
    FormatUnits().altitude = kUnitMetres;
    UserWaypointTable& table = UserWaypoints();
    table.records.SetSize(2);
    table.names.SetSize(2);
    table.records[1].position = {36000, 72000};
    std::snprintf(table.names[1].text, sizeof table.names[1].text, "Gap");
  }
  void TearDown() override {
    SetSectorDialogHooks({});
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    FormatUnits().altitude = kUnitMetres;
    TaskDialogTest::TearDown();
  }
  static void Tab(HWND dialog, int tab) {
    SendMessageW(GetDlgItem(dialog, 1312), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    NMHDR header{GetDlgItem(dialog, 1312), 1312, TCN_SELCHANGE};
    SendMessageW(dialog, WM_NOTIFY, 1312, reinterpret_cast<LPARAM>(&header));
  }
};

TEST_F(SectorDialog, EditsTheThreeRulesOnTheirTabs) {
  SectorDialogHooks hooks;
  hooks.choosePoint = [](TaskPoint& p) {
    p = TaskPoint{kPointUserWaypoint, 1};
    return true;
  };
  SetSectorDialogHooks(hooks);
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kSectorDialog), nullptr, SectorDialogProc, 0);
  ASSERT_NE(dialog, nullptr);

  // Start: a line of 1500 m along bearing 45 with a limit entered in metres.
  EXPECT_EQ(Text(dialog, 1424), u"Gate Width");
  Press(dialog, 1248);
  Enter(dialog, 1423, u"1500");
  Enter(dialog, 1427, u"45");
  Enter(dialog, 1425, u"1000");
  EXPECT_EQ(Rules().rule[kRuleStart].type, kGateLine);
  EXPECT_EQ(Rules().rule[kRuleStart].width, 1500);
  EXPECT_EQ(Rules().rule[kRuleStart].bearing, 45);
  EXPECT_EQ(Rules().rule[kRuleStart].altitude, 3281);
  EXPECT_EQ(Text(dialog, 1425), u"1000");
  EXPECT_EQ(Text(dialog, 1277), u"m");
  EXPECT_TRUE(Shown(dialog, 1247));
  EXPECT_FALSE(Shown(dialog, 1428));
  // Two starts: the point buttons appear and take the chosen point.
  Press(dialog, 1247);
  EXPECT_TRUE(Shown(dialog, 1428));
  EXPECT_EQ(Text(dialog, 1428), u"...");
  Press(dialog, 1212);
  EXPECT_EQ(Text(dialog, 1212), u"Gap");
  EXPECT_EQ(Rules().rule[kRuleStart].pointB.index, 1);
  EXPECT_EQ(Rules().rule[kRuleStart].pointBPosition.lat, 72000);

  // On task: a cylinder radius; the frames change their words.
  Tab(dialog, 1);
  EXPECT_EQ(Text(dialog, 1424), u"Radius");
  EXPECT_EQ(Text(dialog, 1442), u"Turnpoint Sector");
  EXPECT_FALSE(Shown(dialog, 1247));
  EXPECT_TRUE(Shown(dialog, 1250));
  Press(dialog, 1246);
  Enter(dialog, 1423, u"700");
  ce::scripted::User::Get().AnswerDialog({SetText(kIdPadEdit, u""), Click(kIdCancelIcon)});
  Press(dialog, 1427);  // hidden here, and a cancelled pad changes nothing
  EXPECT_EQ(Rules().rule[kRuleOnTask].type, kGateCylinder);
  EXPECT_EQ(Rules().rule[kRuleOnTask].width, 700);
  EXPECT_EQ(Rules().rule[kRuleOnTask].bearing, 0);

  // Finish: a sector; no altitude limit; feet shown as feet.
  FormatUnits().altitude = kUnitFeet;
  Tab(dialog, 2);
  EXPECT_FALSE(Shown(dialog, 1425));
  Press(dialog, 1245);
  EXPECT_EQ(Rules().rule[kRuleFinish].type, kGateSector90);
  EXPECT_EQ(Rules().rule[kRuleStart].type, kGateTwoStarts);
  Tab(dialog, 0);
  EXPECT_EQ(Text(dialog, 1425), u"3281");
  EXPECT_EQ(Text(dialog, 1277), u"ft");
  Tab(dialog, 2);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  DestroyWindow(dialog);
  EXPECT_EQ(SectorDialogTab(), 2);  // remembered for the next opening
}

}  // namespace
}  // namespace cumulor
