// Events, mutexes, critical sections and the wait functions.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"

namespace {

using SyncTest = ce::testing::DeviceTest;

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h) CloseHandle(h);
  }
  operator HANDLE() const { return h; }
};

// Runs `fn` on a platform thread; the handle waits for its end.
template <class Fn>
HANDLE Start(Fn* fn) {
  return CreateThread(
      nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<Fn*>(p))(); }, fn, 0, nullptr);
}

TEST_F(SyncTest, AutoAndManualEventsInWaitAnyAndWaitAll) {
  Handle autoev(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  Handle manual(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE both[] = {autoev, manual};

  // Wait-any: the lowest signalled index wins and only it is consumed.
  SetEvent(autoev);
  SetEvent(manual);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);  // auto one consumed
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);                // manual stays set

  // Wait-all takes nothing until all are signalled together.
  ResetEvent(manual);
  SetEvent(autoev);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(autoev, 0), WAIT_OBJECT_0);  // still set after the failed wait-all
  SetEvent(autoev);
  SetEvent(manual);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoev, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
}

TEST_F(SyncTest, SetEventReleasesOneWaiterOfAnAutoEventAndAllOfAManualOne) {
  for (BOOL manual : {FALSE, TRUE}) {
    Handle ev(CreateEventW(nullptr, manual, FALSE, nullptr));
    std::atomic<int> released{0};
    auto waiter = [&]() -> DWORD {
      if (WaitForSingleObject(ev, 10'000) == WAIT_OBJECT_0) ++released;
      return 0;
    };
    Handle a(Start(&waiter)), b(Start(&waiter));
    ASSERT_TRUE(AwaitThreadsInWait(2));
    SetEvent(ev);
    HANDLE threads[] = {a, b};
    if (manual) {
      EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, INFINITE), WAIT_OBJECT_0);
      EXPECT_EQ(released, 2);
    } else {
      EXPECT_LT(WaitForMultipleObjects(2, threads, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
      ASSERT_TRUE(AwaitThreadsInWait(1));
      EXPECT_EQ(released, 1);
      AdvanceClock(10'000);  // the other one times out
      EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, INFINITE), WAIT_OBJECT_0);
      EXPECT_EQ(released, 1);
    }
  }
}

TEST_F(SyncTest, PulseReleasesTheWaitersOfTheMomentAndLeavesTheEventReset) {
  Handle ev(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EXPECT_TRUE(PulseEvent(ev));  // nobody waits: nothing stays signalled
  EXPECT_EQ(WaitForSingleObject(ev, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  std::atomic<int> released{0};
  auto waiter = [&]() -> DWORD {
    if (WaitForSingleObject(ev, INFINITE) == WAIT_OBJECT_0) ++released;
    return 0;
  };
  Handle a(Start(&waiter)), b(Start(&waiter));
  ASSERT_TRUE(AwaitThreadsInWait(2));
  EXPECT_TRUE(EventModify(ev, EVENT_PULSE));
  HANDLE threads[] = {a, b};
  EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(released, 2);
  EXPECT_EQ(WaitForSingleObject(ev, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(SyncTest, NamedObjectsAreSharedWithinTheProcess) {
  {
    Handle first(CreateEventW(nullptr, TRUE, FALSE, u"SyncTestEvent"));
    ASSERT_NE(first.h, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    Handle second(CreateEventW(nullptr, FALSE, TRUE, u"SyncTestEvent"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_NE(second.h, nullptr);
    // The existing manual event keeps its kind and state; the second creation's are ignored.
    EXPECT_EQ(WaitForSingleObject(second, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    Handle opened(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"SyncTestEvent"));
    EXPECT_NE(opened.h, nullptr);
    // A mutex cannot take an event's name.
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"SyncTestEvent"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  // The name goes with the object's last handle.
  EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"SyncTestEvent"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SyncTest, MutexIsRecursiveForItsOwnerAndTimesOutForOthers) {
  Handle m(CreateMutexW(nullptr, TRUE, u"SyncTestMutex"));
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);  // owner re-enters: count 2
  DWORD other_result = 0;
  auto other = [&]() -> DWORD {
    other_result = WaitForSingleObject(m, 1000);
    if (!ReleaseMutex(m)) return GetLastError();
    return 0;
  };
  Handle t(Start(&other));
  ASSERT_TRUE(AwaitThreadsInWait(1));
  AdvanceClock(999);
  EXPECT_EQ(WaitForSingleObject(t, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still waiting
  AdvanceClock(1);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(other_result, static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD code = 0;
  GetExitCodeThread(t, &code);
  EXPECT_EQ(code, static_cast<DWORD>(ERROR_NOT_OWNER));  // it may not release what it never took

  // Released as often as taken, then it is free.
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_FALSE(ReleaseMutex(m));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
  auto taker = [&]() -> DWORD {
    DWORD r = WaitForSingleObject(m, 0);
    ReleaseMutex(m);
    return r;
  };
  Handle t2(Start(&taker));
  WaitForSingleObject(t2, INFINITE);
  GetExitCodeThread(t2, &code);
  EXPECT_EQ(code, WAIT_OBJECT_0);
}

TEST_F(SyncTest, MutexLeftByAnEndedThreadIsAbandoned) {
  Handle m(CreateMutexW(nullptr, FALSE, nullptr));
  Handle ev(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto leaver = [&]() -> DWORD { return WaitForSingleObject(m, 0); };  // ends holding it
  Handle t(Start(&leaver));
  ASSERT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  HANDLE list[] = {ev, m};
  EXPECT_EQ(WaitForMultipleObjects(2, list, FALSE, 0), WAIT_ABANDONED_0 + 1);
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);  // now ours, no longer abandoned
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(ReleaseMutex(m));
}

TEST_F(SyncTest, BadWaitsFail) {
  Handle ev(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  CloseHandle(closed);
  struct Case {
    std::vector<HANDLE> handles;
    BOOL all;
    DWORD error;
  } cases[] = {
      {{closed}, FALSE, ERROR_INVALID_HANDLE},
      {{ev, nullptr}, FALSE, ERROR_INVALID_HANDLE},
      {{ev, ev}, TRUE, ERROR_INVALID_PARAMETER},
      {{}, FALSE, ERROR_INVALID_PARAMETER},
      {std::vector<HANDLE>(MAXIMUM_WAIT_OBJECTS + 1, ev.h), FALSE, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(c.handles.size()), c.handles.data(), c.all, 0),
              WAIT_FAILED);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(CloseHandle(closed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(SetEvent(closed));
}

TEST_F(SyncTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION cs{};  // zero-filled, never initialised: still usable
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));
  BOOL other_got_it = TRUE;
  auto other = [&]() -> DWORD {
    other_got_it = TryEnterCriticalSection(&cs);
    return 0;
  };
  Handle t(Start(&other));
  WaitForSingleObject(t, INFINITE);
  EXPECT_FALSE(other_got_it);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);  // one too many: ignored
  DeleteCriticalSection(&cs);

  InitializeCriticalSection(&cs);
  long counter = 0;
  auto adder = [&]() -> DWORD {
    for (int i = 0; i < 1000; ++i) {
      EnterCriticalSection(&cs);
      ++counter;
      LeaveCriticalSection(&cs);
    }
    return 0;
  };
  Handle a(Start(&adder)), b(Start(&adder));
  HANDLE threads[] = {a, b};
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  EXPECT_EQ(counter, 2000);
  DeleteCriticalSection(&cs);
}

TEST(InterlockedTest, ReturnValues) {
  LONG v = 5;
  EXPECT_EQ(InterlockedIncrement(&v), 6);
  EXPECT_EQ(InterlockedDecrement(&v), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&v, 10), 5);
  EXPECT_EQ(v, 15);
  EXPECT_EQ(InterlockedExchange(&v, 1), 15);
  EXPECT_EQ(InterlockedCompareExchange(&v, 7, 2), 1);  // no match: unchanged
  EXPECT_EQ(v, 1);
  EXPECT_EQ(InterlockedCompareExchange(&v, 7, 1), 1);
  EXPECT_EQ(v, 7);
  LONG max = 0x7FFFFFFF;
  EXPECT_EQ(InterlockedIncrement(&max), static_cast<LONG>(0x80000000u));  // wraps like the device
}

}  // namespace
