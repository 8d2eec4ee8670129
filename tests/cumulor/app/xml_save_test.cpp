#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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
  // No temporary file is left; the previous document is kept as a copy beside it.
  EXPECT_EQ(FilesInRoot(), 2u);
  std::string first_bytes;
  XmlWriteDocument(first, first_bytes);
  EXPECT_EQ(Read("KV_SETTINGS.xml.old"), first_bytes);

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
      {"rename fails", [] { FileSystemSeam::Get().FailCall(FileCall::kMove, ERROR_SHARING_VIOLATION); }},
  };
  for (const Case& c : cases) {
    c.arrange();
    XmlNode changed = Document(9);
    EXPECT_EQ(XmlSaveFile(changed, u"\\KV_TASKS.xml", nullptr), 0) << c.what;
    FileSystemSeam::Get().Reset();
    EXPECT_EQ(Read("KV_TASKS.xml"), before) << c.what;
    EXPECT_FALSE(std::filesystem::exists(device_folder() / "root" / "KV_TASKS.xml.tmp")) << c.what;
  }
}

TEST_F(XmlSave, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewDocumentWhole) {
  XmlNode a = Document(1);
  XmlNode b = Document(2);
  std::string bytes_a, bytes_b;
  XmlWriteDocument(a, bytes_a);
  XmlWriteDocument(b, bytes_b);
  ASSERT_EQ(XmlSaveFile(a, u"\\KV_SETTINGS.xml", nullptr), 1);
  std::mt19937 random(17);
  std::uniform_int_distribution<int> saves_first(1, 4);
  std::uniform_int_distribution<int> moment_us(0, 5000);
  int seen_a = 0, seen_b = 0;
  for (int round = 0; round < 100; ++round) {
    // The writer reports each save it has finished, so that the kill falls while it works however
    // slowly it was scheduled: after a random number of saves, at a random moment of the next.
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      close(done[0]);
      const char saved = 1;
      for (;;) {  // saves the two documents in turn until killed
        XmlSaveFile(b, u"\\KV_SETTINGS.xml", nullptr);
        if (write(done[1], &saved, 1) != 1) _exit(1);
        XmlSaveFile(a, u"\\KV_SETTINGS.xml", nullptr);
        if (write(done[1], &saved, 1) != 1) _exit(1);
      }
    }
    close(done[1]);
    const int saves = saves_first(random);
    int reported = 0;
    char byte = 0;
    pollfd report{done[0], POLLIN, 0};
    while (reported < saves && poll(&report, 1, 60000) == 1 && read(done[0], &byte, 1) == 1) ++reported;
    std::this_thread::sleep_for(std::chrono::microseconds(moment_us(random)));
    kill(writer, SIGKILL);
    close(done[0]);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_EQ(reported, saves) << "round " << round << ": the writer stopped saving";
    const std::string now = Read("KV_SETTINGS.xml");
    ASSERT_TRUE(now == bytes_a || now == bytes_b) << "round " << round << ": " << now.size() << " bytes";
    (now == bytes_a ? seen_a : seen_b)++;
  }
  // The writer was caught at both documents, so it was killed while it worked.
  EXPECT_GT(seen_a, 0);
  EXPECT_GT(seen_b, 0);
  XmlNode back = XmlNode::ConstructTop();
  EXPECT_EQ(XmlParseFile(u"\\KV_SETTINGS.xml", back), kXmlParsed);
}

TEST_F(XmlSave, PositionsSurviveRepeatedSavesUnchanged) {
  // 200 consecutive positions on both sides of both axes.
  std::vector<GeoPoint> positions;
  for (std::int32_t i = 0; i < 200; ++i) {
    positions.push_back(GeoPoint{8 * 36000 + 17 * i - 1700, 47 * 36000 + i});
    positions.push_back(GeoPoint{-(122 * 36000 + i), -(33 * 36000 + 7 * i)});
  }
  std::vector<GeoPoint> current = positions;
  for (int cycle = 0; cycle < 10; ++cycle) {
    XmlNode top = XmlNode::ConstructTop();
    XmlNode* task = top.AddChild("Task");
    for (const GeoPoint& p : current) task->AddChild("Point")->AddChildLatLon(p);
    ASSERT_EQ(XmlSaveFile(top, u"\\KV_TASKS.xml", nullptr), 1);
    XmlNode back = XmlNode::ConstructTop();
    ASSERT_EQ(XmlParseFile(u"\\KV_TASKS.xml", back), kXmlParsed);
    const XmlNode* read_task = back.Child(0);
    ASSERT_EQ(read_task->ChildCount(), static_cast<std::int32_t>(current.size()));
    for (std::int32_t i = 0; i < read_task->ChildCount(); ++i) ASSERT_TRUE(read_task->Child(i)->GetChildLatLon(current[i]));
  }
  for (std::size_t i = 0; i < positions.size(); ++i) {
    EXPECT_EQ(current[i], positions[i]) << "position " << i;
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
