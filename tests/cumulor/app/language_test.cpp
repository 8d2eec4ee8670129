#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/app/base/language.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

std::u16string Text(std::int32_t id) {
  const WCHAR* t = LangText(id);
  return t ? std::u16string(t) : u"<null>";
}

std::vector<std::u16string> g_messages;
int g_selections = 0;

class Language : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_messages.clear();
    g_selections = 0;
    LanguageHooks hooks;
    hooks.showMessage = [](const WCHAR* text) { g_messages.emplace_back(text); };
    hooks.languageSelected = [] { ++g_selections; };
    SetLanguageHooks(hooks);
  }
  void TearDown() override {
    SetLanguageHooks(LanguageHooks{});
    LangLoadFile(u"\\none.xml");  // back to English only for the next test
    DeviceTest::TearDown();
  }
  void Load(const std::string& document) {
    std::filesystem::create_directories(device_folder() / "root");
    std::ofstream(device_folder() / "root" / "KV_TEXT.xml", std::ios::binary) << document;
    LangLoadFile(u"\\KV_TEXT.xml");
  }
};

TEST_F(Language, BuiltInEnglishAnswersEveryId) {
  LangLoadFile(u"\\none.xml");
  EXPECT_EQ(LangCount(), 1);
  EXPECT_EQ(std::u16string(LangName(0)), u"English");
  std::int32_t present = 0;
  for (std::int32_t id = 0; id < 256; ++id) present += LangText(id) != nullptr;
  EXPECT_EQ(present, 62 + 67 + 5);  // menu captions, box captions, other texts
  EXPECT_EQ(Text(1), u"Settings");
  EXPECT_EQ(Text(62), u"FLARM");
  EXPECT_EQ(Text(15), u"");
  EXPECT_EQ(Text(166), u"");
  EXPECT_EQ(Text(165), u"QNH ft");
  EXPECT_EQ(Text(203), u"Altitude Required");
  EXPECT_EQ(Text(210).substr(0, 12), u"Serial Port ");
  EXPECT_EQ(Text(63), u"<null>");
  EXPECT_EQ(Text(-1), u"<null>");
  EXPECT_EQ(Text(100000), u"<null>");
  EXPECT_EQ(LangCurrentId(), 100);
  EXPECT_EQ(LangName(1), nullptr);
  EXPECT_EQ(LangName(-1), nullptr);
}

TEST_F(Language, DocumentAddsLanguagesAndOverridesById) {
  Load(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
      "<Languages>\r\n"
      "   <English>\r\n"
      "      <T id=\"5\">Quit</T>\r\n"
      "   </English>\r\n"
      "   <Deutsch>\r\n"
      "      <Font>Tahoma</Font>\r\n"
      "      <T id=\"1\">Einstellungen</T>\r\n"
      "      <T id=\"6\">20\\176 \\382</T>\r\n"
      "      <T id=\"7\" x=\"1\">ignored: two attributes besides the text</T>\r\n"
      "      <T id=\"-3\">refused</T>\r\n"
      "      <T id=\"4095\">highest</T>\r\n"
      "      <T id=\"4096\">refused</T>\r\n"
      "      <T id=\"2147483647\">refused</T>\r\n"
      "      <T id=\"1\">Optionen</T>\r\n"
      "   </Deutsch>\r\n"
      "   <Empty></Empty>\r\n"
      "   <AVeryLongLanguageNameIndeed><T id=\"1\">x</T></AVeryLongLanguageNameIndeed>\r\n"
      "</Languages>\r\n");
  ASSERT_EQ(LangCount(), 3);  // English, Deutsch and the long one; the empty element is skipped
  EXPECT_EQ(std::u16string(LangName(2)), u"AVeryLongLanguageNa");  // 19 characters
  EXPECT_EQ(Text(1), u"Settings");  // English stays current after loading
  EXPECT_EQ(Text(5), u"Quit");

  EXPECT_EQ(LangFind(u"Deutsch"), 1);
  EXPECT_EQ(g_selections, 1);
  EXPECT_EQ(Text(1), u"Optionen");  // a later entry for the same id replaces an earlier one
  EXPECT_EQ(Text(5), u"Quit");      // falls back to English, with English's own override
  EXPECT_EQ(Text(6), u"20\u00B0 \u017E");
  EXPECT_EQ(Text(7), u"Settings2");
  EXPECT_EQ(Text(4095), u"highest");
  EXPECT_EQ(Text(4096), u"<null>");
  EXPECT_EQ(std::u16string(LangCurrent().fontFace), u"Tahoma");
  EXPECT_EQ(LangCurrent().texts.Size(), 4096);

  EXPECT_EQ(LangFind(u"deutsch"), 0);  // exact names only; nothing changes
  EXPECT_EQ(LangFind(u"AVeryLongLanguageNameIndeed"), 0);
  EXPECT_EQ(Text(1), u"Optionen");
  EXPECT_EQ(g_selections, 1);

  LangLoadFile(u"\\none.xml");  // loading again replaces everything
  EXPECT_EQ(LangCount(), 1);
  EXPECT_EQ(Text(1), u"Settings");
  EXPECT_EQ(Text(5), u"Exit");
}

TEST_F(Language, SyntaxErrorLeavesEnglishOnlyAndSaysSo) {
  Load("<Languages><Deutsch><T id=\"1\">Einstellungen</T></Deutsch></Languages><!-- after -->");
  EXPECT_EQ(LangCount(), 1);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], u"Syntax Error in Language File \\KV_TEXT.xml");
  EXPECT_EQ(LangFind(u"Deutsch"), 0);
}

}  // namespace
}  // namespace cumulor
