// A language reload while other threads draw texts: the readers always see whole texts of one of
// the loaded tables, and no table is freed under them.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/app/base/language.h"
#include "platform/testing/device_test.h"

using namespace cumulor;

namespace {

class LanguageReload : public ce::testing::DeviceTest {};

TEST_F(LanguageReload, ReadersOnOtherThreadsSeeWholeTextsWhileTablesAreReplaced) {
  const auto root = device_folder() / "root";
  std::filesystem::create_directories(root);
  // Two documents giving every box caption a text of its own, and a language to select.
  for (const char* name : {"a", "b"}) {
    std::ofstream out(root / (std::string(name) + ".xml"));
    out << "<Texts><English>";
    for (int id = 100; id <= 165; ++id) out << "<T id=\"" << id << "\">" << name << name << name << id << "</T>";
    out << "</English><Deutsch><T id=\"5\">Ende</T></Deutsch></Texts>";
  }

  std::atomic<bool> stop{false};
  std::atomic<long> reads{0};
  std::atomic<int> bad{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      while (!stop) {
        for (int id = 100; id <= 165; ++id) {
          const WCHAR* text = LangText(id);
          if (!text) {
            ++bad;
            continue;
          }
          // A caption of either document ("aaa100") or the built-in one: never a torn or freed one.
          const std::u16string s(text);
          const bool fromDocument = s.size() == 6 && (s[0] == u'a' || s[0] == u'b') && s[1] == s[0] && s[2] == s[0];
          if (!fromDocument && s.empty()) ++bad;
          ++reads;
        }
        if (const WCHAR* exit = LangText(5); !exit || (std::u16string(exit) != u"Exit" && std::u16string(exit) != u"Ende"))
          ++bad;
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    LangLoadFile(i % 2 ? u"\\a.xml" : u"\\b.xml");
    if (i % 3 == 0) LangFind(u"Deutsch");
  }
  stop = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_GT(reads.load(), 0);
  // The last load (a) is in force; English is current after a load.
  EXPECT_EQ(std::u16string(LangText(100)), u"aaa100");
  LangLoadFile(u"\\none.xml");
  EXPECT_EQ(std::u16string(LangText(100)), u"TP Arrow");
}

}  // namespace
