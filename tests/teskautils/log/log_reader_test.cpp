// The log reader: its record parser, and the reader as a process of its own receiving what a
// program linked with the library logs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/teskautils/log_queue_reader.h"
#include "tests/teskautils/teskautils_fixture.h"
#include "tools/logreader/log_record.h"

extern char** environ;

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
class ReaderProcess {
 public:
  explicit ReaderProcess(const std::filesystem::path& device) {
    std::vector<std::string> args = {LOGREADER_PATH, "--device", device.string(), "--ready"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (posix_spawn(&pid_, LOGREADER_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    fd_ = fds[0];
  }
  ~ReaderProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) close(fd_);
  }

  // The next line, or nothing after `timeout_ms` of real time.
  std::optional<std::string> Line(int timeout_ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      const auto end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || fd_ < 0) return std::nullopt;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) return std::nullopt;
      pending_.append(buffer, static_cast<std::size_t>(n));
    }
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::string pending_;
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
