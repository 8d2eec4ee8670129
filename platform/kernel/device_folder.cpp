#include "platform/kernel/device_folder.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace ce {
namespace {

// Never destroyed: threads that outlive main (device watchers, detached workers) may still ask.
std::mutex& Lock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::filesystem::path& Folder() {
  static auto* folder = new std::filesystem::path;  // empty until chosen
  return *folder;
}

std::atomic<std::uint64_t> g_serial{1};

std::filesystem::path Chosen() {
  std::lock_guard<std::mutex> guard(Lock());
  std::filesystem::path& folder = Folder();
  if (folder.empty()) {
    const char* env = std::getenv("CE_DEVICE_DIR");
    folder = (env && *env) ? std::filesystem::path(env) : std::filesystem::current_path() / "device";
  }
  return folder;
}

std::filesystem::path Ensure(const std::filesystem::path& p) {
  std::error_code ec;
  std::filesystem::create_directories(p, ec);
  return p;
}

}  // namespace

std::filesystem::path DeviceFolder() { return Ensure(Chosen()); }

void SetDeviceFolder(const std::filesystem::path& folder) {
  std::lock_guard<std::mutex> guard(Lock());
  Folder() = folder;
  g_serial.fetch_add(1, std::memory_order_release);
}

std::uint64_t DeviceFolderSerial() { return g_serial.load(std::memory_order_acquire); }

std::filesystem::path DeviceRootFolder() { return Ensure(Chosen() / "root"); }
std::filesystem::path DeviceRuntimeFolder() { return Ensure(Chosen() / "run"); }

}  // namespace ce
