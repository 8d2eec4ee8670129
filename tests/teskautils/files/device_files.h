// Writing and inspecting the test device's files from the host side.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/kernel/device_folder.h"

namespace teskautils_test {

// "a\\b.txt" under the device root as a host path.
inline std::filesystem::path HostOf(const std::string& ce_relative) {
  std::string relative = ce_relative;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return ce::DeviceRootFolder() / relative;
}

inline void WriteHostFile(const std::string& ce_relative, const std::string& bytes) {
  const auto path = HostOf(ce_relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadHostFile(const std::string& ce_relative) {
  std::ifstream in(HostOf(ce_relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file and folder below a device folder, as "sub/name" (folders end in "/").
inline std::set<std::string> TreeOf(const std::string& ce_relative) {
  std::set<std::string> out;
  const auto top = HostOf(ce_relative);
  if (!std::filesystem::exists(top)) return out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(top)) {
    std::string name = std::filesystem::relative(e.path(), top).generic_string();
    if (e.is_directory()) name += "/";
    out.insert(name);
  }
  return out;
}

}  // namespace teskautils_test
