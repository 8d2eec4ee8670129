#include "cumulor/app/base/file_access.h"

#include <string>

#include "platform/files/files.h"
#include "platform/kernel/kernel.h"

namespace cumulor::detail {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  bool Close() {
    if (!Valid()) return true;
    bool ok = CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

std::u16string WithSuffix(const WCHAR* path, const char16_t* suffix) { return std::u16string(path) + suffix; }

bool Exists(const WCHAR* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

ReadOutcome ReadFileWhole(const WCHAR* path, DynArray<std::uint8_t>& bytes) {
  bytes.SetSize(0);
  FileHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return ReadOutcome::CannotOpen;
  DWORD high = 0;
  DWORD size = GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > static_cast<DWORD>(DynArray<std::uint8_t>::kMaxElements))
    return ReadOutcome::ReadFailed;
  if (bytes.SetSize(static_cast<std::int32_t>(size)) != S_OK) return ReadOutcome::ReadFailed;
  DWORD total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.Data() + total, size - total, &got, nullptr) || got == 0) {
      bytes.SetSize(0);
      return ReadOutcome::ReadFailed;
    }
    total += got;
  }
  return ReadOutcome::Ok;
}

bool ReplaceFileWith(const WCHAR* path, const void* data, std::size_t size, bool keepOldCopy) {
  if (!path || (!data && size > 0)) return false;
  std::u16string temp = WithSuffix(path, u".tmp");
  bool ok;
  {
    FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    ok = true;
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (ok && done < size) {
      DWORD chunk = size - done > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size - done);
      DWORD written = 0;
      ok = WriteFile(file.Get(), p + done, chunk, &written, nullptr) && written > 0;
      done += written;
    }
    ok = ok && FlushFileBuffers(file.Get());
    ok = file.Close() && ok;
  }
  if (ok) {
    // The previous document stays whole under its own name until the new one replaces it in one
    // step; its ".old" copy is made by copying, so no moment leaves the document missing.
    if (keepOldCopy && Exists(path)) CopyFileW(path, WithSuffix(path, u".old").c_str(), FALSE);
    ok = MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING) != FALSE;
  }
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

void RemoveUnfinishedDocuments(const WCHAR* folder) {
  if (!folder) return;
  std::u16string base(folder);
  if (base.empty() || base.back() != u'\\') base += u'\\';
  for (const char16_t* pattern : {u"*.xml.tmp", u"*.dat.tmp", u"*.cup.tmp"}) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((base + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((base + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
}

}  // namespace cumulor::detail
