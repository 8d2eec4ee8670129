// Starts device_peer as a second process of the test's device and reads its output lines.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace ce::testing {

class PeerProcess {
 public:
  PeerProcess(const std::filesystem::path& device, std::vector<std::string> args) {
    args.insert(args.begin(), {DEVICE_PEER_PATH, device.string()});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (posix_spawn(&pid_, DEVICE_PEER_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    fd_ = fds[0];
  }
  ~PeerProcess() {
    if (pid_ > 0) Wait();
    if (fd_ >= 0) close(fd_);
  }
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  // The next output line, or "<eof>" / "<timeout>" after `ms` of real time.
  std::string Line(int ms = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      auto nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return "<timeout>";
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buf[4096];
      ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return buffer_.empty() ? "<eof>" : std::exchange(buffer_, "");
      buffer_.append(buf, static_cast<std::size_t>(n));
    }
  }

  pid_t pid() const { return pid_; }

  // Ends the process at once, wherever it is (SIGKILL).
  void Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
  }

  // The exit code once the process ends.
  int Wait() {
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace ce::testing
