// Serial throughput through a pseudo-terminal, in MB/s: read through "COM1:" in 4096-byte calls
// and in the one-byte calls of the GPS reader, and written from "COM1:".
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/side_by_side.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/serial/serial.h"
#include "platform/text/utf.h"

namespace {

// "COM1:" on one end of a pseudo-terminal; the benchmark drives the other end.
struct Port {
  int master = -1;
  HANDLE port = INVALID_HANDLE_VALUE;
  Port() {
    bench::TemporaryDeviceFolder();
    master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", u"COM1", ce::text::FromUtf8(ptsname(master)).c_str());
    port = CreateFileW(u"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) return;
    DCB dcb{};
    GetCommState(port, &dcb);
    dcb.BaudRate = CBR_115200;
    SetCommState(port, &dcb);
    COMMTIMEOUTS t{0, 2, 2000, 1, 1000000};
    SetCommTimeouts(port, &t);
  }
  ~Port() {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    ::close(master);
  }
};

void Read(benchmark::State& state, std::size_t total, DWORD chunk) {
  Port p;
  if (p.port == INVALID_HANDLE_VALUE) return state.SkipWithError("cannot open COM1:");
  bench::SideBySide side(state, "MB/s", bench::kWallClock);
  std::vector<char> buf(chunk);
  for (auto _ : state) {
    std::thread sender([&] {
      std::string block(8192, 'N');
      for (std::size_t sent = 0; sent < total;) {
        const ssize_t n = ::write(p.master, block.data(), std::min(block.size(), total - sent));
        if (n > 0) sent += static_cast<std::size_t>(n);
      }
    });
    side.Ours(total / 1e6, [&] {
      for (std::size_t got = 0; got < total;) {
        DWORD n = 0;
        if (!ReadFile(p.port, buf.data(), chunk, &n, nullptr) || n == 0) return state.SkipWithError("read failed");
        got += n;
      }
    });
    sender.join();
  }
}

void BM_SerialRead4096(benchmark::State& state) { Read(state, 8u << 20, 4096); }
BENCH(BM_SerialRead4096);

void BM_SerialReadByte(benchmark::State& state) { Read(state, 1u << 20, 1); }
BENCH(BM_SerialReadByte);

void BM_SerialWrite4096(benchmark::State& state) {
  Port p;
  if (p.port == INVALID_HANDLE_VALUE) return state.SkipWithError("cannot open COM1:");
  const std::size_t total = 8u << 20;
  const std::string block(4096, 'W');
  bench::SideBySide side(state, "MB/s", bench::kWallClock);
  for (auto _ : state) {
    std::thread drainer([&] {
      char buf[8192];
      for (std::size_t got = 0; got < total;) {
        pollfd pfd{p.master, POLLIN, 0};
        if (poll(&pfd, 1, 2000) <= 0) break;
        const ssize_t n = ::read(p.master, buf, sizeof buf);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
      }
    });
    side.Ours(total / 1e6, [&] {
      for (std::size_t sent = 0; sent < total;) {
        DWORD n = 0;
        if (!WriteFile(p.port, block.data(), static_cast<DWORD>(block.size()), &n, nullptr) || n == 0)
          return state.SkipWithError("write failed");
        sent += n;
      }
      drainer.join();
    });
  }
}
BENCH(BM_SerialWrite4096);

}  // namespace
