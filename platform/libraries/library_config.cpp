// What answers to a library name: registered stand-ins, and shared libraries in the library folder.
#include "platform/libraries/library_config.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "platform/files/ce_path.h"
#include "platform/libraries/library_seam.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/text/utf.h"

namespace ce::libraries {
namespace {

struct Config {
  std::mutex lock;
  std::map<std::u16string, BuiltinLibrary> builtins;
  std::map<std::u16string, std::string> files;
  std::map<std::u16string, std::map<WORD, std::string>> ordinals;
  std::filesystem::path folder;
};

Config& TheConfig() {
  static Config* config = new Config;
  return *config;
}

std::filesystem::path DefaultFolder() {
  const char* env = std::getenv("CE_LIBRARY_DIR");
  if (env && *env) return env;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

}  // namespace

void RegisterBuiltin(std::u16string_view name, BuiltinLibrary exports) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  c.builtins[LibraryKey(name)] = std::move(exports);
}

void UnregisterBuiltin(std::u16string_view name) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  c.builtins.erase(LibraryKey(name));
}

void SetLibraryFolder(const std::filesystem::path& folder) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  c.folder = folder;
}

std::filesystem::path LibraryFolder() {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  return c.folder.empty() ? DefaultFolder() : c.folder;
}

void MapSharedLibrary(std::u16string_view device_name, const std::string& file_name) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  c.files[LibraryKey(device_name)] = file_name;
}

void MapOrdinal(std::u16string_view device_name, WORD ordinal, const std::string& export_name) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  c.ordinals[LibraryKey(device_name)][ordinal] = export_name;
}

namespace internal {

std::optional<BuiltinLibrary> FindBuiltin(const std::u16string& key) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  auto it = c.builtins.find(key);
  if (it == c.builtins.end()) return std::nullopt;
  return it->second;
}

std::filesystem::path FindSharedLibrary(const std::u16string& key, std::u16string_view base_name) {
  std::filesystem::path folder = LibraryFolder();
  std::u16string wanted;
  {
    Config& c = TheConfig();
    std::lock_guard<std::mutex> guard(c.lock);
    auto it = c.files.find(key);
    if (it != c.files.end()) {
      std::filesystem::path file = folder / it->second;
      return std::filesystem::exists(file) ? file : std::filesystem::path();
    }
  }
  wanted = u"lib" + std::u16string(base_name) + u".so";
  std::filesystem::path exact = folder / ce::text::ToUtf8(wanted);
  std::error_code ec;
  if (std::filesystem::is_regular_file(exact, ec)) return exact;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && ce::files::NamesEqual(ce::text::FromUtf8(it->path().filename().string()), wanted)) {
      return it->path();
    }
  }
  return {};
}

std::map<WORD, std::string> MappedOrdinals(const std::u16string& key) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> guard(c.lock);
  auto it = c.ordinals.find(key);
  return it == c.ordinals.end() ? std::map<WORD, std::string>() : it->second;
}

}  // namespace internal
}  // namespace ce::libraries
