// Runs the device control tool as its own process on a test's device folder.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace ce::testing {

struct ToolResult {
  int exit_code = -1;
  std::string out;
  std::string err;  // standard error
};

// DEVICECTL_PATH is set by the test folder's CMakeLists.txt. An empty `device` adds no --device.
inline ToolResult RunDevicectl(const std::filesystem::path& device, std::vector<std::string> args) {
  if (device.empty()) {
    args.insert(args.begin(), DEVICECTL_PATH);
  } else {
    args.insert(args.begin(), {DEVICECTL_PATH, "--device", device.string()});
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ToolResult r;
  int fds[2];
  if (pipe(fds) != 0) return r;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  // Standard error goes to a file beside the device, read once the tool has ended.
  const std::string err_path =
      (device.empty() ? std::filesystem::temp_directory_path() / "devicectl" : device).string() + ".devicectl-stderr";
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  if (posix_spawn(&pid, DEVICECTL_PATH, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) r.out.append(buf, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
  std::ifstream err(err_path, std::ios::binary);
  r.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  std::filesystem::remove(err_path);
  return r;
}

// The value the tool's status shows for `name` ("" when it shows none).
inline std::string StatusValue(const std::string& status, const std::string& name) {
  std::size_t pos = 0;
  while (pos < status.size()) {
    std::size_t end = status.find('\n', pos);
    if (end == std::string::npos) end = status.size();
    std::string line = status.substr(pos, end - pos);
    if (line.compare(0, name.size(), name) == 0 && line.size() > name.size() && line[name.size()] == ' ') {
      std::size_t v = line.find_first_not_of(' ', name.size());
      return v == std::string::npos ? std::string() : line.substr(v);
    }
    pos = end + 1;
  }
  return {};
}

}  // namespace ce::testing
