// Worker threads: time-outs, stop modes, dropped posts, unique posts and the statistics messages.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/files.h"
#include "platform/http/wininet.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/serial/serial.h"
#include "tests/platform/http/local_http_server.h"
#include "tests/platform/serial/pty_far_end.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/WorkerThread.h"

namespace {

// What the commands did, in order.
class Journal {
 public:
  void Add(const std::string& entry) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(entry);
  }
  std::vector<std::string> Entries() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
  }
  bool Has(const std::string& entry) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& e : m_entries)
      if (e == entry) return true;
    return false;
  }

 private:
  std::mutex m_mutex;
  std::vector<std::string> m_entries;
};

// How a command behaves, by id: sleep (on the platform's clock), wait for a gate, or throw.
struct Behaviour {
  DWORD sleep_ms = 0;
  HANDLE gate = nullptr;
  bool throws = false;
  bool stops = false;  // stops its own worker
};

class TestWorker : public WorkerThread {
 public:
  TestWorker(int stop_mode, Journal& journal, std::map<int, Behaviour> behaviours = {})
      : WorkerThread(stop_mode), m_journal(journal), m_behaviours(std::move(behaviours)) {}

  void HandleCommand(int id, ULONG_PTR parameter) override {
    m_journal.Add("run " + std::to_string(id) + (parameter ? "/" + std::to_string(parameter) : ""));
    auto it = m_behaviours.find(id);
    if (it != m_behaviours.end()) {
      if (it->second.gate) WaitForSingleObject(it->second.gate, INFINITE);
      if (it->second.sleep_ms) Sleep(it->second.sleep_ms);
      if (it->second.throws) throw std::runtime_error("command failed");
      if (it->second.stops) {
        Stop();
        m_journal.Add("stopped " + std::to_string(id));
      }
    }
    m_journal.Add("end " + std::to_string(id));
  }
  void TimeoutCommand(int id) override { m_journal.Add("timeout " + std::to_string(id)); }

 private:
  Journal& m_journal;
  const std::map<int, Behaviour> m_behaviours;
};

