// The parameter-file reader: "name=value" lines read in 4096-byte blocks.
#include <gtest/gtest.h>

#include <string>

#include "tests/teskautils/files/device_files.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::WriteHostFile;

class ParameterFile : public teskautils_test::TeskaUtilsTest {};

// Filler lines up to `offset` bytes, then `line`, then filler up to `total`, then `last` without CR LF.
std::string Straddling(std::size_t offset, const std::string& line, std::size_t total, const std::string& last) {
  std::string text;
  while (text.size() + 12 + 2 <= offset) text += "relleno=xx\r\n";
  text += std::string(offset - text.size() - 2, '#') + "\r\n";  // a line without "="
  text += line;
  while (text.size() + 12 + 2 + last.size() <= total) text += "relleno=yy\r\n";
  text += std::string(total - text.size() - last.size() - 2, '#') + "\r\n";
  return text + last;
}

TEST_F(ParameterFile, FindsTheLastMatchingLine) {
  const std::string block_file = Straddling(4093, "cruz=al borde\r\n", 5000, "fin=ultimo");
  ASSERT_EQ(block_file.size(), 5000u);
  ASSERT_LT(block_file.find("cruz"), 4096u);
  ASSERT_GT(block_file.find("cruz") + 4, 4096u);  // the name itself is cut by the boundary
  struct Case {
    const char* name;
    std::string contents;
    const char16_t* parameter;
    int result;
    std::u16string value;
  } cases[] = {
      {"case-blind, last wins", "a=1\r\nA=2\r\n", u"a", 1, u"2"},
      {"not there", "a=1\r\n", u"b", 0, u"sin tocar"},
      {"last line without CR LF", "x=1\r\ny=\xfaltimo", u"Y", 1, u"\u00faltimo"},
      {"line without = is skipped", "basura\r\nb=3\r\n", u"basura", 0, u"sin tocar"},
      {"value keeps its =", "k=a=b\r\n", u"k", 1, u"a=b"},
      {"empty value", "v=\r\n", u"v", 1, u""},
      {"LF-only lines", "p=1\nq=2\n", u"q", 1, u"2"},
      {"line across the block boundary", block_file, u"cruz", 1, u"al borde"},
      {"last line of the second block", block_file, u"fin", 1, u"ultimo"},
      {"value cut to 99 characters", "largo=" + std::string(150, 'v') + "\r\n", u"largo", 1, std::u16string(99, u'v')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteHostFile("params.txt", c.contents);
    WCHAR value[100];
    std::fill(std::begin(value), std::end(value), u'!');
    const std::u16string untouched = u"sin tocar";
    std::copy(untouched.c_str(), untouched.c_str() + untouched.size() + 1, value);
    EXPECT_EQ(DameParametroArchivoString(u"\\params.txt", c.parameter, value), c.result);
    EXPECT_EQ(std::u16string(value), c.value);
  }
}

TEST_F(ParameterFile, MissingFileAnswersZero) {
  WCHAR value[100] = u"x";
  EXPECT_EQ(DameParametroArchivoString(u"\\no\\existe.txt", u"a", value), 0);
  EXPECT_EQ(std::u16string(value), u"x");
}

}  // namespace
