// Starts device_peer as a second process of the test's device and reads its output lines.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/child_process.h"

namespace ce::testing {

class PeerProcess : public ChildProcess {
 public:
  PeerProcess(const std::filesystem::path& device, std::vector<std::string> args)
      : ChildProcess(DEVICE_PEER_PATH, WithProgram(device, std::move(args))) {}

  // The next output line, or "<eof>" / "<timeout>" after `ms` of real time.
  std::string Line(int ms = 10000) {
    if (std::optional<std::string> line = ReadLine(ms)) return *line;
    return at_eof() ? "<eof>" : "<timeout>";
  }

 private:
  static std::vector<std::string> WithProgram(const std::filesystem::path& device, std::vector<std::string> args) {
    args.insert(args.begin(), {DEVICE_PEER_PATH, device.string()});
    return args;
  }
};

}  // namespace ce::testing
