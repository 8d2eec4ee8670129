// A status listener for manager tests that keeps every call it gets (status, manager id, event).
#pragma once

#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "velomar/core/managers/Listeners.h"

namespace velomar_test {

class StatusRecorder : public IStatusListener {
 public:
  void StatusChanged(int status, int mgr_id, int event) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.emplace_back(status, mgr_id, event);
  }
  std::u16string GetName() override { return u"recorder"; }
  std::vector<std::tuple<int, int, int>> Calls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }
  int CountEvent(int event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const auto& call : m_calls) n += std::get<2>(call) == event ? 1 : 0;
    return n;
  }

 private:
  std::mutex m_mutex;
  std::vector<std::tuple<int, int, int>> m_calls;
};

}  // namespace velomar_test
