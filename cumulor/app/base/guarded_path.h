// A path that one thread sets while others read it (the data folder): copied in and out whole
// under a lock, so a reader never sees half of an old and half of a new path.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

#include "platform/base/types.h"

namespace cumulor {

class GuardedPath {
 public:
  // Stores at most MAX_PATH - 1 characters of the path (null stores an empty path).
  void Set(const WCHAR* path) {
    std::lock_guard<std::mutex> hold(lock_);
    std::size_t n = 0;
    for (; path && path[n] != 0 && n < MAX_PATH - 1; ++n) path_[n] = path[n];
    path_[n] = 0;
  }
  // Copies the path into out (size characters, always terminated when size > 0).
  void CopyTo(WCHAR* out, std::size_t size) const {
    if (!out || size == 0) return;
    std::lock_guard<std::mutex> hold(lock_);
    std::size_t n = 0;
    for (; path_[n] != 0 && n < size - 1; ++n) out[n] = path_[n];
    out[n] = 0;
  }
  std::u16string Get() const {
    std::lock_guard<std::mutex> hold(lock_);
    return std::u16string(path_);
  }

 private:
  mutable std::mutex lock_;
  WCHAR path_[MAX_PATH] = {};
};

}  // namespace cumulor
