// Whether an SQLite database in WAL mode has changed, told without a transaction.
//
// Every commit, by any connection of any process, rewrites the wal-index header: the first 48
// bytes of the database's "-shm" file, which the writer stores twice in a row (the second copy
// first) and readers compare. A caller keeps the header as it was before reading some rows; while
// the header still reads the same, nothing has been committed since and the rows still hold. That
// saves the file locks a read transaction takes, where many small reads of the same rows (an
// enumeration by index) would otherwise each take them.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <string>

namespace ce {

class WalStamp {
 public:
  using Header = std::array<unsigned char, 48>;

  WalStamp() = default;
  WalStamp(const WalStamp&) = delete;
  WalStamp& operator=(const WalStamp&) = delete;
  ~WalStamp() { Detach(); }

  // Maps the "-shm" file of the database at `db_path`. Call while a connection to it is open in
  // WAL mode (the file then exists and keeps its header until the last connection closes).
  void Attach(const std::string& db_path) {
    Detach();
    const int fd = ::open((db_path + "-shm").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kMapped)) {
      ::close(fd);
      return;
    }
    void* map = ::mmap(nullptr, kMapped, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map != MAP_FAILED) map_ = static_cast<const unsigned char*>(map);
  }
  void Detach() {
    if (map_) ::munmap(const_cast<unsigned char*>(map_), kMapped);
    map_ = nullptr;
  }
  bool attached() const { return map_ != nullptr; }

  // The header now; false when not attached or while a writer is between the two copies.
  bool Read(Header* out) const {
    if (!map_) return false;
    Header second;
    std::memcpy(out->data(), map_, out->size());
    std::atomic_thread_fence(std::memory_order_acquire);
    std::memcpy(second.data(), map_ + second.size(), second.size());
    return *out == second;
  }

 private:
  static constexpr std::size_t kMapped = 96;  // both copies of the header
  const unsigned char* map_ = nullptr;
};

}  // namespace ce
