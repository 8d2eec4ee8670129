#include "platform/kernel/device_folder.h"

#include <cstdlib>
#include <mutex>

namespace ce {
namespace {

std::mutex g_lock;
std::filesystem::path g_folder;  // empty until chosen

std::filesystem::path Chosen() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_folder.empty()) {
    const char* env = std::getenv("CE_DEVICE_DIR");
    g_folder = (env && *env) ? std::filesystem::path(env) : std::filesystem::current_path() / "device";
  }
  return g_folder;
}

std::filesystem::path Ensure(const std::filesystem::path& p) {
  std::error_code ec;
  std::filesystem::create_directories(p, ec);
  return p;
}

}  // namespace

std::filesystem::path DeviceFolder() { return Ensure(Chosen()); }

void SetDeviceFolder(const std::filesystem::path& folder) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_folder = folder;
}

std::filesystem::path DeviceRootFolder() { return Ensure(Chosen() / "root"); }
std::filesystem::path DeviceRuntimeFolder() { return Ensure(Chosen() / "run"); }

}  // namespace ce
