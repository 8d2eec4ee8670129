// Operations on files and folders by name, and the free space of the device.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/files/ce_path.h"
#include "platform/files/copy_leftovers.h"
#include "platform/files/file_system_seam.h"
#include "platform/files/files.h"
#include "platform/files/host_file.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

using ce::files::FileCall;
using ce::files::FileSystemSeam;
using ce::files::ResolvedPath;
namespace internal = ce::files::internal;
using internal::Result;

namespace {

// Resolves a name given to a by-name operation: null, empty and device names are refused.
DWORD Resolve(LPCWSTR name, ResolvedPath* path) {
  if (!name) return ERROR_INVALID_PARAMETER;
  std::u16string_view view = ce::text::WideView(name);
  if (view.empty()) return ERROR_PATH_NOT_FOUND;
  if (ce::files::IsDeviceName(view)) return ERROR_ACCESS_DENIED;
  *path = ce::files::ResolvePath(view);
  return path->error;
}

DWORD Stat(const ResolvedPath& path, struct stat* st) {
  return ::stat(path.host.c_str(), st) == 0 ? ERROR_SUCCESS : internal::ErrorFromErrno(errno);
}

bool OpenWithout(const std::filesystem::path& host, DWORD share) {
  internal::FileId id;
  return internal::IdOf(host, &id) && internal::OpenConflicts(id, share);
}

// Copies the bytes and the last write time of `from` into a new file beside `to`, then puts it in
// place of `to` in one step: a failed copy leaves any old target as it was. Copies in the making
// that a killed process left in the same folder are removed on the way.
DWORD CopyContents(const std::filesystem::path& from, const std::filesystem::path& to) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return internal::ErrorFromErrno(errno);
  std::string temp_name = to.parent_path() / ("." + to.filename().string() + ".copy-XXXXXX");
  int out = ::mkostemp(temp_name.data(), O_CLOEXEC);
  if (out < 0) {
    DWORD error = internal::ErrorFromErrno(errno);
    ::close(in);
    return error;
  }
  // Held until the file is closed: tells a later copy into this folder that the file is not left over.
  ::flock(out, LOCK_EX);
  ce::files::RemoveAbandonedCopiesIn(to.parent_path(), temp_name);
  DWORD error = ERROR_SUCCESS;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = internal::ErrorFromErrno(errno);
      break;
    }
    if (n == 0) break;
    if (FileSystemSeam::Get().disk_full()) {
      error = ERROR_DISK_FULL;
      break;
    }
    for (ssize_t off = 0; off < n && !error;) {
      ssize_t w = ::write(out, buffer + off, static_cast<size_t>(n - off));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) error = internal::ErrorFromErrno(errno);
      else off += w;
    }
    if (error) break;
  }
  struct stat st;
  if (!error && ::fstat(in, &st) == 0) {
    ::fchmod(out, st.st_mode & 07777);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
  }
  if (!error && ::fdatasync(out) != 0) error = internal::ErrorFromErrno(errno);
  ::close(in);
  if (::close(out) != 0 && !error) error = internal::ErrorFromErrno(errno);
  if (!error && ::rename(temp_name.c_str(), to.c_str()) != 0) error = internal::ErrorFromErrno(errno);
  if (error) ::unlink(temp_name.c_str());
  return error;
}

}  // namespace

BOOL DeleteFileW(LPCWSTR lpFileName) {
  ResolvedPath path;
  if (DWORD error = Resolve(lpFileName, &path)) return Result(error);
  if (!path.exists) return Result(ERROR_FILE_NOT_FOUND);
  struct stat st;
  if (DWORD error = Stat(path, &st)) return Result(error);
  if (S_ISDIR(st.st_mode) || (internal::ReadAttributes(path.host, st) & FILE_ATTRIBUTE_READONLY)) {
    return Result(ERROR_ACCESS_DENIED);
  }
  if (OpenWithout(path.host, FILE_SHARE_DELETE)) return Result(ERROR_SHARING_VIOLATION);
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kDelete)) return Result(error);
  return Result(::unlink(path.host.c_str()) == 0 ? ERROR_SUCCESS : internal::ErrorFromErrno(errno));
}

BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName) {
  ResolvedPath from, to;
  if (DWORD error = Resolve(lpExistingFileName, &from)) return Result(error);
  if (!from.exists) return Result(ERROR_FILE_NOT_FOUND);
  if (from.is_root) return Result(ERROR_ACCESS_DENIED);
  if (DWORD error = Resolve(lpNewFileName, &to)) return Result(error);
  if (to.is_root) return Result(ERROR_ACCESS_DENIED);
  std::filesystem::path target = to.host;
  if (to.exists) {
    if (to.host != from.host) return Result(ERROR_ALREADY_EXISTS);
    // The same entry under another letter case: a rename to the new spelling.
    std::u16string_view name = ce::text::WideView(lpNewFileName);
    std::size_t cut = name.find_last_of(u"\\/");
    target = from.host.parent_path() / ce::text::ToUtf8(cut == name.npos ? name : name.substr(cut + 1));
  }
  if (OpenWithout(from.host, FILE_SHARE_DELETE)) return Result(ERROR_SHARING_VIOLATION);
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kMove)) return Result(error);
  return Result(::rename(from.host.c_str(), target.c_str()) == 0 ? ERROR_SUCCESS : internal::ErrorFromErrno(errno));
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if (dwFlags & ~MOVEFILE_REPLACE_EXISTING) return Result(ERROR_INVALID_PARAMETER);
  if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) return MoveFileW(lpExistingFileName, lpNewFileName);
  ResolvedPath from, to;
  if (DWORD error = Resolve(lpExistingFileName, &from)) return Result(error);
  if (!from.exists) return Result(ERROR_FILE_NOT_FOUND);
  if (DWORD error = Resolve(lpNewFileName, &to)) return Result(error);
  if (!to.exists || to.host == from.host) return MoveFileW(lpExistingFileName, lpNewFileName);
  struct stat source, target;
  if (DWORD error = Stat(from, &source)) return Result(error);
  if (DWORD error = Stat(to, &target)) return Result(error);
  if (S_ISDIR(source.st_mode) || S_ISDIR(target.st_mode)) return Result(ERROR_ACCESS_DENIED);
  if (internal::ReadAttributes(to.host, target) & FILE_ATTRIBUTE_READONLY) return Result(ERROR_ACCESS_DENIED);
  if (OpenWithout(from.host, FILE_SHARE_DELETE) || OpenWithout(to.host, FILE_SHARE_DELETE)) {
    return Result(ERROR_SHARING_VIOLATION);
  }
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kMove)) return Result(error);
  // rename(2) puts the new file in place of the old one atomically.
  return Result(::rename(from.host.c_str(), to.host.c_str()) == 0 ? ERROR_SUCCESS : internal::ErrorFromErrno(errno));
}

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
  ResolvedPath from, to;
  if (DWORD error = Resolve(lpExistingFileName, &from)) return Result(error);
  if (!from.exists) return Result(ERROR_FILE_NOT_FOUND);
  struct stat st;
  if (DWORD error = Stat(from, &st)) return Result(error);
  if (S_ISDIR(st.st_mode)) return Result(ERROR_ACCESS_DENIED);
  if (DWORD error = Resolve(lpNewFileName, &to)) return Result(error);
  if (to.is_root) return Result(ERROR_ACCESS_DENIED);
  if (to.exists) {
    if (bFailIfExists) return Result(ERROR_FILE_EXISTS);
    struct stat target;
    if (DWORD error = Stat(to, &target)) return Result(error);
    if (S_ISDIR(target.st_mode) || (internal::ReadAttributes(to.host, target) & FILE_ATTRIBUTE_READONLY)) {
      return Result(ERROR_ACCESS_DENIED);
    }
    if (target.st_dev == st.st_dev && target.st_ino == st.st_ino) return Result(ERROR_SHARING_VIOLATION);
    if (OpenWithout(to.host, 0)) return Result(ERROR_SHARING_VIOLATION);
  }
  if (OpenWithout(from.host, FILE_SHARE_READ)) return Result(ERROR_SHARING_VIOLATION);
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kCopy)) return Result(error);
  if (st.st_size > 0 && FileSystemSeam::Get().disk_full()) return Result(ERROR_DISK_FULL);
  return Result(CopyContents(from.host, to.host));
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPVOID /*lpSecurityAttributes*/) {
  ResolvedPath path;
  if (DWORD error = Resolve(lpPathName, &path)) return Result(error);
  if (path.exists) return Result(ERROR_ALREADY_EXISTS);
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kCreateDirectory)) return Result(error);
  return Result(::mkdir(path.host.c_str(), 0777) == 0 ? ERROR_SUCCESS : internal::ErrorFromErrno(errno));
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
  ResolvedPath path;
  if (DWORD error = Resolve(lpPathName, &path)) return Result(error);
  if (!path.exists) return Result(ERROR_FILE_NOT_FOUND);
  if (path.is_root) return Result(ERROR_ACCESS_DENIED);
  struct stat st;
  if (DWORD error = Stat(path, &st)) return Result(error);
  if (!S_ISDIR(st.st_mode)) return Result(ERROR_DIRECTORY);
  if (::rmdir(path.host.c_str()) == 0) return Result(ERROR_SUCCESS);
  return Result(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : internal::ErrorFromErrno(errno));
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  ResolvedPath path;
  DWORD error = Resolve(lpFileName, &path);
  if (!error && !path.exists) error = ERROR_FILE_NOT_FOUND;
  struct stat st;
  if (!error) error = Stat(path, &st);
  if (error) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  SetLastError(ERROR_SUCCESS);
  return internal::ReadAttributes(path.host, st);
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
  ResolvedPath path;
  if (DWORD error = Resolve(lpFileName, &path)) return Result(error);
  if (!path.exists) return Result(ERROR_FILE_NOT_FOUND);
  return Result(internal::WriteAttributes(path.host, dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_DIRECTORY}));
}

BOOL GetDiskFreeSpaceExW(LPCWSTR /*lpDirectoryName*/, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                         ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes) {
  struct statvfs vfs;
  if (::statvfs(ce::DeviceRootFolder().c_str(), &vfs) != 0) return Result(internal::ErrorFromErrno(errno));
  std::uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  std::uint64_t total = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
  std::uint64_t available = static_cast<std::uint64_t>(vfs.f_bavail) * unit;
  std::uint64_t free = static_cast<std::uint64_t>(vfs.f_bfree) * unit;
  FileSystemSeam& seam = FileSystemSeam::Get();
  if (seam.disk_full()) {
    available = free = 0;
  } else if (auto forced = seam.free_space()) {
    available = free = *forced;
    if (total < free) total = free;
  }
  if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = available;
  if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = total;
  if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = free;
  return Result(ERROR_SUCCESS);
}
