// The data-file reload of command 40058 and the step after the first set-up of the data files:
// the user waypoints reloaded under the target, the thermal reload, the types without a reload,
// and what the set-up step does with and without data files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app_fixture.h"
#include "cumulor/app/core/data_reload.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/data/dialogs/data_file_chooser.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/nav/gps/gps_port.h"

namespace {

using namespace cumulor;

class DataReload : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) {
      SelectedDataFiles()[c].selected.SetSize(0);
      AvailableDataFiles()[c].SetSize(0);
    }
    SetDataFilesFolder(app->dataFolder.Get().c_str());
    AeroData().Clear();
    ClearUserWaypoints();
    TaskTargetsStore() = TaskTargets{};
  }
  void TearDown() override {
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
    ClearUserWaypoints();
    AeroData().Clear();
    TaskTargetsStore() = TaskTargets{};
    Targets() = TargetPositions{};
    AppTest::TearDown();
  }
  // A user-waypoint file in the data folder, selected in category 1.
  void WaypointFile(const char* name, const std::string& lines) {
    std::ofstream(device_folder() / "root" / name, std::ios::binary) << lines;
    DataFileEntry entry = NewDataFileEntry();
    std::u16string wide(name, name + std::char_traits<char>::length(name));
    SetEntryText(entry.name, wide.c_str());
    SelectedDataFiles()[kFilesUserWaypoints].selected.SetSize(0);
    SelectedDataFiles()[kFilesUserWaypoints].selected.Append(entry);
  }
  static std::string Name(std::int32_t index) { return UserWaypoints().names[index].text; }
  static std::vector<ce::scripted::Shown> Boxes() {
    std::vector<ce::scripted::Shown> out;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == ce::scripted::Kind::kDialog) out.push_back(s);
    return out;
  }
};

// A reload of category 1 while the target is a user waypoint clears the target (and the previous
// target) and chooses a new one: here the home point the new file marks.
TEST_F(DataReload, UserWaypointsReloadedUnderAUserWaypointTarget) {
  WaypointFile("wp.dat",
               "AAA,47:10.000N,011:20.000E,600,T,Alpha,\r\n"
               "BBB,47:12.000N,011:22.000E,700,T,Bravo,\r\n");
  RebuildUserWaypoints(*app);
  ASSERT_EQ(UserWaypoints().records.Size(), 3);
  TaskPoint target;
  target.kind = kPointUserWaypoint;
  target.index = 2;
  const GeoPoint at = PointRefPosition(target);
  SetNavigationTarget(*app, target, &at, 0);
  PreviousTarget() = target;
  PreviousTarget().index = 1;

  WaypointFile("wp.dat",
               "CCC,46:00.000N,010:00.000E,500,T,Charlie,\r\n"
               "HHH,46:30.000N,010:30.000E,500F,H,Home Field,\r\n"
               "XXX,91:00.000N,010:00.000E,0,T,Broken,\r\n");
  ReloadDataFiles(*app, 9 + kFilesUserWaypoints);
  ASSERT_EQ(UserWaypoints().records.Size(), 3);  // the broken line left out
  EXPECT_EQ(Name(1), "Charlie");
  EXPECT_EQ(app->fileHomePoint.kind, kPointUserWaypoint);
  EXPECT_EQ(app->fileHomePoint.index, 2);
  EXPECT_EQ(app->navTarget.kind, kPointUserWaypoint);
  EXPECT_EQ(app->navTarget.index, 2);  // chosen again: the file home point
  EXPECT_EQ(PreviousTarget().kind, 0);
  EXPECT_EQ(app->dialogActive, 0);

  // A target that is not a user waypoint stays through the reload.
  AirportRecord airport{};
  AeroData().airports.Append(airport);
  airport.position = GeoPoint{360000, 1692000};
  AeroData().airports.Append(airport);
  TaskPoint field;
  field.kind = kPointAirport;
  field.index = 1;
  SetNavigationTarget(*app, field, &airport.position, 0);
  ReloadDataFiles(*app, 9 + kFilesUserWaypoints);
  EXPECT_EQ(app->navTarget.kind, kPointAirport);
  EXPECT_EQ(app->navTarget.index, 1);
}

// Type 16 reloads the thermals without a chooser and shows them; 17 and beyond, and 8
// (languages after its chooser), reload nothing. Every type ends with DialogActive clear.
TEST_F(DataReload, ReloadTypes) {
  struct Case {
    LPARAM type;
    std::uint8_t hiddenAfter;
  };
  for (const Case c : {Case{16, 0}, Case{17, 1}, Case{40, 1}, Case{-1, 1}}) {
    SCOPED_TRACE(c.type);
    app->thermalsHidden = 1;
    app->dialogActive = 1;
    ReloadDataFiles(*app, c.type);
    EXPECT_EQ(app->thermalsHidden, c.hiddenAfter);
    EXPECT_EQ(app->dialogActive, 0);
  }
  EXPECT_TRUE(Boxes().empty());
}

