// The language files shipped with the program: installed by the setup step, each complete for the
// text ids the code uses, and all holding the same ids.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/ui/Translator.h"

namespace {

// Text ids that the code looks up with a literal: GetText(u"...") and GetFormatted(u"...", ...).
std::set<std::string> IdsUsedIn(const std::string& source) {
  std::set<std::string> ids;
  for (const std::string call : {"GetText(", "GetFormatted("}) {
    for (std::size_t at = source.find(call); at != std::string::npos; at = source.find(call, at + 1)) {
      std::size_t i = at + call.size();
      while (i < source.size() && (source[i] == ' ' || source[i] == '\n')) ++i;
      if (source.compare(i, 2, "u\"") != 0) continue;
      const std::size_t end = source.find('"', i + 2);
      if (end != std::string::npos && end > i + 2) ids.insert(source.substr(i + 2, end - i - 2));
    }
  }
  return ids;
}

std::set<std::string> IdsUsedByTheCode() {
  std::set<std::string> ids;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(VELOMAR_SOURCE_TREE)) {
    const auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const auto found = IdsUsedIn(std::string(std::istreambuf_iterator<char>(in), {}));
    ids.insert(found.begin(), found.end());
  }
  return ids;
}

// The ids of a language file.
std::set<std::string> IdsOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string xml(std::istreambuf_iterator<char>(in), {});
  const std::string open = "<text id=\"";
  std::set<std::string> ids;
  for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
    const std::size_t end = xml.find('"', at + open.size());
    if (end != std::string::npos) ids.insert(xml.substr(at + open.size(), end - at - open.size()));
  }
  return ids;
}

class ShippedTextsTest : public velomar_test::VelomarTest {};

TEST_F(ShippedTextsTest, TheScannerFindsLiteralLookups) {
  EXPECT_EQ(IdsUsedIn("t->GetText(u\"SAVE\"); GetFormatted( u\"ERROR OPENING VOLUME\", 5); GetText(id);"),
            (std::set<std::string>{"SAVE", "ERROR OPENING VOLUME"}));
}

TEST_F(ShippedTextsTest, EveryShippedLanguageHoldsEveryIdTheCodeUses) {
  const auto used = IdsUsedByTheCode();
  std::map<std::string, std::set<std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(velomar::DataSourceFolder() / "traductions"))
    if (entry.path().extension() == ".xml") files[entry.path().filename().string()] = IdsOf(entry.path());
  ASSERT_GE(files.size(), 2u);
  const auto& reference = files.begin()->second;
  for (const auto& [name, ids] : files) {
    SCOPED_TRACE(name);
    for (const auto& id : used) EXPECT_TRUE(ids.count(id)) << "text id missing: " << id;
    EXPECT_EQ(ids, reference) << "the language files hold different ids";
  }
}

TEST_F(ShippedTextsTest, TheSetupInstallsEnglishAsDefaultAndSpanish) {
  ASSERT_TRUE(velomar::InstallDataFiles());
  EXPECT_TRUE(std::filesystem::exists(ce::DeviceRootFolder() / "Program Files/Velomar/traductions/english.xml"));

  const struct {
    std::u16string language;
    std::u16string error;
  } cases[] = {{u"es", u"Error"}, {u"", u"Error"}, {u"en", u"Error"}};
  std::map<std::u16string, std::u16string> expected_unknown = {{u"es", u"Desconocido"}, {u"en", u"Unknown"},
                                                               {u"", u"Unknown"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(ce::text::ToUtf8(c.language));
    SetSetting(u"language", c.language);
    CTranslator translator;
    EXPECT_EQ(translator.GetText(u"UNKNOWN"), expected_unknown[c.language]);
    EXPECT_EQ(translator.GetText(u"ERROR"), c.error);
    const std::u16string message = u"disk full";
    const std::u16string shown = translator.GetFormatted(u"ERROR WITH STRING PARAM", message.c_str());
    EXPECT_NE(shown.find(u"\ndisk full"), std::u16string::npos);
  }
  CTranslator translator;
  std::map<std::u16string, std::u16string> languages;
  translator.EnumLanguages(languages);
  EXPECT_EQ(languages, (std::map<std::u16string, std::u16string>{{u"English", u"en"}, {u"Espa\u00f1ol", u"es"}}));
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

}  // namespace
