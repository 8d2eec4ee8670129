// The translator: choice of the language file, lookups, line breaks, formats from files, the
// list of languages and broken files.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/device_folder.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<int> g_endRequests{0};
void RecordEnd() { ++g_endRequests; }

class TranslatorTest : public velomar_test::VelomarTest {
 protected:
  void SetUp() override {
    VelomarTest::SetUp();
    g_endRequests = 0;
    velomar::seam::SetTranslatorEndProgram(RecordEnd);
    std::filesystem::create_directories(Folder());
  }
  void TearDown() override {
    velomar::seam::SetTranslatorEndProgram(nullptr);
    VelomarTest::TearDown();
  }
  static std::filesystem::path Folder() { return ce::DeviceRootFolder() / "Program Files/Velomar/traductions"; }

  // A language file with the given description and texts (id, text).
  static void WriteLanguage(const std::string& file, const std::string& name, const std::string& tag,
                            const std::string& is_default,
                            const std::vector<std::pair<std::string, std::string>>& texts) {
    std::ofstream out(Folder() / file, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<velomar><languages><language name=\"" << name << "\" tag=\""
        << tag << "\" author=\"" << name << " author\" default=\"" << is_default << "\"/></languages><texts>";
    for (const auto& [id, text] : texts) out << "<text id=\"" << id << "\">" << text << "</text>";
    out << "</texts></velomar>\n";
  }
  static void WriteRaw(const std::string& file, const std::string& bytes) {
    std::ofstream(Folder() / file, std::ios::binary) << bytes;
  }
  // French (a), Spanish (b), English marked default (c).
  static void WriteThreeLanguages() {
    WriteLanguage("a.xml", "Fran\xc3\xa7" "ais", "fr", "no", {{"HELLO", "Bonjour"}});
    WriteLanguage("b.xml", "Espa\xc3\xb1ol", "es", "no", {{"HELLO", "Hola"}, {"ONLY_ES", "s\xc3\xb3lo"}});
    WriteLanguage("c.xml", "English", "en", "yes", {{"HELLO", "Hello"}});
  }
};

TEST_F(TranslatorTest, PicksTheFileByTagAndFallsBackToTheDefault) {
  WriteThreeLanguages();
  const struct {
    const char* name;
    bool set;
    std::u16string language;
    std::u16string hello;
    std::u16string author;
  } cases[] = {
      {"tag of the second", true, u"es", u"Hola", u"Espa\u00f1ol author"},
      {"tag of the first", true, u"fr", u"Bonjour", u"Fran\u00e7ais author"},
      {"tag of the default", true, u"en", u"Hello", u"English author"},
      {"no such tag", true, u"de", u"Hello", u"English author"},
      {"tags are case-sensitive", true, u"ES", u"Hello", u"English author"},
      {"setting absent", false, u"", u"Hello", u"English author"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.set) SetSetting(u"language", c.language);
    CTranslator translator;
    EXPECT_EQ(translator.GetText(u"HELLO"), c.hello);
    EXPECT_EQ(translator.GetAuthor(), c.author);
  }
  EXPECT_EQ(g_endRequests, 0);
}

// A file that names no tag is never the one the setting asks for, not even when the setting is
// absent: the default language is used.
TEST_F(TranslatorTest, AnAbsentSettingDoesNotMatchAFileWithoutATag) {
  WriteRaw("a.xml", "<velomar><texts><text id=\"HELLO\">untagged</text></texts></velomar>");
  WriteLanguage("b.xml", "English", "en", "yes", {{"HELLO", "Hello"}});
  CTranslator translator;
  EXPECT_EQ(translator.GetText(u"HELLO"), u"Hello");
  EXPECT_EQ(g_endRequests, 0);
}

TEST_F(TranslatorTest, StopsLookingAtTheMatchingFile) {
  WriteThreeLanguages();
  WriteRaw("d.xml", "<velomar><languages>");  // not well-formed
  SetSetting(u"language", u"es");
  {
    CTranslator translator;
    EXPECT_EQ(translator.GetText(u"ONLY_ES"), u"s\u00f3lo");
  }
  EXPECT_EQ(g_endRequests, 0);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());

  // Without a match every file is opened, and the broken one asks whether to go on with the
  // default texts. No: the program ends.
  SetSetting(u"language", u"de");
  const std::u16string question =
      u"Error reading texts file \\Program Files\\Velomar\\traductions\\d.xml. \n\nGo on with the default texts?";
  {
    CTranslator translator;
    EXPECT_EQ(g_endRequests, 1);
    const auto boxes = teskautils::seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, question);
  }
  // Yes: the default file's texts, and the broken file is left out of the language list too.
  g_endRequests = 0;
  teskautils::seam::SetBoxAnswer(6);
  WriteRaw("e.xml", "garbage");  // a second broken file is left out without another question
  CTranslator translator;
  teskautils::seam::SetBoxAnswer(0);
  EXPECT_EQ(g_endRequests, 0);
  EXPECT_EQ(translator.GetText(u"HELLO"), u"Hello");
  auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, question);
  std::map<std::u16string, std::u16string> languages;
  translator.EnumLanguages(languages);
  EXPECT_EQ(languages.size(), 3u);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
  EXPECT_EQ(g_endRequests, 0);
}

// Going on with the default texts when the damaged file was the only one there: nothing holds
// them, so the program ends after all.
TEST_F(TranslatorTest, ADamagedOnlyFileEndsTheProgramEvenWhenTheUserWouldGoOn) {
  WriteRaw("only.xml", "<velomar>");
  teskautils::seam::SetBoxAnswer(6);
  CTranslator translator;
  teskautils::seam::SetBoxAnswer(0);
  EXPECT_EQ(g_endRequests, 1);
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, u"Error reading texts file \\Program Files\\Velomar\\traductions\\only.xml. ");
}

