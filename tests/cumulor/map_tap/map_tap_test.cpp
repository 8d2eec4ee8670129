// The tap-mode chooser under the scripted user and the tap action on a label list: the tap near
// the aircraft, go-to without a labelled airport, "+Task" for airports and user waypoints, and the
// chooser as a picture (map_tap_chooser.png).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/tap/map_tap.h"
#include "platform/display/display.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

using namespace ce::scripted::steps;

class MapTapTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-maptap.txt");
    ASSERT_TRUE(in);
    std::stringstream s;
    s << in.rdbuf();
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", s.str(), {}), "");
    ce::scripted::User::Get().Reset();
    MapTap() = MapTapState{};
    MapTapHooks hooks;
    hooks.labels = [this] { return &labels; };
    hooks.createWaypoint = [this](const GeoPoint& at) { calls.push_back("create " + std::to_string(at.lon)); };
    hooks.selectAirspace = [this](const GeoPoint&) { calls.push_back("airspace"); };
    hooks.gotoPoint = [this](const TaskPoint& p) { calls.push_back("goto " + std::to_string(p.index)); };
    hooks.insertIntoTask = [this](const TaskPoint& p) { calls.push_back("insert " + std::to_string(p.index)); };
    hooks.openBrowser = [this](const TaskPoint& p) { calls.push_back("browser " + std::to_string(p.index)); };
    SetMapTapHooks(hooks);
  }
  void TearDown() override {
    SetMapTapHooks({});
    MapTap() = MapTapState{};
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  void AddLabel(std::int32_t kind, std::int32_t index, int x, int y) {
    LabelEntry e;
    e.kind = kind;
    e.index = index;
    e.rect = RECT{x, y, x + 30, y + 10};
    labels.entries.Append(e);
  }
  void Arm(int mode, int type) {
    MapTap().mode = mode;
    MapTap().pointType = type;
    MapTap().armed = 1;
  }
  LabelList labels;
  std::vector<std::string> calls;
};

TEST_F(MapTapTest, ChooserArmsTheActionAndThePointType) {
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(kIdTapAirport + 1), Click(kIdTapCreate + 2)});
  EXPECT_EQ(RunDialog(kTapChooserDialog, nullptr, TapChooserProc, 0), 1);
  EXPECT_EQ(MapTap().armed, 1);
  EXPECT_EQ(MapTap().mode, kTapAddToTask);
  EXPECT_EQ(MapTap().pointType, 1);
  EXPECT_EQ(GetTapModeValue(), RGB(128, 128, 128));

  // The hidden point types cannot be chosen; cancel disarms.
  user.AnswerDialog({Click(kIdTapIntersection), Click(IDCANCEL)});
  EXPECT_EQ(RunDialog(kTapChooserDialog, nullptr, TapChooserProc, 0), 1);
  EXPECT_EQ(MapTap().armed, 0);
  EXPECT_EQ(MapTap().pointType, 1);
  EXPECT_EQ(GetTapModeValue(), 0u);
  user.AnswerDialog({Click(kIdTapAirport), Click(kIdTapInfo)});
  RunDialog(kTapChooserDialog, nullptr, TapChooserProc, 0);
  EXPECT_EQ(GetTapModeValue(), 0x00C4FFu);
}

TEST_F(MapTapTest, TapActions) {
  const POINT glider{120, 200};
  // 19 pixels from the aircraft: disarmed, nothing done.
  Arm(kTapCreate, 0);
  MapTapAction(POINT{120, 181}, glider, GeoPoint{7, 8});
  EXPECT_EQ(MapTap().armed, 0);
  EXPECT_TRUE(calls.empty());
  // 20 pixels: done.
  Arm(kTapCreate, 0);
  MapTapAction(POINT{120, 180}, glider, GeoPoint{7, 8});
  EXPECT_EQ(calls, std::vector<std::string>{"create 7"});

  // Go-to with no labelled airport does nothing, even with user waypoints labelled.
  calls.clear();
  AddLabel(kPointUserWaypoint, 4, 10, 10);
  Arm(kTapGoto, 0);
  MapTapAction(POINT{10, 10}, glider, GeoPoint{});
  EXPECT_TRUE(calls.empty());
  AddLabel(kPointAirport, 9, 50, 50);
  AddLabel(kPointAirport, 3, 200, 20);
  Arm(kTapGoto, 0);
  MapTapAction(POINT{60, 55}, glider, GeoPoint{});
  EXPECT_EQ(calls, std::vector<std::string>{"goto 9"});

  // "+Task": the browser opens afterwards for an airport only.
  calls.clear();
  Arm(kTapAddToTask, 1);
  MapTapAction(POINT{12, 12}, glider, GeoPoint{});
  Arm(kTapAddToTask, 0);
  MapTapAction(POINT{190, 20}, glider, GeoPoint{});
  EXPECT_EQ(calls, (std::vector<std::string>{"insert 4", "insert 3", "browser 3"}));

  // Information opens the browser; airspace asks for the position; other point types do nothing.
  calls.clear();
  Arm(kTapInfo, 1);
  MapTapAction(POINT{12, 12}, glider, GeoPoint{});
  Arm(kTapAirspace, 0);
  MapTapAction(POINT{12, 12}, glider, GeoPoint{});
  Arm(kTapInfo, 4);
  MapTapAction(POINT{12, 12}, glider, GeoPoint{});
  EXPECT_EQ(calls, (std::vector<std::string>{"browser 4", "airspace"}));
}

TEST_F(MapTapTest, ChooserAsPictures) {
  for (const ce::display::ScreenSize size : {ce::display::kPortrait, ce::display::kVga}) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    HWND dialog = CreateModelessDialog(kTapChooserDialog, nullptr, TapChooserProc, 0);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    RECT r{};
    GetWindowRect(dialog, &r);
    EXPECT_LE(r.bottom, size.height);
    EXPECT_TRUE(ce::display::SaveScreenshot(
        "map_tap_chooser_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".png", &r));
    DestroyWindow(dialog);
  }
  ce::display::SetScreenSize(ce::display::kPortrait);
}

}  // namespace
}  // namespace cumulor
