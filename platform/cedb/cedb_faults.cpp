#include "platform/cedb/cedb_faults.h"

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
};

Failures& TheFailures() {
  static auto* f = new Failures();
  return *f;
}

}  // namespace

void FailCalls(CedbCall call, DWORD error, unsigned times) {
  auto& f = TheFailures();
  std::lock_guard<std::mutex> guard(f.lock);
  f.by_call[call] = Failure{error, times};
}

void ClearFailures() {
  auto& f = TheFailures();
  std::lock_guard<std::mutex> guard(f.lock);
  f.by_call.clear();
}

bool ShouldFail(CedbCall call) {
  auto& f = TheFailures();
  std::lock_guard<std::mutex> guard(f.lock);
  auto it = f.by_call.find(call);
  if (it == f.by_call.end()) return false;
  DWORD error = it->second.error;
  if (it->second.left > 0 && --it->second.left == 0) f.by_call.erase(it);
  SetLastError(error);
  return true;
}

}  // namespace ce::cedb
