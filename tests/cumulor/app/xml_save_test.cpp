#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"
#include "platform/files/file_system_seam.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

using ce::files::FileCall;
using ce::files::FileSystemSeam;

class XmlSave : public ce::testing::DeviceTest {
 protected:
  void TearDown() override {
    FileSystemSeam::Get().Reset();
    DeviceTest::TearDown();
  }
  std::string Read(const char* name) {
    std::ifstream in(device_folder() / "root" / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::size_t FilesInRoot() {
    std::size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(device_folder() / "root")) n += e.is_regular_file();
    return n;
  }
  static XmlNode Document(std::int32_t zoom) {
    XmlNode top = XmlNode::ConstructTop();
    XmlNode* s = top.AddChild("Settings");
    s->AddChildInt("Zoom", zoom);
    for (int i = 0; i < 2000; ++i) s->AddChildString("Name", "Turnpoint with a long name");
    return top;
  }
};

TEST_F(XmlSave, SavesReplacesAndReadsBackWithTheProfileName) {
  XmlNode first = Document(1);
  ASSERT_EQ(XmlSaveFile(first, u"\\KV_SETTINGS.xml", nullptr), 1);
  XmlNode second = Document(2);
  ASSERT_EQ(XmlSaveFile(second, u"\\KV_SETTINGS.xml", "Club <2>"), 1);
  // The profile name is kept in the tree as the document element's last child.
  EXPECT_STREQ(second.Child(0)->Child(second.Child(0)->ChildCount() - 1)->Name().CStr(), "Profile");
  EXPECT_EQ(FilesInRoot(), 1u);  // no temporary or previous file is left behind

  XmlNode back = XmlNode::ConstructTop();
  ASSERT_EQ(XmlParseFile(u"\\KV_SETTINGS.xml", back), kXmlParsed);
  std::int32_t zoom = 0;
  EXPECT_TRUE(back.GetChildInt("Zoom", zoom));
  EXPECT_EQ(zoom, 2);
  EXPECT_STREQ(back.GetChildText("Profile"), "Club <2>");
}

TEST_F(XmlSave, AFailureAnywhereLeavesThePreviousFileAsItWas) {
  XmlNode old = Document(1);
  ASSERT_EQ(XmlSaveFile(old, u"\\KV_TASKS.xml", nullptr), 1);
  const std::string before = Read("KV_TASKS.xml");

  struct Case {
    const char* what;
    void (*arrange)();
  } cases[] = {
      {"cannot create", [] { FileSystemSeam::Get().FailCall(FileCall::kCreate, ERROR_ACCESS_DENIED); }},
      {"write fails", [] { FileSystemSeam::Get().FailCall(FileCall::kWrite, ERROR_WRITE_FAULT); }},
      {"disk full", [] { FileSystemSeam::Get().SetDiskFull(true); }},
      {"flush fails", [] { FileSystemSeam::Get().FailCall(FileCall::kFlush, ERROR_WRITE_FAULT); }},
      {"first rename fails", [] { FileSystemSeam::Get().FailCall(FileCall::kMove, ERROR_SHARING_VIOLATION); }},
      {"second rename fails", [] { FileSystemSeam::Get().FailCall(FileCall::kMove, ERROR_SHARING_VIOLATION, 1); }},
  };
  for (const Case& c : cases) {
    c.arrange();
    XmlNode changed = Document(9);
    EXPECT_EQ(XmlSaveFile(changed, u"\\KV_TASKS.xml", nullptr), 0) << c.what;
    FileSystemSeam::Get().Reset();
    EXPECT_EQ(Read("KV_TASKS.xml"), before) << c.what;
    EXPECT_EQ(FilesInRoot(), 1u) << c.what;
  }
}

TEST_F(XmlSave, MissingAndEmptyFiles) {
  XmlNode top = XmlNode::ConstructTop();
  EXPECT_EQ(XmlParseFile(u"\\none.xml", top), kXmlNoFile);
  std::filesystem::create_directories(device_folder() / "root");
  std::ofstream(device_folder() / "root" / "empty.xml").close();
  EXPECT_EQ(XmlParseFile(u"\\empty.xml", top), kXmlNoFile);
  EXPECT_EQ(top.ChildCount(), 0);
  EXPECT_EQ(XmlSaveFile(top, u"\\No Folder\\x.xml", nullptr), 0);
  EXPECT_EQ(XmlSaveFile(top, nullptr, nullptr), 0);
  EXPECT_EQ(XmlParseFile(nullptr, top), kXmlNoFile);
}

}  // namespace
}  // namespace cumulor
