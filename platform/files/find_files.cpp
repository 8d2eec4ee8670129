// Listing a folder: FindFirstFileW / FindNextFileW / FindClose.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files/ce_path.h"
#include "platform/files/files.h"
#include "platform/files/host_file.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

namespace {

// A search snapshot: the entries that matched when the search began.
class FindObject : public ce::kernel::KernelObject {
 public:
  std::mutex lock;  // guards `next`
  std::vector<WIN32_FIND_DATAW> entries;
  std::size_t next = 0;
};

// '*' matches any run of characters, '?' exactly one; letters match without regard to case.
bool Match(std::u16string_view name, std::u16string_view pattern) {
  std::size_t n = 0, p = 0, star = std::u16string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == u'?' || ce::files::FoldNameChar(pattern[p]) == ce::files::FoldNameChar(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

// As the device does, a pattern ending in ".*" also takes names without an extension ("*.*" is all).
bool Matches(std::u16string_view name, std::u16string_view pattern) {
  if (Match(name, pattern)) return true;
  return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*" &&
         name.find(u'.') == std::u16string_view::npos && Match(name, pattern.substr(0, pattern.size() - 2));
}

bool FillEntry(const std::filesystem::path& host, std::u16string_view name, WIN32_FIND_DATAW* data) {
  struct stat st;
  if (name.size() >= MAX_PATH || ::stat(host.c_str(), &st) != 0) return false;
  *data = WIN32_FIND_DATAW{};
  data->dwFileAttributes = ce::files::internal::ReadAttributes(host, st);
  data->ftCreationTime = ce::files::internal::ToFILETIME(ce::files::internal::FileTimeFromTimespec(st.st_mtim));
  data->ftLastAccessTime = ce::files::internal::ToFILETIME(ce::files::internal::FileTimeFromTimespec(st.st_atim));
  data->ftLastWriteTime = data->ftCreationTime;
  std::uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  data->dwOID = static_cast<DWORD>(st.st_ino);
  std::copy(name.begin(), name.end(), data->cFileName);
  data->cFileName[name.size()] = 0;
  return true;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  if (!lpFileName || !lpFindFileData) return Fail(ERROR_INVALID_PARAMETER);
  std::u16string_view spec = ce::text::WideView(lpFileName);
  std::size_t cut = spec.find_last_of(u"\\/");
  std::u16string_view folder = cut == spec.npos ? std::u16string_view() : spec.substr(0, cut);
  std::u16string_view pattern = cut == spec.npos ? spec : spec.substr(cut + 1);
  if (pattern.empty() || pattern == u"." || pattern == u"..") return Fail(ERROR_FILE_NOT_FOUND);
  for (char16_t c : pattern) {
    if (c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|') return Fail(ERROR_INVALID_NAME);
  }
  ce::files::ResolvedPath where = ce::files::ResolvePath(folder);
  if (where.error) return Fail(where.error == ERROR_INVALID_NAME ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
  std::error_code ec;
  if (!where.exists || !std::filesystem::is_directory(where.host, ec)) return Fail(ERROR_PATH_NOT_FOUND);

  struct Found {
    std::u16string name;
    std::filesystem::path host;
  };
  std::vector<Found> found;
  for (std::filesystem::directory_iterator it(where.host, ec), end; !ec && it != end; it.increment(ec)) {
    std::u16string name = ce::text::FromUtf8(it->path().filename().string());
    if (Matches(name, pattern)) found.push_back(Found{std::move(name), it->path()});
  }
  // A stable order, the same on every host: by name without regard to case.
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char16_t x, char16_t y) {
                                          return ce::files::FoldNameChar(x) < ce::files::FoldNameChar(y);
                                        });
  });
  auto search = std::make_shared<FindObject>();
  for (const Found& f : found) {
    WIN32_FIND_DATAW data;
    if (FillEntry(f.host, f.name, &data)) search->entries.push_back(data);
  }
  if (search->entries.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  *lpFindFileData = search->entries[0];
  search->next = 1;
  SetLastError(ERROR_SUCCESS);
  return ce::kernel::InsertHandle(std::move(search));
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  auto search = ce::kernel::LookupAs<FindObject>(hFindFile);
  if (!search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(search->lock);
  if (search->next >= search->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *lpFindFileData = search->entries[search->next++];
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
  if (!ce::kernel::LookupAs<FindObject>(hFindFile) || !ce::kernel::RemoveHandle(hFindFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
