// Threads, Sleep under the manual clock, TerminateThread, TLS and thread data.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/termination_point.h"
#include "platform/kernel/wait_deadlines.h"
#include "platform/testing/device_test.h"
#include "platform/testing/settled_clock.h"
#include "platform/time/time.h"

namespace {

using ThreadsTest = ce::testing::DeviceTest;

template <class Fn>
HANDLE Start(Fn* fn, DWORD flags = 0, DWORD* id = nullptr) {
  return CreateThread(
      nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<Fn*>(p))(); }, fn, flags, id);
}

DWORD ExitCodeOf(HANDLE h) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(h, &code));
  return code;
}

TEST_F(ThreadsTest, ExitCodesAndIdentity) {
  DWORD seen_id = 0;
  auto returns = [&]() -> DWORD {
    seen_id = GetCurrentThreadId();
    return 7;
  };
  auto exits = [&]() -> DWORD { ExitThread(9); };
  DWORD id = 0;
  HANDLE a = Start(&returns, 0, &id);
  HANDLE b = Start(&exits);
  ASSERT_EQ(WaitForSingleObject(a, INFINITE), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForSingleObject(b, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCodeOf(a), 7u);
  EXPECT_EQ(ExitCodeOf(b), 9u);
  EXPECT_EQ(seen_id, id);
  EXPECT_EQ(GetThreadId(a), id);
  EXPECT_NE(id, GetCurrentThreadId());
  CloseHandle(a);
  CloseHandle(b);

  // A suspended thread waits for ResumeThread; meanwhile it is still active.
  auto runs = [&]() -> DWORD { return 1; };
  HANDLE c = Start(&runs, CREATE_SUSPENDED);
  EXPECT_EQ(WaitForSingleObject(c, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ExitCodeOf(c), STILL_ACTIVE);
  EXPECT_EQ(ResumeThread(c), 1u);
  EXPECT_EQ(WaitForSingleObject(c, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCodeOf(c), 1u);
  CloseHandle(c);
}

TEST_F(ThreadsTest, SleepEndsWhenTheManualClockPassesIt) {
  auto start = std::chrono::steady_clock::now();
  DWORD ticks_before = GetTickCount(), ticks_after = 0;
  auto sleeper = [&]() -> DWORD {
    Sleep(5000);
    ticks_after = GetTickCount();
    return 0;
  };
  HANDLE t = Start(&sleeper);
  ASSERT_TRUE(AwaitThreadsInWait(1));
  AdvanceClock(4999);
  EXPECT_EQ(WaitForSingleObject(t, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  AdvanceClock(1);
  ASSERT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ticks_after - ticks_before, 5000u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  CloseHandle(t);
}

// Moves made one after another without a pause: a settled move lets each sleeper the clock woke
// read the time before the next move, so every period reads exactly its own length.
TEST_F(ThreadsTest, SettledMovesLetEveryWokenSleeperRunBeforeTheNextMove) {
  std::vector<DWORD> woke_at;
  auto sleeper = [&]() -> DWORD {
    for (int i = 0; i < 5; ++i) {
      Sleep(100);
      woke_at.push_back(GetTickCount());
    }
    return 0;
  };
  const DWORD start = GetTickCount();
  HANDLE t = Start(&sleeper);
  ASSERT_TRUE(AwaitThreadsInWait(1));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(ce::testing::AdvanceClockSettled(100));
  ASSERT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(woke_at, (std::vector<DWORD>{start + 100, start + 200, start + 300, start + 400, start + 500}));
  EXPECT_EQ(ce::kernel::WaitsPastDeadline(), 0u);
  CloseHandle(t);
}

TEST_F(ThreadsTest, TerminateThreadReleasesWaitersAndEndsTheThreadAtItsNextWait) {
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE m = CreateMutexW(nullptr, FALSE, nullptr);
  std::atomic<bool> returned_from_wait{false}, unwound{false};
  auto victim = [&]() -> DWORD {
    struct Flag {
      std::atomic<bool>& f;
      ~Flag() { f = true; }
    } on_unwind{unwound};
    WaitForSingleObject(m, INFINITE);
    WaitForSingleObject(never, INFINITE);
    returned_from_wait = true;
    return 1;
  };
  HANDLE t = Start(&victim);
  DWORD watcher_result = 0;
  auto watcher = [&]() -> DWORD {
    watcher_result = WaitForSingleObject(t, INFINITE);
    return 0;
  };
  HANDLE w = Start(&watcher);
  ASSERT_TRUE(AwaitThreadsInWait(2));
  EXPECT_TRUE(TerminateThread(t, 42));
  ASSERT_EQ(WaitForSingleObject(w, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(watcher_result, WAIT_OBJECT_0);
  EXPECT_EQ(ExitCodeOf(t), 42u);
  // The victim unwinds from its wait and never runs on; the mutex it held is abandoned.
  EXPECT_EQ(WaitForSingleObject(m, INFINITE), WAIT_ABANDONED);
  EXPECT_TRUE(unwound);
  EXPECT_FALSE(returned_from_wait);
  EXPECT_EQ(ExitCodeOf(t), 42u);
  ReleaseMutex(m);
  for (HANDLE h : {never, m, t, w}) CloseHandle(h);
}

// A blocking call outside the kernel's waits (here a read on a pipe, woken through a second pipe)
// is a point where a terminated thread ends: it is parked there, woken, and unwinds as the call
// returns, never running the code after it. A thread in pure computation is waited for.
TEST_F(ThreadsTest, TerminatedThreadsEndAtTerminationPointsAndHaltWaitsForThem) {
  int data[2], wake[2];
  ASSERT_EQ(pipe(data), 0);
  ASSERT_EQ(pipe(wake), 0);
  std::atomic<bool> in_call{false}, after_call{false}, unwound{false};
  auto reader = [&]() -> DWORD {
    struct Flag {
      std::atomic<bool>& f;
      ~Flag() { f = true; }
    } on_unwind{unwound};
    {
      ce::kernel::TerminationPoint point([&] {
        const char b = 1;
        EXPECT_EQ(write(wake[1], &b, 1), 1);
      });
      in_call = true;
      pollfd fds[2] = {{data[0], POLLIN, 0}, {wake[0], POLLIN, 0}};
      poll(fds, 2, -1);
      EXPECT_TRUE(point.Terminated());
      EXPECT_TRUE(point.WillUnwind());
    }
    after_call = true;
    return 1;
  };
  HANDLE t = Start(&reader);
  while (!in_call) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(t, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // not terminated
  ASSERT_TRUE(TerminateThread(t, 5));
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(t, INFINITE), WAIT_OBJECT_0);
  // It really ends (the wake reached its poll), without coming back into its code.
  for (int i = 0; i < 5000 && !unwound; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(unwound);
  EXPECT_FALSE(after_call);
  EXPECT_EQ(ExitCodeOf(t), 5u);

  // Pure computation: terminated, it is not halted until its work returns.
  std::atomic<bool> go_on{true}, computing{false};
  auto computes = [&]() -> DWORD {
    computing = true;
    while (go_on) {
    }
    return 2;
  };
  HANDLE c = Start(&computes);
  while (!computing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(TerminateThread(c, 6));
  EXPECT_EQ(WaitForSingleObject(c, INFINITE), WAIT_OBJECT_0);  // its waiters are released at once
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(c, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  go_on = false;
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(c, INFINITE), WAIT_OBJECT_0);

  // A thread already terminated ends on entering a point.
  std::atomic<bool> running{false}, marked{false}, entered{false};
  auto late = [&]() -> DWORD {
    running = true;
    while (!marked) {
    }
    ce::kernel::TerminationPoint point;
    entered = true;
    return 3;
  };
  HANDLE l = Start(&late);
  while (!running) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(TerminateThread(l, 7));
  marked = true;
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(l, INFINITE), WAIT_OBJECT_0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(entered);
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(nullptr, 0), WAIT_FAILED);
  for (HANDLE h : {t, c, l}) CloseHandle(h);
  for (int fd : {data[0], data[1], wake[0], wake[1]}) close(fd);
}

// WaitForThreadEnd outlasts a terminated thread that still runs (parked threads included, which
// unwind through their destructors first); a computation's TerminationCheck ends it there.
TEST_F(ThreadsTest, WaitForThreadEndLastsUntilATerminatedThreadReallyStops) {
  std::atomic<bool> computing{false}, go_on{true}, after_check{false}, unwound{false};
  std::atomic<int> checks{0};
  auto computes = [&]() -> DWORD {
    struct Flag {
      std::atomic<bool>& f;
      ~Flag() {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a slow destructor
        f = true;
      }
    } on_unwind{unwound};
    computing = true;
    while (go_on) {
    }
    for (;; ++checks) ce::kernel::TerminationCheck();  // ends here once terminated
    after_check = true;
    return 2;
  };
  HANDLE c = Start(&computes);
  while (!computing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(ce::kernel::WaitForThreadEnd(c, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(TerminateThread(c, 6));
  EXPECT_EQ(WaitForSingleObject(c, 0), WAIT_OBJECT_0);  // released at once
  EXPECT_EQ(ce::kernel::WaitForThreadEnd(c, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  go_on = false;
  EXPECT_EQ(ce::kernel::WaitForThreadEnd(c, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(unwound);  // its destructors ran before the wait ended
  EXPECT_FALSE(after_check);
  EXPECT_EQ(checks.load(), 0);
  EXPECT_EQ(ExitCodeOf(c), 6u);

  // Not terminated, the check returns and the thread runs its course.
  std::atomic<bool> finished{false};
  auto plain = [&]() -> DWORD {
    ce::kernel::TerminationCheck();
    finished = true;
    return 4;
  };
  HANDLE p = Start(&plain);
  EXPECT_EQ(ce::kernel::WaitForThreadEnd(p, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(finished);
  EXPECT_EQ(ce::kernel::WaitForThreadEnd(nullptr, 0), WAIT_FAILED);
  for (HANDLE h : {c, p}) CloseHandle(h);
}

// A thread blocked entering a critical section is parked there; terminated, it does not keep the
// section once it gets it, and ends.
TEST_F(ThreadsTest, ATerminatedThreadBlockedOnACriticalSectionEndsWithoutHoldingIt) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  std::atomic<bool> waiting{false}, entered{false}, unwound{false};
  EnterCriticalSection(&cs);
  auto blocked = [&]() -> DWORD {
    struct Flag {
      std::atomic<bool>& f;
      ~Flag() { f = true; }
    } on_unwind{unwound};
    waiting = true;
    EnterCriticalSection(&cs);
    entered = true;
    LeaveCriticalSection(&cs);
    return 1;
  };
  HANDLE t = Start(&blocked);
  while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // into its blocking lock
  ASSERT_TRUE(TerminateThread(t, 4));
  EXPECT_EQ(ce::kernel::WaitForThreadHalt(t, INFINITE), WAIT_OBJECT_0);
  LeaveCriticalSection(&cs);
  for (int i = 0; i < 5000 && !unwound; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(unwound);
  EXPECT_FALSE(entered);
  // The section is free again.
  std::atomic<bool> other_entered{false};
  std::thread other([&] {
    EnterCriticalSection(&cs);
    other_entered = true;
    LeaveCriticalSection(&cs);
  });
  other.join();
  EXPECT_TRUE(other_entered);
  CloseHandle(t);
  DeleteCriticalSection(&cs);
}

TEST_F(ThreadsTest, TlsValuesArePerThreadAndFreshAfterAlloc) {
  DWORD index = TlsAlloc();
  ASSERT_NE(index, TLS_OUT_OF_INDEXES);
  int mine = 1, theirs = 2;
  ASSERT_TRUE(TlsSetValue(index, &mine));
  void* other_initial = &mine;
  void* other_after = nullptr;
  auto other = [&]() -> DWORD {
    other_initial = TlsGetValue(index);
    TlsSetValue(index, &theirs);
    other_after = TlsGetValue(index);
    return 0;
  };
  HANDLE t = Start(&other);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(other_initial, nullptr);
  EXPECT_EQ(other_after, &theirs);
  EXPECT_EQ(TlsGetValue(index), &mine);
  EXPECT_TRUE(TlsFree(index));
  EXPECT_FALSE(TlsSetValue(index, &mine));  // freed
  DWORD again = TlsAlloc();
  EXPECT_EQ(TlsGetValue(again), nullptr);  // whatever the slot held before
  TlsFree(again);
  EXPECT_EQ(TlsGetValue(TLS_MINIMUM_AVAILABLE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ThreadsTest, LastErrorAndPriorityBelongToEachThread) {
  SetLastError(5);
  DWORD other_error = 1;
  int other_priority = 0;
  auto other = [&]() -> DWORD {
    other_error = GetLastError();
    SetLastError(6);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    other_priority = GetThreadPriority(GetCurrentThread());
    return 0;
  };
  HANDLE t = Start(&other);
  WaitForSingleObject(t, INFINITE);
  EXPECT_EQ(other_error, 0u);
  EXPECT_EQ(GetLastError(), 5u);
  EXPECT_EQ(other_priority, THREAD_PRIORITY_ABOVE_NORMAL);
  EXPECT_EQ(GetThreadPriority(t), THREAD_PRIORITY_ABOVE_NORMAL);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
  EXPECT_FALSE(SetThreadPriority(t, 8));
  CloseHandle(t);
}

}  // namespace

namespace {

std::atomic<int> g_attached{0};
std::atomic<int> g_detached{0};
void CountThreadHook(bool attach) {
  ++(attach ? g_attached : g_detached);
  Sleep(0);  // hooks may wait, as a library's log line does
}

TEST_F(ThreadsTest, ThreadHooksSeeEveryCreatedThreadStartAndEnd) {
  ce::kernel::AddThreadHook(CountThreadHook);
  bool attached_before_work = false;
  auto work = [&]() -> DWORD {
    attached_before_work = g_attached.load() == 1 && g_detached.load() == 0;
    return 0;
  };
  HANDLE h = Start(&work);
  ASSERT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  CloseHandle(h);
  ce::kernel::RemoveThreadHook(CountThreadHook);
  EXPECT_TRUE(attached_before_work);
  EXPECT_EQ(g_attached.load(), 1);
  EXPECT_EQ(g_detached.load(), 1);

  HANDLE after = Start(&work);  // no longer counted
  ASSERT_EQ(WaitForSingleObject(after, INFINITE), WAIT_OBJECT_0);
  CloseHandle(after);
  EXPECT_EQ(g_attached.load(), 1);

  // A terminated thread is attached but gets no detach call, and its end does not disturb the
  // process even though the hook waits.
  ce::kernel::AddThreadHook(CountThreadHook);
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto blocks = [&]() -> DWORD { return WaitForSingleObject(never, INFINITE); };
  HANDLE victim = Start(&blocks);
  ASSERT_TRUE(AwaitThreadsInWait(1));
  ASSERT_TRUE(TerminateThread(victim, 5));
  ASSERT_EQ(WaitForSingleObject(victim, INFINITE), WAIT_OBJECT_0);
  ce::kernel::RemoveThreadHook(CountThreadHook);
  EXPECT_EQ(ExitCodeOf(victim), 5u);
  EXPECT_EQ(g_attached.load(), 2);
  EXPECT_EQ(g_detached.load(), 1);
  CloseHandle(victim);
  CloseHandle(never);
}

}  // namespace
