// Wakes the registry watchers of every process after a committed write.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/kernel/device_folder.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/registry_watch.h"

namespace ce::registry {

namespace fs = std::filesystem;

fs::path WatchFolder() {
  fs::path dir = DeviceRuntimeFolder() / "regwatch";
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

bool FillAddress(const fs::path& path, sockaddr_un* addr) {
  std::string s = path.string();
  if (s.size() >= sizeof addr->sun_path) return false;
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  std::memcpy(addr->sun_path, s.c_str(), s.size() + 1);
  return true;
}

void AnnounceChange() {
  // The folder listing is cached until the folder changes (a watcher came or went).
  static std::mutex mu;
  static fs::path cached_dir;
  static struct timespec cached_mtime {};
  static std::vector<fs::path> targets;
  static std::uint64_t folder_serial = 0;
  static fs::path dir;
  std::lock_guard<std::mutex> guard(mu);
  if (const std::uint64_t serial = DeviceFolderSerial(); serial != folder_serial) {
    dir = DeviceRuntimeFolder() / "regwatch";
    folder_serial = serial;
  }
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return;
  if (dir != cached_dir || st.st_mtim.tv_sec != cached_mtime.tv_sec || st.st_mtim.tv_nsec != cached_mtime.tv_nsec) {
    targets.clear();
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir, ec)) targets.push_back(e.path());
    cached_dir = dir;
    cached_mtime = st.st_mtim;
  }
  static int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  for (auto& t : targets) {
    sockaddr_un addr;
    if (!FillAddress(t, &addr)) continue;
    char byte = 1;
    if (sendto(fd, &byte, 1, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 &&
        (errno == ECONNREFUSED || errno == ENOENT)) {
      unlink(t.c_str());  // a watcher whose process is gone
    }
  }
}

}  // namespace ce::registry