// Waits in real time (the commands that do not sleep need no clock).
bool WaitReal(const std::function<bool()>& done) {
  for (int i = 0; i < 10000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

class WorkerThreadTest : public velomar_test::VelomarTest {};

struct TimeoutCase {
  const char* name;
  Behaviour first;
  DWORD timeout_ms;
  std::vector<std::string> expected;
  // An abandoned command runs on until its next wait, so with a time-out of 0 its first entry may
  // come before or after TimeoutCommand's.
  bool first_two_any_order = false;
};

std::vector<std::string> Normalised(std::vector<std::string> entries, bool first_two_any_order) {
  if (first_two_any_order && entries.size() >= 2 && entries[1] < entries[0]) std::swap(entries[0], entries[1]);
  return entries;
}

TEST_F(WorkerThreadTest, CommandsOverrunningTheirTimeOutAreAbandonedAndTheNextRuns) {
  const TimeoutCase cases[] = {
      {"overruns", {60000, nullptr, false}, 1000, {"run 1", "timeout 1", "run 2", "end 2"}},
      {"time-out 0", {5000, nullptr, false}, 0, {"run 1", "timeout 1", "run 2", "end 2"}, true},
      {"infinite", {3000, nullptr, false}, INFINITE, {"run 1", "end 1", "run 2", "end 2"}},
      {"in time", {500, nullptr, false}, 5000, {"run 1", "end 1", "run 2", "end 2"}},
      {"throws", {0, nullptr, true}, 5000, {"run 1", "run 2", "end 2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Journal journal;
    {
      TestWorker worker(0, journal, {{1, c.first}});
      worker.Start();
      worker.PostCommand(1, c.timeout_ms, 0);
      worker.PostCommand(2, INFINITE, 0);
      ASSERT_TRUE(DriveClockUntil([&] { return journal.Has("end 2"); }));
      // An abandoned command never comes back into its code.
      DriveClockUntil([] { return false; }, 200);
      EXPECT_EQ(Normalised(journal.Entries(), c.first_two_any_order), c.expected);
      EXPECT_EQ(worker.GetExecutedCount(), 2);
      EXPECT_TRUE(StopWhileDriving([&] { worker.Stop(); }));
    }
    // The destructor waited for the abandoned command's thread to end.
    EXPECT_EQ(Normalised(journal.Entries(), c.first_two_any_order), c.expected);
  }
}

// Command 1 blocks in a platform call outside the kernel's waits; the others just run.
class BlockingWorker : public WorkerThread {
 public:
  BlockingWorker(Journal& journal, std::function<void()> block, std::atomic<int>& unwound)
      : WorkerThread(0), m_journal(journal), m_block(std::move(block)), m_unwound(unwound) {}

  void HandleCommand(int id, ULONG_PTR) override {
    struct Unwound {
      std::atomic<int>& count;
      ~Unwound() { ++count; }
    } unwound{m_unwound};
    m_journal.Add("run " + std::to_string(id));
    if (id == 1) m_block();
    m_journal.Add("end " + std::to_string(id));
  }
  void TimeoutCommand(int id) override { m_journal.Add("timeout " + std::to_string(id)); }

 private:
  Journal& m_journal;
  std::function<void()> m_block;
  std::atomic<int>& m_unwound;
};

// A command blocked in an HTTP request to a stalled server, in a serial read or in a queue read
// ends at its time-out: TimeoutCommand and the next command run after it has stopped in that
// call, it never comes back into its code, and its thread really ends.
TEST_F(WorkerThreadTest, CommandsBlockedInPlatformCallsEndAtTheirTimeOut) {
  test_http::LocalHttpServer server("", "", 0);
  test_serial::PtyFarEnd gps(u"COM1");
  HANDLE port = CreateFileW(u"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS wait_forever{0, 0, 0, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(port, &wait_forever));
  MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 0, 4, 16, TRUE};
  HANDLE reader = CreateMsgQueue(u"WorkerBlocks", &options);
  options.bReadAccess = FALSE;
  HANDLE writer = CreateMsgQueue(u"WorkerBlocks", &options);  // a writer that never writes
  ASSERT_NE(reader, nullptr);
  ASSERT_NE(writer, nullptr);

  const struct {
    const char* name;
    std::function<void()> block;
  } cases[] = {
      {"http request to a stalled server",
       [&] {
         HINTERNET root = InternetOpenW(u"worker", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
         HINTERNET conn = InternetConnectW(root, u"127.0.0.1", server.port(), nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0);
         HINTERNET req = HttpOpenRequestW(conn, u"GET", u"/stall", nullptr, nullptr, nullptr, 0, 0);
         HttpSendRequestW(req, nullptr, 0, nullptr, 0);
         InternetCloseHandle(root);
       }},
      {"serial read",
       [&] {
         char buffer[16];
         DWORD got = 0;
         ReadFile(port, buffer, sizeof buffer, &got, nullptr);
       }},
      {"queue read",
       [&] {
         char buffer[16];
         DWORD got = 0, flags = 0;
         ReadMsgQueue(reader, buffer, sizeof buffer, &got, INFINITE, &flags);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Journal journal;
    std::atomic<int> unwound{0};
    {
      BlockingWorker worker(journal, c.block, unwound);
      worker.Start();
      worker.PostCommand(1, 1000, 0);
      worker.PostCommand(2, INFINITE, 0);
      ASSERT_TRUE(DriveClockUntil([&] { return journal.Has("end 2"); }));
      // The blocked call was woken and gave up: command 1's thread has unwound (and command 2's
      // has ended).
      EXPECT_TRUE(WaitReal([&] { return unwound.load() == 2; }));
      EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"run 1", "timeout 1", "run 2", "end 2"}));
      EXPECT_TRUE(StopWhileDriving([&] { worker.Stop(); }));
    }
  }
  for (HANDLE h : {port, reader, writer}) CloseHandle(h);
}

// An abandoned command parked in a call that lasts beyond the destructor's 10 s wait (here a
// critical section held elsewhere) ends after its worker is gone, touching nothing of it.
TEST_F(WorkerThreadTest, ACommandThreadThatOutlivesItsWorkerTouchesNothingOfIt) {
  CRITICAL_SECTION held;
  InitializeCriticalSection(&held);
  EnterCriticalSection(&held);
  Journal journal;
  std::atomic<int> unwound{0};
  auto* worker = new BlockingWorker(
      journal,
      [&held] {
        EnterCriticalSection(&held);
        LeaveCriticalSection(&held);
      },
      unwound);
  worker->Start();
  worker->PostCommand(1, 1000, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return journal.Has("timeout 1"); }));
  EXPECT_TRUE(StopWhileDriving([&] { worker->Stop(); }));
  EXPECT_TRUE(StopWhileDriving([&] { delete worker; }));  // gives up on the command after 10 s
  EXPECT_EQ(unwound.load(), 0);
  LeaveCriticalSection(&held);  // the command gets the section, lets it go and ends
  EXPECT_TRUE(WaitReal([&] { return unwound.load() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // its last steps after the unwind
  EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"run 1", "timeout 1"}));
  DeleteCriticalSection(&held);
}

TEST_F(WorkerThreadTest, StopModeZeroDrainsAndModeOneDrops) {
  const struct {
    int mode;
    std::vector<std::string> expected;
  } cases[] = {
      {0, {"run 1", "end 1", "run 2", "end 2", "run 3", "end 3"}},
      {1, {"run 1", "end 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Journal journal;
    TestWorker worker(c.mode, journal);
    worker.Start();
    for (int id = 1; id <= 3; ++id) worker.PostCommand(id, INFINITE, 0);
    // The first command ends without the clock; the worker then pauses until the clock moves.
    ASSERT_TRUE(WaitReal([&] { return journal.Has("end 1"); }));
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
      worker.Stop();
      stopped = true;
    });
    ASSERT_TRUE(AwaitThreadsInWait(2));  // the worker's pause and the stopper's wait
    worker.PostCommand(9, INFINITE, 0);  // Stop has begun: dropped
    EXPECT_FALSE(worker.IsCommandPending(9));
    EXPECT_TRUE(DriveClockUntil([&] { return stopped.load(); }));
    stopper.join();
    EXPECT_EQ(journal.Entries(), c.expected);
    worker.PostCommand(4, INFINITE, 0);  // after Stop: dropped
    EXPECT_FALSE(worker.IsCommandPending(4));
  }
}

// A command may stop its own worker: Stop cannot wait for the thread that waits for it, so it
// returns at once, and the worker ends as its stop mode says once that command is over.
TEST_F(WorkerThreadTest, ACommandMayStopItsOwnWorker) {
  const struct {
    int mode;
    std::vector<std::string> expected;
  } cases[] = {
      {0, {"run 1", "stopped 1", "end 1", "run 2", "end 2", "run 3", "end 3"}},
      {1, {"run 1", "stopped 1", "end 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Journal journal;
    // Command 1 stops its worker only once 2 and 3 are queued: posts made after the stop began
    // are dropped.
    HANDLE queued = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Behaviour stops;
    stops.gate = queued;
    stops.stops = true;
    TestWorker worker(c.mode, journal, {{1, stops}});
    worker.Start();
    for (int id = 1; id <= 3; ++id) worker.PostCommand(id, INFINITE, 0);
    SetEvent(queued);
    ASSERT_TRUE(DriveClockUntil([&] { return WaitForSingleObject(worker.GetThreadHandle(), 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(journal.Entries(), c.expected);
    worker.PostCommand(4, INFINITE, 0);
    EXPECT_FALSE(worker.IsCommandPending(4));
    // Stopping again, from outside, returns at once.
    worker.Stop();
    worker.Stop();
    CloseHandle(queued);
  }
}

// Unique posts racing from several threads queue the id once.
TEST_F(WorkerThreadTest, RacingUniquePostsQueueTheIdOnce) {
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Journal journal;
  {
    TestWorker worker(0, journal, {{1, {0, gate, false}}});
    worker.Start();
    worker.PostCommand(1, INFINITE, 0);
    ASSERT_TRUE(WaitReal([&] { return journal.Has("run 1"); }));
    for (int round = 0; round < 20; ++round) {
      std::atomic<int> ready{0};
      std::vector<std::thread> posters;
      for (int t = 0; t < 8; ++t)
        posters.emplace_back([&] {
          ++ready;
          while (ready.load() < 8) {
          }
          worker.PostUniqueCommand(100 + round, INFINITE, 0);
        });
      for (auto& t : posters) t.join();
    }
    SetEvent(gate);
    ASSERT_TRUE(DriveClockUntil([&] { return worker.GetExecutedCount() == 21 && journal.Has("end 119"); }));
    EXPECT_TRUE(StopWhileDriving([&] { worker.Stop(); }));
    EXPECT_EQ(worker.GetExecutedCount(), 21);
  }
  EXPECT_EQ(journal.Entries().size(), 42u);
  CloseHandle(gate);
}

TEST_F(WorkerThreadTest, PostsBeforeStartAreDropped) {
  Journal journal;
  TestWorker worker(0, journal);
  worker.PostCommand(1, INFINITE, 0);
  worker.PostUniqueCommand(2, INFINITE, 0);
  EXPECT_FALSE(worker.IsCommandPending(1));
  EXPECT_FALSE(worker.IsCommandPending(2));
  worker.Start();
  worker.PostCommand(3, INFINITE, 7);
  ASSERT_TRUE(DriveClockUntil([&] { return journal.Has("end 3"); }));
  EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"run 3/7", "end 3"}));
  EXPECT_TRUE(StopWhileDriving([&] { worker.Stop(); }));
}

TEST_F(WorkerThreadTest, UniquePostsSkipPendingIdsButNotTheRunningOne) {
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Journal journal;
  {
    TestWorker worker(0, journal, {{1, {0, gate, false}}});
    worker.Start();
    worker.PostUniqueCommand(1, INFINITE, 0);
    ASSERT_TRUE(WaitReal([&] { return journal.Has("run 1"); }));
    EXPECT_FALSE(worker.IsCommandPending(1));  // running, no longer pending
    worker.PostUniqueCommand(2, INFINITE, 0);
    worker.PostUniqueCommand(2, INFINITE, 0);
    worker.PostUniqueCommand(1, INFINITE, 0);  // accepted again while it runs
    EXPECT_TRUE(worker.IsCommandPending(2));
    EXPECT_TRUE(worker.IsCommandPending(1));
    SetEvent(gate);
    ASSERT_TRUE(DriveClockUntil([&] { return worker.GetExecutedCount() == 3 && !worker.IsCommandPending(1); }));
    ASSERT_TRUE(DriveClockUntil([&] { return journal.Entries().size() == 6; }));
    EXPECT_TRUE(StopWhileDriving([&] { worker.Stop(); }));
  }
  EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"run 1", "end 1", "run 2", "end 2", "run 1", "end 1"}));
  CloseHandle(gate);
}

// The statistics messages as a window would receive them.
struct Posted {
  UINT message;
  WPARAM value;
};
std::mutex g_postedMutex;
std::vector<Posted> g_posted;
HWND const kStatisticsWindow = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x4242));

