// Map symbols: rescaling, turning, the settings element "MapSymbols" and the dialog.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/map/symbols/map_symbols_dialog.h"
#include "cumulor/map/view/map_view.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/resources/resources.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

using ce::scripted::steps::Click;
using ce::scripted::steps::Key;
using ce::scripted::steps::Select;
using ce::scripted::steps::Track;

class MapSymbolsTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::scripted::User::Get().Reset();
    MapInit(view);
    MapSetScreenRect(view, RECT{0, 0, 240, 320});
    MapSymbolsInit(false);
    MapSymbolsAttachView(&view);
    MapSymbolsDialogReset();
  }
  void TearDown() override {
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    MapSymbolsAttachView(nullptr);
    MapSymbolsTerm();
    MapTerm(view);
    DeviceTest::TearDown();
  }
  static void UseDialogTemplate() {
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-mapsymbols.txt");
    ASSERT_TRUE(in) << "the resource text is missing";
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", text.str()), "");
  }
  static INT_PTR RunDialog() {
    return DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kMapSymbolsDialog), nullptr, MapSymbolsDialogProc, 0);
  }
  static std::vector<POINT> Scaled(int index) {
    MapSymbolTransform(index, 0.0, POINT{0, 0});
    std::int32_t n = 0;
    const POINT* p = MapSymbolScreenPoints(index, &n);
    return std::vector<POINT>(p, p + n);
  }
  MapView view;
};

TEST_F(MapSymbolsTest, RescalingRoundsHalfUpwardsAndNegativesTowardZero) {
  MapSymbolSetScale(1, 1.7);
  const std::vector<POINT> p = Scaled(1);
  ASSERT_EQ(p.size(), 15u);
  EXPECT_EQ(p[2].x, 12);   //  7 x 1.7 = 11.9
  EXPECT_EQ(p[13].x, -11);  // -7 x 1.7 = -11.9, toward zero
  EXPECT_EQ(p[3].x, 22);   // 13 x 1.7 = 22.1
  EXPECT_EQ(p[0].y, -10);  // -6 x 1.7 = -10.2
  // Turning: the final-glide line at 90 degrees points down from the place given.
  MapSymbolTransform(kFinalGlideSymbol, 90.0, POINT{10, 20});
  std::int32_t n = 0;
  const POINT* line = MapSymbolScreenPoints(kFinalGlideSymbol, &n);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(line[0].x, 10);
  EXPECT_EQ(line[0].y, 20);
  EXPECT_EQ(line[1].x, 10);
  EXPECT_EQ(line[1].y, 58);
  // High resolution: symbol 1 is the aircraft, scaled 2.53.
  MapSymbolsInit(true);
  EXPECT_EQ(MapSymbolCurrent(), 1);
  EXPECT_DOUBLE_EQ(MapSymbolScale(2), 3.0);
  EXPECT_EQ(Scaled(2)[0].y, -36);
  EXPECT_EQ(MapSymbolScreenPoints(7, &n), nullptr);
  EXPECT_EQ(n, 0);
}

std::string Serialise(const XmlNode& node) {
  std::string out = node.Name().CStr();
  for (std::int32_t i = 0; i < node.AttributeCount(); ++i)
    out += std::string(" ") + node.Attribute(i).name.CStr() + "=" + node.Attribute(i).value.CStr();
  out += "{";
  for (std::int32_t i = 0; i < node.ChildCount(); ++i) out += Serialise(*node.Child(i));
  return out + "}";
}

TEST_F(MapSymbolsTest, SettingsElementReadsBackUnchanged) {
  MapSymbolSetCurrent(2);
  MapSymbolSetScale(2, 1.43);
  MapSymbolSetPos(2, 0.8f);
  MapSymbolSetColour(1, 0x3366CC);
  MapSymbolSetScale(3, 2.63);
  XmlNode first("Top");
  MapSymbolsSave(first);
  const std::string written = Serialise(first);
  EXPECT_NE(written.find("Symbol nr=2{Scale Text=143{}Pos Text=80{}"), std::string::npos) << written;

  MapSymbolsInit(false);
  ASSERT_NE(first.FindChild("MapSymbols"), nullptr);
  MapSymbolsLoad(*first.FindChild("MapSymbols"));
  EXPECT_EQ(MapSymbolCurrent(), 2);
  EXPECT_FLOAT_EQ(view.centreFraction, 0.8f);  // the current symbol places the map centre
  XmlNode second("Top");
  MapSymbolsSave(second);
  EXPECT_EQ(Serialise(second), written);

  // The aircraft is drawn at 80 per cent of the height.
  MapSetRegion(view, GeoRect{0, 36000, 36000, 0}, GeoPoint{18000, 18000});
  MapSetScale(view, 10);
  MapSetView(view, 18000, 18000, 0);
  POINT centre{};
  MapWorldToScreen(view, centre, GeoPoint{18000, 18000});
  EXPECT_EQ(centre.y, 256);
}

