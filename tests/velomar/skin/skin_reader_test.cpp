// The skin reader: the skin file and orientation chosen for each screen, the two boxes that end
// the program, the record readers, and the bar configurations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel/device_folder.h"
#include "tests/velomar/skin/skin_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/ui/BarConfig.h"
#include "velomar/ui/DomHelpers.h"

namespace {

int g_endRequests = 0;
void RecordEnd() { ++g_endRequests; }

class SkinReaderTest : public velomar_test::SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    g_endRequests = 0;
    velomar::seam::SetSkinEndProgram(RecordEnd);
  }
  void TearDown() override {
    velomar::seam::SetSkinEndProgram(nullptr);
    SkinTest::TearDown();
  }
  static std::filesystem::path ThemeFolder(const std::string& theme) {
    return ce::DeviceRootFolder() / "Program Files/Velomar/themes" / theme;
  }
  // Writes <theme>/<resolution>/skin.xml.
  static void WriteSkin(const std::string& theme, const std::string& resolution, const std::string& xml) {
    std::filesystem::create_directories(ThemeFolder(theme) / resolution);
    std::ofstream(ThemeFolder(theme) / resolution / "skin.xml", std::ios::binary) << xml;
  }
  // A skin whose orientation elements carry a mark naming the file and orientation, and one
  // button "b" with the given inner XML and attributes.
  static void WriteProbeTheme(const std::string& button_attributes = "", const std::string& button = "",
                              const std::string& bar = "") {
    for (const std::string resolution : {"qvga", "vga", "square"}) {
      std::string xml = "<velomar><resolution id=\"" + resolution + "\">";
      for (const std::string orientation : {"portrait", "landscape", "square"})
        xml += "<orientation id=\"" + orientation + "\" mark=\"" + resolution + "/" + orientation + "\"><button id=\"b\"" +
               button_attributes + ">" + button + "</button>" + bar + "</orientation>";
      WriteSkin("probe", resolution, xml + "</resolution></velomar>");
    }
  }
};

TEST_F(SkinReaderTest, EachScreenReadsTheFileOfItsClassAndItsOrientation) {
  SetSetting(u"theme", std::u16string(u"probe"));
  WriteProbeTheme();
  const struct {
    ce::display::ScreenSize size;
    std::u16string mark;
    int resolution;
  } cases[] = {
      {{240, 320}, u"qvga/portrait", CSkin::kQvga},   {{320, 240}, u"qvga/landscape", CSkin::kQvga},
      {{480, 640}, u"vga/portrait", CSkin::kVga},     {{640, 480}, u"vga/landscape", CSkin::kVga},
      {{240, 400}, u"vga/portrait", CSkin::kVga},     {{320, 320}, u"square/square", CSkin::kSquare},
      {{480, 480}, u"square/square", CSkin::kSquare}, {{200, 300}, u"qvga/portrait", CSkin::kQvga},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size.width << "x" << c.size.height);
    ASSERT_TRUE(ce::display::SetScreenSize(c.size));
    velomar::seam::ResetSkin();
    CSkin* skin = CSkin::GetInstance();
    EXPECT_EQ(skin->GetResolutionClass(), c.resolution);
    velomar::ui::Ref<IXMLDOMElement> orientation(skin->GetOrientationNode());
    ASSERT_NE(orientation.get(), nullptr);
    EXPECT_EQ(velomar::ui::Attribute(orientation.get(), u"mark").value_or(u""), c.mark);
    velomar::ui::Ref<IXMLDOMElement> button(skin->GetButtonNode(u"b"));
    EXPECT_NE(button.get(), nullptr);
    EXPECT_EQ(skin->GetButtonNode(u"absent"), nullptr);
    EXPECT_EQ(skin->GetButtonNode(u"b' or @id='b"), nullptr);  // a quote is no id
  }
  EXPECT_EQ(g_endRequests, 0);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

TEST_F(SkinReaderTest, AMissingOrBrokenSkinShowsItsBoxWithThePathAndEndsTheProgram) {
  SetSetting(u"theme", std::u16string(u"broken"));
  const std::u16string path = u"\\Program Files\\Velomar\\themes\\broken\\qvga\\skin.xml";
  const struct {
    const char* name;
    const char* content;  // null: no file
    std::u16string text;
  } cases[] = {
      {"missing", nullptr, u"The skin file was not found:\n" + path},
      {"not XML", "<velomar><resolution id=\"qvga\">", u"The skin file could not be read:\n" + path},
      {"empty", "", u"The skin file could not be read:\n" + path},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(ThemeFolder("broken"));
    if (c.content) WriteSkin("broken", "qvga", c.content);
    velomar::seam::ResetSkin();
    g_endRequests = 0;
    CSkin* skin = CSkin::GetInstance();
    EXPECT_EQ(g_endRequests, 1);
    const auto boxes = teskautils::seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(boxes[0].owner, nullptr);
    // Had the program gone on, queries find nothing.
    EXPECT_EQ(skin->GetButtonNode(u"b"), nullptr);
  }
}

