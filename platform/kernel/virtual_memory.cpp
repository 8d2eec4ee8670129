#include "platform/kernel/virtual_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr std::uintptr_t kGranularity = 64 * 1024;
constexpr std::uintptr_t kPage = 4096;

struct Reservations {
  std::mutex lock;
  std::map<std::uintptr_t, std::uintptr_t> ranges;  // base -> size
};

Reservations& Table() {
  static Reservations* table = new Reservations();  // kept for the process (threads may outlive statics)
  return *table;
}

std::uintptr_t RoundUp(std::uintptr_t value, std::uintptr_t unit) { return (value + unit - 1) / unit * unit; }

int HostProtection(DWORD protect) {
  switch (protect) {
    case PAGE_NOACCESS: return PROT_NONE;
    case PAGE_READONLY: return PROT_READ;
    case PAGE_READWRITE: return PROT_READ | PROT_WRITE;
    default: return -1;
  }
}

// The reservation holding [begin, end), under the table's lock; ranges.end() when none does.
std::map<std::uintptr_t, std::uintptr_t>::iterator Holding(Reservations& t, std::uintptr_t begin, std::uintptr_t end) {
  auto it = t.ranges.upper_bound(begin);
  if (it == t.ranges.begin()) return t.ranges.end();
  --it;
  if (begin < it->first || end > it->first + it->second) return t.ranges.end();
  return it;
}

LPVOID Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect) {
  const int protection = HostProtection(protect);
  if (size == 0 || protection < 0 || (allocation_type & ~(MEM_COMMIT | MEM_RESERVE)) != 0 ||
      (allocation_type & (MEM_COMMIT | MEM_RESERVE)) == 0)
    return Fail(ERROR_INVALID_PARAMETER);
  Reservations& t = Table();
  std::lock_guard<std::mutex> lock(t.lock);
  const auto wanted = reinterpret_cast<std::uintptr_t>(address);
  if (allocation_type & MEM_RESERVE) {
    const std::uintptr_t base = wanted / kGranularity * kGranularity;
    const std::uintptr_t length = RoundUp(wanted + size, kGranularity) - base;
    const int commit = (allocation_type & MEM_COMMIT) ? protection : PROT_NONE;
    void* hint = reinterpret_cast<void*>(base);
    void* got = mmap(hint, length, commit, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | (base ? MAP_FIXED_NOREPLACE : 0),
                     -1, 0);
    if (got == MAP_FAILED) return Fail(base ? ERROR_INVALID_ADDRESS : ERROR_NOT_ENOUGH_MEMORY);
    t.ranges[reinterpret_cast<std::uintptr_t>(got)] = length;
    return got;
  }
  const std::uintptr_t begin = wanted / kPage * kPage;
  const std::uintptr_t end = RoundUp(wanted + size, kPage);
  if (Holding(t, begin, end) == t.ranges.end()) return Fail(ERROR_INVALID_ADDRESS);
  if (mprotect(reinterpret_cast<void*>(begin), end - begin, protection) != 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  return reinterpret_cast<LPVOID>(begin);
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD free_type) {
  Reservations& t = Table();
  std::lock_guard<std::mutex> lock(t.lock);
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  if (free_type == MEM_RELEASE) {
    auto it = t.ranges.find(at);
    if (size != 0 || it == t.ranges.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    munmap(address, it->second);
    t.ranges.erase(it);
    return TRUE;
  }
  if (free_type == MEM_DECOMMIT && size != 0) {
    const std::uintptr_t begin = at / kPage * kPage;
    const std::uintptr_t end = RoundUp(at + size, kPage);
    if (Holding(t, begin, end) != t.ranges.end()) {
      // Fresh zero pages in place, untouchable until committed again.
      void* got = mmap(reinterpret_cast<void*>(begin), end - begin, PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1, 0);
      if (got != MAP_FAILED) return TRUE;
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
