#include "platform/files/host_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/file_system_seam.h"
#include "platform/files/files.h"

namespace ce::files::internal {

HostFile::~HostFile() {
  RemoveOpen(this);
  ::close(fd_);
}

DWORD HostFile::Read(void* buffer, DWORD size, DWORD* done) {
  *done = 0;
  if (!(access_ & (GENERIC_READ | GENERIC_ALL))) return ERROR_ACCESS_DENIED;
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kRead)) return error;
  if (DWORD limit = FileSystemSeam::Get().max_read_size(); limit != 0 && size > limit) size = limit;
  std::lock_guard<std::mutex> guard(lock_);
  auto* out = static_cast<char*>(buffer);
  while (*done < size) {
    ssize_t n = ::pread(fd_, out + *done, size - *done, static_cast<off_t>(position_));
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    if (n == 0) break;
    *done += static_cast<DWORD>(n);
    position_ += static_cast<std::uint64_t>(n);
  }
  return ERROR_SUCCESS;
}

DWORD HostFile::Write(const void* data, DWORD size, DWORD* done) {
  *done = 0;
  if (!(access_ & (GENERIC_WRITE | GENERIC_ALL))) return ERROR_ACCESS_DENIED;
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kWrite)) return error;
  if (size > 0 && FileSystemSeam::Get().disk_full()) return ERROR_DISK_FULL;
  std::lock_guard<std::mutex> guard(lock_);
  const auto* in = static_cast<const char*>(data);
  const DWORD room = FileSystemSeam::Get().TakeRoom(size);
  while (*done < room) {
    ssize_t n = ::pwrite(fd_, in + *done, room - *done, static_cast<off_t>(position_));
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    *done += static_cast<DWORD>(n);
    position_ += static_cast<std::uint64_t>(n);
  }
  return room < size ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

DWORD HostFile::Flush() {
  if (!(access_ & (GENERIC_WRITE | GENERIC_ALL))) return ERROR_ACCESS_DENIED;
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kFlush)) return error;
  return ::fdatasync(fd_) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

DWORD HostFile::Seek(std::int64_t distance, DWORD method, std::uint64_t* position) {
  std::lock_guard<std::mutex> guard(lock_);
  std::int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = static_cast<std::int64_t>(position_);
  } else if (method == FILE_END) {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrorFromErrno(errno);
    base = st.st_size;
  } else if (method != FILE_BEGIN) {
    return ERROR_INVALID_PARAMETER;
  }
  if ((distance > 0 && base > INT64_MAX - distance)) return ERROR_INVALID_PARAMETER;
  std::int64_t target = base + distance;
  if (target < 0) return ERROR_NEGATIVE_SEEK;
  position_ = static_cast<std::uint64_t>(target);
  *position = position_;
  return ERROR_SUCCESS;
}

DWORD HostFile::Size(std::uint64_t* size) {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return ErrorFromErrno(errno);
  *size = static_cast<std::uint64_t>(st.st_size);
  return ERROR_SUCCESS;
}

DWORD HostFile::Truncate() {
  if (!(access_ & (GENERIC_WRITE | GENERIC_ALL))) return ERROR_ACCESS_DENIED;
  std::lock_guard<std::mutex> guard(lock_);
  struct stat st;
  if (::fstat(fd_, &st) != 0) return ErrorFromErrno(errno);
  if (position_ > static_cast<std::uint64_t>(st.st_size) && FileSystemSeam::Get().disk_full()) return ERROR_DISK_FULL;
  return ::ftruncate(fd_, static_cast<off_t>(position_)) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

DWORD HostFile::GetTimes(std::int64_t* creation, std::int64_t* access, std::int64_t* write) {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return ErrorFromErrno(errno);
  if (creation) *creation = FileTimeFromTimespec(st.st_mtim);
  if (access) *access = FileTimeFromTimespec(st.st_atim);
  if (write) *write = FileTimeFromTimespec(st.st_mtim);
  return ERROR_SUCCESS;
}

DWORD HostFile::SetTimes(const std::int64_t* /*creation*/, const std::int64_t* access, const std::int64_t* write) {
  if (!(access_ & (GENERIC_WRITE | GENERIC_ALL))) return ERROR_ACCESS_DENIED;
  struct timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_nsec = UTIME_OMIT;
  if (access) times[0] = TimespecFromFileTime(*access);
  if (write) times[1] = TimespecFromFileTime(*write);
  return ::futimens(fd_, times) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

}  // namespace ce::files::internal
