// The map's settings dialogs opened by their menu commands under the scripted user, and each of
// them as a picture at 240 x 320 and 480 x 640 (map_settings_<template>_<size>.png in the test's
// folder).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app_fixture.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "platform/display/display.h"
#include "platform/window/window.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using cumulor_test::AppTest;

namespace {

class MapSettingsDialogs : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ResetKeptSettings();
    InstallMapDialogs(*app);
    MapDisplay() = MapDisplaySettings{};
  }
  void TearDown() override {
    SetMapSettingsLink({});
    ResetKeptSettings();
    AppTest::TearDown();
  }
  // Runs a menu command; the answers must be given first.
  void Command(WORD id) { OnCommand(*app, id, 0); }
  ce::scripted::User& user = ce::scripted::User::Get();
};

TEST_F(MapSettingsDialogs, UserAirspaceKeepsClassAAndSetsTheFill) {
  AirspaceModule& m = app->airspace;
  for (int g : {1, 2, 4}) {
    m.group[g].shapes.resize(1);
    m.group[g].enabled = 1;
  }
  m.group[3].enabled = 1;  // no shapes: its box is disabled and stays as it is
  m.fillMode = 1;
  user.AnswerDialog({Check(1017, false), Check(1018, false), Click(kIdFillSolid), Click(kIdTitleOk)});
  Command(40117);
  EXPECT_EQ(m.group[1].enabled, 1);  // Class A has no box: unchanged
  EXPECT_EQ(m.group[2].enabled, 0);
  EXPECT_EQ(m.group[3].enabled, 1);
  EXPECT_EQ(m.group[4].enabled, 1);
  EXPECT_EQ(m.fillMode, 0);
  EXPECT_FALSE(MapOption(kOptSeeThrough));
  EXPECT_EQ(app->dialogActive, 0);

  // The keys end it without reading the boxes.
  user.AnswerDialog({Check(1019, false), Key(194)});
  Command(40117);
  EXPECT_EQ(m.group[4].enabled, 1);
  for (int g : {1, 2, 4}) m.group[g].shapes.clear();
}

TEST_F(MapSettingsDialogs, WarningMarginsStepAndNeverGoBelowZero) {
  app->suaDistY = 30;
  app->suaDistX = 500;
  // 122 opens 139 as its child; 139 takes the next answer.
  user.AnswerDialog({Click(kIdConfigureWarnings), Click(kIdTitleOk)});
  user.AnswerDialog({Click(kIdVerticalMinus), Click(kIdHorizontalPlus), Check(kIdAlarmsEnabled, false),
                     Check(kIdAlarmSmall, true), Check(kIdAlarmAudio, true), Click(IDOK)});
  Command(40117);
  EXPECT_EQ(app->suaDistY, 0);
  EXPECT_EQ(app->suaDistX, 600);
  EXPECT_EQ(app->airspace.alarmsOff, 1);
  EXPECT_EQ(app->airspace.noDialog, 1);
  EXPECT_EQ(app->airspace.proximityBeeps, 1);
  EXPECT_TRUE(MapOption(kOptAlarmAudio));

  app->suaDistX = 500;
  user.AnswerDialog({Click(kIdConfigureWarnings), Key(193)});
  user.AnswerDialog({Click(kIdHorizontalMinus), Click(kIdVerticalPlus), Check(kIdAlarmsEnabled, true), Key(195)});
  Command(40117);
  EXPECT_EQ(app->suaDistX, 450);
  EXPECT_EQ(app->suaDistY, 50);
  EXPECT_EQ(app->airspace.alarmsOff, 0);
}

