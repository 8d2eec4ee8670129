// The terrain colour dialog (155) and the settings element "Contours": the dialog's changes reach
// the store's colouring, redraw the map at once, stay within the 40 terrain slots, and come back
// from the element as the dialog left them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/vector/contour_settings.h"
#include "cumulor/data/vector/vector_store.h"
#include "cumulor/map/vector_draw/terrain_colour_dialog.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/resources/resource_set.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

class TerrainColourDialogTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-vectormap.txt");
    ASSERT_TRUE(in);
    std::stringstream s;
    s << in.rdbuf();
    std::ifstream icon(std::string(CUMULOR_RES_DIR) + "/icons/team/211.png", std::ios::binary);
    std::map<std::string, std::vector<std::uint8_t>> files;
    files["icons/team/211.png"].assign(std::istreambuf_iterator<char>(icon), {});
    ASSERT_FALSE(files["icons/team/211.png"].empty());
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", s.str(), files), "");
    InitVectorMapStore(store);
    Hook(store);
  }
  void TearDown() override {
    SetTerrainColourHooks({});
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  void Hook(VectorMapStore& s) {
    TerrainColourHooks hooks;
    hooks.store = &s;
    hooks.setDialogActive = [this](bool on) { activeDuringRedraw.push_back(on); };
    hooks.redraw = [this] { ++redraws; };
    hooks.closed = [this] { ++closed; };
    SetTerrainColourHooks(hooks);
  }
  HWND Open(std::int32_t layer) {
    HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kTerrainColourDialog), nullptr, TerrainColourDialogProc,
                                     layer);
    if (dialog) ShowWindow(dialog, SW_SHOW);
    return dialog;
  }
  static std::u16string Text(HWND dialog, int id) {
    WCHAR text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
  }
  static bool Checked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  static void Click(HWND dialog, int id, int times = 1) {
    for (int i = 0; i < times; ++i) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  }

  VectorMapStore store;
  std::vector<bool> activeDuringRedraw;
  int redraws = 0, closed = 0;
};

TEST_F(TerrainColourDialogTest, ChangesRedrawAndRoundTripThroughContours) {
  HWND dialog = Open(6);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, kTerrainZoomText), u"Zoom 50") << "V(6)";
  EXPECT_EQ(Text(dialog, kTerrainOffsetText), u"0");
  EXPECT_EQ(Text(dialog, kTerrainStartText), u"0");
  EXPECT_TRUE(Checked(dialog, kTerrainStepOne));

  Click(dialog, kTerrainOffsetUp, 5);
  Click(dialog, kTerrainOffsetDown);
  Click(dialog, kTerrainStartUp, 3);
  Click(dialog, kTerrainStepTwo);
  EXPECT_EQ(redraws, 10) << "every change redraws the map at once";
  ASSERT_EQ(activeDuringRedraw.size(), 20u);
  EXPECT_FALSE(activeDuringRedraw[0]);
  EXPECT_TRUE(activeDuringRedraw[1]);
  EXPECT_EQ(store.contours.offset, 4);
  EXPECT_EQ(store.contours.startGroup, 3);
  EXPECT_EQ(store.contours.step, 2);
  EXPECT_EQ(store.palette.offset, 4) << "the palette follows";
  EXPECT_EQ(store.palette.step, 2);
  EXPECT_EQ(store.layers.contourStartGroup, 3);
  EXPECT_EQ(Text(dialog, kTerrainOffsetText), u"4");
  EXPECT_EQ(Text(dialog, kTerrainStartText), u"3");
  EXPECT_TRUE(Checked(dialog, kTerrainStepTwo));
  EXPECT_FALSE(Checked(dialog, kTerrainStepOne));
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  RECT r{};
  GetWindowRect(dialog, &r);
  EXPECT_TRUE(ce::display::SaveScreenshot("terrain_colour_dialog.png", &r));

  // Saved and read back into another store, the dialog shows the same values.
  XmlNode settings("Settings");
  ContoursSave(settings, store.contours);
  const XmlNode* element = settings.FindChild("Contours");
  ASSERT_NE(element, nullptr);
  EXPECT_STREQ(element->GetText(), "20,0,0,0,0,4,0,0,0,3,0,0,0,2,0,0,0,0,0,0,0");
  VectorMapStore other;
  InitVectorMapStore(other);
  ASSERT_TRUE(ContoursLoad(*element, other.contours));
  ApplyContourSettings(other);
  Click(dialog, IDCANCEL);
  EXPECT_EQ(closed, 1);
  Hook(other);
  HWND again = Open(6);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Text(again, kTerrainOffsetText), u"4");
  EXPECT_EQ(Text(again, kTerrainStartText), u"3");
  EXPECT_TRUE(Checked(again, kTerrainStepTwo));
  EXPECT_EQ(other.layers.contourStartGroup, 3);
  Click(again, kTerrainClose);
  EXPECT_EQ(closed, 2);
}

TEST_F(TerrainColourDialogTest, OffsetAndStartGroupStayInRange) {
  HWND dialog = Open(99);  // a layer out of range shows layer 0
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, kTerrainZoomText), u"Zoom 0");
  Click(dialog, kTerrainOffsetDown, 2);
  Click(dialog, kTerrainStartDown, 2);
  EXPECT_EQ(store.contours.offset, 0);
  EXPECT_EQ(store.contours.startGroup, 0);
  Click(dialog, kTerrainOffsetUp, 45);
  EXPECT_EQ(store.contours.offset, 39);
  EXPECT_EQ(Text(dialog, kTerrainOffsetText), u"39");
  Click(dialog, kTerrainClose);

  // A stored element beyond the ranges is held within them; a broken one changes nothing.
  struct Case {
    const char* text;
    bool taken;
    std::int32_t offset, start, step;
  } cases[] = {
      {"20,0,0,0,0,55,0,0,0,2,0,0,0,3,0,0,0,0,0,0,0", true, 39, 2, 1},
      {"20,0,0,0,0,255,255,255,255,255,255,255,255,2,0,0,0,0,0,0,0", true, 0, 0, 2},
      {"20,1,2,3", false, 7, 1, 2},
      {"19,0,0,0,0,1,0,0,0,1,0,0,0,1,0,0,0,0,0,0", false, 7, 1, 2},
  };
  for (const Case& c : cases) {
    XmlNode element("Contours");
    element.SetText(c.text);
    ContourSettings s;
    s.offset = 7;
    s.startGroup = 1;
    s.step = 2;
    EXPECT_EQ(ContoursLoad(element, s), c.taken) << c.text;
    EXPECT_EQ(s.offset, c.offset) << c.text;
    EXPECT_EQ(s.startGroup, c.start) << c.text;
    EXPECT_EQ(s.step, c.step) << c.text;
  }
  // The slot of a contour value stays within the 40 terrain slots whatever the settings.
  ContourSettings s;
  s.offset = 30;
  s.step = 2;
  EXPECT_EQ(ContourSlot(s, 3), 36);
  EXPECT_EQ(ContourSlot(s, 29), 39);
  EXPECT_EQ(ContourSlot(s, -1), 28);
  s.offset = 0;
  EXPECT_EQ(ContourSlot(s, -1), 0);
  EXPECT_EQ(ContourSlot(s, 1LL << 40), 39);
}

}  // namespace
}  // namespace cumulor
