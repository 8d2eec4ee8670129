// toolhelp.dll: the heap walk of a snapshot. Linux keeps no walkable list of heap blocks, so a
// snapshot holds one heap (the process heap) whose blocks add up to the bytes the allocator had
// in use when the snapshot was taken (in blocks of at most 1 MiB). Only this process can be
// walked; only heap lists are taken (other kinds of snapshot are empty).
#pragma once

#include "platform/base/types.h"

constexpr DWORD TH32CS_SNAPHEAPLIST = 0x00000001;
constexpr DWORD HF32_DEFAULT = 1;  // HEAPLIST32::dwFlags of the process heap
constexpr DWORD LF32_FIXED = 0x00000001;

struct HEAPLIST32 {
  DWORD dwSize;
  DWORD th32ProcessID;
  DWORD th32HeapID;
  DWORD dwFlags;
};

struct HEAPENTRY32 {
  DWORD dwSize;
  HANDLE hHandle;
  DWORD dwAddress;
  DWORD dwBlockSize;
  DWORD dwFlags;
  DWORD dwLockCount;
  DWORD dwResvd;  // the walk's position
  DWORD th32ProcessID;
  DWORD th32HeapID;
};

// `process_id` 0 or this process; another gives INVALID_HANDLE_VALUE (ERROR_ACCESS_DENIED).
// Close the snapshot with CloseToolhelp32Snapshot or CloseHandle.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD process_id);
BOOL CloseToolhelp32Snapshot(HANDLE snapshot);
// The heaps of the snapshot; FALSE with ERROR_NO_MORE_FILES after the last.
BOOL Heap32ListFirst(HANDLE snapshot, HEAPLIST32* list);
BOOL Heap32ListNext(HANDLE snapshot, HEAPLIST32* list);
// The blocks of one heap of the snapshot; FALSE with ERROR_NO_MORE_FILES after the last (and for
// a heap the snapshot does not hold).
BOOL Heap32First(HANDLE snapshot, HEAPENTRY32* entry, DWORD process_id, DWORD heap_id);
BOOL Heap32Next(HANDLE snapshot, HEAPENTRY32* entry);
