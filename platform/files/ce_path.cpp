#include "platform/files/ce_path.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"
#include "platform/text/wide_string.h"

namespace ce::files {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool ValidNameChar(char16_t c) {
  if (c < 0x20) return false;
  switch (c) {
    case u'<': case u'>': case u':': case u'"': case u'|': case u'?': case u'*':
      return false;
    default:
      return true;
  }
}

bool Exists(const std::filesystem::path& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

bool IsDirectory(const std::filesystem::path& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of `folder` whose name equals `name` without regard to case; empty when none.
std::string FindEntry(const std::filesystem::path& folder, std::u16string_view name) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string host_name = it->path().filename().string();
    if (NamesEqual(ce::text::FromUtf8(host_name), name)) return host_name;
  }
  return {};
}

}  // namespace

char16_t FoldNameChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  return ::towlower(c);
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldNameChar(a[i]) != FoldNameChar(b[i])) return false;
  }
  return true;
}

bool IsDeviceName(std::u16string_view name) {
  if (name.size() < 2 || name.back() != u':') return false;
  for (char16_t c : name) {
    if (IsSeparator(c)) return false;
  }
  return true;
}

ResolvedPath ResolvePath(std::u16string_view ce_path) {
  ResolvedPath result;
  // Lexical clean-up first, so that ".." can never climb above the root.
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= ce_path.size(); ++i) {
    if (i < ce_path.size() && !IsSeparator(ce_path[i])) continue;
    std::u16string_view part = ce_path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    for (char16_t c : part) {
      if (!ValidNameChar(c)) {
        result.error = ERROR_INVALID_NAME;
        return result;
      }
    }
    parts.push_back(part);
  }

  std::filesystem::path host = ce::DeviceRootFolder();
  if (parts.empty()) {
    result.host = host;
    result.exists = true;
    result.is_root = true;
    return result;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    std::string given = ce::text::ToUtf8(parts[i]);
    std::filesystem::path exact = host / given;
    if (Exists(exact)) {
      host = exact;
    } else {
      std::string found = FindEntry(host, parts[i]);
      if (!found.empty()) {
        host /= found;
      } else if (last) {
        result.host = exact;
        return result;
      } else {
        result.error = ERROR_PATH_NOT_FOUND;
        return result;
      }
    }
    if (!last && !IsDirectory(host)) {
      result.error = ERROR_PATH_NOT_FOUND;
      return result;
    }
  }
  result.host = host;
  result.exists = true;
  return result;
}

std::filesystem::path HostPath(std::u16string_view ce_path) {
  ResolvedPath r = ResolvePath(ce_path);
  return r.error ? std::filesystem::path() : r.host;
}

}  // namespace ce::files
