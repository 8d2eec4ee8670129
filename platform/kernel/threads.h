// Threads, thread-local storage and Sleep.
//
// TerminateThread does not kill a thread: the thread is marked terminated with the given exit
// code and its waiters are released at once; the thread itself ends at its next wait or Sleep
// (which unwinds it to its entry instead of returning) or when its work returns.
#pragma once

#include "platform/base/types.h"
#include "platform/kernel/sync.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

#define CREATE_SUSPENDED 0x00000004u
#define TLS_OUT_OF_INDEXES 0xFFFFFFFFu
#define TLS_MINIMUM_AVAILABLE 64

#define THREAD_PRIORITY_TIME_CRITICAL 0
#define THREAD_PRIORITY_HIGHEST 1
#define THREAD_PRIORITY_ABOVE_NORMAL 2
#define THREAD_PRIORITY_NORMAL 3
#define THREAD_PRIORITY_BELOW_NORMAL 4
#define THREAD_PRIORITY_LOWEST 5
#define THREAD_PRIORITY_ABOVE_IDLE 6
#define THREAD_PRIORITY_IDLE 7
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, DWORD stack_size,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD thread_id);
DWORD ResumeThread(HANDLE thread);
[[noreturn]] void ExitThread(DWORD exit_code);
BOOL TerminateThread(HANDLE thread, DWORD exit_code);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exit_code);
// A pseudo handle that stands for the calling thread; closing it does nothing.
HANDLE GetCurrentThread();
DWORD GetCurrentThreadId();
DWORD GetThreadId(HANDLE thread);
// Priorities are recorded and read back; the host scheduler is not changed.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
BOOL CeSetThreadPriority(HANDLE thread, int priority);  // 0..255, 248 + n is priority n
int CeGetThreadPriority(HANDLE thread);

void Sleep(DWORD ms);

DWORD TlsAlloc();
BOOL TlsFree(DWORD index);
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);

namespace ce::kernel {

// The device calls each library's per-thread attach and detach for the threads of the process.
// Here that can be done only for the threads this layer creates: a library registers a hook, and
// every thread started by CreateThread calls it with true before its work and with false after.
using ThreadHook = void (*)(bool attach);
void AddThreadHook(ThreadHook hook);
void RemoveThreadHook(ThreadHook hook);

}  // namespace ce::kernel
