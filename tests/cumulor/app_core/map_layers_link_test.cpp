// The map layers in the application: the trail dialog of command 40101, the record's targets
// renumbered after a user waypoint's removal, and the frame's label list filled from the objects
// in view.
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/map/layers/task_drag.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/data/trail/trail.h"
#include "platform/gdi/gdi.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

constexpr std::int32_t kDeg = 36000;

std::int32_t Waypoint(const char* name, const GeoPoint& at) {
  WaypointRecord r;
  r.position = at;
  r.flags = 1 | kWaypointFoundByName;
  const std::int32_t index = AddOrReplaceUserWaypoint(r, name);
  AeroTiles().AddItem(kTileUserWaypoints, at, static_cast<std::uint32_t>(index));
  return index;
}

class MapLayersLink : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ClearUserWaypoints();
    InstallMapLayerHooks(*app);
  }
  void TearDown() override {
    SetUserWaypointReferenceVisitor(nullptr);
    ClearUserWaypoints();
    BuildPointIndexes(0);
    TrailSetShowLine(true);
    AppTest::TearDown();
  }
};

TEST_F(MapLayersLink, CommandOpensTheTrailDialog) {
  using namespace ce::scripted::steps;
  TrailSetShowLine(true);
  ce::scripted::User::Get().AnswerDialog({Click(1327), Click(IDOK)});
  OnCommand(*app, 40101, 0);
  EXPECT_FALSE(TrailShowLine());
  EXPECT_EQ(app->dialogActive, 0);
  ASSERT_FALSE(ce::scripted::User::Get().shown().empty());
  EXPECT_EQ(ce::scripted::User::Get().shown().back().title, u"Trace");
}

TEST_F(MapLayersLink, TheRecordsTargetsFollowARemoval) {
  Waypoint("One", GeoPoint{11 * kDeg, 47 * kDeg});
  const std::int32_t two = Waypoint("Two", GeoPoint{11 * kDeg + 100, 47 * kDeg});
  const std::int32_t three = Waypoint("Three", GeoPoint{11 * kDeg + 200, 47 * kDeg});
  app->navTarget.kind = kPointUserWaypoint;
  app->navTarget.index = three;
  app->fileHomePoint.kind = kPointUserWaypoint;
  app->fileHomePoint.index = two;
  ASSERT_TRUE(RemoveUserWaypoint(two));
  EXPECT_EQ(app->navTarget.index, three - 1);
  EXPECT_EQ(app->fileHomePoint.kind, 0);
  EXPECT_FALSE(RemoveUserWaypoint(0));
  EXPECT_FALSE(RemoveUserWaypoint(UserWaypoints().records.Size()));
}

TEST_F(MapLayersLink, TheFrameFillsTheLabelListFromTheObjectsInView) {
  const GeoPoint centre{11 * kDeg, 47 * kDeg};
  const std::int32_t index = Waypoint("Hut", GeoPoint{centre.lon + 300, centre.lat + 300});
  BuildPointIndexes(0);
  ResetPointDisplayFlags();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 240, 320);
  HGDIOBJ old = SelectObject(dc, bitmap);
  MapSetScreenRect(app->map, RECT{0, 0, 240, 320});
  MapSetRegion(app->map, GeoRect{10 * kDeg, 48 * kDeg, 12 * kDeg, 46 * kDeg}, centre);
  app->zoomIndex = 4;
  MapSetScale(app->map, kZoomTable[4]);
  MapSetView(app->map, centre.lon, centre.lat, 0);
  app->mapCentre = centre;
  {
    std::lock_guard lock(app->gps.dataLock);  // the frame draws the map only with a valid fix
    app->gps.publishedStatus.positionValid = 1;
    app->gps.publishedStatus.position = centre;
  }
  app->map.dc = dc;
  UpdateOwnPosition(*app, app->map.view, true);
  PaintMapScreen(*app);
  bool found = false;
  for (const LabelEntry& e : FrameLabels().entries) found |= e.kind == kPointUserWaypoint && e.index == index;
  EXPECT_TRUE(found);
  EXPECT_EQ(FrameLabels().scale, kZoomTable[4]);
  app->map.dc = nullptr;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(MapLayersLink, ConeSettingsAreTheSettingsDocuments) {
  KeptSettings().coneEnabled = 1;
  KeptSettings().coneSerial = 17;
  EXPECT_TRUE(ConesEnabled());
  EXPECT_EQ(ConeSerial(), 17);
  ++ConeSerial();
  EXPECT_EQ(KeptSettings().coneSerial, 18);
  KeptSettings().coneEnabled = 0;
  EXPECT_FALSE(ConesEnabled());
  ResetKeptSettings();
}

}  // namespace
