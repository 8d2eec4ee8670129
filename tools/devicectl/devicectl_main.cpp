// devicectl: reads and sets the state of the simulated phone, lists what the device sent and
// scripts its answers. Usable at a shell and by tests; see README.md for the commands.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/kernel/device_folder.h"
#include "tools/devicectl/devicectl_commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "--device") {
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
  if (rc != 0 && error.empty() && !ce::device::Available())
    error = "cannot open the device model " + (ce::DeviceFolder() / "hardware.db").string();
  if (rc != 0 && !error.empty()) std::fprintf(stderr, "devicectl: %s\n", error.c_str());
  return rc;
}