// Sizes whose hundredfold lies just below a whole number in binary are written as that number, so
// that saving and reading do not shrink a symbol step by step.
TEST_F(MapSymbolsTest, SizesSurviveRepeatedSavesAndReads) {
  for (double scale : {1.14, 1.15, 0.29, 0.57, 2.03, 1.0 / 3}) {
    MapSymbolSetScale(1, scale);
    const double expected = std::trunc(scale * 100 + 1e-6) / 100;
    for (int round = 0; round < 3; ++round) {
      XmlNode root("Top");
      MapSymbolsSave(root);
      MapSymbolsLoad(*root.FindChild("MapSymbols"));
      EXPECT_DOUBLE_EQ(MapSymbolScale(1), expected) << scale << " round " << round;
    }
  }
}

TEST_F(MapSymbolsTest, ValuesOutsideTheirRangesAreIgnored) {
  XmlNode root("MapSymbols");
  root.AddChildInt("Plane", 3);
  XmlNode* list = root.AddChild("List");
  struct Entry {
    const char* nr;
    int scale, pos;
  } entries[] = {{"4", 200, 50}, {"-1", 200, 50}, {"1", 0, 150}, {"2", 5000, -3}, {"0", 150, 40}};
  for (const Entry& e : entries) {
    XmlNode* s = list->AddChild("Symbol");
    s->AddAttribute("nr", e.nr);
    s->AddChildInt("Scale", e.scale);
    s->AddChildInt("Pos", e.pos);
  }
  list->AddChild("Symbol")->AddChildInt("Scale", 300);  // without "nr": skipped
  MapSymbolsLoad(root);
  EXPECT_EQ(MapSymbolCurrent(), 0);
  EXPECT_DOUBLE_EQ(MapSymbolScale(1), 1.0);
  EXPECT_FLOAT_EQ(MapSymbolPos(1), 2.0f / 3.0f);
  EXPECT_DOUBLE_EQ(MapSymbolScale(2), 1.0);
  EXPECT_DOUBLE_EQ(MapSymbolScale(0), 1.5);
  EXPECT_FLOAT_EQ(MapSymbolPos(0), 0.4f);
  EXPECT_FLOAT_EQ(view.centreFraction, 0.4f);
  EXPECT_EQ(Scaled(0)[0].y, 18);  // 12 x 1.5
}

TEST_F(MapSymbolsTest, DialogTrackbarsApplyAtOnceAndCancelKeepsThem) {
  UseDialogTemplate();
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Track(kIdSymbolSize, 70), Track(kIdSymbolPosition, 80), Click(IDOK)});
  EXPECT_EQ(RunDialog(), 1);
  EXPECT_DOUBLE_EQ(MapSymbolScale(0), 3.0);
  EXPECT_FLOAT_EQ(MapSymbolPos(0), 0.8f);
  EXPECT_FLOAT_EQ(view.centreFraction, 0.8f);
  EXPECT_EQ(Scaled(0)[7].x, 45);  // 15 x 3

  // Position clamped to 4..96; Cancel ends with 0 and the changes stay.
  user.AnswerDialog({Track(kIdSymbolPosition, 100), Track(kIdSymbolSize, 10), Click(IDCANCEL)});
  EXPECT_EQ(RunDialog(), 0);
  EXPECT_FLOAT_EQ(MapSymbolPos(0), 0.96f);
  EXPECT_DOUBLE_EQ(MapSymbolScale(0), 1.0);

  // The colour chooser replaces the colour.
  user.AnswerColor(0x0000FF);
  user.AnswerDialog({Click(kIdSymbolColour), Click(kIdSymbolOkIcon)});
  EXPECT_EQ(RunDialog(), 1);
  EXPECT_EQ(MapSymbolColour(0), 0x0000FFu);

  // The hardware keys end it with 1.
  for (UINT key : {193u, 194u, 195u, 196u}) {
    user.AnswerDialog({Key(key)});
    EXPECT_EQ(RunDialog(), 1) << key;
  }
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted);
}

TEST_F(MapSymbolsTest, FinalGlideHidesThePositionAndKeepsTheAircraft) {
  UseDialogTemplate();
  MapSymbolSetCurrent(1);
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kMapSymbolsDialog), nullptr, MapSymbolsDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  HWND combo = GetDlgItem(dialog, kIdSymbolCombo);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, kIdSymbolPosition)));
  auto choose = [&](int item) {
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdSymbolCombo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  };
  choose(3);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kIdSymbolPosition)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kIdSymbolPositionLabel)));
  EXPECT_EQ(MapSymbolCurrent(), 1);
  EXPECT_EQ(SendDlgItemMessageW(dialog, kIdSymbolSize, TBM_GETPOS, 0, 0), 10);  // Scale 1.0
  choose(2);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, kIdSymbolPosition)));
  EXPECT_EQ(MapSymbolCurrent(), 2);
  EXPECT_EQ(SendDlgItemMessageW(dialog, kIdSymbolPosition, TBM_GETPOS, 0, 0), 66);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace cumulor