TEST_F(MapSettingsDialogs, DatabaseAirspaceTablesFollowTheTabs) {
  const std::uint8_t hidden[kDbAirspaceClasses] = {1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
  const std::uint8_t warn[kDbAirspaceClasses] = {0, 1, 1, 0, 1, 1, 0, 0, 1, 1, 1, 0, 1, 1, 0};
  auto set = [&] {
    for (int c = 0; c < kDbAirspaceClasses; ++c) {
      MapDisplay().dbClassHidden[c] = hidden[c];
      app->airspace.aeroClassWarn[c] = warn[c];
    }
  };
  auto same = [&] {
    for (int c = 0; c < kDbAirspaceClasses; ++c) {
      EXPECT_EQ(MapDisplay().dbClassHidden[c], hidden[c]) << c;
      EXPECT_EQ(app->airspace.aeroClassWarn[c], warn[c]) << c;
    }
  };
  set();
  // Switching tabs twice changes nothing.
  user.AnswerDialog({Select(kIdClassTabs, 1), Select(kIdClassTabs, 0), Select(kIdClassTabs, 1), Click(kIdTitleOk)});
  Command(40107);
  same();
  EXPECT_EQ(app->map.displayFlags & kShowAirspaceIds, 0u);

  // A change on each tab lands in its own table; "ID" sets the label bit.
  user.AnswerDialog({Check(kIdClassBoxBase + 0, true), Select(kIdClassTabs, 1), Check(kIdClassBoxBase + 1, false),
                     Click(kIdLabelId), Key(196)});
  Command(40107);
  EXPECT_EQ(MapDisplay().dbClassHidden[0], 0);
  EXPECT_EQ(app->airspace.aeroClassWarn[1], 0);
  EXPECT_EQ(MapDisplay().dbClassHidden[1], 0);
  EXPECT_EQ(app->airspace.aeroClassWarn[0], 0);
  EXPECT_NE(app->map.displayFlags & kShowAirspaceIds, 0u);
}

TEST_F(MapSettingsDialogs, MapOptionsStoreOrientationAndFlags) {
  KeptSettings().mapOrientation = 1;
  app->trueNorth = 0;
  NavBoxSetTexts(app->navBoxes, 4, u"mag", nullptr, nullptr);
  user.AnswerDialog({Click(kIdGoalUp), Check(kIdAutoZoom, true), Check(kIdTrueNorth, true), Check(kIdArmStart, true),
                     Check(kIdSimSpeedZero, true), Click(kIdTitleOk)});
  Command(40116);
  EXPECT_EQ(KeptSettings().mapOrientation, 3);
  EXPECT_TRUE(MapOption(kOptAutoZoom));
  EXPECT_TRUE(MapOption(kOptArmStart));
  EXPECT_FALSE(MapOption(kOptAutoAdvance));
  EXPECT_EQ(app->trueNorth, 1);
  EXPECT_EQ(std::u16string(app->navBoxes.box[4].title), u"True");
  EXPECT_EQ(std::u16string(app->navBoxes.box[5].title), u"True");
  EXPECT_EQ(app->simulatorSpeedZero, 1);
  EXPECT_FLOAT_EQ(MapDisplay().simulatorSpeed, 0.0f);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_EQ(app->activeDialog, nullptr);

  // "Track" wins; the keys store too; true north unchanged leaves the titles alone.
  NavBoxSetTexts(app->navBoxes, 4, u"x", nullptr, nullptr);
  user.AnswerDialog({Click(kIdTrackUp), Check(kIdAutoZoom, false), Key(193)});
  Command(40116);
  EXPECT_EQ(KeptSettings().mapOrientation, 2);
  EXPECT_FALSE(MapOption(kOptAutoZoom));
  EXPECT_EQ(std::u16string(app->navBoxes.box[4].title), u"x");
}

TEST_F(MapSettingsDialogs, UnitsCallTheSettersAndLeaveAnUnchangedSpeedAlone) {
  std::vector<std::pair<UnitKind, std::int32_t>> calls;
  MapSettingsLink link = GetMapSettingsLink();
  link.setUnit = [&](UnitKind kind, std::int32_t code) { calls.emplace_back(kind, code); };
  SetMapSettingsLink(link);
  app->speedUnit = 7;
  user.AnswerDialog({Click(kIdHeightFt), Click(kIdDistanceNm), Click(kIdTaskSpeedMph), Click(kIdTitleOk)});
  Command(40108);
  const std::vector<std::pair<UnitKind, std::int32_t>> expected = {
      {UnitKind::kAltitude, 2}, {UnitKind::kClimb, 3}, {UnitKind::kTaskSpeed, 8}, {UnitKind::kDistance, 6}};
  EXPECT_EQ(calls, expected);

  calls.clear();
  user.AnswerDialog({Click(kIdSpeedKts), Click(kIdDistanceSm), Click(kIdTitleOk)});
  Command(40108);
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[3], std::make_pair(UnitKind::kDistance, 8));
  EXPECT_EQ(calls[4], std::make_pair(UnitKind::kSpeed, 4));

  calls.clear();
  user.AnswerDialog({Click(kIdHeightFt), Key(193)});  // the keys apply nothing
  Command(40108);
  EXPECT_TRUE(calls.empty());
}

TEST_F(MapSettingsDialogs, UnitsThroughTheRealSetters) {
  user.AnswerDialog({Click(kIdHeightFt), Click(kIdClimbKts), Click(kIdSpeedKts), Click(kIdTitleOk)});
  Command(40108);
  EXPECT_EQ(app->altitudeUnit, 2);
  EXPECT_EQ(app->climbUnit, 4);
  EXPECT_EQ(app->speedUnit, 4);
  EXPECT_EQ(std::u16string(app->speedUnitText), u"kts");
}

