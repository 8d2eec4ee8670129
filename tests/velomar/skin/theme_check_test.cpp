// The default theme as the build draws it: every "skin.xml" is well-formed for xmllint and gives
// every button and bar the program looks up in each orientation of its class, and every picture
// it or the program names exists beside it and passes pngcheck.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "tests/velomar/skin/skin_fixture.h"
#include "velomar/ui/BarConfig.h"
#include "velomar/ui/DomHelpers.h"

namespace {

// The pictures the program itself names (the main window's defaults, the bars, the places).
const char* const kNamedByTheProgram[] = {
    "connection_des.png", "connection.png", "connection_dis.png", "2g.png", "3g.png", "2g_dis.png", "auto.png",
    "hide.png", "refresh.png", "wifi_des.png", "wifi.png", "wifi_dis.png", "bluetooth_des.png", "bluetooth.png",
    "bluetooth_dis.png", "bluetooth_discoverable.png", "speaker_des.png", "speaker.png", "speaker_dis.png",
    "speaker_vibrate.png", "mobilephone_des.png", "mobilephone.png", "mobilephone_dis.png", "battery.png",
    "signal.png", "unknown.png", "question.png", "place_unknown.png"};

const char16_t* const kButtonIds[] = {
    u"place", u"connections", u"band", u"hide", u"refresh", u"wifi", u"bt", u"speaker", u"phone", u"cancel",
    u"time_limit_none", u"time_limit_1", u"time_limit_5", u"time_limit_10", u"time_limit_30", u"time_limit_60",
    u"time_limit_120", u"time_limit_custom", u"settings", u"places", u"add_place", u"assign_place", u"schedule",
    u"actions", u"lock", u"unlock", u"action_delete", u"action_edit"};

bool Runs(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

class ThemeCheckTest : public velomar_test::SkinTest {};

TEST_F(ThemeCheckTest, EverySkinIsWellFormedAndEveryPictureExistsAndIsValid) {
  if (!Runs("command -v xmllint") || !Runs("command -v pngcheck"))
    GTEST_SKIP() << "xmllint or pngcheck is not installed (scripts/packages.txt)";
  const std::filesystem::path theme = velomar::ThemesSourceFolder() / "default";
  for (const std::string resolution : {"qvga", "vga", "square"}) {
    SCOPED_TRACE(resolution);
    const std::filesystem::path folder = theme / resolution;
    const std::filesystem::path skin = folder / "skin.xml";
    ASSERT_TRUE(std::filesystem::exists(skin));
    EXPECT_TRUE(Runs("xmllint --noout '" + skin.string() + "'"));

    std::ifstream in(skin, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), {});
    std::set<std::string> pictures(std::begin(kNamedByTheProgram), std::end(kNamedByTheProgram));
    const std::regex image(R"(<image[^>]*>([^<]+)</image>)");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), image); it != std::sregex_iterator(); ++it)
      pictures.insert((*it)[1].str());
    EXPECT_GT(pictures.size(), 40u);
    for (const std::string& picture : pictures) {
      SCOPED_TRACE(picture);
      EXPECT_TRUE(std::filesystem::exists(folder / picture));
      EXPECT_TRUE(Runs("pngcheck -q '" + (folder / picture).string() + "'"));
    }
  }
}

TEST_F(ThemeCheckTest, EveryOrientationGivesEveryButtonAndBar) {
  InstallDefaultTheme();
  const ce::display::ScreenSize screens[] = {{240, 320}, {320, 240}, {480, 640}, {640, 480}, {240, 240}};
  for (const auto& screen : screens) {
    SCOPED_TRACE(testing::Message() << screen.width << "x" << screen.height);
    ASSERT_TRUE(ce::display::SetScreenSize(screen));
    velomar::seam::ResetSkin();
    CSkin* skin = CSkin::GetInstance();
    ASSERT_TRUE(teskautils::seam::TakeShownBoxes().empty());
    for (const char16_t* id : kButtonIds) {
      velomar::ui::Ref<IXMLDOMElement> node(skin->GetButtonNode(id));
      EXPECT_NE(node.get(), nullptr) << std::string(id, id + std::char_traits<char16_t>::length(id));
    }
    velomar::ui::Ref<IXMLDOMElement> orientation(skin->GetOrientationNode());
    velomar::ui::Ref<IXMLDOMElement> down(velomar::ui::SelectElement(orientation.get(), u"./DownTextSate/position"));
    EXPECT_NE(down.get(), nullptr);
    CBarBatteryConfigXML battery;
    skin->GetBarNode(&battery, u"battery");
    EXPECT_FALSE(battery.m_acImage.m_text.empty());
    EXPECT_FALSE(battery.m_batteryImage.m_text.empty());
    EXPECT_FALSE(battery.m_barImage.m_text.empty());
    EXPECT_TRUE(IsGiven(battery.m_gradientEnd));
    EXPECT_EQ(battery.m_percentage.m_id, u"percentage");
    CBarSignalConfigXML signal;
    skin->GetBarNode(&signal, u"signal");
    EXPECT_FALSE(signal.m_signalImage.m_text.empty());
    // The time-limit buttons show their duration in the picture: no caption.
    CButtonOwnDrawText limit(nullptr, 60, 65, nullptr, u"", u"Cancel", 5, 1, true, 8);
    limit.SetThemeId(u"time_limit_5");
    limit.GetConfigFromXML();
    EXPECT_FALSE(limit.HasCaption());
    // VGA sizes are doubled.
    EXPECT_EQ(limit.GetWidth(), skin->GetResolutionClass() == CSkin::kVga ? 120 : 60);
  }
}

}  // namespace
