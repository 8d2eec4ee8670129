// devicectl: reads and sets the state of the simulated device.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const char* command = argc > 1 ? argv[1] : "status";
  if (std::strcmp(command, "status") != 0) {
    std::fprintf(stderr, "devicectl: unknown command '%s' (try: status)\n", command);
    return 2;
  }
  const char* dir = std::getenv("CE_DEVICE_DIR");
  std::printf("device folder: %s\n", dir ? dir : "(not set)");
  return 0;
}
