// A map over a memory bitmap around Innsbruck, the map layers' resources (dialogs 161 and 191,
// images 200 and 210) and helpers that fill the point stores.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor::testing {

inline constexpr std::int32_t kDeg = 36000;
inline const GeoRect kRegion{5 * kDeg, 48 * kDeg, 17 * kDeg, 45 * kDeg};
inline const GeoPoint kCentre{11 * kDeg + 24000, 47 * kDeg + 9600};

inline GeoPoint At(std::int32_t east, std::int32_t north) { return GeoPoint{kCentre.lon + east, kCentre.lat + north}; }

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LayersTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    const std::string dir = CUMULOR_RES_DIR;
    std::string text;
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const char* name : {"/dialog-maplayers.txt", "/icons-trail.txt"}) {
      std::ifstream in(dir + name);
      ASSERT_TRUE(in) << name;
      std::stringstream s;
      s << in.rdbuf();
      text += s.str() + "\n";
    }
    for (const char* image : {"icons/task/200.png", "icons/trail/210.png"}) {
      files[image] = ReadBytes(dir + "/" + image);
      ASSERT_FALSE(files[image].empty()) << image;
    }
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", text, files), "");
    ce::scripted::User::Get().Reset();
    ResetStores();
    view = std::make_unique<MapView>();
    MapInit(*view);
  }
  void TearDown() override {
    CloseCanvas();
    MapTerm(*view);
    ResetStores();
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  static void ResetStores() {
    for (auto& slot : Tasks().slot) slot.SetSize(0);
    TaskTargetsStore() = TaskTargets{};
    ClearUserWaypoints();
    AeroData().Clear();
    AeroTiles().ListsClear(5);
  }
  // A white screen of width x height, the view at `scale` centred on kCentre.
  void Open(int width, int height, std::int32_t scale) {
    CloseCanvas();
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, width, height);
    oldBitmap = SelectObject(dc, bitmap);
    const bool large = width > 240 && height > 320;
    MapSetScreenRect(*view, RECT{0, 0, width, height});
    MapSetStyle(*view, scale < 200, 1, scale < 51, 8, u"m", large ? 1 : 0, 1);
    MapSetRegion(*view, kRegion, kCentre);
    MapSetScale(*view, scale);
    MapSetView(*view, kCentre.lon, kCentre.lat, 0);
    view->dc = dc;
    MapFillBackground(*view, dc);
  }
  void CloseCanvas() {
    if (!dc) return;
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    dc = nullptr;
  }
  COLORREF Pixel(int x, int y) const { return ce::gdi::BitmapPixel(bitmap, x, y); }

  // A user waypoint; its index.
  static std::int32_t AddWaypoint(const char* name, const GeoPoint& at, std::uint32_t flags = 1) {
    WaypointRecord r;
    r.position = at;
    r.flags = flags | kWaypointFoundByName;
    std::strncpy(r.code, name, 5);
    const std::int32_t index = AddOrReplaceUserWaypoint(r, name);
    AeroTiles().AddItem(kTileUserWaypoints, at, static_cast<std::uint32_t>(index));
    return index;
  }
  // An airport with its name; its index.
  static std::int32_t AddAirport(const char* name, const char* code, const GeoPoint& at, std::int16_t feet) {
    AeroTables& t = AeroData();
    AirportRecord a{};
    a.position = at;
    std::strncpy(a.code, code, 6);
    a.elevation = feet;
    t.airports.Append(a);
    char* text = new char[std::strlen(name) + 1];
    std::strcpy(text, name);
    t.airportNames.Append(text);
    t.nearNames.Append(nullptr);
    return t.airports.Size() - 1;
  }
  static TaskPoint Ref(std::int32_t kind, std::int32_t index) {
    TaskPoint p;
    p.kind = kind;
    p.index = index;
    const GeoPoint at = PointRefRecordPosition(PointRef{kind, index});
    p.lon = at.lon;
    p.lat = at.lat;
    return p;
  }

  std::unique_ptr<MapView> view;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
};

}  // namespace cumulor::testing
