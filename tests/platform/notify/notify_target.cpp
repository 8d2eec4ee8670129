// notify_target: a program that notifications start in the tests. It appends its command line and
// a line end to "started.log" in its device folder ($CE_DEVICE_DIR), in one write.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const char* device = std::getenv("CE_DEVICE_DIR");
  if (!device || argc < 2) return 2;
  const std::string line = std::string(argv[1]) + "\n";
  const int fd = open((std::string(device) + "/started.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (fd < 0) return 1;
  const bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  close(fd);
  return written ? 0 : 1;
}
