// The polar and the wind and altimeter dialogs opened by their menu commands under the scripted
// user, the ETA speed fallback, and both dialogs as pictures (flight_<template>_<size>.png).
#include <gtest/gtest.h>

#include <string>

#include "app_fixture.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/nav/polar/flight_state.h"
#include "platform/display/display.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using cumulor_test::AppTest;

namespace {

std::u16string Text(HWND dialog, int id) {
  WCHAR text[96] = {};
  GetDlgItemTextW(dialog, id, text, 96);
  return text;
}

class FlightDialogs : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ResetKeptSettings();
    InstallMapDialogs(*app);
    MapDisplay() = MapDisplaySettings{};
  }
  void TearDown() override {
    SetMapSettingsLink({});
    AppTest::TearDown();
  }
  ce::scripted::User& user = ce::scripted::User::Get();
};

TEST_F(FlightDialogs, PolarShowsThePointsAndAZeroSinkAsGlideRatioZero) {
  FlightState& fs = app->flight;
  SetFlightParameter(fs, kParamSpeed1, 100);
  SetFlightParameter(fs, kParamSink1, -100);  // 100 km/h at 1 m/s: 27.77
  SetFlightParameter(fs, kParamSpeed2, 150);
  SetFlightParameter(fs, kParamSink2, 0);
  HWND dialog = CreateModelessDialog(kPolarDialog, nullptr, PolarDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, kParamSpeed1), u"100");
  EXPECT_EQ(Text(dialog, kParamSink1), u"-1.00");
  EXPECT_EQ(Text(dialog, kParamGlide1), u"27.77");
  EXPECT_EQ(Text(dialog, kParamGlide2), u"0.00");
  EXPECT_EQ(app->activeDialog, dialog);
  DestroyWindow(dialog);
  EXPECT_EQ(app->activeDialog, nullptr);

  // "New" with the chooser cancelled changes nothing; the keys end the dialog.
  user.AnswerDialog({Click(kIdPolarNew), Key(0xC2)});
  user.AnswerDialog({End(0)});
  OnCommand(*app, 40114, 0);
  EXPECT_EQ(GetFlightParameter(fs, kParamSpeed1), 100);
  EXPECT_EQ(app->dialogActive, 0);
}

TEST_F(FlightDialogs, WindCopyButtonFollowsAutoUpdateAndTheEstimate) {
  // No estimate: "<-" stays disabled whatever "Auto update" does.
  HWND dialog = CreateModelessDialog(kWindDialog, nullptr, WindDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kIdCopyEstimate)));
  DestroyWindow(dialog);

  WindSample estimate;
  estimate.time = GetTickCount() + 1;
  estimate.direction = 250;
  estimate.speed = 20.4f;
  PushWindSample(app->thermalView, estimate);
  MapDisplay().autoWind = 1;
  dialog = CreateModelessDialog(kWindDialog, nullptr, WindDialogProc, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kIdCopyEstimate)));
  EXPECT_EQ(Text(dialog, kIdEstimate), u"250\u00B0@20");
  CheckDlgButton(dialog, kIdAutoWind, BST_UNCHECKED);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdAutoWind, BN_CLICKED), 0);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kIdCopyEstimate)));
  DestroyWindow(dialog);
}

TEST_F(FlightDialogs, WindSampleOnlyWhenDirectionOrSpeedChanged) {
  SetFlightParameter(app->flight, kParamWindDirection, 90);
  SetFlightParameter(app->flight, kParamWindSpeed, 10);
  const std::int32_t before = app->thermalView.sampleCount;
  user.AnswerDialog({Click(kParamBugs), Click(kIdStepMinus), Click(kIdTitleOkIcon)});
  OnCommand(*app, 40115, 0);
  EXPECT_EQ(app->flight.bugs, 99);
  EXPECT_EQ(app->thermalView.sampleCount, before);

  // The step buttons act on the field tapped last: direction 90 + 30.
  user.AnswerDialog({Click(kParamWindDirection), Click(kIdStepPlusFast), Click(IDOK)});
  OnCommand(*app, 40115, 0);
  EXPECT_EQ(app->flight.windDirection, 120);
  ASSERT_EQ(app->thermalView.sampleCount, before + 1);
  EXPECT_EQ(app->thermalView.last.direction, 120);
  EXPECT_FLOAT_EQ(app->thermalView.last.speed, 10.0f);
}

TEST_F(FlightDialogs, EtaSpeedFallback) {
  struct {
    double eta, task, ground, expected;
  } cases[] = {{0, 0, 0, 27.77777777777778}, {12.5, 20, 50, 12.5}, {0, 20, 50, 20}, {0, 0, 36, 10}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(EtaSpeedFallback(c.eta, c.task, c.ground), c.expected);
  app->etaMode = 3;
  app->etaSpeed = 0;
  EnsureEtaSpeed(*app);  // on the ground, no statistics, no fix
  EXPECT_DOUBLE_EQ(app->etaSpeed, 27.77777777777778);
}

TEST_F(FlightDialogs, DialogsAsPictures) {
  for (const ce::display::ScreenSize size : {ce::display::kPortrait, ce::display::kVga}) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    for (const auto& d : {std::pair<int, DLGPROC>{kPolarDialog, PolarDialogProc}, {kWindDialog, WindDialogProc}}) {
      HWND dialog = CreateModelessDialog(d.first, nullptr, d.second, 0);
      ASSERT_NE(dialog, nullptr);
      ShowWindow(dialog, SW_SHOW);
      for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
      RECT r{};
      GetWindowRect(dialog, &r);
      EXPECT_LE(r.bottom, size.height);
      const std::string file =
          "flight_" + std::to_string(d.first) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".png";
      EXPECT_TRUE(ce::display::SaveScreenshot(file, &r));
      DestroyWindow(dialog);
    }
  }
  ce::display::SetScreenSize(ce::display::kPortrait);
}

}  // namespace
