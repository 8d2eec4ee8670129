// Screenshots of the main window's buttons with the default theme in every resolution class and
// orientation, laid out as the main window lays them out: written to
// <build>/tests/velomar/skin/screenshots/buttons_<w>x<h>.png for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/velomar/skin/skin_fixture.h"
#include "velomar/ui/ManagerButtons.h"

namespace {

using velomar_test::TestWindow;

class ScreenshotsTest : public velomar_test::SkinTest {};

TEST_F(ScreenshotsTest, ButtonsInEveryClassAndOrientation) {
  InstallDefaultTheme();
  const struct {
    ce::display::ScreenSize size;
    int resolution;
    int width, height;  // the main window's button size for the screen
  } screens[] = {
      {{240, 320}, 1, 60, 65}, {{320, 240}, 1, 40, 45}, {{480, 640}, 2, 60, 65},
      {{640, 480}, 2, 60, 65}, {{240, 240}, 1, 40, 45}, {{480, 480}, 2, 40, 45},
  };
  const std::filesystem::path folder = SKIN_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  for (const auto& s : screens) {
    const std::string name = std::to_string(s.size.width) + "x" + std::to_string(s.size.height);
    SCOPED_TRACE(name);
    ASSERT_TRUE(ce::display::SetScreenSize(s.size));
    velomar::seam::ResetSkin();
    velomar::seam::ClearImageCaches();
    TestWindow window;
    ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
    window.SetResolution(s.resolution);
    window.SetButtonSize(s.width, s.height);
    // In the main window's order, with a status each that shows its own picture.
    struct Made {
      CButtonOwnDrawImage* button;
      const char16_t* theme;
      int status;
    };
    const Made made[] = {
        {new CButtonConnections(&window, 0, 0, 60, 65, nullptr, u"connection_des.png", u"connection_des.png",
                                u"connection.png", u"connection.png", u"connection_dis.png", u"Data", 108, 1, true, 0,
                                8, nullptr),
         u"connections", 2},
        {new CButtonBand(&window, 0, 0, 60, 65, nullptr, u"2g.png", u"2g.png", u"3g.png", u"3g.png", u"2g_dis.png",
                         u"auto.png", u"Band", 110, 1, true, 0, 8, nullptr),
         u"band", 0},
        {new CButtonOwnDrawImage(&window, 0, 0, 60, 65, nullptr, u"hide.png", u"hide.png", u"hide.png", u"hide.png",
                                 u"hide.png", u"Hide", 111, 1, true, 0, 8, nullptr),
         u"hide", 0},
        {new CButtonOwnDrawImage(&window, 0, 0, 60, 65, nullptr, u"refresh.png", u"refresh.png", u"refresh.png",
                                 u"refresh.png", u"refresh.png", u"Refresh", 112, 1, true, 0, 8, nullptr),
         u"refresh", 0},
        {new CButtonWifi(&window, 0, 0, 60, 65, nullptr, u"wifi_des.png", u"wifi_des.png", u"wifi.png", u"wifi.png",
                         u"wifi_dis.png", u"Wi-Fi", 105, 1, true, 0, 8, nullptr),
         u"wifi", 1},
        {new CButtonBT(&window, 0, 0, 60, 65, nullptr, u"bluetooth_des.png", u"bluetooth_des.png", u"bluetooth.png",
                       u"bluetooth.png", u"bluetooth_dis.png", u"bluetooth_discoverable.png", u"Bluetooth", 103, 1,
                       true, 0, 8, nullptr),
         u"bt", 2},
        {new CButtonSpeaker(&window, 0, 0, 60, 65, nullptr, u"speaker_des.png", u"speaker_des.png", u"speaker.png",
                            u"speaker.png", u"speaker_dis.png", u"speaker_vibrate.png", u"Sound", 104, 1, true, 0, 8,
                            nullptr),
         u"speaker", 1},
        {new CButtonMobilePhone(&window, 0, 0, 60, 65, nullptr, u"mobilephone_des.png", u"mobilephone_des.png",
                                u"mobilephone.png", u"mobilephone.png", u"mobilephone_dis.png", u"Phone", 107, 1, true,
                                0, 8, nullptr),
         u"phone", -1},
    };
    for (const Made& m : made) {
      m.button->SetThemeId(m.theme);
      m.button->Create();
      m.button->StatusChanged(m.status, 0, 10);
    }
    window.Relayout(1, 0);
    SetFocus(made[4].button->GetHwnd());  // Wi-Fi: its caption and status in the band
    Pump();
    for (const Made& m : made) UpdateWindow(m.button->GetHwnd());
    const std::filesystem::path file = folder / ("buttons_" + name + ".png");
    ASSERT_TRUE(ce::display::SaveScreenshot(file));
    EXPECT_GT(std::filesystem::file_size(file), 1000u);
    std::printf("screenshot: %s\n", file.c_str());
  }
}

}  // namespace
