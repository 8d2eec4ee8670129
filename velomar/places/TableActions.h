// The actions table: the actions of every period in the CEDB database "actions", in key order in
// memory. The three times are stored as FILETIME values carrying local time (no zone conversion).
#pragma once

#include <optional>
#include <vector>

#include "velomar/places/TableCache.h"

class CTableActions : public CTableCached<CStrAction> {
 public:
  explicit CTableActions(CDB* owner);
  ~CTableActions() override;

  void OpenTable() override;
  void CreateTable() override;
  CEPROPID SortPropId() const override { return velomar::places::kPropActionKey; }
  std::unique_ptr<CStrBase> NewRecord() const override { return std::make_unique<CStrAction>(); }
  // Writes period, trigger, the three numbers, texts and times, and the kind.
  void Insert(CStrBase& record) override;
  // Rewrites everything but the kind and the key.
  void Update(CStrBase& record) override;
  // By object id when the record has one, else by key.
  bool FindAndFill(CStrBase& record) override;
  // False at the first action whose period does not exist; `count` counts every action.
  bool CheckIntegrity(int& count) override;

  // Appends copies of the actions of a period, in key order.
  void GetActionsOfPeriod(std::vector<CStrAction>& out, int period_key);
  // A copy of the first action of the period with that kind and trigger. When there is none and
  // `create` is nonzero, such an action (every other field at its default) is inserted first;
  // otherwise the answer is empty.
  std::optional<CStrAction> GetAction(int period_key, int kind, int create, int trigger);
  // Deletes the actions of a period.
  void DeleteActionsOfPeriod(const CStrPeriod& period);

 protected:
  void FillField(CStrAction& record, const CEPROPVAL& value) override;
  std::vector<CEPROPID> CachedProperties() const override;
  void SortCache() override;
};
