// The cell history: the most recent positions the radio reported, newest first (index 0), each
// with its time and place. In memory only; its capacity is the setting
// "cell_history_list_number", read once when the history is made. Every operation holds the
// history's lock; the listeners are told the entry count after the lock is released, on the
// calling thread, on a copy of the listener list.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "platform/base/types.h"
#include "velomar/core/managers/CellRecord.h"

class ICellHistoryListener {
 public:
  virtual void OnCellHistoryChanged(int entry_count) = 0;

 protected:
  ~ICellHistoryListener() = default;
};

class CCellHistory {
 public:
  virtual ~CCellHistory();
  CCellHistory(const CCellHistory&) = delete;
  CCellHistory& operator=(const CCellHistory&) = delete;

  // The history, made (and its capacity read) by the first call.
  static CCellHistory* GetInstance();

  // Records a new newest entry with the local time and looks its place up; beyond the capacity
  // the oldest entry goes (one per call).
  void Add(DWORD cell_id, DWORD lac, bool from_notification);
  // Deletes every entry and tells the listeners (count 0), also when it was empty.
  void Reset();
  // The places changed: every entry's place is looked up again at its next read.
  void Refresh();
  void AddListener(ICellHistoryListener* listener);
  // Removes the first registration of `listener` (nothing when absent).
  void RemoveListener(ICellHistoryListener* listener);

  int GetCount();
  // The entry at `index` (0 = newest), or null. Valid only while the lock is held.
  CCellRecord* GetAt(int index);
  // The history's lock (recursive): hold it while using a record taken with GetAt.
  std::recursive_mutex& GetLock() { return m_lock; }

  DWORD GetLimit() const { return m_limit; }

 private:
  CCellHistory();
  void TellListeners(int count);

  std::vector<ICellHistoryListener*> m_listeners;
  std::deque<CCellRecord*> m_entries;
  DWORD m_limit = 0;
  std::recursive_mutex m_lock;
};

namespace velomar::seam {
// Deletes the history, so that the next GetInstance makes one that reads its capacity again.
void DeleteCellHistory();
}  // namespace velomar::seam
