// Whether an SQLite database in WAL mode has changed, told without a transaction.
//
// Every commit, by any connection of any process, rewrites the wal-index header: the first 48
// bytes of the database's "-shm" file, which the writer stores twice in a row (the second copy
// first) and readers compare. A caller keeps the header as it was before reading some rows; while
// the header still reads the same, nothing has been committed since and the rows still hold. That
// saves the file locks a read transaction takes, where many small reads of the same rows (an
// enumeration by index) would otherwise each take them.
#pragma once

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <cstring>

namespace ce {

class WalStamp {
 public:
  using Header = std::array<unsigned char, 48>;

  WalStamp() = default;
  WalStamp(const WalStamp&) = delete;
  WalStamp& operator=(const WalStamp&) = delete;

  // Takes the first region of the wal-index of `db`'s main database as SQLite itself maps it.
  // Call while `db` is open in WAL mode, and Detach before closing it. The "-shm" file is never
  // opened here: closing any descriptor of a file drops every POSIX lock this process holds on
  // it, SQLite's included, and another process would then take the file for abandoned and reset
  // it under this one's connections. A read-only connection is left unattached: ours read an
  // unchanging snapshot without a wal-index, and SQLite would never unmap one made for them.
  void Attach(sqlite3* db) {
    Detach();
    if (sqlite3_db_readonly(db, "main") != 0) return;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file) return;
    const sqlite3_io_methods* io = file->pMethods;
    if (!io || io->iVersion < 2 || !io->xShmMap) return;
    void volatile* region = nullptr;
    if (io->xShmMap(file, 0, kRegion, 0, &region) != SQLITE_OK || !region) return;
    map_ = static_cast<const unsigned char*>(const_cast<void*>(region));
  }
  // The mapping stays SQLite's; the stamp only forgets it.
  void Detach() { map_ = nullptr; }
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
  static constexpr int kRegion = 32768;  // SQLite maps the wal-index in regions of this size
  const unsigned char* map_ = nullptr;
};

}  // namespace ce
