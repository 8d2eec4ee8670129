// The default navigation target, and the data-file lists of the settings document read at start.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cumulor/app/base/xml_writer.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/data_reload.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/target_select.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/gps/gps_port.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

TaskPoint Point(std::int32_t kind, std::int32_t index) {
  TaskPoint p;
  p.kind = kind;
  p.index = index;
  return p;
}

class TargetSelect : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    AeroData().Clear();
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    UserWaypoints().countries.SetSize(0);
    for (GeoPoint at : {GeoPoint{}, GeoPoint{40000, 1700000}, GeoPoint{41000, 1701000}}) {
      WaypointRecord w;
      w.position = at;
      UserWaypoints().records.Append(w);
      UserWaypoints().names.Append(PointText{});
      UserWaypoints().countries.Append(PointText{});
    }
    TaskTargetsStore() = TaskTargets{};
  }
  void TearDown() override {
    AeroData().Clear();
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    UserWaypoints().countries.SetSize(0);
    TaskTargetsStore() = TaskTargets{};
    AppTest::TearDown();
  }
  // Airport 1 after the placeholder that clearing the tables leaves.
  void Airports() {
    AirportRecord a{};
    if (AeroData().airports.Empty()) AeroData().airports.Append(a);
    a.position = GeoPoint{-3500000, 1300000};
    AeroData().airports.Append(a);
  }
};

// The candidates in their order: each row makes the earlier ones unusable.
TEST_F(TargetSelect, TheFirstValidCandidateBecomesTheTarget) {
  struct Case {
    const char* what;
    std::function<void(AppContext&)> prepare;
    TaskPoint expected;
  };
  const Case cases[] = {
      {"a valid target stays",
       [](AppContext& a) {
         a.navTarget = Point(4, 2);
         ActiveTask().Append(Point(4, 1));
       },
       Point(4, 2)},
      {"first point of the active task",
       [](AppContext& a) {
         ActiveTask().Append(Point(4, 2));
         a.fileHomePoint = Point(4, 1);
       },
       Point(4, 2)},
      {"an invalid first task point gives way to the file home point",
       [](AppContext& a) {
         ActiveTask().Append(Point(4, 9));
         a.fileHomePoint = Point(4, 1);
         PreviousTarget() = Point(4, 2);
       },
       Point(4, 1)},
      {"previous target", [](AppContext&) { PreviousTarget() = Point(4, 2); }, Point(4, 2)},
      {"default home", [](AppContext&) { DefaultHome() = Point(4, 1); }, Point(4, 1)},
      {"airport 1 when nothing else is valid",
       [this](AppContext& a) {
         Airports();
         a.fileHomePoint = Point(1, 5);
       },
       Point(1, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app->navTarget = TaskPoint{};
    app->fileHomePoint = TaskPoint{};
    ActiveTask().SetSize(0);
    AeroData().Clear();
    TaskTargetsStore() = TaskTargets{};
    c.prepare(*app);
    SelectTargetPoint(*app);
    EXPECT_EQ(app->navTarget.kind, c.expected.kind);
    EXPECT_EQ(app->navTarget.index, c.expected.index);
    // A newly chosen target's position is the current target position.
    const GeoPoint at = PointRefRecordPosition(PointRef{c.expected.kind, c.expected.index});
    if (&c != &cases[0]) {
      EXPECT_EQ(Targets().current, at);
    }
  }
  // The invalid first task point emptied the active task.
  ActiveTask().SetSize(0);
  ActiveTask().Append(Point(4, 9));
  app->navTarget = TaskPoint{};
  SelectTargetPoint(*app);
  EXPECT_TRUE(ActiveTask().Empty());
}

TEST_F(TargetSelect, AirportOneBecomesTheDefaultHomeAndCarriesTheSimulatedGlider) {
  Airports();
  DefaultHome() = Point(4, 9);  // not valid: replaced
  app->simulator = 1;
  SelectTargetPoint(*app);
  EXPECT_EQ(app->navTarget.kind, kPointAirport);
  EXPECT_EQ(DefaultHome().kind, kPointAirport);
  EXPECT_EQ(DefaultHome().index, 1);
  const GeoPoint airport{-3500000, 1300000};
  EXPECT_EQ(GetGpsStatus(app->gps).position, airport);
  EXPECT_EQ(app->mapCentre, airport);

  // Outside the simulator the own position stays; a valid default home stays.
  app->simulator = 0;
  app->navTarget = TaskPoint{};
  SetGpsPosition(app->gps, GeoPoint{1, 2});
  DefaultHome() = Point(4, 1);
  UserWaypoints().records.SetSize(1);  // the default home is no longer valid ...
  SelectTargetPoint(*app);
  EXPECT_EQ(app->navTarget.kind, kPointAirport);
  EXPECT_EQ(DefaultHome().kind, kPointAirport);  // ... so airport 1 replaces it
  EXPECT_EQ(GetGpsStatus(app->gps).position, (GeoPoint{1, 2}));
}

TEST_F(TargetSelect, WithoutAnyAirportAnUnsetOwnPositionGoesToTheDefaultPlace) {
  SelectTargetPoint(*app);
  EXPECT_EQ(app->navTarget.kind, 0);
  EXPECT_EQ(GetGpsStatus(app->gps).position, kDefaultOwnPosition);
  EXPECT_EQ(app->mapCentre, kDefaultOwnPosition);
  EXPECT_EQ(kDefaultOwnPosition.lat, 1404000);
  EXPECT_EQ(kDefaultOwnPosition.lon, -4320000);

  // A position already set stays.
  const GeoPoint own{100, 200};
  SetGpsPosition(app->gps, own);
  app->mapCentre = own;
  SelectTargetPoint(*app);
  EXPECT_EQ(GetGpsStatus(app->gps).position, own);
  EXPECT_EQ(app->mapCentre, own);
}

// "Files" of the settings document in the data folder is applied at start; a desktop document
// never changes the lists; a missing document changes nothing.
TEST_F(TargetSelect, TheSettingsDocumentsFilesElementFillsTheLists) {
  for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
  const std::u16string path = app->dataFolder.Get() + u"\\KV_SETTINGS.xml";
  EXPECT_EQ(LoadSettingsFile(*app, path.c_str(), kSettingsMain), 2);

  DataFileEntry entry = NewDataFileEntry();
  SetEntryText(entry.name, u"alps.txt");
  SelectedDataFiles()[kFilesUserAirspace].selected.Append(entry);
  XmlNode top = XmlNode::ConstructTop();
  XmlNode* settings = top.AddChild("Settings");
  settings->AddChildString("CumulorVersion", "9.00b Ultra");
  SaveDataFileLists(*settings);
  ASSERT_EQ(XmlSaveFile(top, path.c_str(), nullptr), 1);

  SelectedDataFiles()[kFilesUserAirspace].selected.SetSize(0);
  ASSERT_EQ(LoadSettingsFile(*app, path.c_str(), kSettingsMain), 0);
  ASSERT_EQ(SelectedDataFiles()[kFilesUserAirspace].selected.Size(), 1);
  EXPECT_EQ(std::u16string(SelectedDataFiles()[kFilesUserAirspace].selected[0].name), u"alps.txt");
  EXPECT_EQ(GetDataFileFlag(kFilesUserAirspace), 1);

  SelectedDataFiles()[kFilesUserAirspace].selected.SetSize(0);
  ApplyFilesElement(*app, *settings->FindChild("Files"), kSettingsDesktop);
  EXPECT_TRUE(SelectedDataFiles()[kFilesUserAirspace].selected.Empty());
}

}  // namespace