// A record that installed the chooser's hooks is freed and a new one built, as a second run of
// the program in one process does; a chooser run then (the polar's "New") reaches no freed record.
TEST_F(DataReload, ChooserAfterTheRecordThatInstalledItsHooksWasFreed) {
  InstallDataFileChooserHooks(*app);
  AppContextFree(app);
  AppRecord() = nullptr;
  delete app;
  app = new AppContext;
  AppContextInit(app, 0, 0);
  AppRecord() = app;

  ce::scripted::User::Get().AnswerDialog({ce::scripted::steps::End(0)});
  EXPECT_EQ(ShowDataFileChooser(kFilesPolar), 0);
  EXPECT_EQ(app->dialogActive, 0);
}

// The set-up step: without any data file the message names the data folder; with a user-waypoint
// file the waypoints are read; the polar of an empty category is named "Default".
TEST_F(DataReload, SetupFinished) {
  SetupFinished(*app);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  bool named = false;
  for (const auto& t : boxes[0].texts)
    if (t.find(u"Setup OK. Now copy Airport *.ka1 and Map *.kv3 files to") != std::u16string::npos) named = true;
  EXPECT_TRUE(named);
  ASSERT_NE(GetDataFileEntry(kFilesPolar), nullptr);
  EXPECT_EQ(std::u16string(GetDataFileEntry(kFilesPolar)), u"Default");

  // A database file found but none selected: the database chooser instead of the message.
  ce::scripted::User::Get().Reset();
  DataFileEntry found = NewDataFileEntry();
  SetEntryText(found.name, u"alps.ka1");
  AvailableDataFiles()[kFilesAviationDb].Append(found);
  SetupFinished(*app);
  const auto chooser = Boxes();
  ASSERT_EQ(chooser.size(), 1u);
  for (const auto& t : chooser[0].texts) EXPECT_EQ(t.find(u"Setup OK"), std::u16string::npos);
  AvailableDataFiles()[kFilesAviationDb].SetSize(0);

  ce::scripted::User::Get().Reset();
  WaypointFile("mine.dat", "AAA,47:10.000N,011:20.000E,600,T,Alpha,\r\n");
  SetupFinished(*app);
  EXPECT_TRUE(Boxes().empty());
  ASSERT_EQ(UserWaypoints().records.Size(), 2);
  EXPECT_EQ(Name(1), "Alpha");

  // An install document's files are announced once each, by name.
  ce::scripted::User::Get().Reset();
  XmlNode files("Files");
  XmlNode* list = files.AddChild("UserAirspace");
  list->AddChildString("File1", "alps.txt");
  ApplyFilesElement(*app, files, 4);
  bool announced = false;
  for (const auto& box : Boxes())
    for (const auto& t : box.texts) {
      EXPECT_EQ(t.find(u"Installing Installing"), std::u16string::npos);
      if (t == u"Installing alps.txt") announced = true;
    }
  EXPECT_TRUE(announced);
}

// The database reloaded without a chooser: in the simulator the glider goes near the home airport
// (15 north, 3 west, 1000 m above it) and a target is chosen; with no database selected the
// active task goes.
TEST_F(DataReload, AviationDataReloadedInTheSimulator) {
  ASSERT_TRUE(cumulor_test::WriteGeneratedKa1(device_folder() / "root" / "alps.ka1",
                                              "region Austria||AT|2\nairport LOWI|40000|1700000|1906|0|Innsbruck||\n"));
  DataFileEntry file = NewDataFileEntry();
  SetEntryText(file.name, u"alps.ka1");
  SelectedDataFiles()[kFilesAviationDb].selected.Append(file);
  DataFileEntry country = NewDataFileEntry();
  SetEntryText(country.name, u"Austria");
  SelectedDataFiles()[kFilesCountries].selected.Append(country);
  app->simulator = 1;
  HomePoint().kind = kPointAirport;
  HomePoint().index = 1;
  DefaultHome() = HomePoint();  // the target chosen after the reload (airport 1 would carry the glider)

  ReloadDataFiles(*app, 9 + kFilesAviationDb);
  ASSERT_EQ(AeroData().airports.Size(), 2);
  const GpsStatus status = GetGpsStatus(app->gps);
  EXPECT_EQ(status.position, (GeoPoint{40000 - 3, 1700000 + 15}));
  EXPECT_EQ(status.altitude, 580 + 1000);  // 1906 ft
  EXPECT_EQ(app->navTarget.kind, kPointAirport);
  EXPECT_EQ(app->dialogActive, 0);

  TaskPoint point;
  point.kind = kPointAirport;
  point.index = 1;
  ActiveTask().Append(point);
  SelectedDataFiles()[kFilesAviationDb].selected.SetSize(0);
  ReloadDataFiles(*app, 9 + kFilesCountries);
  EXPECT_TRUE(ActiveTask().Empty());
  AeroData().selectedRegions.SetSize(0);
}

}  // namespace
