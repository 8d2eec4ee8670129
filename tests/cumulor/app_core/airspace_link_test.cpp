// Airspace alarms through the new-fix handling: the five-fix cycle, the alarm dialog with its
// switch-off buttons, and the database airspace alarm once per new index.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cumulor/app/core/airspace_link.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/data/aero/ka1_reader.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/data/dialogs/airspace_dialogs.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/ui/dialog_run.h"
#include "platform/display/display.h"
#include "platform/time/time.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/app/core/aviation_reload.h"
#include "cumulor/data/files/data_files.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/cumulor/nav_gps/nmea_test_util.h"
#include "cumulor/nav/gps/gps_input.h"
#include "tools/ka1gen/ka1_writer.h"

namespace {

using namespace cumulor;
using namespace ce::scripted::steps;

constexpr GeoPoint kNear{11 * 36000 + 1800, 47 * 36000 - 65};   // 200 m south of the square
constexpr GeoPoint kFar{12 * 36000, 46 * 36000};

class AirspaceFixes : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::ofstream(device_folder() / "root" / "air.txt")
        << "AC R\nAN NEAR ME\nAL SFC\nAH FL100\nDP 47:00:00 N 011:00:00 E\nDP 47:06:00 N 011:00:00 E\n"
           "DP 47:06:00 N 011:06:00 E\nDP 47:00:00 N 011:06:00 E\n";
    InstallAirspaceUi(*app);
    app->firstFixAwaited = 0;  // the first fix would restore the region and reload the airspace
    AirspaceLoadFiles(app->airspace, {u"\\air.txt"});
    app->suaDistX = 500;
    app->suaDistY = 300;
    SetFlightParameter(app->flight, kParamAltitude, 900, 1);   // about 2950 ft
    SetFlightParameter(app->flight, kParamAltimeter, 900, 1);
  }
  // Five fixes at the position: one whole cycle, so one file test.
  void Cycle(const GeoPoint& at) {
    GpsStatus fix;
    fix.positionValid = 1;
    fix.position = at;
    fix.altitude = 900;
    for (int i = 0; i < 5; ++i) OnGpsUpdate(*app, &fix, S_OK);
  }
  static std::vector<ce::scripted::Shown> Dialogs() {
    std::vector<ce::scripted::Shown> out;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == ce::scripted::Kind::kDialog) out.push_back(s);
    return out;
  }
  static int Count(const std::u16string& name) {
    int n = 0;
    for (const auto& e : ce::sound::RecordedEffects())
      if (e.text.size() >= name.size() && e.text.compare(e.text.size() - name.size(), name.size(), name) == 0) ++n;
    return n;
  }
};

TEST_F(AirspaceFixes, OneAlarmOnApproachAgainAfterLeavingAndThreeMinutesOff) {
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(193)});
  ASSERT_EQ(app->airspace.group[kGroupRestricted].shapes.size(), 1u);
  Cycle(kNear);
  std::vector<ce::scripted::Shown> dialogs = Dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].title, u"Airspace Alarm");
  auto shows = [&](const std::u16string& text) {
    for (const std::u16string& t : dialogs[0].texts)
      if (t == text) return true;
    return false;
  };
  for (const char16_t* text : {u"NEAR ME", u"Restricted", u"200", u"SFC", u"FL100", u"At SUA Altitude", u"2952 ft"})
    EXPECT_TRUE(shows(text)) << std::string(text, text + std::char_traits<char16_t>::length(text));
  EXPECT_EQ(Count(u"Alarm4.wav"), 1);
  EXPECT_EQ(Count(u"sua.wav"), 1);

  Cycle(kNear);
  EXPECT_EQ(Dialogs().size(), 1u);
  Cycle(kFar);
  user.AnswerDialog({Click(1460)});   // "3 min"
  Cycle(kNear);
  EXPECT_EQ(Dialogs().size(), 2u);
  Cycle(kNear);
  EXPECT_EQ(Dialogs().size(), 2u);
  AdvanceClock(180000);
  user.AnswerDialog({Click(193)});
  Cycle(kNear);
  EXPECT_EQ(Dialogs().size(), 3u);
}

