// The main window laid out and painted on each kind of screen, and painted again after the phone
// changed under it (devicectl in another process): screenshots in
// <build>/tests/velomar/mainwindow/screenshots/main_<w>x<h>.png for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/controls/commctrl.h"
#include "platform/text/utf.h"
#include "tests/velomar/mainwindow/main_window_fixture.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/ImportProgress.h"

namespace {

class LayoutScreenshotsTest : public velomar_test::MainWindowTest {
 protected:
  std::filesystem::path Shot(const std::string& name) {
    const std::filesystem::path folder = MAIN_WINDOW_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / (name + ".png");
    EXPECT_TRUE(ce::display::SaveScreenshot(file));
    EXPECT_GT(std::filesystem::file_size(file), 1000u);
    std::printf("screenshot: %s\n", file.c_str());
    return file;
  }
};

TEST_F(LayoutScreenshotsTest, ButtonRowsFollowTheScreenMode) {
  struct Expected {
    int id;
    int x, y;
  };
  const struct {
    ce::display::ScreenSize size;
    int width, height;  // the buttons' size
    int resolution;
    Expected where[4];  // the first button, one further along, the first of a later row, the last
  } screens[] = {
      // Portrait: 60 x 65, four to a row from the bottom (25 pixels above it).
      {{240, 320}, 60, 65, 1, {{108, 0, 230}, {112, 180, 230}, {105, 0, 165}, {107, 180, 165}}},
      // Landscape 240 high: 40 x 45, all eight in one row.
      {{320, 240}, 40, 45, 1, {{108, 0, 170}, {112, 120, 170}, {105, 160, 170}, {107, 280, 170}}},
      // VGA portrait: 60 x 65, 50 pixels above the bottom, one row.
      {{480, 640}, 60, 65, 2, {{108, 0, 525}, {112, 180, 525}, {105, 240, 525}, {107, 420, 525}}},
      // Square: 40 x 45, six to a row.
      {{240, 240}, 40, 45, 1, {{108, 0, 170}, {103, 200, 170}, {104, 0, 125}, {107, 40, 125}}},
  };
  for (const auto& s : screens) {
    const std::string name = std::to_string(s.size.width) + "x" + std::to_string(s.size.height);
    SCOPED_TRACE(name);
    Start(s.size);
    ShowAndPaint();
    EXPECT_EQ(Window()->GetResolution(), s.resolution);
    for (const Expected& e : s.where) {
      SCOPED_TRACE(e.id);
      const RECT r = ChildRect(e.id);
      EXPECT_EQ(r.left, e.x);
      EXPECT_EQ(r.top, e.y);
      EXPECT_EQ(r.right - r.left, s.width);
      EXPECT_EQ(r.bottom - r.top, s.height);
    }
    // The location button keeps the skin's place at the top, above the rows.
    const RECT place = ChildRect(106);
    EXPECT_GT(place.right - place.left, 2 * s.width);
    EXPECT_LT(place.bottom, Window()->GetLayoutTop());
    // Both bars end above the rows.
    EXPECT_LT(Window()->GetBatteryBarRect().bottom, Window()->GetLayoutTop());
    EXPECT_LT(Window()->GetSignalBarRect().bottom, Window()->GetLayoutTop());
    Shot("main_" + name);
    Stop();
  }
}

TEST_F(LayoutScreenshotsTest, APhoneChangedByTheToolShowsInTheNextPaint) {
  Start();
  ShowAndPaint();
  Shot("main_before_changes");
  CMobilePhoneMgr& phone = m_app->GetPhoneMgr();
  CRilMgr& ril = m_app->GetRilMgr();
  ASSERT_EQ(phone.GetStatus(), 0);
  CButtonOwnDrawImage* phone_button = Window()->GetButtonMap()[GetDlgItem(Hwnd(), 107)];
  ASSERT_NE(phone_button, nullptr);
  CButtonOwnCurrentLocation* location = Window()->GetLocationButton();
  // The radio off, a low battery and a new cell: the phone button shows its off picture, the
  // battery bar 15; the radio, being off, does not report the new cell yet.
  Tool({"radio", "off"});
  Tool({"battery", "15"});
  Tool({"cell", "4711", "815"});
  ASSERT_TRUE(Drive([&] {
    return phone_button->GetStatus() == 1 && ril.GetBatteryPercent() == 15;
  })) << phone.GetStatus() << " " << ril.GetBatteryPercent();
  ShowAndPaint();
  Shot("main_radio_off");
  EXPECT_EQ(Window()->GetBatteryBarRect().bottom > Window()->GetBatteryBarRect().top, true);
  // The radio on again: the new cell and LAC show.
  Tool({"radio", "on"});
  ASSERT_TRUE(Drive([&] {
    return phone_button->GetStatus() == 0 && location->GetShownCell() == 4711u && location->GetShownLac() == 815u;
  })) << phone.GetStatus() << " " << location->GetShownCell() << " " << location->GetShownLac();
  ShowAndPaint();
  Shot("main_after_changes");
  EXPECT_NE(location->GetLineText().find(u"4711"), std::u16string::npos) << ce::text::ToUtf8(location->GetLineText());
}

// A skin may give a bar or an image any position its numbers hold: one at the edge of the 32-bit
// range paints (off the window) and leaves the rest of the window as it was.
TEST_F(LayoutScreenshotsTest, ASkinPlacingPicturesNearTheNumberLimitStillPaints) {
  const std::filesystem::path skin = HostPath(u"\\Program Files\\Velomar\\themes\\default\\qvga\\skin.xml");
  std::ifstream in(skin, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  in.close();
  const struct {
    std::string element;
    std::string position;
  } far[] = {
      {"<bar id=\"battery\" mode=\"gradient\" border=\"yes\">", "<position x=\"2147483000\" y=\"2147483000\" cx=\"2000\" cy=\"2000\"/>"},
      {"<bar id=\"signal\" mode=\"gradient\" border=\"yes\">", "<position x=\"0\" y=\"-2147483000\" cx=\"2147483647\" cy=\"2147483647\"/>"},
  };
  for (const auto& f : far) {
    const auto at = text.find(f.element);  // the first: portrait
    ASSERT_NE(at, std::string::npos) << f.element;
    text.insert(at + f.element.size(), f.position);
  }
  // The power and signal images beyond the limit on the other side.
  for (const std::string image : {"<image id=\"battery\" r=\"255\" g=\"0\" b=\"255\"", "<image id=\"signal\" r=\"255\" g=\"0\" b=\"255\""}) {
    const auto at = text.find(image);
    ASSERT_NE(at, std::string::npos) << image;
    text.insert(at + image.size(), " x=\"2147483600\" y=\"2147483600\" cx=\"2147483647\" cy=\"100\"");
  }
  std::ofstream(skin, std::ios::binary | std::ios::trunc) << text;

  Start();
  ShowAndPaint();
  Shot("main_skin_far_positions");
  // Kept within one window's size around the window.
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const LONG size = std::max(client.right, client.bottom);
  for (const RECT& r : {Window()->GetBatteryBarRect(), Window()->GetSignalBarRect()}) {
    EXPECT_GE(r.left, -size);
    EXPECT_LE(r.right, client.right + size);
    EXPECT_GE(r.top, -size);
    EXPECT_LE(r.bottom, client.bottom + size);
  }
  // The buttons are where they always are.
  EXPECT_EQ(ChildRect(108).left, 0);
  EXPECT_EQ(ChildRect(108).top, 230);
}

// The import's progress window over the main window, part way.
TEST_F(LayoutScreenshotsTest, TheImportProgressShowsOverTheWindow) {
  Start();
  ShowAndPaint();
  {
    velomar::ui::CImportProgress progress(Hwnd());
    progress.Show(1200, 3000);
    HWND window = FindWindowW(velomar::ui::kImportProgressClass, nullptr);
    ASSERT_NE(window, nullptr);
    WCHAR text[128] = {};
    GetWindowTextW(window, text, 128);
    EXPECT_EQ(std::u16string(text), u"Importing places: 1200 of 3000");
    HWND bar = GetWindow(window, GW_CHILD);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
    Shot("main_import_progress");
  }
  EXPECT_EQ(FindWindowW(velomar::ui::kImportProgressClass, nullptr), nullptr);
}

}  // namespace
