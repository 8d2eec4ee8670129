// toolhelp.dll: the heap walk adds up to what the process has allocated.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "platform/devicelibs/toolhelp.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/system_info.h"
#include "platform/libraries/libraries.h"

namespace {

using ce::libraries::ProcAs;

struct Walk {
  decltype(&CreateToolhelp32Snapshot) snapshot;
  decltype(&Heap32ListFirst) list_first;
  decltype(&Heap32ListNext) list_next;
  decltype(&Heap32First) first;
  decltype(&Heap32Next) next;
  decltype(&CloseToolhelp32Snapshot) close;
};

Walk Load(HMODULE lib) {
  return {ProcAs<decltype(CreateToolhelp32Snapshot)>(GetProcAddress(lib, u"CreateToolhelp32Snapshot")),
          ProcAs<decltype(Heap32ListFirst)>(GetProcAddress(lib, u"Heap32ListFirst")),
          ProcAs<decltype(Heap32ListNext)>(GetProcAddress(lib, u"Heap32ListNext")),
          ProcAs<decltype(Heap32First)>(GetProcAddress(lib, u"Heap32First")),
          ProcAs<decltype(Heap32Next)>(GetProcAddress(lib, u"Heap32Next")),
          ProcAs<decltype(CloseToolhelp32Snapshot)>(GetProcAddress(lib, u"CloseToolhelp32Snapshot"))};
}

// The memory report's sum: every block of every heap of the snapshot.
std::uint64_t HeapBytes(const Walk& w, HANDLE snap) {
  std::uint64_t total = 0;
  HEAPLIST32 list{};
  for (BOOL more = w.list_first(snap, &list); more; more = w.list_next(snap, &list)) {
    HEAPENTRY32 entry{};
    for (BOOL block = w.first(snap, &entry, list.th32ProcessID, list.th32HeapID); block; block = w.next(snap, &entry)) {
      total += entry.dwBlockSize;
    }
  }
  return total;
}

TEST(ToolhelpTest, HeapWalkCountsTheBytesInUse) {
  HMODULE lib = LoadLibraryW(u"toolhelp.dll");
  ASSERT_NE(lib, nullptr);
  Walk w = Load(lib);
  ASSERT_TRUE(w.snapshot && w.list_first && w.list_next && w.first && w.next && w.close);

  constexpr std::size_t kBig = 5u << 20;  // more than one block's worth
  auto held = std::make_unique<char[]>(kBig);
  held[kBig - 1] = 1;
  HANDLE snap = w.snapshot(TH32CS_SNAPHEAPLIST, 0);
  ASSERT_NE(snap, INVALID_HANDLE_VALUE);
  EXPECT_GE(HeapBytes(w, snap), kBig);
  HEAPLIST32 list{};
  ASSERT_TRUE(w.list_first(snap, &list));
  EXPECT_EQ(list.th32ProcessID, GetCurrentProcessId());
  HEAPENTRY32 entry{};
  EXPECT_FALSE(w.first(snap, &entry, list.th32ProcessID, list.th32HeapID + 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(w.close(snap));
  EXPECT_FALSE(w.list_first(snap, &list));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  // A snapshot without the heap list has no heaps; another process cannot be walked.
  snap = w.snapshot(0, 0);
  EXPECT_EQ(HeapBytes(w, snap), 0u);
  EXPECT_TRUE(CloseHandle(snap));
  EXPECT_EQ(w.snapshot(TH32CS_SNAPHEAPLIST, GetCurrentProcessId() + 1), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  FreeLibrary(lib);
}

}  // namespace
