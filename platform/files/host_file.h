// Inside the files area: a file of the device folder behind a handle, the share modes of the
// process's open files, attributes kept on host files, and host error and time conversions.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <mutex>

#include "platform/files/file_object.h"

namespace ce::files::internal {

// The platform's error code for a host errno value.
DWORD ErrorFromErrno(int error);
// Sets the last error and answers TRUE for ERROR_SUCCESS, else FALSE.
BOOL Result(DWORD error);

// FILETIME values (100 ns since 1601, UTC) and host times.
std::int64_t FileTimeFromTimespec(const struct timespec& ts);
struct timespec TimespecFromFileTime(std::int64_t ft);
inline FILETIME ToFILETIME(std::int64_t v) {
  return FILETIME{static_cast<DWORD>(static_cast<std::uint64_t>(v)), static_cast<DWORD>(static_cast<std::uint64_t>(v) >> 32)};
}
inline std::int64_t FromFILETIME(const FILETIME& f) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
}

// The device attributes of a host file: FILE_ATTRIBUTE_DIRECTORY from its kind, READONLY from its
// owner's write permission, HIDDEN, SYSTEM, ARCHIVE and TEMPORARY from an extended attribute where
// the host keeps one (a file without it is ARCHIVE).
DWORD ReadAttributes(const std::filesystem::path& host, const struct stat& st);
DWORD WriteAttributes(const std::filesystem::path& host, DWORD attributes);

// The share modes of every file this process holds open, by host file identity.
struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const FileId&) const = default;
};
// Adds an open with this access and share mode, or answers ERROR_SHARING_VIOLATION when it
// conflicts with an open already there. `token` names the open for RemoveOpen.
DWORD AddOpen(FileId id, DWORD access, DWORD share, const void* token);
void RemoveOpen(const void* token);
// True when an open of the file does not allow what `share` names (FILE_SHARE_DELETE for a delete
// or rename; FILE_SHARE_READ / FILE_SHARE_WRITE for a copy's source and target). share 0: any open.
bool OpenConflicts(FileId id, DWORD share);
bool IdOf(const std::filesystem::path& host, FileId* id);

class HostFile : public FileObject {
 public:
  HostFile(int fd, DWORD access) : fd_(fd), access_(access) {}
  ~HostFile() override;

  DWORD Read(void* buffer, DWORD size, DWORD* done) override;
  DWORD Write(const void* data, DWORD size, DWORD* done) override;
  DWORD Flush() override;
  DWORD Seek(std::int64_t distance, DWORD method, std::uint64_t* position) override;
  DWORD Size(std::uint64_t* size) override;
  DWORD Truncate() override;
  DWORD GetTimes(std::int64_t* creation, std::int64_t* access, std::int64_t* write) override;
  DWORD SetTimes(const std::int64_t* creation, const std::int64_t* access, const std::int64_t* write) override;

 private:
  std::mutex lock_;
  int fd_;
  DWORD access_;
  std::uint64_t position_ = 0;
};

}  // namespace ce::files::internal
