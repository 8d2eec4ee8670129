// Host errors, times and attributes for the files area.
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

#include "platform/files/files.h"
#include "platform/files/host_file.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/last_error.h"

namespace ce::files::internal {
namespace {

// Attribute bits kept in the extended attribute; READONLY and DIRECTORY come from the host file.
constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY;
constexpr char kAttributeName[] = "user.ce.attributes";

}  // namespace

BOOL Result(DWORD error) {
  SetLastError(error);
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_INVALID_NAME;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBUSY: return ERROR_BUSY;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    default: return ERROR_GEN_FAILURE;
  }
}

std::int64_t FileTimeFromTimespec(const struct timespec& ts) {
  return ce::kernel::kUnixEpochAsFileTime + static_cast<std::int64_t>(ts.tv_sec) * 10'000'000 + ts.tv_nsec / 100;
}

struct timespec TimespecFromFileTime(std::int64_t ft) {
  std::int64_t since_unix = ft - ce::kernel::kUnixEpochAsFileTime;
  std::int64_t seconds = since_unix / 10'000'000;
  std::int64_t rest = since_unix % 10'000'000;
  if (rest < 0) {
    rest += 10'000'000;
    --seconds;
  }
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

DWORD ReadAttributes(const std::filesystem::path& host, const struct stat& st) {
  DWORD attributes = 0;
  const bool directory = S_ISDIR(st.st_mode);
  if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  unsigned char stored[4];
  if (::getxattr(host.c_str(), kAttributeName, stored, sizeof stored) == static_cast<ssize_t>(sizeof stored)) {
    DWORD bits = static_cast<DWORD>(stored[0]) | static_cast<DWORD>(stored[1]) << 8 |
                 static_cast<DWORD>(stored[2]) << 16 | static_cast<DWORD>(stored[3]) << 24;
    attributes |= bits & kStoredAttributes;
  } else if (!directory) {
    attributes |= FILE_ATTRIBUTE_ARCHIVE;
  }
  if (attributes == 0 && !directory) attributes = FILE_ATTRIBUTE_NORMAL;
  return attributes;
}

DWORD WriteAttributes(const std::filesystem::path& host, DWORD attributes) {
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return ErrorFromErrno(errno);
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
  if (wanted != mode && ::chmod(host.c_str(), wanted) != 0) return ErrorFromErrno(errno);
  DWORD bits = attributes & kStoredAttributes;
  unsigned char stored[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                             static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
  // A host file system without user attributes keeps only READONLY; that is no failure.
  if (::setxattr(host.c_str(), kAttributeName, stored, sizeof stored, 0) != 0 && errno != ENOTSUP &&
      errno != EPERM) {
    return ErrorFromErrno(errno);
  }
  return ERROR_SUCCESS;
}

}  // namespace ce::files::internal
