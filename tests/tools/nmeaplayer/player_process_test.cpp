// The player as a process: what it refuses to read from or write to, and a pseudo-terminal that
// gets every epoch, the last one too, however fast it plays.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/nmeaplayer/nmea_source.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Player {
  pid_t pid = -1;
  int out = -1;  // standard output and standard error
};

Player Start(std::vector<std::string> args) {
  args.insert(args.begin(), NMEAPLAYER_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  Player p;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return p;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  if (posix_spawn(&p.pid, NMEAPLAYER_PATH, &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  p.out = fds[0];
  return p;
}

// Everything the player prints until it ends, and its exit code (-1 when killed after 30 s).
std::string Finish(Player& p, int* code) {
  std::string out;
  char buf[4096];
  // Reading a log without end up to its 64 MB refusal is about 2 CPU-s for the sanitized player,
  // and took 18 s beside a load of 36 on six cores (past 30 s in a whole-suite run).
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  for (;;) {
    pollfd fd{p.out, POLLIN, 0};
    if (std::chrono::steady_clock::now() > end) {
      kill(p.pid, SIGKILL);
      break;
    }
    if (poll(&fd, 1, 100) <= 0) continue;
    const ssize_t n = read(p.out, buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  close(p.out);
  int status = 0;
  waitpid(p.pid, &status, 0);
  *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

class PlayerProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "nmeaplayer-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    log_ = dir_ / "flight.nmea";
    std::ofstream(log_) << "$GPRMC,120000,A,4124.8963,N,00209.7553,E,10.0,90.0,010626,,*00\n"
                           "$GPRMC,120001,A,4124.8963,N,00209.7600,E,10.0,90.0,010626,,*00\n"
                           "$GPRMC,120002,A,4124.8963,N,00209.7650,E,10.0,90.0,010626,,*00\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_, log_;
};

TEST_F(PlayerProcess, RefusesWhatItCannotPlayFromOrTo) {
  const auto file = dir_ / "not-a-port.txt";
  std::ofstream(file) << "keep me";
  const struct {
    const char* what;
    std::vector<std::string> args;
    int code;
    const char* message;
  } cases[] = {
      {"a regular file as the device", {log_.string(), file.string()}, 2, "is not a serial device"},
      {"a folder as the log", {dir_.string(), file.string()}, 1, "cannot read"},
      {"a log without end", {"/dev/zero", file.string()}, 1, "is larger than"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Player p = Start(c.args);
    ASSERT_GT(p.pid, 0);
    int code = 0;
    const std::string out = Finish(p, &code);
    EXPECT_EQ(c.code, code);
    EXPECT_NE(std::string::npos, out.find(c.message)) << out;
  }
  std::ifstream in(file);
  EXPECT_EQ("keep me", std::string(std::istreambuf_iterator<char>(in), {}));
}

// At full speed, with a reader that opens the port late: nothing is played before the reader is
// there, and the last epoch is not lost when the player ends.
TEST_F(PlayerProcess, APseudoTerminalGetsEveryEpochAtFullSpeed) {
  std::ifstream in(log_);
  std::string expected;
  for (const auto& e : nmeaplayer::EpochsFromNmeaLog(std::string(std::istreambuf_iterator<char>(in), {})))
    expected += e.bytes;
  ASSERT_FALSE(expected.empty());

  Player p = Start({"-r", "0", log_.string(), "--pty"});
  ASSERT_GT(p.pid, 0);
  std::string path;
  for (char c; read(p.out, &c, 1) == 1 && c != '\n';) path += c;
  ASSERT_EQ(0u, path.rfind("/dev/pts/", 0)) << path;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the reader comes late

  const int port = open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(port, 0);
  termios tio{};
  tcgetattr(port, &tio);
  cfmakeraw(&tio);
  tcsetattr(port, TCSANOW, &tio);
  std::string got;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (got.size() < expected.size() && std::chrono::steady_clock::now() < end) {
    pollfd fd{port, POLLIN, 0};
    if (poll(&fd, 1, 100) <= 0) continue;
    char buf[4096];
    const ssize_t n = read(port, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  int code = -1;
  Finish(p, &code);
  close(port);
  EXPECT_EQ(0, code);
  EXPECT_EQ(expected, got);
}

}  // namespace
