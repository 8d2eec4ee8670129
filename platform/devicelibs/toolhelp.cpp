// toolhelp.dll as the programs load it, by name.
#include "platform/devicelibs/toolhelp.h"

#include <malloc.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/system_info.h"
#include "platform/libraries/builtin_libraries.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Under AddressSanitizer and ThreadSanitizer the allocator is the sanitizer's own; it counts its
// bytes in use (glibc's counters stay at zero).
#define CE_SANITIZER_ALLOCATOR 1
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr DWORD kProcessHeap = 1;
constexpr std::uint64_t kBlockLimit = 1u << 20;

class Snapshot : public ce::kernel::KernelObject {
 public:
  DWORD process_id = 0;
  bool has_heaps = false;
  std::vector<DWORD> blocks;  // sizes of the process heap's blocks
  std::mutex lock;            // guards next_heap
  std::size_t next_heap = 0;
};

std::uint64_t BytesInUse() {
#if defined(CE_SANITIZER_ALLOCATOR)
  return __sanitizer_get_current_allocated_bytes();
#else
  struct mallinfo2 info = mallinfo2();
  return static_cast<std::uint64_t>(info.uordblks) + info.hblkhd;
#endif
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL HeapListAt(HANDLE handle, HEAPLIST32* list, bool first) {
  auto snapshot = ce::kernel::LookupAs<Snapshot>(handle);
  if (!snapshot) return Fail(ERROR_INVALID_HANDLE);
  if (!list) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard<std::mutex> guard(snapshot->lock);
  if (first) snapshot->next_heap = 0;
  if (!snapshot->has_heaps || snapshot->next_heap >= 1) return Fail(ERROR_NO_MORE_FILES);
  ++snapshot->next_heap;
  *list = HEAPLIST32{sizeof(HEAPLIST32), snapshot->process_id, kProcessHeap, HF32_DEFAULT};
  return TRUE;
}

BOOL BlockAt(const Snapshot& snapshot, HEAPENTRY32* entry, std::size_t index) {
  if (index >= snapshot.blocks.size()) return Fail(ERROR_NO_MORE_FILES);
  *entry = HEAPENTRY32{};
  entry->dwSize = sizeof(HEAPENTRY32);
  entry->dwBlockSize = snapshot.blocks[index];
  entry->dwFlags = LF32_FIXED;
  entry->dwResvd = static_cast<DWORD>(index);
  entry->th32ProcessID = snapshot.process_id;
  entry->th32HeapID = kProcessHeap;
  return TRUE;
}

}  // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD process_id) {
  DWORD self = GetCurrentProcessId();
  if (process_id != 0 && process_id != self) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  auto snapshot = std::make_shared<Snapshot>();
  snapshot->process_id = self;
  snapshot->has_heaps = (flags & TH32CS_SNAPHEAPLIST) != 0;
  if (snapshot->has_heaps) {
    for (std::uint64_t left = BytesInUse(); left > 0;) {
      std::uint64_t block = left < kBlockLimit ? left : kBlockLimit;
      snapshot->blocks.push_back(static_cast<DWORD>(block));
      left -= block;
    }
  }
  SetLastError(ERROR_SUCCESS);
  return ce::kernel::InsertHandle(std::move(snapshot));
}

BOOL CloseToolhelp32Snapshot(HANDLE snapshot) {
  if (!ce::kernel::LookupAs<Snapshot>(snapshot)) return Fail(ERROR_INVALID_HANDLE);
  return CloseHandle(snapshot);
}

BOOL Heap32ListFirst(HANDLE snapshot, HEAPLIST32* list) { return HeapListAt(snapshot, list, true); }
BOOL Heap32ListNext(HANDLE snapshot, HEAPLIST32* list) { return HeapListAt(snapshot, list, false); }

BOOL Heap32First(HANDLE handle, HEAPENTRY32* entry, DWORD process_id, DWORD heap_id) {
  auto snapshot = ce::kernel::LookupAs<Snapshot>(handle);
  if (!snapshot) return Fail(ERROR_INVALID_HANDLE);
  if (!entry) return Fail(ERROR_INVALID_PARAMETER);
  if ((process_id != 0 && process_id != snapshot->process_id) || heap_id != kProcessHeap) {
    return Fail(ERROR_NO_MORE_FILES);
  }
  return BlockAt(*snapshot, entry, 0);
}

BOOL Heap32Next(HANDLE handle, HEAPENTRY32* entry) {
  auto snapshot = ce::kernel::LookupAs<Snapshot>(handle);
  if (!snapshot) return Fail(ERROR_INVALID_HANDLE);
  if (!entry) return Fail(ERROR_INVALID_PARAMETER);
  if (entry->th32HeapID != kProcessHeap) return Fail(ERROR_NO_MORE_FILES);
  return BlockAt(*snapshot, entry, static_cast<std::size_t>(entry->dwResvd) + 1);
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"toolhelp.dll",
                                 {.by_name = {{"CreateToolhelp32Snapshot", Export(&CreateToolhelp32Snapshot)},
                                              {"CloseToolhelp32Snapshot", Export(&CloseToolhelp32Snapshot)},
                                              {"Heap32ListFirst", Export(&Heap32ListFirst)},
                                              {"Heap32ListNext", Export(&Heap32ListNext)},
                                              {"Heap32First", Export(&Heap32First)},
                                              {"Heap32Next", Export(&Heap32Next)}},
                                  .by_ordinal = {}});
  return true;
}();
}  // namespace
