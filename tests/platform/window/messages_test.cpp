// Message queues: sending across threads, posting, retrieval order and filters, quit, timers on
// the manual clock, waits, the trace hook.
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/window/window_seams.h"
#include "tests/platform/window/window_fixture.h"

using MessagesTest = WindowTest;

namespace {

// A thread that owns a window and pumps its messages until WM_QUIT.
class UiThread {
 public:
  explicit UiThread(std::function<HWND()> make) {
    std::promise<HWND> made;
    auto f = made.get_future();
    thread_ = std::thread([this, &made, make] {
      id_ = GetCurrentThreadId();
      HWND h = make();
      made.set_value(h);
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
      if (IsWindow(h)) DestroyWindow(h);
    });
    hwnd = f.get();
  }
  ~UiThread() {
    PostThreadMessageW(id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND hwnd;

 private:
  std::atomic<DWORD> id_{0};
  std::thread thread_;
};

}  // namespace

TEST_F(MessagesTest, SendMessageRunsOnTheOwnerThreadAndReturnsItsResult) {
  DWORD owner_thread = 0;
  HWND mine = Make();
  handler() = [&](HWND h, UINT msg, WPARAM w, LPARAM, LRESULT& out) {
    if (msg == WM_USER + 1) {
      owner_thread = GetCurrentThreadId();
      // While the sender waits, it still handles what is sent to its own windows.
      out = static_cast<LRESULT>(w) + SendMessageW(mine, WM_USER + 2, 0, 0);
      return true;
    }
    if (msg == WM_USER + 2) return out = (h == mine ? 100 : -1), true;
    return false;
  };
  UiThread ui([&] { return CreateWindowExW(0, kClass, u"ui", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr); });
  ASSERT_NE(ui.hwnd, nullptr);
  EXPECT_EQ(SendMessageW(ui.hwnd, WM_USER + 1, 42, 0), 142);
  EXPECT_NE(owner_thread, 0u);
  EXPECT_NE(owner_thread, GetCurrentThreadId());
  EXPECT_EQ(Got(WM_USER + 2).at(0).thread, GetCurrentThreadId());
}

TEST_F(MessagesTest, PostedMessagesComeInOrderAndQuitAfterThem) {
  HWND h = Make();
  Pump();
  PostMessageW(h, WM_USER + 1, 1, 0);
  PostQuitMessage(7);
  PostMessageW(h, WM_USER + 2, 2, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 3, 3, 0);
  MSG m;
  // A filter skips what it does not take; PM_NOREMOVE leaves the message in place.
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 3));
  EXPECT_EQ(m.hwnd, nullptr);
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, PostsToBadTargetsFail) {
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x7FFF0000), WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(0x7FFF0000), WM_USER, 0, 0), 0);
  std::thread idle([] {});
  DWORD no_queue = 0;
  std::thread probe([&] { no_queue = GetCurrentThreadId(); });
  probe.join();
  idle.join();
  EXPECT_FALSE(PostThreadMessageW(no_queue, WM_USER, 0, 0));
}

TEST_F(MessagesTest, SenderIsReleasedWhenTheWindowGoesAway) {
  std::atomic<bool> in_handler{false};
  handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_USER + 1) {  // destroys itself before answering the second send
      in_handler = true;
      DestroyWindow(h);
      return true;
    }
    return false;
  };
  UiThread ui([&] { return CreateWindowExW(0, kClass, u"ui", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr); });
  std::thread other([&] { SendMessageW(ui.hwnd, WM_USER + 1, 0, 0); });
  EXPECT_EQ(SendMessageW(ui.hwnd, WM_USER + 3, 0, 0), 0);  // queued behind, or sent to a dead window
  other.join();
  EXPECT_TRUE(in_handler);
  EXPECT_FALSE(IsWindow(ui.hwnd));
}

TEST_F(MessagesTest, TimersFollowTheManualClockOnTheWindowsThread) {
  HWND h = Make();
  Pump();
  ASSERT_EQ(SetTimer(h, 5, 1000, nullptr), 5u);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  AdvanceClock(999);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  AdvanceClock(1);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.hwnd, h);
  EXPECT_EQ(m.wParam, 5u);
  // Taking it restarts the period; several missed periods give one message.
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  AdvanceClock(3500);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

  // A timer set from another thread is delivered to the window's own thread.
  std::thread([&] { SetTimer(h, 6, 100, nullptr); }).join();
  AdvanceClock(100);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 6u);
  EXPECT_TRUE(KillTimer(h, 5));
  EXPECT_TRUE(KillTimer(h, 6));
  EXPECT_FALSE(KillTimer(h, 6));
  AdvanceClock(5000);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(MessagesTest, GetMessageWaitsForATimerOnTheManualClock) {
  HWND h = Make();
  Pump();
  SetTimer(h, 1, 2000, nullptr);
  std::promise<UINT> got;
  std::thread mover([&] {
    ASSERT_TRUE(AwaitThreadsInWait(1));
    AdvanceClock(2000);
  });
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
  mover.join();
  KillTimer(h, 1);
}

TEST_F(MessagesTest, MsgWaitWakesForHandlesInputAndTimeOut) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Make();
  Pump();
  // Nothing there: the time-out ends on the manual clock.
  std::thread mover([&] {
    ASSERT_TRUE(AwaitThreadsInWait(1));
    AdvanceClock(500);
  });
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &event, 500, QS_ALLINPUT, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  mover.join();
  SetEvent(event);
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &event, 0, QS_ALLINPUT, 0), 0u);
  ResetEvent(event);
  // A message posted from another thread while waiting.
  DWORD me = GetCurrentThreadId();
  std::thread poster([&] {
    ASSERT_TRUE(AwaitThreadsInWait(1));
    PostThreadMessageW(me, WM_USER, 0, 0);
  });
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE), 1u);
  poster.join();
  // Without a handle, and with a mask that leaves posted messages out.
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_PAINT, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_POSTMESSAGE, 0), 0u);
  CloseHandle(event);
}

TEST_F(MessagesTest, TraceHookSeesPostsAndDeliveries) {
  std::vector<std::pair<ce::window::TraceKind, UINT>> seen;
  HWND h = Make();
  ce::window::SetMessageTraceHook([&](ce::window::TraceKind k, const MSG& m) {
    if (m.message >= WM_USER) seen.emplace_back(k, m.message);
  });
  PostMessageW(h, WM_USER + 1, 0, 0);
  SendMessageW(h, WM_USER + 2, 0, 0);
  Pump();
  ce::window::SetMessageTraceHook(nullptr);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(ce::window::TraceKind::kPosted, static_cast<UINT>(WM_USER + 1)));
  EXPECT_EQ(seen[1], std::make_pair(ce::window::TraceKind::kDelivered, static_cast<UINT>(WM_USER + 2)));
  EXPECT_EQ(seen[2], std::make_pair(ce::window::TraceKind::kDelivered, static_cast<UINT>(WM_USER + 1)));
}

TEST_F(MessagesTest, RegisteredMessagesAreStablePerName) {
  UINT a = RegisterWindowMessageW(u"CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageW(u"connmgr_status_change_notification_msg"), a);
  EXPECT_NE(RegisterWindowMessageW(u"Another"), a);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
}

// A thread that lives as long as the process may still register messages while the process ends.
TEST(MessagesAtExitDeathTest, RegisteringWhileTheProcessEndsIsSafe) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::thread([] {
          for (;;) RegisterWindowMessageW(u"A message registered at exit");
        }).detach();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