// Flight-level limits are tested against the fix's pressure altitude (a PGRMZ sentence), or
// without one against the GPS altitude less the QNH offset; the altimeter setting of the wind
// and altimeter dialog plays no part.
TEST_F(AirspaceFixes, FlightLevelLimitsUseTheFixsPressureAltitude) {
  std::ofstream(device_folder() / "root" / "fl.txt")
      << "AC R\nAN LEVELS\nAL FL65\nAH FL100\nDP 47:00:00 N 011:00:00 E\nDP 47:06:00 N 011:00:00 E\n"
         "DP 47:06:00 N 011:06:00 E\nDP 47:00:00 N 011:06:00 E\n";
  AirspaceLoadFiles(app->airspace, {u"\\fl.txt"});
  SetFlightParameter(app->flight, kParamAltimeter, 0, 1);  // as in flight: the dialog was not used
  ce::scripted::User::Get().AnswerDialog({Click(193)});
  struct Case {
    const char* what;
    int pgrmzFeet;  // 0: no pressure sentence
    std::int32_t gpsMetres, qnhOffset;
    bool alarm;
  } cases[] = {
      {"gps only, below the floor after the QNH offset", 0, 2134, 700, false},
      {"gps only, inside", 0, 2134, 0, true},
      {"pressure 5000 ft, below FL65", 5000, 2134, 0, false},
      {"pressure 7000 ft, inside", 7000, 1000, 0, true},
      {"pressure 11500 ft, above FL100", 11500, 2134, 0, false},
  };
  std::size_t alarms = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GpsStatus status;
    if (c.pgrmzFeet > 0) {
      gps_test::SetLine(app->gps, gps_test::WithChecksum("$PGRMZ," + std::to_string(c.pgrmzFeet) + ",f,3"));
      DispatchSentence(app->gps);
      PublishStatus(app->gps);
      status = GetGpsStatus(app->gps);
    } else {
      app->gps.status = GpsStatus{};
      PublishStatus(app->gps);
      status.altitude = c.gpsMetres;
    }
    SetFlightParameter(app->flight, kParamQnhOffset, c.qnhOffset, 1);
    status.positionValid = 1;
    status.position = kFar;
    for (int i = 0; i < 5; ++i) OnGpsUpdate(*app, &status, S_OK);  // away: the next approach alarms again
    status.position = kNear;
    for (int i = 0; i < 5; ++i) OnGpsUpdate(*app, &status, S_OK);
    const std::vector<ce::scripted::Shown> dialogs = Dialogs();
    ASSERT_EQ(dialogs.size(), alarms + (c.alarm ? 1 : 0));
    if (!c.alarm) continue;
    ++alarms;
    std::u16string level;
    for (const std::u16string& t : dialogs.back().texts)
      if (t.rfind(u"FL ", 0) == 0) level = t;
    EXPECT_TRUE(level == u"FL 69.9" || level == u"FL 70.0") << std::string(level.begin(), level.end());
    ce::scripted::User::Get().AnswerDialog({Click(193)});
  }
}

// The start-up and the first fix each set the map region: the airspace files (and their syntax
// error boxes) are read again only when the files changed.
TEST_F(AirspaceFixes, TheAirspaceFilesAreReadAgainOnlyWhenTheyChanged) {
  const auto file = device_folder() / "root" / "bad.txt";
  std::ofstream(file) << "AC R\nAN BAD\nDQ 1\n";
  DataFileEntry entry = NewDataFileEntry();
  SetEntryText(entry.name, u"bad.txt");
  SetEntryText(entry.folder, u"\\");
  PathList& selected = SelectedDataFiles()[kFilesUserAirspace].selected;
  selected.SetSize(0);
  ASSERT_EQ(selected.Append(entry), S_OK);
  auto boxes = [] {
    std::size_t n = 0;
    for (const auto& shown : ce::scripted::User::Get().shown()) n += shown.kind == ce::scripted::Kind::kBox;
    return n;
  };
  const std::size_t before = boxes();
  AirspaceLoadAll(app->airspace);  // the settings document's file list
  SetMapRegion(*app, GeoRect{10 * 36000, 48 * 36000, 12 * 36000, 46 * 36000});  // start-up
  SetMapRegion(*app, GeoRect{10 * 36000 + 600, 48 * 36000, 12 * 36000, 46 * 36000});  // first fix
  EXPECT_EQ(boxes(), before + 1);
  std::ofstream(file) << "AC R\nAN STILL BAD\nDQ 2\n";
  SetMapRegion(*app, GeoRect{10 * 36000, 48 * 36000, 12 * 36000, 46 * 36000});
  EXPECT_EQ(boxes(), before + 2);
  selected.SetSize(0);
}