// A theme whose skin is damaged or gone: the default theme is offered in its place. No: the
// program ends as before and the setting stays. Yes: the default theme's skin serves, the setting
// names it, and nothing ends.
TEST_F(SkinReaderTest, ADamagedThemeOffersTheDefaultTheme) {
  WriteSkin("default", "qvga", "<velomar><resolution id=\"qvga\"><orientation id=\"portrait\"><button id=\"b\"/>"
                               "</orientation></resolution></velomar>");
  const std::u16string path = u"\\Program Files\\Velomar\\themes\\broken\\qvga\\skin.xml";
  for (const char* content : {static_cast<const char*>(nullptr), "<velomar><resolution"}) {
    SCOPED_TRACE(content ? "damaged" : "missing");
    std::filesystem::remove_all(ThemeFolder("broken"));
    if (content) WriteSkin("broken", "qvga", content);
    const std::u16string text = content ? u"The skin file could not be read:\n" + path : u"The skin file was not found:\n" + path;
    for (const int answer : {7, 6}) {
      SetSetting(u"theme", std::u16string(u"broken"));
      teskautils::seam::SetBoxAnswer(answer);
      velomar::seam::ResetSkin();
      g_endRequests = 0;
      CSkin* skin = CSkin::GetInstance();
      teskautils::seam::SetBoxAnswer(0);
      const auto boxes = teskautils::seam::TakeShownBoxes();
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, text + u"\n\nUse the default theme?");
      EXPECT_EQ(g_endRequests, answer == 7 ? 1 : 0);
      EXPECT_EQ(CConfig::GetInstance()->GetString(u"theme"), answer == 7 ? u"broken" : u"default");
      velomar::ui::Ref<IXMLDOMElement> button(skin->GetButtonNode(u"b"));
      EXPECT_EQ(button.get() != nullptr, answer == 6);
    }
  }
  // The default theme itself damaged: nothing to offer, the program ends after the box.
  WriteSkin("default", "qvga", "<velomar");
  SetSetting(u"theme", std::u16string(u"default"));
  velomar::seam::ResetSkin();
  g_endRequests = 0;
  CSkin::GetInstance();
  EXPECT_EQ(g_endRequests, 1);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"The skin file could not be read:\n\\Program Files\\Velomar\\themes\\default\\qvga\\skin.xml");
}

TEST_F(SkinReaderTest, AMissingSkinEndsTheProcessWithAFailureCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  velomar::seam::SetSkinEndProgram(nullptr);
  SetSetting(u"theme", std::u16string(u"none"));
  EXPECT_EXIT(
      {
        CSkin::GetInstance();
        std::fprintf(stderr, "went on");
        std::fflush(stderr);
        std::_Exit(3);
      },
      testing::ExitedWithCode(1), "");
}

TEST_F(SkinReaderTest, ReadersChangeOnlyWhatTheElementGives) {
  SetSetting(u"theme", std::u16string(u"probe"));
  WriteProbeTheme("",
                  "<position x=\"5\" y=\"6\"/>"
                  "<holder x=\"1\" cy=\"4\" r=\"10\" g=\"20\" b=\"30\">pic.png</holder>"
                  "<font fontsize=\"12\" fontbold=\"700\"><rgb r=\"0\" g=\"0\" b=\"0\"/></font>"
                  "<label id=\"lac_id\"><position cx=\"80\"/><font family=\"Arial\"/></label>"
                  "<bad x=\"12px\" y=\" -3 \" cx=\"99999999999\"/>");
  CSkin* skin = CSkin::GetInstance();
  velomar::ui::Ref<IXMLDOMElement> b(skin->GetButtonNode(u"b"));
  ASSERT_NE(b.get(), nullptr);
  auto child = [&](const char16_t* q) { return velomar::ui::SelectElement(b.get(), q); };

  ThemePosition position;
  skin->ReadPosition(position, child(u"./position"));
  EXPECT_EQ(position.x, 5);
  EXPECT_EQ(position.y, 6);
  EXPECT_EQ(position.cx, -1);
  EXPECT_EQ(position.cy, -1);

  CTextHolder holder;
  skin->ReadTextHolder(holder, child(u"./holder"));
  EXPECT_EQ(holder.m_text, u"pic.png");
  EXPECT_EQ(holder.m_position.x, 1);
  EXPECT_EQ(holder.m_position.y, -1);
  EXPECT_EQ(holder.m_position.cy, 4);
  EXPECT_EQ(ToColorRef(holder.m_rgb), RGB(10, 20, 30));

  CFontDescription font;
  skin->ReadFont(font, child(u"./font"));
  EXPECT_EQ(font.m_size, 12);
  EXPECT_EQ(font.m_weight, 700);
  EXPECT_TRUE(font.m_family.empty());
  EXPECT_TRUE(IsGiven(font.m_rgb));  // black is a colour

  CButtonText label;
  skin->ReadLabel(label, child(u"./label"));
  EXPECT_EQ(label.m_id, u"lac_id");
  EXPECT_EQ(label.m_position.cx, 80);
  EXPECT_EQ(label.m_position.x, -1);
  EXPECT_EQ(label.m_font.m_family, u"Arial");
  EXPECT_EQ(label.m_font.m_size, -1);

  // Values that are no decimal integers are ignored; blanks around a number are allowed.
  ThemePosition bad;
  skin->ReadPosition(bad, child(u"./bad"));
  EXPECT_EQ(bad.x, -1);
  EXPECT_EQ(bad.y, -3);
  EXPECT_EQ(bad.cx, -1);

  // A missing element changes nothing.
  skin->ReadPosition(position, child(u"./absent"));
  EXPECT_EQ(position.x, 5);
}

