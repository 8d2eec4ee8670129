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
#include <utility>
#include <vector>

#include "platform/testing/device_process.h"

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
  ToolRun run = RunTool(args, /*capture_err=*/true);
  return ToolResult{run.code, std::move(run.out), std::move(run.err)};
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
