// The cell history: newest first within its capacity, the listeners told after each change.
#include <gtest/gtest.h>

#include <vector>

#include "tests/velomar/managers/radio_fixture.h"

namespace {

class CountRecorder : public ICellHistoryListener {
 public:
  void OnCellHistoryChanged(int count) override { counts.push_back(count); }
  std::vector<int> counts;
};

class CellHistoryTest : public velomar_test::RadioTest {};

TEST_F(CellHistoryTest, KeepsTheNewestWithinItsCapacityAndTellsItsListeners) {
  SetSetting(u"cell_history_list_number", 3);
  velomar::seam::DeleteCellHistory();
  AddPlaceWithCell(u"Office", 2);
  CCellHistory* history = CCellHistory::GetInstance();
  CountRecorder listener, other;
  history->AddListener(&listener);
  history->RemoveListener(&other);  // not registered: nothing changes
  for (DWORD cell = 1; cell <= 4; ++cell) history->Add(cell, 7, false);
  ASSERT_EQ(history->GetCount(), 3);
  {
    std::lock_guard<std::recursive_mutex> lock(history->GetLock());
    EXPECT_EQ(history->GetAt(0)->GetCellId(false), 4u);
    EXPECT_EQ(history->GetAt(1)->GetCellId(false), 3u);
    EXPECT_EQ(history->GetAt(2)->GetCellId(false), 2u);
    EXPECT_EQ(history->GetAt(2)->GetText(), u"Office");
    EXPECT_EQ(history->GetAt(3), nullptr);
    EXPECT_EQ(history->GetAt(-1), nullptr);
  }
  history->Reset();
  history->Reset();
  EXPECT_EQ(listener.counts, (std::vector<int>{1, 2, 3, 3, 0, 0}));

  // By LAC once the mode says so: the same entry looks its place up by the new key.
  SetSetting(u"location_mode", 0);
  CStrLAC lac;
  lac.SetValue(7);
  lac.SetPlace(1);
  db().GetLacsTable()->Insert(lac);
  history->Add(5, 7, true);
  std::lock_guard<std::recursive_mutex> lock(history->GetLock());
  EXPECT_EQ(history->GetAt(0)->GetPlaceId(), 1);
  history->RemoveListener(&listener);
}

}  // namespace