// A language file that ends the program ends it with a failure code.
TEST_F(TranslatorTest, AnUnreadableLanguageFileEndsTheProcessWithAFailureCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  velomar::seam::SetTranslatorEndProgram(nullptr);
  WriteRaw("only.xml", "<velomar>");
  EXPECT_EXIT(
      {
        CTranslator translator;
        std::_Exit(3);
      },
      testing::ExitedWithCode(1), "");
}

TEST_F(TranslatorTest, WithoutAnyUsableFileEveryTextIsMissing) {
  const struct {
    const char* name;
    bool write_file;
  } cases[] = {{"empty folder", false}, {"no default, no match", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.write_file) WriteLanguage("a.xml", "Deutsch", "de", "no", {{"HELLO", "Hallo"}});
    SetSetting(u"language", u"en");
    CTranslator translator;
    EXPECT_EQ(translator.GetText(u"HELLO"), u"????");
  }
  EXPECT_EQ(g_endRequests, 0);
}

TEST_F(TranslatorTest, LooksTextsUpWithTheirFirstLineBreak) {
  WriteLanguage("en.xml", "English", "en", "yes",
                {{"THREE_LINES", "one\\ntwo\\nthree"},
                 {"PAGE MAIN", "Main"},
                 {"SPACED", "  padded  "},
                 {"ESCAPED", "a &amp; b"},
                 {"TWICE", "first"},
                 {"TWICE", "second"}});
  CTranslator translator;
  const struct {
    std::u16string id;
    std::u16string text;
  } cases[] = {
      {u"THREE_LINES", u"one\ntwo\\nthree"},
      {u"THREE_LINES", u"one\ntwo\\nthree"},  // from the cache, still with one break
      {u"PAGE MAIN", u"Main"},
      {u"SPACED", u"padded"},
      {u"ESCAPED", u"a & b"},
      {u"MISSING", u"????"},
      {u"MISSING", u"????"},
      {u"it's", u"????"},  // cannot be put in the query
      {u"NOPE' or @id='PAGE MAIN", u"????"},  // nor be made to pick another text
      {u"TWICE", u"first"},
      {u"", u"????"},
  };
  for (const auto& c : cases) EXPECT_EQ(translator.GetText(c.id), c.text);
}

TEST_F(TranslatorTest, TextsUsedAsFormatsSurviveMismatchedPlaceholders) {
  WriteLanguage("en.xml", "English", "en", "yes",
                {{"EVENT_LOG_MGR_CHANGE_POS_DESCRIPTION", "Cell %d in LAC %d, place %s"},
                 {"PERCENT", "Done: 50%"},
                 {"MANY", "%s%s%s%s%n"}});
  CTranslator translator;
  const std::u16string place = u"Home";
  EXPECT_EQ(translator.GetFormatted(u"EVENT_LOG_MGR_CHANGE_POS_DESCRIPTION", 12, 34, place.c_str()),
            u"Cell 12 in LAC 34, place Home");
  const struct {
    const char* name;
    std::u16string result;
    std::u16string expected;
  } cases[] = {
      {"text for a number", translator.GetFormatted(u"EVENT_LOG_MGR_CHANGE_POS_DESCRIPTION", place.c_str(), 1, 2),
       u"Cell %d in LAC %d, place %s"},
      {"too few arguments", translator.GetFormatted(u"EVENT_LOG_MGR_CHANGE_POS_DESCRIPTION", 1),
       u"Cell %d in LAC %d, place %s"},
      {"lone percent", translator.GetFormatted(u"PERCENT", 1), u"Done: 50%"},
      {"no arguments at all", translator.GetFormatted(u"MANY"), u"%s%s%s%s%n"},
      {"missing id", translator.GetFormatted(u"NOPE", 1), u"????"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, c.expected);
  }
}

TEST_F(TranslatorTest, EnumeratesEveryLanguageByName) {
  WriteThreeLanguages();
  WriteLanguage("d.xml", "English", "en-GB", "no", {});  // a second file with a name already seen
  CTranslator translator;
  std::map<std::u16string, std::u16string> languages{{u"stale", u"x"}};
  translator.EnumLanguages(languages);
  EXPECT_EQ(languages, (std::map<std::u16string, std::u16string>{
                           {u"Fran\u00e7ais", u"fr"}, {u"Espa\u00f1ol", u"es"}, {u"English", u"en"}}));
}

TEST_F(TranslatorTest, LooksUpFromManyThreads) {
  std::vector<std::pair<std::string, std::string>> texts;
  for (int i = 0; i < 50; ++i) texts.emplace_back("ID_" + std::to_string(i), "text " + std::to_string(i));
  WriteLanguage("en.xml", "English", "en", "yes", texts);
  CTranslator translator;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 50; ++i) {
          const std::string n = std::to_string(i);
          if (translator.GetText(std::u16string(u"ID_") + std::u16string(n.begin(), n.end())) !=
              std::u16string(u"text ") + std::u16string(n.begin(), n.end()))
            ++wrong;
        }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(TranslatorTest, GetInstanceAnswersTheFirstTranslator) {
  WriteLanguage("en.xml", "English", "en", "yes", {{"HELLO", "Hello"}});
  CTranslator first;
  EXPECT_EQ(CTranslator::GetInstance(), &first);
  CTranslator second;
  EXPECT_EQ(CTranslator::GetInstance(), &first);
}

}  // namespace
