#include "platform/cedb/cedb_faults.h"

#include <atomic>
#include <map>
#include <mutex>

#include "platform/kernel/last_error.h"

namespace ce::cedb {
namespace {

struct Failure {
  DWORD error;
  unsigned left;  // 0: until cleared
};

struct Failures {
  std::mutex lock;
  std::map<CedbCall, Failure> by_call;
  std::atomic<std::size_t> armed{0};  // by_call.size(): calls skip the lock while it is 0
};

Failures& TheFailures() {
  static auto* f = new Failures();
  return *f;
}

std::atomic<std::uint64_t> order_reads{0};

}  // namespace

std::uint64_t OrderReads() { return order_reads.load(std::memory_order_relaxed); }
void CountOrderRead() { order_reads.fetch_add(1, std::memory_order_relaxed); }

void FailCalls(CedbCall call, DWORD error, unsigned times) {
  auto& f = TheFailures();
  std::lock_guard<std::mutex> guard(f.lock);
  f.by_call[call] = Failure{error, times};
  f.armed.store(f.by_call.size(), std::memory_order_release);
}

void ClearFailures() {
  auto& f = TheFailures();
  std::lock_guard<std::mutex> guard(f.lock);
  f.by_call.clear();
  f.armed.store(0, std::memory_order_release);
}

bool ShouldFail(CedbCall call) {
  auto& f = TheFailures();
  if (f.armed.load(std::memory_order_acquire) == 0) return false;
  std::lock_guard<std::mutex> guard(f.lock);
  auto it = f.by_call.find(call);
  if (it == f.by_call.end()) return false;
  DWORD error = it->second.error;
  if (it->second.left > 0 && --it->second.left == 0) {
    f.by_call.erase(it);
    f.armed.store(f.by_call.size(), std::memory_order_release);
  }
  SetLastError(error);
  return true;
}

}  // namespace ce::cedb
