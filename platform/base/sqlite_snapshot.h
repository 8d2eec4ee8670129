// Reading a device database (SQLite, WAL) whose folder cannot be written: full, or read-only.
// SQLite then cannot make the shared-memory file a WAL database needs, so even reads fail. When the
// whole database is in its file (no log with commits beside it), an unchanging snapshot of the file
// reads exactly what was committed; writes are refused with the folder's reason.
#pragma once

#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace ce::sqlite_snapshot {

// Whether `path` exists and holds the whole database: no write-ahead log with content beside it.
inline bool WholeInFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const auto log = std::filesystem::file_size(path + "-wal", ec);
  return ec || log == 0;
}

// Opens `path` read-only as an unchanging snapshot (no locks, no shared-memory file). The SQLite
// result code; `*db` is set even on failure (to be closed).
inline int OpenSnapshot(const std::string& path, sqlite3** db) {
  std::string uri = "file:";
  for (char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      static const char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
      uri += kHex[static_cast<unsigned char>(c) & 0xF];
    } else {
      uri += c;
    }
  }
  uri += "?immutable=1";
  return sqlite3_open_v2(uri.c_str(), db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
}

// Why a write into the folder of `path` fails: ERROR_ACCESS_DENIED (read-only or not writable),
// ERROR_DISK_FULL (no free block), or `otherwise`.
inline DWORD WriteErrorOf(const std::string& path, DWORD otherwise) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  struct statvfs fs {};
  if (statvfs(folder.c_str(), &fs) == 0) {
    if (fs.f_flag & ST_RDONLY) return ERROR_ACCESS_DENIED;
    if (fs.f_bavail == 0) return ERROR_DISK_FULL;
  }
  if (access(folder.c_str(), W_OK) != 0) return ERROR_ACCESS_DENIED;
  return otherwise;
}

}  // namespace ce::sqlite_snapshot
