// The periods table: the periods of every place's weekly schedule in the CEDB database "periods",
// in begin-time order in memory. Deleting a period deletes its actions.
#pragma once

#include <vector>

#include "velomar/places/TableCache.h"

class CTablePeriods : public CTableCached<CStrPeriod> {
 public:
  explicit CTablePeriods(CDB* owner);
  ~CTablePeriods() override;

  // Opens the database and loads every period.
  void OpenTable() override;
  void CreateTable() override;
  CEPROPID SortPropId() const override { return velomar::places::kPropPeriodKey; }
  std::unique_ptr<CStrBase> NewRecord() const override { return std::make_unique<CStrPeriod>(); }
  // Writes name, place, begin hour and minute, end hour and minute.
  void Insert(CStrBase& record) override;
  void Update(CStrBase& record) override;
  // By key.
  bool FindAndFill(CStrBase& record) override;
  // False at the first period whose place does not exist; `count` counts every period.
  bool CheckIntegrity(int& count) override;
  void OnRecordDeleted(CStrBase& record) override;

  // Appends copies of the periods of a place, in begin-time order.
  void GetAllRecordsForPlace(std::vector<CStrPeriod>& out, int place_key);
  // The period "Default", 00:00 to 00:00 (the whole day), of a place.
  void InsertDefault(int place_key);
  // Deletes the periods of a place and their actions.
  void DeletePeriodsOfPlace(const CStrPlace& place);
  int GetNumRecordsForPlace(int place_key);

 protected:
  void FillField(CStrPeriod& record, const CEPROPVAL& value) override;
  std::vector<CEPROPID> CachedProperties() const override;
  void SortCache() override;
};
