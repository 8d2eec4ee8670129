#include "platform/testing/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <utility>

extern char** environ;

namespace ce::testing {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args, AtEnd at_end,
                           Output output)
    : at_end_(at_end) {
  std::vector<std::string> owned = args;
  std::vector<char*> argv;
  for (std::string& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (output == Output::kInherit) {
    eof_ = true;
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    return;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  fd_ = fds[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    if (at_end_ == AtEnd::kTerminate) Terminate();
    Wait();
  }
  if (fd_ >= 0) close(fd_);
}

std::optional<std::string> ChildProcess::ReadLine(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    if (eof_ || fd_ < 0) {
      eof_ = true;
      if (pending_.empty()) return std::nullopt;
      return std::exchange(pending_, std::string());
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
      eof_ = true;
      continue;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
}

void ChildProcess::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
}

void ChildProcess::Terminate() {
  if (pid_ > 0) kill(pid_, SIGTERM);
}

int ChildProcess::Wait() {
  int status = 0;
  if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace ce::testing