// The beeps of the five-fix cycle: a play of "MenuPop.wav" only when the nearest warned airspace's
// score is strictly below the threshold.
TEST_F(AirspaceFixes, ProximityBeepsOnlyStrictlyBelowEachThreshold) {
  ce::scripted::User::Get().AnswerDialog({Click(193)});
  Cycle(kNear);  // the alarm makes the airspace the warned one
  const std::optional<AirspaceWarning> near = AirspaceNearest(app->airspace, nullptr);
  ASSERT_TRUE(near.has_value());
  const float score = near->proximity;
  app->airspace.proximityBeeps = 1;
  struct Case {
    float audio1, audio2, audio3;
    int beeps;
  };
  const float above = score + 0.5f;
  const Case cases[] = {
      {score, score, score, 0},    // equal to every threshold: no beep
      {above, score, score, 1},
  };  // more beeps wait 5 ms between plays, which the test's manual clock never lets pass
  for (const Case& c : cases) {
    SCOPED_TRACE(c.beeps);
    app->suaAudio[0] = c.audio1;
    app->suaAudio[1] = c.audio2;
    app->suaAudio[2] = c.audio3;
    ce::sound::ClearRecordedEffects();
    ce::scripted::User::Get().AnswerDialog({Click(193)});
    Cycle(kNear);
    EXPECT_EQ(Count(u"MenuPop.wav"), c.beeps);
  }
}

TEST_F(AirspaceFixes, ADatabaseAirspaceFromAGeneratedFileAlarmsOncePerNewIndex) {
  // Two restricted database airspaces (MSL 0 to FL95), around kNear and 0.5 degree east of it.
  const auto box = [](std::int32_t lon, std::int32_t lat) {
    const std::string w = std::to_string(lon - 900), e = std::to_string(lon + 900);
    const std::string s = std::to_string(lat - 900), n = std::to_string(lat + 900);
    return w + "|" + n + "|" + e + "|" + s + "|" + w + "," + s + ";" + e + "," + s + ";" + std::to_string(lon) + "," + n;
  };
  const GeoPoint east{kNear.lon + 18000, kNear.lat};
  std::vector<ka1gen::File> files;
  std::string error;
  ASSERT_TRUE(ka1gen::ParseDescription("region Austria||AT|2\nuses 1\nuses 2\n"
                                       "airspace 1|12|ED-R1|RANGE|" + box(kNear.lon, kNear.lat) + "\n" +
                                       "airspace 2|12|ED-R2|EAST|" + box(east.lon, east.lat) + "\n",
                                       files, error))
      << error;
  const std::vector<std::uint8_t> bytes = ka1gen::WriteKa1(files[0]);
  std::filesystem::create_directories(device_folder() / "root" / "Aero");
  std::ofstream(device_folder() / "root" / "Aero" / "air.ka1", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  SetDataFilesFolder(u"\\Aero");
  DataFileEntry file = NewDataFileEntry();
  SetEntryText(file.name, u"air.ka1");
  SelectedDataFiles()[kFilesAviationDb].selected.Append(file);
  DataFileEntry country = NewDataFileEntry();
  SetEntryText(country.name, u"Austria");
  SelectedDataFiles()[kFilesCountries].selected.Append(country);
  OnCommand(*app, kCmdReloadAviationData, 100);
  ASSERT_EQ(AeroData().airspaces.size(), 2u);

  app->airspace.showAeroAirspace = 1;
  ce::scripted::User::Get().AnswerDialog({Click(193)});   // the file airspace near kNear
  Cycle(kNear);
  EXPECT_EQ(AeroAirspaceState().lastAlarm.load(), 0);
  const int first = Count(u"Alarm4.wav");   // the file alarm and the database alarm
  EXPECT_EQ(first, 2);
  Cycle(kNear);
  Cycle(kNear);
  EXPECT_EQ(Count(u"Alarm4.wav"), first);
  Cycle(east);
  EXPECT_EQ(AeroAirspaceState().lastAlarm.load(), 1);
  EXPECT_EQ(Count(u"Alarm4.wav"), first + 1);
  // A reload forgets the indexes, so the same airspace alarms again.
  OnCommand(*app, kCmdReloadAviationData, 100);
  EXPECT_EQ(AeroAirspaceState().lastAlarm.load(), -1);
  EXPECT_EQ(AeroAirspaceState().shown.load(), -1);
  Cycle(east);
  EXPECT_EQ(Count(u"Alarm4.wav"), first + 2);
  TileCache tiles;
  AeroDbClear(AeroData(), tiles);
  SelectedDataFiles()[kFilesAviationDb].selected.SetSize(0);
  SelectedDataFiles()[kFilesCountries].selected.SetSize(0);
}

TEST_F(AirspaceFixes, TheDisabledListEnablesAndTheExportAndAltitudeDialogsAnswer) {
  std::ofstream(device_folder() / "root" / "air.txt", std::ios::app)
      << "AC Q\nAN DANGER\nDP 46:00:00 N 011:00:00 E\nDP 46:06:00 N 011:00:00 E\nDP 46:06:00 N 011:06:00 E\n";
  AirspaceLoadFiles(app->airspace, {u"\\air.txt"});
  const std::uint32_t load = app->airspace.loadNumber;
  ASSERT_TRUE(AirspaceSwitchOff(app->airspace, {load, kGroupRestricted, 0, 1}, kAirspaceOffForTheDay));
  ASSERT_TRUE(AirspaceSwitchOff(app->airspace, {load, kGroupDanger, 0, 2}, GetTickCount() + kSwitchOffMinutes));
  app->airspace.disabled.Append(1);
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Select(1234, 0), Click(1233), Click(1)});
  OnCommand(*app, MAKEWPARAM(40057, 0), 0);
  EXPECT_EQ(app->airspace.group[kGroupRestricted].shapes[0].switchedOffUntil, 0u);
  EXPECT_NE(app->airspace.group[kGroupDanger].shapes[0].switchedOffUntil, 0u);
  EXPECT_EQ(app->airspace.disabled.Size(), 0);
  EXPECT_EQ(AirspaceExpireDisabled(app->airspace), 1);

  user.AnswerDialog({Click(1000), Click(1355)});
  OnCommand(*app, MAKEWPARAM(40162, 0), 0);
  EXPECT_TRUE(std::filesystem::exists(device_folder() / "root" / "KV_Export.txt"));

  user.AnswerDialog({Click(2)});
  EXPECT_EQ(RunDialog(kAltitudeWarningDialog, nullptr, AltitudeWarningDlgProc,
                      reinterpret_cast<LPARAM>(u"You are at: 1200 m\nAltitude Limit On Task is: 1000 m")),
            2);
  const std::vector<ce::scripted::Shown> dialogs = Dialogs();
  ASSERT_FALSE(dialogs.empty());
  const std::vector<std::u16string>& texts = dialogs.back().texts;
  EXPECT_NE(std::find(texts.begin(), texts.end(), u"You are at: 1200 m"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), u"Altitude Limit On Task is: 1000 m"), texts.end());
}

