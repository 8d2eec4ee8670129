#include "platform/files/file_system_seam.h"

#include <algorithm>

namespace ce::files {

FileSystemSeam& FileSystemSeam::Get() {
  static FileSystemSeam* seam = new FileSystemSeam;  // never destroyed: files may close during exit
  return *seam;
}

void FileSystemSeam::SetDiskFull(bool full) {
  std::lock_guard<std::mutex> guard(lock_);
  disk_full_ = full;
}

bool FileSystemSeam::disk_full() const {
  std::lock_guard<std::mutex> guard(lock_);
  return disk_full_;
}

void FileSystemSeam::SetRoomLeft(std::optional<std::uint64_t> bytes) {
  std::lock_guard<std::mutex> guard(lock_);
  room_left_ = bytes;
}

DWORD FileSystemSeam::TakeRoom(DWORD size) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!room_left_) return size;
  const DWORD taken = static_cast<DWORD>(std::min<std::uint64_t>(size, *room_left_));
  *room_left_ -= taken;
  return taken;
}

void FileSystemSeam::SetFreeSpace(std::optional<std::uint64_t> bytes) {
  std::lock_guard<std::mutex> guard(lock_);
  free_space_ = bytes;
}

std::optional<std::uint64_t> FileSystemSeam::free_space() const {
  std::lock_guard<std::mutex> guard(lock_);
  return free_space_;
}

void FileSystemSeam::SetMaxReadSize(DWORD bytes) {
  std::lock_guard<std::mutex> guard(lock_);
  max_read_ = bytes;
}

DWORD FileSystemSeam::max_read_size() const {
  std::lock_guard<std::mutex> guard(lock_);
  return max_read_;
}

void FileSystemSeam::FailCall(FileCall call, DWORD error, unsigned skip) {
  std::lock_guard<std::mutex> guard(lock_);
  failures_[static_cast<int>(call)] = Failure{error, skip};
}

void FileSystemSeam::Reset() {
  std::lock_guard<std::mutex> guard(lock_);
  disk_full_ = false;
  free_space_.reset();
  room_left_.reset();
  max_read_ = 0;
  for (Failure& f : failures_) f = Failure{};
}

DWORD FileSystemSeam::TakeFailure(FileCall call) {
  std::lock_guard<std::mutex> guard(lock_);
  Failure& f = failures_[static_cast<int>(call)];
  if (f.error == 0) return 0;
  if (f.skip > 0) {
    --f.skip;
    return 0;
  }
  DWORD error = f.error;
  f = Failure{};
  return error;
}

}  // namespace ce::files
