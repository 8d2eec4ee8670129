// The ids of the line requests a manager has outstanding (unregister, minimum and full equipment
// state, register), so that a LINE_REPLY can be matched to the request it answers.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/base/types.h"

class CLineRequests {
 public:
  std::atomic<LONG> unregister{0};
  std::atomic<LONG> minimum{0};
  std::atomic<LONG> full{0};
  std::atomic<LONG> registration{0};

  // Makes a request and keeps its id in `slot` under the lock that `Take` holds while it matches
  // ids: a reply that comes back before the call returns is still recognised.
  template <class Call>
  LONG Issue(std::atomic<LONG>& slot, Call call) {
    std::lock_guard<std::mutex> lock(m_lock);
    slot = 0;
    slot = call();
    return slot.load();
  }

  // The slot whose outstanding id is `request`, cleared; null when none is (a late or foreign reply).
  std::atomic<LONG>* Take(LONG request) {
    if (request <= 0) return nullptr;
    std::lock_guard<std::mutex> lock(m_lock);
    for (std::atomic<LONG>* slot : {&unregister, &minimum, &full, &registration}) {
      if (slot->load() == request) {
        *slot = 0;
        return slot;
      }
    }
    return nullptr;
  }

 private:
  std::mutex m_lock;
};
