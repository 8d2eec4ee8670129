// Handles, waits, events, mutexes, critical sections and interlocked operations.
#pragma once

#include "platform/base/types.h"

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64
#define STILL_ACTIVE 259u

#define EVENT_PULSE 1
#define EVENT_RESET 2
#define EVENT_SET 3

#define DUPLICATE_CLOSE_SOURCE 0x00000001u
#define DUPLICATE_SAME_ACCESS 0x00000002u

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Closes any kernel handle (thread, event, mutex, file, queue, process, ...).
BOOL CloseHandle(HANDLE h);
// Within this process only: both process handles must be GetCurrentProcess().
BOOL DuplicateHandle(HANDLE source_process, HANDLE source, HANDLE target_process, HANDLE* target,
                     DWORD access, BOOL inherit, DWORD options);
HANDLE GetCurrentProcess();

DWORD WaitForSingleObject(HANDLE h, DWORD timeout_ms);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD timeout_ms);

// Events. A named event is shared by every CreateEvent of that name in the process; creating an
// existing one returns it with the last error ERROR_ALREADY_EXISTS.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset, BOOL initial_state,
                    LPCWSTR name);
HANDLE OpenEventW(DWORD access, BOOL inherit, LPCWSTR name);
BOOL EventModify(HANDLE h, DWORD func);
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);
BOOL PulseEvent(HANDLE h);
#define EVENT_ALL_ACCESS 0x001F0003u

// Mutexes: recursive for their owner; a mutex whose owner ends while holding it is abandoned and
// the next wait that takes it reports WAIT_ABANDONED.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initial_owner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE h);

// Critical sections: plain structs the caller owns; recursive. One that was zero-filled instead
// of initialised still works.
struct CRITICAL_SECTION {
  void* impl;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void DeleteCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs);

// Interlocked operations (sequentially consistent); each returns what the platform's does.
LONG InterlockedIncrement(LONG volatile* target);  // the new value
LONG InterlockedDecrement(LONG volatile* target);  // the new value
LONG InterlockedExchange(LONG volatile* target, LONG value);  // the old value
LONG InterlockedExchangeAdd(LONG volatile* target, LONG value);  // the old value
LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand);  // the old value
PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value);
PVOID InterlockedCompareExchangePointer(PVOID volatile* target, PVOID exchange, PVOID comparand);
