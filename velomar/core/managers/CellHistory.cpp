#include "velomar/core/managers/CellHistory.h"

#include <algorithm>
#include <atomic>

#include "platform/time/time.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"

CCellHistory::CCellHistory() : m_limit(CConfig::GetInstance()->GetDWORD(u"cell_history_list_number")) {}

CCellHistory::~CCellHistory() {
  for (CCellRecord* record : m_entries) delete record;
}

namespace {

// Made once and kept for the process: positions may still arrive while the program ends.
std::mutex g_instanceLock;
std::atomic<CCellHistory*> g_instance{nullptr};

}  // namespace

CCellHistory* CCellHistory::GetInstance() {
  if (CCellHistory* history = g_instance.load()) return history;
  std::lock_guard<std::mutex> lock(g_instanceLock);
  if (!g_instance.load()) g_instance = new CCellHistory();
  return g_instance.load();
}

namespace velomar::seam {

void DeleteCellHistory() {
  std::lock_guard<std::mutex> lock(g_instanceLock);
  delete g_instance.exchange(nullptr);
}

}  // namespace velomar::seam

void CCellHistory::Add(DWORD cell_id, DWORD lac, bool from_notification) {
  Trace(0, u"CCellHistory::Add(%u, %u)", cell_id, lac);
  int count = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    auto* record = new CCellRecord(cell_id, lac, now, from_notification);
    record->LookUpPlace();
    m_entries.push_front(record);
    if (m_entries.size() > m_limit) {
      delete m_entries.back();
      m_entries.pop_back();
    }
    count = static_cast<int>(m_entries.size());
  }
  TellListeners(count);
}

void CCellHistory::Reset() {
  {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (CCellRecord* record : m_entries) delete record;
    m_entries.clear();
  }
  TellListeners(0);
}

void CCellHistory::Refresh() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  for (CCellRecord* record : m_entries) record->Invalidate();
}

void CCellHistory::AddListener(ICellHistoryListener* listener) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  m_listeners.push_back(listener);
}

void CCellHistory::RemoveListener(ICellHistoryListener* listener) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  auto found = std::find(m_listeners.begin(), m_listeners.end(), listener);
  if (found != m_listeners.end()) m_listeners.erase(found);
}

int CCellHistory::GetCount() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return static_cast<int>(m_entries.size());
}

CCellRecord* CCellHistory::GetAt(int index) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return nullptr;
  return m_entries[static_cast<std::size_t>(index)];
}

void CCellHistory::TellListeners(int count) {
  std::vector<ICellHistoryListener*> copy;
  {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    copy = m_listeners;
  }
  for (ICellHistoryListener* listener : copy) listener->OnCellHistoryChanged(count);
}