TEST_F(SkinReaderTest, BarConfigurationsReadTheirElementsAndKeepDefaultsForTheRest) {
  SetSetting(u"theme", std::u16string(u"probe"));
  const std::string images =
      "<image id=\"AC\">ac.png</image><image id=\"battery\">bat.png</image><image id=\"signal\">sig.png</image>";
  WriteProbeTheme("", "",
                  "<bar id=\"gradient\" mode=\"gradient\" border=\"no\" autolocate=\"no\"><position x=\"1\" y=\"2\" "
                  "cx=\"3\" cy=\"4\"/><gradient id=\"begin\"><rgb r=\"1\" g=\"2\" b=\"3\"/></gradient>"
                  "<border_color width=\"2\"><rgb r=\"9\" g=\"9\" b=\"9\"/></border_color>"
                  "<image id=\"bar\">bar.png</image><ButtonText id=\"percentage\"><font fontsize=\"12\"/></ButtonText>" +
                      images +
                      "</bar><bar id=\"capital\" mode=\"Gradient\"/><bar id=\"other\" mode=\"image\" border=\"NO\"/>");
  CSkin* skin = CSkin::GetInstance();

  CBarBatteryConfigXML battery;
  skin->GetBarNode(&battery, u"gradient");
  EXPECT_EQ(battery.m_id, u"gradient");
  EXPECT_FALSE(battery.m_mode);
  EXPECT_FALSE(battery.m_border);
  EXPECT_FALSE(battery.m_autolocate);
  EXPECT_EQ(battery.m_position.cy, 4);
  EXPECT_EQ(ToColorRef(battery.m_gradientBegin), RGB(1, 2, 3));
  EXPECT_FALSE(IsGiven(battery.m_gradientEnd));  // not in the element
  EXPECT_EQ(battery.m_borderWidth, 2);
  EXPECT_EQ(ToColorRef(battery.m_borderRgb), RGB(9, 9, 9));
  EXPECT_EQ(battery.m_barImage.m_text, u"bar.png");
  EXPECT_EQ(battery.m_percentage.m_id, u"percentage");
  EXPECT_EQ(battery.m_percentage.m_font.m_size, 12);
  EXPECT_EQ(battery.m_acImage.m_text, u"ac.png");
  EXPECT_EQ(battery.m_batteryImage.m_text, u"bat.png");

  CBarSignalConfigXML signal;
  skin->GetBarNode(&signal, u"gradient");
  EXPECT_EQ(signal.m_signalImage.m_text, u"sig.png");

  const struct {
    const char16_t* id;
    bool mode;
    bool border;
  } flags[] = {{u"capital", true, true}, {u"other", true, true}};
  for (const auto& f : flags) {
    CBarSignalConfigXML bar;
    skin->GetBarNode(&bar, f.id);
    EXPECT_EQ(bar.m_mode, f.mode);
    EXPECT_EQ(bar.m_border, f.border);
  }

  // No element: every field keeps its default; only the id is kept.
  CBarBatteryConfigXML absent;
  skin->GetBarNode(&absent, u"absent");
  EXPECT_EQ(absent.m_id, u"absent");
  EXPECT_FALSE(absent.m_mode);
  EXPECT_TRUE(absent.m_border);
  EXPECT_EQ(absent.m_borderWidth, -1);
  EXPECT_EQ(absent.m_position.x, -1);
  EXPECT_TRUE(absent.m_barImage.m_text.empty());
  EXPECT_EQ(absent.m_node, nullptr);
}

}  // namespace
