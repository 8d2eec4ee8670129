// The location tables: CTableCell maps a GSM cell id to a place key (CEDB database "cells"),
// CTableLAC a location area code (database "lacs"). The key is the radio value itself; a value
// that is already stored is refused by the unique key. Their writes do not flush the volume.
#pragma once

#include <memory>
#include <vector>

#include "velomar/places/TableBase.h"

using LocationList = std::vector<std::unique_ptr<CStrLocation>>;

class CTableLocation : public CTableBase {
 public:
  CTableLocation(CDB* owner, const WCHAR* name);
  ~CTableLocation() override;

  void OpenTable() override;
  void CreateTable() override;
  CEPROPID SortPropId() const override { return velomar::places::kPropLocationValue; }
  std::unique_ptr<CStrBase> NewRecord() const override { return NewLocation(); }
  // Writes value and place; no flush and no read-back.
  void Insert(CStrBase& record) override;
  // Rewrites the place alone.
  void Update(CStrBase& record) override;
  // By value: object id, value and place are copied.
  bool FindAndFill(CStrBase& record) override;
  // False at the first row whose place does not exist; `count` counts every row.
  bool CheckIntegrity(int& count) override;
  // Sorts the cache by value.
  void SortRecords() override;
  void EnsureCache() override;
  void ClearCache() override;

  // Deletes the rows of a place.
  void DeleteLocationsOfPlace(const CStrPlace& place);
  // Appends copies of the rows of a place, in cache order.
  void GetRecordsOfPlace(LocationList& out, int place_key);
  // Copies of every row, in cache order (row order until SortRecords).
  void GetAllRecords(LocationList& out);

 protected:
  virtual std::unique_ptr<CStrLocation> NewLocation() const = 0;
  // Raises the table's error for a failed update.
  virtual void RaiseUpdateError() = 0;

 private:
  // One cached row. The rows sit side by side, so that a lookup by value walks plain memory.
  struct Row {
    CEOID id;
    int value;
    int place;
  };
  std::unique_ptr<CStrLocation> Copy(const Row& row) const;
  void LoadRows();

  std::vector<Row> m_cache;
};

class CTableCell : public CTableLocation {
 public:
  explicit CTableCell(CDB* owner) : CTableLocation(owner, u"cells") {}

 protected:
  std::unique_ptr<CStrLocation> NewLocation() const override { return std::make_unique<CStrCell>(); }
  void RaiseUpdateError() override { ThrowWriteError(); }
};

class CTableLAC : public CTableLocation {
 public:
  explicit CTableLAC(CDB* owner) : CTableLocation(owner, u"lacs") {}

 protected:
  std::unique_ptr<CStrLocation> NewLocation() const override { return std::make_unique<CStrLAC>(); }
  void RaiseUpdateError() override;
};
