// The cache of the places, periods and actions tables: a copy of every row in the table's order,
// reloaded on first use after any change, guarded by the table's lock.
#pragma once

#include <algorithm>
#include <mutex>
#include <vector>

#include "velomar/core/Exceptions.h"
#include "velomar/places/TableBase.h"

template <class Record>
class CTableCached : public CTableBase {
 public:
  using CTableBase::CTableBase;

  void EnsureCache() override {
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    if (m_cacheValid || !IsOpen()) return;  // a closed table has nothing to load
    m_cache.clear();
    LoadRows();
    m_cacheValid = true;
  }

  void ClearCache() override {
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    m_cache.clear();
    m_cacheValid = false;
  }

  // A copy of every row, in the table's order.
  void GetAllRecords(std::vector<Record>& out) {
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    EnsureCache();
    out = m_cache;
  }

 protected:
  // Fills one record from one property read from its row.
  virtual void FillField(Record& record, const CEPROPVAL& value) = 0;
  // The properties a reload reads of each row.
  virtual std::vector<CEPROPID> CachedProperties() const = 0;
  // Puts the loaded rows in the table's order.
  virtual void SortCache() = 0;

  // Appends to `out` a copy of every cached row that `match` accepts.
  template <class Match>
  void CopyMatching(std::vector<Record>& out, Match match) {
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    EnsureCache();
    for (const Record& record : m_cache)
      if (match(record)) out.push_back(record);
  }

  // Copies every cached row that `match` accepts into `record`; true when one did.
  template <class Match>
  bool FillFromCache(Record& record, Match match) {
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    EnsureCache();
    bool found = false;
    for (const Record& cached : m_cache) {
      if (match(cached)) {
        record = cached;
        found = true;
      }
    }
    return found;
  }

  // Deletes each row of `rows` in turn while the cache keeps its contents, then invalidates it.
  template <class AfterEach>
  void DeleteEach(std::vector<Record>& rows, AfterEach after_each) {
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    m_clearOnInvalidate = 0;
    try {
      for (Record& row : rows) {
        DeleteRecord(row);
        after_each(row);
      }
    } catch (...) {
      m_clearOnInvalidate = 1;
      InvalidateCache();
      throw;
    }
    m_clearOnInvalidate = 1;
    InvalidateCache();
  }

  std::vector<Record> m_cache;

 private:
  // Walks the rows from the beginning, each into a reset record with its object id.
  void LoadRows() {
    std::vector<CEPROPID> ids = CachedProperties();
    for (DWORD offset = 0;; ++offset) {
      const CEOID id = SeekOffset(offset);
      if (id == 0) break;
      ReadBuffer buffer;
      WORD count = 0;
      if (ReadRow(&ids, buffer, count) == 0) {
        m_cache.clear();
        ThrowReadError();
      }
      Record record;
      record.Reset();
      record.SetId(id);
      for (WORD i = 0; i < count; ++i) {
        const CEPROPVAL& value = buffer.Values()[i];
        if (value.wFlags & CEDB_PROPNOTFOUND) continue;
        FillField(record, value);
      }
      m_cache.push_back(record);
    }
    SortCache();
  }
};
