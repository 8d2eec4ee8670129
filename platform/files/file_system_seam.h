// The file system's test seam: failures and figures a test forces on the files of the device.
// One object per process (the file system is process-wide); tests Reset() it in set-up.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/base/types.h"

namespace ce::files {

enum class FileCall { kCreate, kRead, kWrite, kFlush, kDelete, kMove, kCopy, kCreateDirectory, kCount };

class FileSystemSeam {
 public:
  static FileSystemSeam& Get();

  // A full disk: writes and copies that add bytes fail with ERROR_DISK_FULL, and
  // GetDiskFreeSpaceExW reports no free bytes.
  void SetDiskFull(bool full);
  bool disk_full() const;
  // A disk that fills up after `bytes` more bytes are written: the write that passes that point
  // writes what still fits and fails with ERROR_DISK_FULL (as a real disk cuts a write short);
  // nullopt: no such limit.
  void SetRoomLeft(std::optional<std::uint64_t> bytes);
  // For the layer: how many of `size` bytes the disk takes now (all of them without a limit).
  DWORD TakeRoom(DWORD size);
  // The free bytes GetDiskFreeSpaceExW reports instead of the host's figure; nullopt: the host's.
  void SetFreeSpace(std::optional<std::uint64_t> bytes);
  std::optional<std::uint64_t> free_space() const;
  // Each ReadFile on a file delivers at most this many bytes (short reads); 0: no limit.
  void SetMaxReadSize(DWORD bytes);
  DWORD max_read_size() const;
  // The call of that kind after `skip` more successful ones fails once with `error`.
  void FailCall(FileCall call, DWORD error, unsigned skip = 0);
  // Back to a working disk with the host's figures.
  void Reset();

  // For the layer: the error to fail this call with, or 0.
  DWORD TakeFailure(FileCall call);

 private:
  struct Failure {
    DWORD error = 0;
    unsigned skip = 0;
  };
  mutable std::mutex lock_;
  bool disk_full_ = false;
  std::optional<std::uint64_t> free_space_;
  std::optional<std::uint64_t> room_left_;
  DWORD max_read_ = 0;
  Failure failures_[static_cast<int>(FileCall::kCount)];
};

}  // namespace ce::files
