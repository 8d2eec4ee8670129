// Inside the registry: the SQLite database in the device folder that holds every key and value.
//
// Layout: table `keys` (id, parent, name, folded name; the three roots have ids 1 to 3) and table
// `vals` (id, key, name, folded name, type, data). Ids grow with creation, so ordering by id gives
// the stable enumeration order. Each write is one transaction; the database runs in WAL mode with a
// busy time-out so that every process of the device shares it.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/types.h"
#include "platform/base/wal_stamp.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ce::registry {

using KeyId = std::int64_t;

struct Value {
  DWORD type = 0;
  std::vector<BYTE> data;
};

// The case-insensitive form of a key or value name (UTF-8 of the lower-cased text).
std::string FoldName(std::u16string_view name);
// Splits a key path at '\', dropping empty parts (so a leading '\' is ignored).
std::vector<std::u16string_view> SplitPath(std::u16string_view path);

class Store {
 public:
  // The store of the current device folder, locked for the caller; opened (and created) on first
  // use and reopened when the device folder changes. Null (with the error) when it cannot open.
  struct Locked {
    std::unique_lock<std::mutex> guard;
    Store* store = nullptr;
    LONG error = ERROR_SUCCESS;
  };
  static Locked Open();
  // Bumped whenever the store is reopened on another device folder (open keys then go stale).
  std::uint64_t generation() const { return generation_; }
  // The host path of the database file.
  const std::string& path() const { return path_; }

  bool KeyExists(KeyId id);
  // Walks `parts` below `start`; 0 when a part is missing.
  KeyId FindKey(KeyId start, const std::vector<std::u16string_view>& parts);
  // Walks and creates what is missing; `created` tells whether the last part was new.
  LONG CreateKey(KeyId start, const std::vector<std::u16string_view>& parts, KeyId* id, bool* created);
  // Deletes the key and everything below it.
  LONG DeleteKeyTree(KeyId id);
  std::optional<std::u16string> SubkeyName(KeyId parent, DWORD index);

  std::optional<Value> ReadValue(KeyId key, std::u16string_view name);
  // Reads a value straight into a caller's buffer: false when there is no such value; otherwise
  // the type and size are stored where given and *result is ERROR_SUCCESS, or ERROR_MORE_DATA
  // (with the size needed) when the buffer is too small.
  bool ReadValueInto(KeyId key, std::u16string_view name, DWORD* type, BYTE* out, DWORD* out_size, LONG* result);
  LONG WriteValue(KeyId key, std::u16string_view name, DWORD type, const BYTE* data, DWORD size);
  LONG DeleteValue(KeyId key, std::u16string_view name);
  struct NamedValue {
    std::u16string name;
    Value value;
  };
  std::optional<NamedValue> ValueAt(KeyId key, DWORD index);
  // Writes what the WAL holds back into the database file.
  void Checkpoint();

  ~Store();

 private:
  Store() = default;
  LONG OpenAt(const std::string& path);
  void Close();
  sqlite3_stmt* Prepare(int slot, const char* sql);
  int Run(int slot, const char* sql);
  LONG Begin();
  LONG Commit();
  void Rollback();
  // Rows of one key (values, or sub-keys with empty values) in id order, read together.
  struct Batch {
    bool valid = false;
    KeyId parent = 0;
    DWORD first = 0;        // the index of the first row
    std::size_t asked = 0;  // how many rows were asked for: fewer came at the end of the key
    WalStamp::Header header{};
    std::vector<std::int64_t> ids;
    std::vector<NamedValue> rows;
  };
  std::optional<NamedValue> EnumAt(Batch& batch, KeyId parent, DWORD index, bool values);

  // Whether the registry's tables are there (opening then writes nothing). SQLite result code.
  int CheckSchema(bool* present);

  sqlite3* db_ = nullptr;
  std::string path_;
  // Opened as an unchanging snapshot because the folder cannot be written (see OpenAt): reads
  // work, writes fail with snapshot_error_; a normal open is tried again a second later.
  bool snapshot_ = false;
  LONG snapshot_error_ = ERROR_SUCCESS;
  std::uint64_t snapshot_at_ms_ = 0;
  std::mutex lock_;
  std::uint64_t generation_ = 0;
  std::uint64_t folder_serial_ = 0;  // the device folder serial `path_` was found for
  std::vector<sqlite3_stmt*> stmts_;
  WalStamp wal_;
  Batch subkeys_, values_;
};

// Called after every committed write: wakes the registry watchers of every process.
void AnnounceChange();

}  // namespace ce::registry
