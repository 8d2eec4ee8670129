// The log reader: its record parser, and the reader as a process of its own receiving what a
// program linked with the library logs.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/child_process.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/teskautils/teskautils_fixture.h"
#include "tools/logreader/log_record.h"

namespace {

using teskautils_test::RecordBytes;
using teskautils_test::SeedLong;

TEST(LogRecordParser, ReadsRecordsAndRefusesOtherBytes) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::optional<std::string> line;
  } cases[] = {
      {RecordBytes(2, u"Velomar.exe|||12:00:00|||hola|||"), "2 Velomar.exe 12:00:00 hola"},
      {RecordBytes(-1, u"p|||t|||a|||b\r\nc|||"), "-1 p t a|||b  c"},
      {RecordBytes(0, u"p|||t||||||"), "0 p t "},
      {RecordBytes(1, u"p|||t|||sin final"), std::nullopt},
      {RecordBytes(1, u"p|||"), std::nullopt},
      {{1, 0, 0}, std::nullopt},
      {{1, 0, 0, 0, 'p'}, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto record = logreader::ParseLogRecord(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(record.has_value(), c.line.has_value()) << c.bytes.size();
    if (record) {
      EXPECT_EQ(logreader::FormatLogLine(*record), *c.line);
    }
  }
}

// The log reader as a child process on the test's device, its output read line by line.
class ReaderProcess : public ce::testing::ChildProcess {
 public:
  explicit ReaderProcess(const std::filesystem::path& device)
      : ChildProcess(LOGREADER_PATH, {LOGREADER_PATH, "--device", device.string(), "--ready"}, AtEnd::kTerminate) {}
  std::optional<std::string> Line() { return ReadLine(); }
};

class LogReaderProcess : public teskautils_test::TeskaUtilsTest {};

TEST_F(LogReaderProcess, PrintsWhatTheProgramLogs) {
  ReaderProcess reader(device_folder());
  ASSERT_EQ(reader.Line(), "ready");
  LogFormateado(2, u"Inicio %s %d", u"Velomar", 5);
  EXPECT_EQ(reader.Line(), "2 Velomar.exe 12:00:00 Inicio Velomar 5");
  Log(3, std::u16string(2500, u'x').c_str());  // over the default size
  EXPECT_EQ(reader.Line(), "3 Velomar.exe 12:00:00 Despreciando mensaje por longitud excesiva:5000 bytes");

  // Switched off, nothing arrives; switched on again (a new attach), the lines come back.
  teskautils::seam::DetachLibrary();
  EXPECT_EQ(reader.Line(), "1 Velomar.exe 12:00:00 DLL_PROCESS_DETACH Velomar.exe");
  SeedLong(u"log_habilitado", 0);
  teskautils::seam::AttachLibrary();
  LogFormateado(2, u"oculto");
  teskautils::seam::DetachLibrary();
  SeedLong(u"log_habilitado", 1);
  teskautils::seam::AttachLibrary();
  EXPECT_EQ(reader.Line(), "1 Velomar.exe 12:00:00 DLL_PROCESS_ATTACH Velomar.exe");
  LogFormateado(2, u"visible");
  EXPECT_EQ(reader.Line(), "2 Velomar.exe 12:00:00 visible");
}

}  // namespace