BOOL RecordPost(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  EXPECT_EQ(window, kStatisticsWindow);
  EXPECT_EQ(lparam, 0);
  std::lock_guard<std::mutex> lock(g_postedMutex);
  g_posted.push_back({message, wparam});
  return TRUE;
}

std::vector<WPARAM> PostedValues(UINT message) {
  std::lock_guard<std::mutex> lock(g_postedMutex);
  std::vector<WPARAM> values;
  for (const auto& p : g_posted)
    if (p.message == message) values.push_back(p.value);
  return values;
}

TEST_F(WorkerThreadTest, StatisticsFollowPostsExecutionsAndWorkers) {
  SetWorkerStatisticsPoster(RecordPost);
  SetWorkerStatisticsWindow(kStatisticsWindow);
  g_posted.clear();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const LONG workers = GetWorkerThreadCount();
  const LONG pending = GetPendingCommandsTotal();
  const LONG executed = GetExecutedCommandsTotal();
  Journal journal;
  {
    TestWorker worker(0, journal, {{1, {0, gate, false}}});
    EXPECT_EQ(GetWorkerThreadCount(), workers + 1);
    worker.Start();
    worker.PostCommand(1, INFINITE, 0);
    ASSERT_TRUE(WaitReal([&] { return journal.Has("run 1"); }));
    for (int id = 2; id <= 4; ++id) worker.PostCommand(id, INFINITE, 0);
    EXPECT_EQ(GetPendingCommandsTotal(), pending + 3);
    SetEvent(gate);
    ASSERT_TRUE(DriveClockUntil([&] { return journal.Has("end 4"); }));
    EXPECT_TRUE(StopWhileDriving([&] { worker.Stop(); }));
  }
  const auto w = [](LONG v) { return static_cast<WPARAM>(v); };
  EXPECT_EQ(PostedValues(WM_WORKERS_COUNT), (std::vector<WPARAM>{w(workers + 1), w(workers)}));
  const auto pending_posts = PostedValues(WM_WORKERS_PENDING);
  ASSERT_GE(pending_posts.size(), 4u);
  // After each post the running total; after each command what is left.
  EXPECT_EQ(std::vector<WPARAM>(pending_posts.begin(), pending_posts.begin() + 4),
            (std::vector<WPARAM>{w(pending + 1), w(pending + 1), w(pending + 2), w(pending + 3)}));
  EXPECT_EQ(pending_posts.back(), w(pending));
  EXPECT_EQ(PostedValues(WM_WORKERS_EXECUTED),
            (std::vector<WPARAM>{w(executed + 1), w(executed + 2), w(executed + 3), w(executed + 4)}));
  SetWorkerStatisticsWindow(nullptr);
  SetWorkerStatisticsPoster(nullptr);
  CloseHandle(gate);
}

TEST_F(WorkerThreadTest, StopReturnsForAWorkerWhoseThreadWasTerminated) {
  Journal journal;
  TestWorker worker(0, journal);
  worker.Start();
  ASSERT_TRUE(AwaitThreadsInWait(1));
  TerminateAllWorkerThreads();
  worker.PostCommand(1, INFINITE, 0);  // accepted, but nothing runs it any more
  worker.Stop();                       // returns instead of waiting for a drain that never comes
  EXPECT_TRUE(journal.Entries().empty());
}

}  // namespace