TEST_F(MapSettingsDialogs, MapLayersWriteAtOnceAndTheKeysEndIt) {
  PointTableOf(kPointAirport).displayFlag = 1;
  PointTableOf(kPointUserWaypoint).displayFlag = 1;
  app->map.displayFlags = 0;
  user.AnswerDialog({Check(kIdShowAirports, false), Check(kIdShowDbAirspace, true), Check(kIdShowFileAirspace, true),
                     Key(194)});
  Command(40109);
  EXPECT_EQ(PointTableOf(kPointAirport).displayFlag, 0);
  EXPECT_EQ(PointTableOf(kPointUserWaypoint).displayFlag, 1);
  EXPECT_EQ(app->map.displayFlags & (kShowDbAirspace | kShowFileAirspace), kShowDbAirspace | kShowFileAirspace);
  // The keys ended the dialog: nothing was left for the default answer.
  const auto shown = user.shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(shown.back().scripted);
  EXPECT_EQ(shown.back().result, 1);
  EXPECT_EQ(app->activeDialog, nullptr);
  EXPECT_EQ(app->dialogActive, 0);
  PointTableOf(kPointAirport).displayFlag = 1;
}

TEST_F(MapSettingsDialogs, LabelsFlipTheirFlagsAndClampTheLength) {
  KeptSettings().labelLength = 8;
  app->labelsShown = 1;
  // A click on either button of a pair flips its flag.
  user.AnswerDialog({Click(kIdTwoClicks), Click(kIdShowAltitude), Click(kIdLabelByName), Click(kIdCircles),
                     Click(kIdLabelLength), Click(kIdTitleOk)});
  user.AnswerDialog({SetText(kIdPadEdit, u"51"), Click(kIdOkIcon)});
  Command(40111);
  EXPECT_TRUE(MapOption(kOptOneClick));
  EXPECT_EQ(MapDisplay().glideRatioLabels, 1);
  EXPECT_TRUE(MapOption(kOptLabelsById));
  EXPECT_EQ(app->labelsShown, 0);
  EXPECT_EQ(KeptSettings().labelLength, kDefaultLabelLength);

  user.AnswerDialog({Click(kIdLabelLength), Key(196)});
  user.AnswerDialog({SetText(kIdPadEdit, u"50"), Click(kIdOkIcon)});
  Command(40111);
  EXPECT_EQ(KeptSettings().labelLength, 50);
  struct {
    double entered;
    int stored;
  } cases[] = {{0, 0}, {50, 50}, {50.5, 12}, {-1, 12}, {51, 12}, {7.9, 7}};
  for (const auto& c : cases) EXPECT_EQ(LabelLengthFromEntry(c.entered), c.stored) << c.entered;
}

// Every dialog as a picture; no control may reach into the caption band or out of the screen.
TEST_F(MapSettingsDialogs, DialogsAsPictures) {
  struct {
    int id;
    DLGPROC proc;
  } dialogs[] = {{kUserAirspaceDialog, UserAirspaceDialogProc}, {kAirspaceWarningsDialog, AirspaceWarningsDialogProc},
                 {kDbAirspaceDialog, DbAirspaceDialogProc},     {kMapOptionsDialog, MapOptionsDialogProc},
                 {kUnitsDialog, UnitsDialogProc},               {kMapLayersDialog, MapLayersDialogProc},
                 {kLabelsDialog, LabelsDialogProc}};
  for (const ce::display::ScreenSize size : {ce::display::kPortrait, ce::display::kVga}) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    GetDesktopRect();
    for (const auto& d : dialogs) {
      HWND dialog = CreateModelessDialog(d.id, nullptr, d.proc, 0);
      ASSERT_NE(dialog, nullptr) << d.id;
      ShowWindow(dialog, SW_SHOW);
      for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
      RECT r{};
      GetWindowRect(dialog, &r);
      EXPECT_LE(r.right, size.width) << d.id;
      EXPECT_LE(r.bottom, size.height) << d.id;
      const std::string file = "map_settings_" + std::to_string(d.id) + "_" + std::to_string(size.width) + "x" +
                               std::to_string(size.height) + ".png";
      EXPECT_TRUE(ce::display::SaveScreenshot(file, &r)) << file;
      DestroyWindow(dialog);
    }
  }
  ce::display::SetScreenSize(ce::display::kPortrait);
  GetDesktopRect();
}

}  // namespace
