// Serial throughput through a pseudo-terminal: bytes per second read through "COM1:", in 4096-byte
// reads and in the one-byte reads of the GPS reader, and written from "COM1:".
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/files.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/serial/serial.h"
#include "platform/text/utf.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ReadThroughput(HANDLE port, int master, size_t total, DWORD chunk) {
  std::thread sender([&] {
    std::string block(8192, 'N');
    for (size_t sent = 0; sent < total;) {
      const ssize_t n = ::write(master, block.data(), std::min(block.size(), total - sent));
      if (n > 0) sent += n;
    }
  });
  std::vector<char> buf(chunk);
  size_t got = 0;
  const auto start = std::chrono::steady_clock::now();
  while (got < total) {
    DWORD n = 0;
    if (!ReadFile(port, buf.data(), chunk, &n, nullptr) || n == 0) break;
    got += n;
  }
  const double s = Seconds(start);
  sender.join();
  return got / s;
}

double WriteThroughput(HANDLE port, int master, size_t total) {
  std::thread drainer([&] {
    char buf[8192];
    for (size_t got = 0; got < total;) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) break;
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      got += n;
    }
  });
  const std::string block(4096, 'W');
  size_t sent = 0;
  const auto start = std::chrono::steady_clock::now();
  while (sent < total) {
    DWORD n = 0;
    if (!WriteFile(port, block.data(), block.size(), &n, nullptr) || n == 0) break;
    sent += n;
  }
  drainer.join();
  return sent / Seconds(start);
}

}  // namespace

int main() {
  const auto folder = std::filesystem::temp_directory_path() / ("serial_bench_" + std::to_string(getpid()));
  ce::SetDeviceFolder(folder);
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  grantpt(master);
  unlockpt(master);
  RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", u"COM1", ce::text::FromUtf8(ptsname(master)).c_str());
  HANDLE port = CreateFileW(u"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open COM1:\n");
    return 1;
  }
  DCB dcb{};
  GetCommState(port, &dcb);
  dcb.BaudRate = CBR_115200;
  SetCommState(port, &dcb);
  COMMTIMEOUTS t{0, 2, 2000, 1, 1000000};
  SetCommTimeouts(port, &t);

  std::printf("read, 4096-byte calls: %.0f bytes/s\n", ReadThroughput(port, master, 32u << 20, 4096));
  std::printf("read, 1-byte calls:    %.0f bytes/s\n", ReadThroughput(port, master, 2u << 20, 1));
  std::printf("write, 4096-byte calls: %.0f bytes/s\n", WriteThroughput(port, master, 32u << 20));
  CloseHandle(port);
  ::close(master);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
