// The calling thread's last error, the system's error texts and the local heap.
#pragma once

#include <cstdarg>

#include "platform/base/types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu

// Only FORMAT_MESSAGE_FROM_SYSTEM is served (inserts are not expanded): the text of a system error
// code, ending in "\r\n". With FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is really an LPWSTR* that
// receives a LocalAlloc'd text the caller frees with LocalFree. Returns the characters written
// without the terminator, or 0 with the last error set (ERROR_MR_MID_NOT_FOUND for an unknown
// code, ERROR_INSUFFICIENT_BUFFER when `size` is too small, ERROR_NOT_SUPPORTED for other sources).
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD message_id, DWORD language_id,
                     LPWSTR buffer, DWORD size, va_list* arguments);

#define LMEM_FIXED 0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

// The local heap: fixed blocks only (LMEM_MOVEABLE is treated as fixed).
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalReAlloc(HLOCAL block, SIZE_T bytes, UINT flags);
HLOCAL LocalFree(HLOCAL block);  // null on success
SIZE_T LocalSize(HLOCAL block);
