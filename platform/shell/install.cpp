// Installing programs, data files and setting seeds into the device.
#include "platform/shell/install.h"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"

namespace ce::shell {
namespace {

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolder(std::u16string_view ce_folder) {
  std::u16string path;
  std::size_t start = 0;
  while (start <= ce_folder.size()) {
    std::size_t end = ce_folder.find(u'\\', start);
    if (end == std::u16string_view::npos) end = ce_folder.size();
    if (end > start) {
      path += u'\\';
      path += ce_folder.substr(start, end - start);
      CreateDirectoryW(path.c_str(), nullptr);
    }
    start = end + 1;
  }
  const DWORD attributes = GetFileAttributesW(path.empty() ? u"\\" : path.c_str());
  return path.empty() || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

std::u16string FolderOf(std::u16string_view ce_path) {
  const std::size_t slash = ce_path.find_last_of(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? std::u16string_view() : ce_path.substr(0, slash));
}

bool WriteDeviceFile(const std::u16string& ce_path, const std::string& bytes) {
  HANDLE file = CreateFileW(ce_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool ValueExists(HKEY root, std::u16string_view key, std::u16string_view name) {
  HKEY k = nullptr;
  const std::u16string key_text(key), name_text(name);
  if (RegOpenKeyExW(root, key_text.c_str(), 0, 0, &k) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueExW(k, name_text.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(k);
  return found;
}

bool SetValue(HKEY root, std::u16string_view key, std::u16string_view name, DWORD type, const void* data, DWORD size) {
  HKEY k = nullptr;
  DWORD disposition = 0;
  const std::u16string key_text(key), name_text(name);
  if (RegCreateKeyExW(root, key_text.c_str(), 0, nullptr, 0, 0, nullptr, &k, &disposition) != ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExW(k, name_text.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(k);
  return ok;
}

}  // namespace

bool InstallHostProgram(std::u16string_view ce_path, const std::filesystem::path& host_executable) {
  if (ce_path.empty() || host_executable.empty()) return false;
  const std::u16string path(ce_path);
  if (!MakeFolder(FolderOf(path))) return false;
  if (!WriteDeviceFile(path, "host program: " + host_executable.string() + "\n")) return false;
  const std::u16string host = text::FromUtf8(host_executable.string());
  return SUCCEEDED(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", path.c_str(), host.c_str()));
}

bool InstallHostFiles(const std::filesystem::path& host_folder, std::u16string_view ce_folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(host_folder, error)) return true;
  const std::u16string target(ce_folder);
  bool ok = MakeFolder(target);
  for (auto it = std::filesystem::recursive_directory_iterator(host_folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::u16string device_path = target;
    for (const auto& part : it->path().lexically_relative(host_folder))
      device_path += u"\\" + text::FromUtf8(part.string());
    if (it->is_directory()) {
      ok = MakeFolder(device_path) && ok;
    } else if (it->is_regular_file()) {
      std::ifstream in(it->path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ok = !in.bad() && in.is_open() && WriteDeviceFile(device_path, bytes) && ok;
    }
  }
  return ok && !error;
}

bool SeedKey(HKEY root, std::u16string_view key) {
  HKEY k = nullptr;
  DWORD disposition = 0;
  const std::u16string key_text(key);
  if (RegCreateKeyExW(root, key_text.c_str(), 0, nullptr, 0, 0, nullptr, &k, &disposition) != ERROR_SUCCESS)
    return false;
  RegCloseKey(k);
  return true;
}

bool SeedValue(HKEY root, std::u16string_view key, std::u16string_view name, DWORD value) {
  if (ValueExists(root, key, name)) return true;
  return SetValue(root, key, name, REG_DWORD, &value, sizeof value);
}

bool SeedValue(HKEY root, std::u16string_view key, std::u16string_view name, std::u16string_view value) {
  if (ValueExists(root, key, name)) return true;
  const std::u16string data(value);
  return SetValue(root, key, name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
}

}  // namespace ce::shell
