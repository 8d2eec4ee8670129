// The navigation boxes on the screen: a fresh installation's boxes drawn at both screen sizes
// (navboxes_240x320.png and navboxes_480x640.png in the test's build folder, with the icons at 32
// and 64 pixels in navbox_icons.png), and the appearance and bar dialogs ended by the application
// keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "cumulor/app/ui/fonts.h"
#include "cumulor/map/navbox/nav_box_links.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox_ui/nav_box_dialogs.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/gdi/images.h"
#include "platform/resources/resource_set.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class NavBoxScreen : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    const std::filesystem::path res(CUMULOR_RES_DIR);
    std::ifstream in(res / "dialog-navbox.txt");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (int id : {215, 219, 221, 225, 226}) {
      const std::string name = "icons/navbox/" + std::to_string(id) + ".png";
      files[name] = FileBytes(res / name);
      ASSERT_FALSE(files[name].empty()) << name;
    }
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", text.str(), files), "");
    FontTableInit();
    FontRecreateAll(false);
    set = std::make_unique<NavBoxSet>();
    NavBoxSetInit(*set);
    NavBoxSetGlobal() = set.get();
    NavBoxInstallWindowHooks(*set);
    set->hooks.dialogActive = [this](bool on) { dialogActive = on; };
    NavBoxDialogHooksInstalled() = NavBoxDialogHooks{};
    NavBoxDialogHooksInstalled().refreshMap = [this] { ++refreshes; };
  }
  void TearDown() override {
    if (dc) {
      SelectObject(dc, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    NavBoxDialogHooksInstalled() = NavBoxDialogHooks{};
    NavBoxSetTerm(*set);
    FontTableFree();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  void Open(int width, int height) {
    if (dc) {
      SelectObject(dc, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, width, height);
    oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH map = CreateSolidBrush(RGB(200, 230, 190));  // a map-like background
    FillRect(dc, &all, map);
    DeleteObject(map);
  }
  COLORREF Pixel(int x, int y) const { return ce::gdi::BitmapPixel(bitmap, x, y); }

  std::unique_ptr<NavBoxSet> set;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  bool dialogActive = false;
  int refreshes = 0;
};

TEST_F(NavBoxScreen, AFreshInstallationShowsFourChainedBoxesAtTheBottomLeft) {
  for (const SIZE size : {SIZE{240, 320}, SIZE{480, 640}}) {
    SCOPED_TRACE(size.cx);
    NavBoxSetInit(*set);
    NavBoxInstallWindowHooks(*set);
    NavBoxSetTexts(*set, 1, u"LOWI", u"12\u00B0\u00BB", u"INN");
    NavBoxSetValue(*set, 2, u"23.4");
    NavBoxSetValue(*set, 3, u"1250");
    NavBoxSetResize(*set, RECT{0, 0, size.cx, size.cy}, nullptr, false);
    NavBoxSetActivate(*set);
    set->buttonCountdown = 3;
    Open(size.cx, size.cy);
    NavBoxSetDraw(*set, dc, true);
    EXPECT_EQ(set->buttonCountdown, 2);
    EXPECT_EQ(set->changed, 0u);
    const std::string name = "navboxes_" + std::to_string(size.cx) + "x" + std::to_string(size.cy) + ".png";
    ASSERT_TRUE(ce::gdi::SaveBitmapPng(bitmap, name));

    const NavBox& first = set->box[1];
    EXPECT_EQ(first.rect.left, 0);
    EXPECT_EQ(first.rect.bottom, size.cy);
    EXPECT_EQ(NavRight(set->box[1]), 2);
    EXPECT_EQ(NavRight(set->box[2]), 3);
    EXPECT_EQ(NavRight(set->box[3]), 21);
    EXPECT_LE(set->box[21].rect.right, size.cx);
    // The title band is black and the value line white inside each box.
    for (std::int32_t n : {1, 2, 3, 21}) {
      const NavBox& b = set->box[n];
      EXPECT_EQ(Pixel(b.titleRect.left + 1, b.titleRect.top + 3), 0u) << n;
      EXPECT_EQ(Pixel(b.valueRect.left + 1, b.valueRect.bottom - 2), 0xFFFFFFu) << n;
    }
    // The link dot on the middle of box 1's right edge.
    EXPECT_EQ(Pixel(first.rect.right, (first.rect.top + first.rect.bottom) / 2), 0u);
    // The appearance button at the centre.
    int dark = 0;
    for (int y = set->buttonRect.top; y < set->buttonRect.bottom; ++y)
      for (int x = set->buttonRect.left; x < set->buttonRect.right; ++x) dark += Pixel(x, y) == 0 ? 1 : 0;
    EXPECT_GT(dark, 60);
    // The "Start" box greyed (no start to take): still opaque, the map does not show through.
    set->hooks.startAllowed = [] { return false; };
    Open(size.cx, size.cy);
    NavBoxSetDraw(*set, dc, true);
    const NavBox& start = set->box[21];
    EXPECT_EQ(Pixel(start.valueRect.left + 1, start.valueRect.bottom - 2), 0xFFFFFFu);
    EXPECT_EQ(Pixel(start.titleRect.left + 1, start.titleRect.top + 3), 0xFFFFFFu);
    set->hooks.startAllowed = nullptr;
  }
}

TEST_F(NavBoxScreen, IconsAtThirtyTwoAndSixtyFourPixels) {
  Open(6 * 70, 140);
  int x = 4;
  for (int id : {215, 219, 221, 225, 226}) {
    for (int size : {32, 64}) {
      HICON icon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << id;
      EXPECT_TRUE(DrawIconEx(dc, x, size == 32 ? 4 : 40, icon, size, size, 0, nullptr, DI_NORMAL));
      DestroyIcon(icon);
    }
    x += 70;
  }
  ASSERT_TRUE(ce::gdi::SaveBitmapPng(bitmap, "navbox_icons.png"));
}

// The application keys end the appearance dialog with its OK steps: the box back in its place,
// "Visible" applied, the dialog gone, the dialog flag cleared and the map refreshed.
TEST_F(NavBoxScreen, ApplicationKeysEndTheAppearanceDialogWithItsOkSteps) {
  NavBoxSetResize(*set, RECT{0, 0, 240, 320}, nullptr, false);
  NavBoxSetActivate(*set);
  for (bool visible : {true, false}) {
    SCOPED_TRACE(visible);
    const RECT before = set->box[2].rect;
    HWND dialog = OpenNavBoxAppearanceDialog(nullptr, 2);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(NavBoxAppearanceWindow(), dialog);
    EXPECT_TRUE(dialogActive);
    EXPECT_EQ(set->box[2].rect.left, 0);  // the preview at the dialog's corner
    EXPECT_EQ(set->box[2].rect.top, 2);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1244, BN_CLICKED), 0);  // one line
    EXPECT_EQ(set->box[2].style, 1);
    if (!visible) CheckDlgButton(dialog, 1101, BST_UNCHECKED);
    const int refreshed = refreshes;
    SendMessageW(dialog, WM_KEYDOWN, 0xC2, 0);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(NavBoxAppearanceWindow(), nullptr);
    EXPECT_FALSE(dialogActive);
    EXPECT_EQ(refreshes, refreshed + 1);
    EXPECT_EQ(set->box[2].rect.left, before.left);
    EXPECT_EQ(set->box[2].rect.top, before.top);
    EXPECT_EQ(NavBoxIsOn(*set, 2), visible);
  }
}

}  // namespace
}  // namespace cumulor
