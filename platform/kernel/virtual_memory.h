// Reserved and committed address space: VirtualAlloc and VirtualFree.
//
// A reservation is a range of address space, rounded up to the 64 KB allocation granularity, that
// can be touched only where it was committed (pages of 4 KB, zero-filled when first committed).
// Committing may be asked for with the reservation or later, for any range inside it.
#pragma once

#include "platform/base/types.h"

#define MEM_COMMIT 0x00001000u
#define MEM_RESERVE 0x00002000u
#define MEM_DECOMMIT 0x00004000u
#define MEM_RELEASE 0x00008000u

#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u

// MEM_RESERVE (address null or a wanted base), MEM_COMMIT (a range inside a reservation), or both.
// Answers the base of the range (rounded down to its page or granule), or null with the last error:
// ERROR_INVALID_PARAMETER for a size of 0, an unknown type or protection; ERROR_INVALID_ADDRESS
// for a commit outside every reservation; ERROR_NOT_ENOUGH_MEMORY when the host refuses.
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect);
// MEM_RELEASE (size 0, address the reservation's base) gives the whole range back; MEM_DECOMMIT
// makes the pages of a range inside a reservation untouchable again (their contents are lost).
// FALSE with ERROR_INVALID_PARAMETER otherwise.
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD free_type);
