// devicectl: reads and sets the state of the simulated phone, lists what the device sent and
// scripts its answers. Usable at a shell and by tests; see README.md for the commands.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/kernel/device_folder.h"
#include "tools/devicectl/devicectl_commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--device") {
    // An empty folder would fall back to $CE_DEVICE_DIR or ./device: another device than asked.
    if (args.size() < 2 || args[1].empty()) {
      std::fprintf(stderr, "devicectl: --device needs a folder\n");
      return 2;
    }
    // A folder that is not there is a mistyped one: it is not made into a new device.
    std::error_code missing;
    if (!std::filesystem::is_directory(args[1], missing)) {
      std::fprintf(stderr, "devicectl: no device folder %s\n", args[1].c_str());
      return 2;
    }
    ce::SetDeviceFolder(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) args.push_back("status");
  if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
    std::fputs(devicectl::kUsage, stdout);
    return 0;
  }
  std::string error;
  int rc = devicectl::Run(args, &error);
  if (rc != 0 && error.empty()) error = "the device could not do it";
  if (rc != 0) std::fprintf(stderr, "devicectl: %s\n", devicectl::Escaped(error).c_str());
  return rc;
}
