#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/app/base/text_file.h"
#include "cumulor/app/base/xml_reader.h"
#include "platform/files/file_system_seam.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

class TextFile : public ce::testing::DeviceTest {
 protected:
  void Put(const char* name, const std::string& bytes) {
    std::filesystem::create_directories(device_folder() / "root");
    std::ofstream(device_folder() / "root" / name, std::ios::binary) << bytes;
  }
  static std::vector<std::string> Lines(const TextLines& t) {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < t.LineCount(); ++i) {
      EXPECT_EQ(t.LineText(i)[t.LineLength(i)], '\0');
      lines.emplace_back(t.LineText(i), static_cast<std::size_t>(t.LineLength(i)));
    }
    return lines;
  }
};

TEST_F(TextFile, LinesKeepTheirCrAndEmptyLinesAreLeftOut) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"one\r\ntwo\r\n", {"one\r", "two\r"}},
      {"one\ntwo", {"one", "two\r"}},  // no final line end: CR LF appended, the last line is indexed
      {"a\n\n\r\nb\r\n", {"a", "b\r"}},
      {std::string("\xFF\x00z\n", 4), {std::string("\xFF\x00z", 3)}},
  };
  for (const Case& c : cases) {
    Put("lines.txt", c.bytes);
    TextLines t = ReadWholeFile(u"\\lines.txt");
    EXPECT_EQ(t.Result(), 0);
    EXPECT_TRUE(t.Loaded());
    EXPECT_EQ(Lines(t), c.lines);
  }
}

TEST_F(TextFile, MissingEmptyAndUnreadableFiles) {
  EXPECT_EQ(ReadWholeFile(u"\\missing.txt").Result(), kTextFileCannotOpen);
  Put("empty.txt", "");
  TextLines empty = ReadWholeFile(u"\\empty.txt");
  EXPECT_EQ(empty.Result(), kTextFileEmpty);
  EXPECT_FALSE(empty.Loaded());
  Put("data.txt", "x\r\n");
  ce::files::FileSystemSeam::Get().FailCall(ce::files::FileCall::kRead, ERROR_READ_FAULT);
  TextLines failed = ReadWholeFile(u"\\data.txt");
  ce::files::FileSystemSeam::Get().Reset();
  EXPECT_EQ(failed.Result(), E_FAIL);
  EXPECT_EQ(failed.LineCount(), 0);
  // A block given as null with a length holds nothing.
  EXPECT_EQ(SplitTextLines(nullptr, 16).Result(), kTextFileEmpty);
  SourceBuffer none;
  none.LoadBytes(nullptr, 16);
  EXPECT_EQ(none.loaded, 0);
  XmlNode top = XmlNode::ConstructTop();
  EXPECT_EQ(XmlParseBytes(nullptr, 16, top), kXmlNoFile);
}

TEST_F(TextFile, SourceBufferGivesEveryByteThenTheEnd) {
  Put("src.xml", std::string("a\xFF\x00", 3));
  ce::files::FileSystemSeam::Get().SetMaxReadSize(1);  // short reads are gathered up
  SourceBuffer buffer;
  LoadFileBuffer(u"\\src.xml", buffer);
  ce::files::FileSystemSeam::Get().Reset();
  ASSERT_EQ(buffer.loaded, 1);
  EXPECT_EQ(buffer.Next(), 'a');
  EXPECT_EQ(buffer.Next(), 0xFF);
  EXPECT_EQ(buffer.Next(), 0);
  EXPECT_EQ(buffer.Next(), SourceBuffer::kEndOfInput);
  EXPECT_EQ(buffer.Next(), SourceBuffer::kEndOfInput);

  Put("empty.xml", "");
  LoadFileBuffer(u"\\empty.xml", buffer);
  EXPECT_EQ(buffer.loaded, 0);
  LoadFileBuffer(u"\\none.xml", buffer);
  EXPECT_EQ(buffer.loaded, 0);
}

}  // namespace
}  // namespace cumulor
