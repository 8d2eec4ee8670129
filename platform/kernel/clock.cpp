#include "platform/kernel/clock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/base/errors.h"
#include "platform/kernel/clock_internal.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/waitable.h"

namespace ce::kernel {
namespace {

using std::chrono::steady_clock;

// The manual clock. Written under the kernel lock (so that waits see a change and are woken),
// read without it.
std::atomic<bool> g_manual{false};
std::atomic<std::uint64_t> g_manual_us{0};
std::atomic<std::int64_t> g_manual_utc{0};

std::uint64_t RealMonotonicUs() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(steady_clock::now().time_since_epoch())
          .count());
}

std::int64_t HostUtc() {
  auto since_1970 = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
  return kUnixEpochAsFileTime + since_1970 * 10;
}

// The device clock offset file, re-read at most every 100 ms (another process may move it).
constexpr const char* kClockFile = "clock";
struct OffsetCache {
  std::mutex lock;
  std::uint64_t serial = 0;  // DeviceFolderSerial() when the offset was read or written
  std::int64_t offset_ms = 0;
  steady_clock::time_point checked{};
};

OffsetCache& TheOffsetCache() {
  static OffsetCache* cache = new OffsetCache;
  return *cache;
}

// About 28 500 years either way: any offset that keeps the clock inside a FILETIME's reach, and
// small enough that the clock arithmetic cannot overflow.
constexpr long long kMaxOffsetMs = 900'000'000'000'000LL;

std::int64_t ReadOffsetFile(const std::filesystem::path& folder) {
  std::ifstream in(folder / kClockFile);
  std::string key;
  long long value = 0;
  while (in >> key) {
    if (key == "offset_ms" && in >> value) return value >= -kMaxOffsetMs && value <= kMaxOffsetMs ? value : 0;
    in.ignore(1 << 20, '\n');
  }
  return 0;  // no file or no offset: the host's time
}

}  // namespace

std::uint64_t MonotonicUs() { return g_manual.load() ? g_manual_us.load() : RealMonotonicUs(); }

std::uint64_t MonotonicMs() { return MonotonicUs() / 1000; }

std::int64_t DeviceClockOffsetMs() {
  OffsetCache& c = TheOffsetCache();
  std::lock_guard<std::mutex> guard(c.lock);
  auto now = steady_clock::now();
  // Within 100 ms of the last look and with the same device folder, the offset read then holds:
  // the folder is not looked up again (a look makes it when missing, which takes a file call).
  const std::uint64_t serial = DeviceFolderSerial();
  if (serial == c.serial && now - c.checked <= std::chrono::milliseconds(100)) return c.offset_ms;
  c.serial = serial;
  c.offset_ms = ReadOffsetFile(DeviceFolder());
  c.checked = now;
  return c.offset_ms;
}

DWORD SetDeviceClockOffsetMs(std::int64_t offset_ms) {
  OffsetCache& c = TheOffsetCache();
  const std::uint64_t serial = DeviceFolderSerial();
  std::filesystem::path folder = DeviceFolder();
  std::lock_guard<std::mutex> guard(c.lock);
  // Written aside and renamed, so that a reader in another process never sees half a file; a file
  // that could not be written whole (a full or read-only folder) never replaces the one in place.
  const std::filesystem::path temp = folder / (std::string(kClockFile) + ".new");
  const std::string text = "offset_ms " + std::to_string(offset_ms) + "\n";
  const auto failed = [&temp](int error) -> DWORD {
    ::unlink(temp.c_str());
    if (error == ENOSPC || error == EDQUOT || error == EFBIG) return ERROR_DISK_FULL;
    if (error == EROFS || error == EACCES || error == EPERM) return ERROR_ACCESS_DENIED;
    return ERROR_WRITE_FAULT;
  };
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return failed(errno);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      return failed(error);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) return failed(errno);
  if (::rename(temp.c_str(), (folder / kClockFile).c_str()) != 0) return failed(errno);
  c.serial = serial;
  c.offset_ms = offset_ms;
  c.checked = steady_clock::now();
  return ERROR_SUCCESS;
}

std::int64_t SystemTimeUtc() {
  if (g_manual.load()) return g_manual_utc.load();
  return HostUtc() + DeviceClockOffsetMs() * 10'000;
}

DWORD SetSystemTimeUtc(std::int64_t utc_100ns) {
  if (g_manual.load()) {
    auto lock = LockKernel();
    g_manual_utc = utc_100ns;
    WakeWaitersLocked();
    return ERROR_SUCCESS;
  }
  return SetDeviceClockOffsetMs((utc_100ns - HostUtc()) / 10'000);
}

void InstallManualClock(std::int64_t utc_100ns) {
  auto lock = LockKernel();
  g_manual_us = kManualTickStart * 1000;
  g_manual_utc = utc_100ns;
  g_manual = true;
  WakeWaitersLocked();
}

void RemoveManualClock() {
  auto lock = LockKernel();
  g_manual = false;
  WakeWaitersLocked();
}

bool ManualClockInstalled() { return g_manual.load(); }

void AdvanceManualClock(std::uint64_t ms) {
  auto lock = LockKernel();
  g_manual_us += ms * 1000;
  g_manual_utc += static_cast<std::int64_t>(ms) * 10'000;
  WakeWaitersLocked();
}

DeadlineCheck CheckDeadlineLocked(std::optional<std::uint64_t> deadline_ms) {
  if (!deadline_ms) return {false, std::nullopt};
  std::uint64_t now = MonotonicMs();
  if (now >= *deadline_ms) return {true, std::nullopt};
  if (g_manual.load()) return {false, std::nullopt};
  return {false, steady_clock::now() + std::chrono::milliseconds(*deadline_ms - now)};
}

}  // namespace ce::kernel
