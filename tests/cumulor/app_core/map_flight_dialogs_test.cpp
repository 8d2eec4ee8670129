// The polar and the wind and altimeter dialogs opened by their menu commands under the scripted
// user, the ETA speed fallback, and both dialogs as pictures (flight_<template>_<size>.png).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app_fixture.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/inflight/task_status_dialog.h"
#include "cumulor/map/inflight/task_time_popups.h"
#include "cumulor/map/inflight/task_status_dialog.h"
#include "cumulor/map/inflight/task_time_popups.h"
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
    for (const auto& d : {std::pair<int, DLGPROC>{kPolarDialog, PolarDialogProc}, {kWindDialog, WindDialogProc},
                          {kTaskStatusDialog, TaskStatusDialogProc}, {kEtaPopup, EtaPopupProc}, {kTimePopup, TimePopupProc}}) {
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

namespace {

void Tap(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

TEST_F(FlightDialogs, TaskTimeInQuarterHoursWithinSevenHours) {
  app->taskTimeMinutes = 0;
  HWND popup = CreateModelessDialog(kTimePopup, nullptr, TimePopupProc, 0);
  ASSERT_NE(popup, nullptr);
  Tap(popup, kIdTimeMinus);  // stays 0, "No Limit"
  EXPECT_EQ(app->taskTimeMinutes, 0);
  EXPECT_EQ(IsDlgButtonChecked(popup, kIdNoLimit), static_cast<UINT>(BST_CHECKED));
  for (int step = 1; step <= 30; ++step) {
    Tap(popup, kIdTimePlus);
    EXPECT_EQ(app->taskTimeMinutes, std::min(step * 15, 420));
  }
  EXPECT_EQ(IsDlgButtonChecked(popup, kIdNoLimit), 0u);
  EXPECT_EQ(app->taskTimeSeconds, 420 * 60);  // no start time yet: the remaining seconds
  DestroyWindow(popup);

  // With a start time the end time follows; the start moves by a minute.
  SYSTEMTIME start{2026, 6, 1, 1, 12, 0, 0, 0};
  SystemTimeToFileTime(&start, &app->taskStartTime);
  StepTaskTime(*app, -15);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  EXPECT_EQ(app->taskDeadline - ticks(app->taskStartTime), 405LL * 60 * 10000000);
  popup = CreateModelessDialog(kTimePopup, nullptr, TimePopupProc, 1);
  Tap(popup, kIdTimePlus);
  EXPECT_EQ(app->taskStartLocal.wMinute, 1);
  EXPECT_EQ(app->taskDeadline - ticks(app->taskStartTime), 405LL * 60 * 10000000);
  DestroyWindow(popup);
}

TEST_F(FlightDialogs, EtaPopupModesAndManualSpeed) {
  app->etaMode = 0;
  app->etaSpeed = 2.0 / 3.6;  // 2 km/h
  HWND popup = CreateModelessDialog(kEtaPopup, nullptr, EtaPopupProc, 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(popup, kIdEtaPlus)));
  Tap(popup, kIdEtaMc + 1);
  EXPECT_EQ(app->etaMode, 1);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(popup, kIdEtaPlus)));
  for (int i = 0; i < 3; ++i) Tap(popup, kIdEtaMinus);
  EXPECT_NEAR(app->etaSpeed * 3.6, 1.0, 1e-9);  // never below one km/h
  Tap(popup, kIdEtaPlus);
  EXPECT_NEAR(app->etaSpeed * 3.6, 2.0, 1e-9);
  Tap(popup, kIdEtaNone);
  EXPECT_EQ(app->etaMode, 5);
  DestroyWindow(popup);
  app->taskSpeedUnit = 8;  // mph
  app->etaSpeed = 10 / 2.237414543194531;
  StepManualEtaSpeed(*app, 1);
  EXPECT_NEAR(app->etaSpeed * 2.237414543194531, 11.0, 1e-9);
}

}  // namespace

namespace {

TEST_F(FlightDialogs, TaskStatusWithoutTaskPoints) {
  app->etaSpeed = 0;
  app->taskTimeMinutes = 0;
  // The refresh recomputes the task time texts, which take the ETA speed of the mode: with "MC"
  // the speed to fly.
  app->flight.stfSpeedNow = 25.0;
  HWND dialog = CreateModelessDialog(kTaskStatusDialog, nullptr, TaskStatusDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kIdTaskAction)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kIdStartTime)));
  EXPECT_EQ(Text(dialog, kIdEta), u"90.0 km/h ");
  EXPECT_EQ(Text(dialog, kIdTaskTime), u"TTime");
  EXPECT_EQ(Text(dialog, kIdEtaMode), u"MC");
  // The task-time button opens its pop-up; a second tap closes it.
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdTaskTime, BN_CLICKED), 0);
  HWND popup = FindWindowW(nullptr, u"Task Time");
  EXPECT_NE(popup, nullptr);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdTaskTime, BN_CLICKED), 0);
  EXPECT_FALSE(popup && IsWindow(popup));
  DestroyWindow(dialog);

  user.AnswerDialog({Click(kIdEtaMode), Key(0xC3)});
  ShowTaskStatusDialog(*app);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_TRUE(user.shown().back().scripted);
}

TEST_F(FlightDialogs, MacCreadySliderGeometry) {
  const McSlider s = McSliderLayout(RECT{0, 0, 234, 302}, false);
  EXPECT_EQ(s.bar.left, 174);
  EXPECT_EQ(s.bar.right, 229);
  EXPECT_EQ(s.bar.top, 60);
  EXPECT_EQ(s.step, 4);             // 182 pixels trimmed to 40 steps of 4
  EXPECT_EQ(s.bar.bottom, 220);
  EXPECT_DOUBLE_EQ(McSliderValue(s, 60), 4.0);
  EXPECT_DOUBLE_EQ(McSliderValue(s, 0), 4.0);     // kept within the bar
  EXPECT_DOUBLE_EQ(McSliderValue(s, 400), 0.0);
  EXPECT_DOUBLE_EQ(McSliderValue(s, 141), 2.0);   // snapped to the step at 140
  EXPECT_EQ(McSliderKnob(s, 1.0), 180);
  EXPECT_EQ(McSliderKnob(s, 9.0), 60);
  EXPECT_EQ(McSliderLayout(RECT{0, 0, 480, 600}, true).bar.left, 380);
}

}  // namespace