// Saves the alarm dialog as a picture in the test's folder ("airspace_alarm_dialog.png") for a
// person to look at: its texts must fit their controls.
TEST_F(AirspaceFixes, TheAlarmDialogShowsItsTexts) {
  AirspaceAlarmDialogArgs args;
  args.module = &app->airspace;
  const char16_t name[] = u"LONDON CTR", group[] = u"Class Ctr", floor[] = u"SFC", ceiling[] = u"2500 ft";
  std::copy(std::begin(name), std::end(name), args.alarm.name);
  std::copy(std::begin(group), std::end(group), args.alarm.groupName);
  std::copy(std::begin(floor), std::end(floor), args.alarm.floorText);
  std::copy(std::begin(ceiling), std::end(ceiling), args.alarm.ceilingText);
  args.alarm.horizontalDistance = 200;
  args.alarm.verticalDistance = -500;
  args.alarm.altitude = 2952;
  args.alarm.pressureAltitude = 3012;
  HWND dialog = CreateModelessDialog(kAirspaceAlarmDialog, nullptr, AirspaceAlarmDialogProc, reinterpret_cast<LPARAM>(&args));
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  RECT r{};
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_TRUE(ce::display::SaveScreenshot("airspace_alarm_dialog.png", &r));
  WCHAR text[64] = {};
  GetDlgItemTextW(dialog, 1225, text, 64);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), u"500ft (152m) Below");
  GetDlgItemTextW(dialog, 1232, text, 64);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), u"FL 30.1");
  DestroyWindow(dialog);
}

}  // namespace
