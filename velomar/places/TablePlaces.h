// The places table: one row per place in the CEDB database "places", in name order in memory. A
// new database gets the default place (key 0). Deleting a place deletes its cells, LACs, periods
// and their actions.
#pragma once

#include <vector>

#include "velomar/places/TableCache.h"

class CTablePlaces : public CTableCached<CStrPlace> {
 public:
  explicit CTablePlaces(CDB* owner);
  ~CTablePlaces() override;

  void OpenTable() override;
  void CreateTable() override;
  // The place "UNKNOWN" / "DEFAULT PLACE" (translated) with "place_unknown.png".
  void CreateDefaultRecords() override;
  CEPROPID SortPropId() const override { return velomar::places::kPropPlaceKey; }
  std::unique_ptr<CStrBase> NewRecord() const override { return std::make_unique<CStrPlace>(); }
  // Writes name, description and image, and the key when the record carries one (not -1).
  void Insert(CStrBase& record) override;
  // Rewrites description, name and image.
  void Update(CStrBase& record) override;
  // By key.
  bool FindAndFill(CStrBase& record) override;
  // Counts the places; always true.
  bool CheckIntegrity(int& count) override;
  void OnRecordDeleted(CStrBase& record) override;

 protected:
  void FillField(CStrPlace& record, const CEPROPVAL& value) override;
  std::vector<CEPROPID> CachedProperties() const override;
  void SortCache() override;
};
