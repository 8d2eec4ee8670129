// The shared machinery of the tables of the places database: opening a CEDB database (creating it
// with its default records when it is missing), seeking a row by its key, the insert and update
// patterns, deleting, counting, dumping, the in-memory cache of every row, and the error texts.
//
// Every failure of CEDB ends in a CExceptionDB; a record that is not found is no exception
// (SeekById answers 0, FindAndFill false).
//
// Threads: each table has its own recursive lock. Every operation takes it for its CEDB calls and
// its walk over the cache, and finders and list operations hand out copies, so a table may be used
// from more than one thread. A table's lock is only ever taken while holding the lock of a table
// above it (places, then cells, LACs and periods, then actions), never the other way round.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/cedb/cedb.h"
#include "velomar/places/Records.h"

class CDB;

namespace velomar::places {
// A property of a table's schema: id, name and CEPROPSPEC flags.
struct PropertySpec {
  CEPROPID id;
  const WCHAR* name;
  DWORD flags;
};
// The key flags of every table's one sort order (unique primary key).
inline constexpr WORD kKeyFlags = 0x1200;
// The database type of the places and actions databases.
inline constexpr DWORD kDatabaseType = 1911;
}  // namespace velomar::places

class CTableBase {
 public:
  // Registers the table with its owner (AddTable). Touches no database.
  CTableBase(CDB* owner, const WCHAR* name);
  virtual ~CTableBase();
  CTableBase(const CTableBase&) = delete;
  CTableBase& operator=(const CTableBase&) = delete;

  virtual CDB* GetOwner() const { return m_owner; }
  virtual HANDLE GetHandle() const { return m_handle; }
  virtual void SetOwner(CDB* owner) { m_owner = owner; }
  virtual void SetHandle(HANDLE handle) { m_handle = handle; }
  virtual void SetOpen(int open) { m_open = open; }
  virtual int IsOpen() const { return m_open; }
  virtual const std::u16string& GetName() const { return m_name; }

  // Each reads GetLastError and raises a CExceptionDB with the text of that code. ThrowOpenError
  // with code 2 (no such database) instead creates the database, opens it, adds the default
  // records and flushes the volume; it does that at most once per open.
  virtual void ThrowOpenError();
  virtual void ThrowCreateError();
  virtual void ThrowWriteError();
  virtual void ThrowSeekError();
  virtual void ThrowFillError();
  virtual void ThrowReadError();

  // Deletes the record's row (found by SeekById), then runs OnRecordDeleted; raises the translated
  // "ERROR DELETEING REGISTRY" when the delete fails.
  virtual void DeleteRecord(CStrBase& record);
  // Deletes every row (no cascade); the first failure raises, rows deleted before it stay deleted.
  virtual void DeleteAll();
  // Writes a new row; the record then holds its object id and its key.
  virtual void Insert(CStrBase& record) = 0;
  // Rewrites the record's row. A failure (the row gone included) shows one error box and raises the
  // translated "ERROR REGISTRY NOT FOUND KEY" with the record's key; nothing is created.
  virtual void Update(CStrBase& record) = 0;
  // The record's object id: its own when it has one, else the first row whose key equals the
  // record's key (0 when none), which is stored in the record.
  virtual CEOID SeekById(CStrBase& record);
  // Fills the record from the cached row it names; false (record untouched) when there is none.
  virtual bool FindAndFill(CStrBase& record) = 0;
  virtual void CreateTable() = 0;
  virtual void OpenTable() = 0;
  // Invalidates the cache and closes the database handle; the table is then closed.
  virtual void Close();
  // Walks every row into the trace (which this program discards).
  virtual void Dump();
  virtual void CreateDefaultRecords() {}
  virtual CEPROPID SortPropId() const = 0;
  // A new default record of the table's class.
  virtual std::unique_ptr<CStrBase> NewRecord() const = 0;
  // The cascade after a successful delete.
  virtual void OnRecordDeleted(CStrBase&) {}
  // The number of rows; 0 when the database cannot be walked.
  virtual int CountRecords();
  virtual void SortRecords() {}
  // Whether every row's parent exists; `count` gets the number of rows.
  virtual bool CheckIntegrity(int& count) = 0;
  // Reloads the cache when it is not valid (and the table is open).
  virtual void EnsureCache() {}
  // Empties and invalidates the cache.
  virtual void ClearCache() {}

  // The table's lock; a caller that walks a table's cache in place holds it.
  std::recursive_mutex& GetLock() const { return m_lock; }

 protected:
  using PropertySpec = velomar::places::PropertySpec;

  // The open of every table: opens the database by name with the table's key as sort order; a
  // failure goes to ThrowOpenError. Any handle still held is closed first.
  void OpenByName();
  // Creates the database with one sort order on the key; a failure goes to ThrowCreateError.
  void CreateWithProps(DWORD flags, DWORD type, const std::vector<PropertySpec>& props);
  // The insert of the tables with an auto-numbered key: write, flush, seek back, read the key.
  void InsertAutoKey(CStrBase& record, std::vector<CEPROPVAL> values);
  // The update pattern: SeekById and the write inside the guarded block; `raise_update_error` raises
  // the table's error for a failed write. A caught exception is shown and the update then raises
  // the not-found error with the record's key.
  void UpdateRow(CStrBase& record, std::vector<CEPROPVAL> values, const std::function<void()>& raise_update_error);
  // Marks the cache invalid, emptying it while clear-on-invalidate is set.
  void InvalidateCache();
  // Flushes the owner's volume.
  void FlushVolume();
  // Positions the handle on the row at `offset` from the beginning; its object id, 0 past the end.
  CEOID SeekOffset(DWORD offset);
  // Ensures a record is of the table's class; raises a CExceptionDB when it is not.
  template <class Record>
  static Record& As(CStrBase& record);

  // Read buffer of CeReadRecordPropsEx, freed with LocalFree.
  class ReadBuffer {
   public:
    ReadBuffer() = default;
    ~ReadBuffer();
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;
    LPBYTE* Address() { return &m_data; }
    DWORD* Size() { return &m_size; }
    const CEPROPVAL* Values() const { return reinterpret_cast<const CEPROPVAL*>(m_data); }

   private:
    LPBYTE m_data = nullptr;
    DWORD m_size = 0;
  };
  // Reads the current row: `ids` null reads every property. The row's object id, 0 on failure
  // (with the last error set).
  CEOID ReadRow(std::vector<CEPROPID>* ids, ReadBuffer& buffer, WORD& count);

  bool m_cacheValid = false;
  int m_clearOnInvalidate = 1;

 private:
  [[noreturn]] static void ThrowWrongRecord();

  CDB* m_owner;
  HANDLE m_handle = nullptr;
  int m_open = 0;
  std::u16string m_name;
  bool m_creating = false;
  mutable std::recursive_mutex m_lock;
};

// ---- Templates -------------------------------------------------------------------------------------

template <class Record>
Record& CTableBase::As(CStrBase& record) {
  auto* typed = dynamic_cast<Record*>(&record);
  if (!typed) ThrowWrongRecord();
  return *typed;
}
