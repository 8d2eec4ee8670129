#include "platform/msgqueue/msgqueue.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/testing/device_test.h"
#include "platform/testing/folder_states.h"
#include "tests/platform/peer/peer_process.h"

namespace {

using ce::testing::PeerProcess;

class MsgQueueTest : public ce::testing::DeviceTest {};

MSGQUEUEOPTIONS Options(DWORD flags, DWORD max_messages, DWORD max_size, bool read) {
  return MSGQUEUEOPTIONS{sizeof(MSGQUEUEOPTIONS), flags, max_messages, max_size, read ? TRUE : FALSE};
}

BOOL Write(HANDLE q, const std::string& text, DWORD timeout = 0) {
  return WriteMsgQueue(q, const_cast<char*>(text.data()), static_cast<DWORD>(text.size()), timeout, 0);
}

// Overwrites 4 bytes of a queue's file at `offset` (the header's words: 16 the slot count, 28 the
// message count, 44 the oldest message's slot, 48 the lock).
void Poke(const std::filesystem::path& file, std::streamoff offset, std::uint32_t value) {
  std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
  out.seekp(offset);
  out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string Read(HANDLE q, DWORD timeout = 0) {
  char buf[256];
  DWORD got = 0, flags = 0;
  if (!ReadMsgQueue(q, buf, sizeof buf, &got, timeout, &flags)) return "<error " + std::to_string(GetLastError()) + ">";
  return std::string(buf, got);
}

TEST_F(MsgQueueTest, NamedQueueKeepsBoundariesAndOrderAndTheFirstCreatorsLimits) {
  auto ro = Options(MSGQUEUE_ALLOW_BROKEN, 3, 16, true);
  HANDLE reader = CreateMsgQueue(u"LogQueue", &ro);
  ASSERT_NE(nullptr, reader);
  EXPECT_EQ(0u, GetLastError());
  auto wo = Options(MSGQUEUE_ALLOW_BROKEN, 1000, 5000, false);
  HANDLE writer = CreateMsgQueue(u"LogQueue", &wo);
  ASSERT_NE(nullptr, writer);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

  EXPECT_TRUE(Write(writer, "one"));
  EXPECT_TRUE(Write(writer, "second"));
  EXPECT_TRUE(Write(writer, "3"));
  EXPECT_FALSE(Write(writer, "full"));  // the reader's limit of 3 holds
  EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
  EXPECT_FALSE(Write(writer, std::string(17, 'x')));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());

  MSGQUEUEINFO info{};
  info.dwSize = sizeof info;
  ASSERT_TRUE(GetMsgQueueInfo(reader, &info));
  EXPECT_EQ(3u, info.dwMaxMessages);
  EXPECT_EQ(16u, info.cbMaxMessage);
  EXPECT_EQ(3u, info.dwCurrentMessages);
  EXPECT_EQ(1u, info.wNumReaders);
  EXPECT_EQ(1u, info.wNumWriters);

  EXPECT_EQ("one", Read(reader));
  EXPECT_EQ("second", Read(reader));
  EXPECT_EQ("3", Read(reader));
  EXPECT_EQ("<error 1460>", Read(reader));  // ERROR_TIMEOUT
  CloseMsgQueue(writer);
  CloseMsgQueue(reader);
}

TEST_F(MsgQueueTest, ErrorsForAccessOptionsSmallBuffersAndMissingPeers) {
  auto bad = Options(0, 0, 0, true);
  EXPECT_EQ(nullptr, CreateMsgQueue(u"q", &bad));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  bad = Options(0, 0, 10, true);
  bad.dwSize = 16;
  EXPECT_EQ(nullptr, CreateMsgQueue(u"q", &bad));

  // No allow-broken: a write needs a reader and a read needs a writer.
  auto wo = Options(MSGQUEUE_NOPRECOMMIT, 0, 100, false);
  HANDLE writer = CreateMsgQueue(u"strict", &wo);
  ASSERT_NE(nullptr, writer);
  EXPECT_FALSE(Write(writer, "x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PIPE_NOT_CONNECTED), GetLastError());
  auto ro = Options(MSGQUEUE_NOPRECOMMIT, 0, 100, true);
  HANDLE reader = CreateMsgQueue(u"strict", &ro);
  EXPECT_TRUE(Write(writer, "a much longer message"));
  EXPECT_TRUE(Write(writer, "next"));
  CloseMsgQueue(writer);

  // A message larger than the reader's buffer is refused and dropped; the next one follows.
  char small[4];
  DWORD got = 0;
  EXPECT_FALSE(ReadMsgQueue(reader, small, sizeof small, &got, 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ("next", Read(reader));
  EXPECT_EQ("<error 233>", Read(reader, 1000));  // no writer left: ERROR_PIPE_NOT_CONNECTED at once

  EXPECT_FALSE(Write(reader, "x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  CloseMsgQueue(reader);
  EXPECT_FALSE(CloseMsgQueue(reader));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(MsgQueueTest, UnnamedQueueOpenedForWritingAndTheQueueEndsWithItsLastHandle) {
  auto ro = Options(MSGQUEUE_NOPRECOMMIT, 0, 100, true);
  HANDLE reader = CreateMsgQueue(nullptr, &ro);
  ASSERT_NE(nullptr, reader);
  auto wo = Options(MSGQUEUE_NOPRECOMMIT, 0, 100, false);
  HANDLE writer = OpenMsgQueue(GetCurrentProcess(), reader, &wo);
  ASSERT_NE(nullptr, writer);
  EXPECT_TRUE(Write(writer, "bt event"));
  EXPECT_EQ("bt event", Read(reader));
  CloseMsgQueue(writer);
  CloseMsgQueue(reader);

  auto named = Options(MSGQUEUE_ALLOW_BROKEN, 10, 100, false);
  HANDLE a = CreateMsgQueue(u"transient", &named);
  EXPECT_TRUE(Write(a, "lost"));
  CloseMsgQueue(a);
  named.bReadAccess = TRUE;
  HANDLE b = CreateMsgQueue(u"transient", &named);
  EXPECT_EQ(0u, GetLastError());  // a new queue: the old one ended with its last handle
  EXPECT_EQ("<error 1460>", Read(b));
  CloseMsgQueue(b);
}

TEST_F(MsgQueueTest, HandlesAreWaitableAndTimedReadsFollowTheClock) {
  auto ro = Options(MSGQUEUE_ALLOW_BROKEN, 1, 32, true);
  HANDLE reader = CreateMsgQueue(u"BROKER_QUEUE_NAME", &ro);
  auto wo = Options(MSGQUEUE_ALLOW_BROKEN, 1, 32, false);
  HANDLE writer = CreateMsgQueue(u"BROKER_QUEUE_NAME", &wo);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(reader, 0));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(writer, 0));
  EXPECT_TRUE(Write(writer, "m"));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 0));
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(writer, 0));  // full
  EXPECT_EQ("m", Read(reader));

  // A read waiting 5000 ms ends when the test's clock passes it, and a write wakes another.
  std::string first, second;
  std::atomic<bool> first_done{false};
  std::thread t([&] {
    first = Read(reader, 5000);
    first_done = true;
    second = Read(reader, INFINITE);
  });
  ASSERT_TRUE(AwaitThreadsInWait(1));
  AdvanceClock(4999);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(first_done);
  AdvanceClock(1);
  while (!first_done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(AwaitThreadsInWait(1));
  EXPECT_TRUE(Write(writer, "wake"));
  t.join();
  EXPECT_EQ("<error 1460>", first);
  EXPECT_EQ("wake", second);

  // Closing the handle releases a reader blocked on it.
  std::string closed;
  std::thread u([&] { closed = Read(reader, INFINITE); });
  ASSERT_TRUE(AwaitThreadsInWait(1));
  CloseMsgQueue(reader);
  u.join();
  EXPECT_EQ("<error 6>", closed);
  CloseMsgQueue(writer);
}

TEST_F(MsgQueueTest, LogQueueAcrossProcessesDropsWhenFull) {
  auto ro = Options(3, 1000, 5000, true);
  HANDLE reader = CreateMsgQueue(u"LogQueue", &ro);
  ASSERT_NE(nullptr, reader);
  {
    PeerProcess peer(device_folder(), {"queue-write", "LogQueue", "1200"});
    EXPECT_EQ("1000", peer.Line());  // time-out 0: the 200 beyond the limit fail at once
    EXPECT_EQ(0, peer.Wait());
  }
  BYTE buf[5000];
  for (int i = 0; i < 1000; ++i) {
    DWORD got = 0;
    ASSERT_TRUE(ReadMsgQueue(reader, buf, sizeof buf, &got, 0, nullptr)) << i;
    int level = buf[0] | (buf[1] << 8);
    ASSERT_EQ(i % 5, level);
    std::u16string text(reinterpret_cast<char16_t*>(buf + 4), (got - 4) / 2);
    std::string number = std::to_string(i);
    ASSERT_EQ(u"peer|||12:00:00|||record " + std::u16string(number.begin(), number.end()) + u"|||", text);
  }
  auto wo = Options(3, 1000, 5000, false);
  HANDLE writer = CreateMsgQueue(u"LogQueue", &wo);
  EXPECT_TRUE(Write(writer, std::string(5000, 'r')));
  EXPECT_FALSE(Write(writer, std::string(5001, 'r')));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  CloseMsgQueue(writer);
  CloseMsgQueue(reader);

  // With no reader, the writer's queue is new and is removed again when it closes.
  PeerProcess lonely(device_folder(), {"queue-write", "LogQueue", "3"});
  EXPECT_EQ("created", lonely.Line());
  EXPECT_EQ("3", lonely.Line());
}

TEST_F(MsgQueueTest, AQueueFileWithADamagedRingIsReplacedNotUsed) {
  auto ro = Options(MSGQUEUE_ALLOW_BROKEN, 3, 16, true);
  HANDLE reader = CreateMsgQueue(u"Damaged", &ro);
  ASSERT_NE(nullptr, reader);
  {
    // The ring's slot count, the fifth word of the file, broken on disk.
    std::fstream file(device_folder() / "run" / "msgq" / "q_Damaged", std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(file.good());
    file.seekp(16);
    const char zero[4] = {};
    file.write(zero, sizeof zero);
  }
  PeerProcess peer(device_folder(), {"queue-write", "Damaged", "3"});
  EXPECT_EQ("created", peer.Line());
  EXPECT_EQ("3", peer.Line());
  EXPECT_EQ(0, peer.Wait());
  CloseMsgQueue(reader);
}

// Damage found by fuzzing queue files, done to a file whose handles are open: every call on it
// fails with ERROR_FILE_CORRUPT (never a fault, a division by zero or an empty message read as a
// success), and a damaged message is dropped so that the next one is read.
TEST_F(MsgQueueTest, AFileChangedUnderOpenHandlesGivesAnErrorNeverACrash) {
  constexpr DWORD kSlots = 3, kSlotSize = 8 + 16;
  struct Case {
    const char* what;
    std::function<void(const std::filesystem::path& file, std::uintmax_t header)> damage;
    bool ring_usable;  // only a message was damaged: the queue goes on
  };
  const Case cases[] = {
      {"shortened to nothing", [](auto& f, auto) { std::filesystem::resize_file(f, 0); }, false},
      {"shortened into the header", [](auto& f, auto) { std::filesystem::resize_file(f, 40); }, false},
      {"shortened into the ring", [](auto& f, auto header) { std::filesystem::resize_file(f, header + 30); }, false},
      {"shortened by one byte", [](auto& f, auto) { std::filesystem::resize_file(f, std::filesystem::file_size(f) - 1); },
       false},
      {"zero slots", [](auto& f, auto) { Poke(f, 16, 0); }, false},
      {"count past the ring", [](auto& f, auto) { Poke(f, 28, 0x7FFFFFFF); }, false},
      {"oldest slot past the ring", [](auto& f, auto) { Poke(f, 44, 0x10000); }, false},
      {"empty message", [](auto& f, auto header) { Poke(f, static_cast<std::streamoff>(header), 0); }, true},
      {"message longer than the limit",
       [](auto& f, auto header) { Poke(f, static_cast<std::streamoff>(header), 0xFFFFFF); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto ro = Options(MSGQUEUE_ALLOW_BROKEN, kSlots, 16, true);
    HANDLE reader = CreateMsgQueue(u"Fuzzed", &ro);
    auto wo = Options(MSGQUEUE_ALLOW_BROKEN, kSlots, 16, false);
    HANDLE writer = CreateMsgQueue(u"Fuzzed", &wo);
    ASSERT_NE(nullptr, reader);
    ASSERT_NE(nullptr, writer);
    ASSERT_TRUE(Write(writer, "first"));
    ASSERT_TRUE(Write(writer, "second"));
    const auto file = device_folder() / "run" / "msgq" / "q_Fuzzed";
    // The ring ends 8 bytes before the file does (a mark follows it).
    c.damage(file, std::filesystem::file_size(file) - kSlots * kSlotSize - 8);

    // Looked at before any call reported the damage: a wait ends to see it, the counts read
    // without a fault.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 0));
    MSGQUEUEINFO info{};
    info.dwSize = sizeof info;
    EXPECT_TRUE(GetMsgQueueInfo(writer, &info));
    EXPECT_EQ("<error 1392>", Read(reader, 1000));  // ERROR_FILE_CORRUPT
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 0));  // a waiter wakes to see the error
    if (c.ring_usable) {
      EXPECT_EQ("second", Read(reader));
      EXPECT_TRUE(Write(writer, "third"));
      EXPECT_EQ("third", Read(reader));
    } else {
      EXPECT_FALSE(Write(writer, "third", 1000));
      EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_CORRUPT), GetLastError());
      EXPECT_EQ("<error 1392>", Read(reader));
    }
    CloseMsgQueue(writer);
    CloseMsgQueue(reader);
    std::filesystem::remove(file);
  }
}

// A queue's lock left held by a process that died, or a lock word naming no thread: the next
// opener takes it over at once (without waiting for the lock: how long a wait lasts depends on the
// machine's load), and opening other queues never waits on it.
TEST_F(MsgQueueTest, AQueueWhoseLockHolderDiedIsOpenedAtOnce) {
  auto ro = Options(MSGQUEUE_ALLOW_BROKEN, 1000, 5000, true);
  HANDLE reader = CreateMsgQueue(u"Held", &ro);
  ASSERT_NE(nullptr, reader);
  const auto file = device_folder() / "run" / "msgq" / "q_Held";

  pid_t gone = 0;
  {
    PeerProcess finished(device_folder(), {"reg-get", "Nothing", "here"});
    gone = finished.pid();
    finished.Wait();
  }
  struct Case {
    const char* what;
    std::function<void()> leave_lock_held;
    const char* lock_waits = "0";  // taken over at once
  };
  const Case cases[] = {
      {"holder killed with the lock",
       [&] {
         PeerProcess holder(device_folder(), {"queue-hold", "Held"});
         ASSERT_EQ("held", holder.Line());
         // Meanwhile other queues open and close as usual.
         PeerProcess other(device_folder(), {"queue-open", "Other"});
         EXPECT_EQ("created", other.Line(5000));
         EXPECT_EQ("0", other.Line());  // it never waited for a queue's lock
         holder.Kill();
         holder.Wait();
       }},
      {"lock word naming a process that is gone", [&] { Poke(file, 48, static_cast<std::uint32_t>(gone)); }},
      {"lock word naming no thread", [&] { Poke(file, 48, 0xFFFFFFFFu); }},
      // A damaged word naming a live thread (this one) that never took the lock: taken over only
      // after a second's wait.
      {"lock word naming a live thread that never took it",
       [&] { Poke(file, 48, static_cast<std::uint32_t>(getpid())); }, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.leave_lock_held();
    PeerProcess next(device_folder(), {"queue-open", "Held"});
    ASSERT_EQ("existed", next.Line(5000));
    EXPECT_EQ(c.lock_waits, next.Line());
    EXPECT_EQ(0, next.Wait());
  }
  auto wo = Options(MSGQUEUE_ALLOW_BROKEN, 1000, 5000, false);
  HANDLE writer = CreateMsgQueue(u"Held", &wo);
  EXPECT_TRUE(Write(writer, "still works"));
  EXPECT_EQ("still works", Read(reader));
  CloseMsgQueue(writer);
  CloseMsgQueue(reader);
}

// A new queue's blocks are reserved when it is made: a full folder refuses it with
// ERROR_DISK_FULL (never a fault at the first write), a read-only one with ERROR_ACCESS_DENIED.
TEST_F(MsgQueueTest, ANewQueueOnAFullOrReadOnlyFolderFailsWithTheReason) {
  const struct {
    ce::testing::FolderState state;
    const char* expected;
  } cases[] = {
      {ce::testing::FolderState::kFull, "error 112\n"},
      {ce::testing::FolderState::kReadOnly, "error 5\n"},
  };
  for (const auto& c : cases) {
    auto run = ce::testing::RunWithFolderState(c.state, device_folder(), DEVICE_PEER_PATH,
                                               {device_folder().string(), "queue-open", "LogQueue"});
    if (!run.available) GTEST_SKIP() << "cannot make a full or read-only folder here: " << run.output;
    EXPECT_EQ(0, run.signal);
    EXPECT_EQ(0, run.exit_code) << run.output;
    EXPECT_EQ(c.expected, run.output);
  }
}

TEST_F(MsgQueueTest, ReaderInAnotherProcessIsWokenByOurWrites) {
  PeerProcess peer(device_folder(), {"queue-read", "LogQueue", "2", "20000"});
  ASSERT_EQ("ready", peer.Line());
  auto wo = Options(3, 1000, 5000, false);
  HANDLE writer = CreateMsgQueue(u"LogQueue", &wo);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  for (const char16_t* text : {u"first", u"second"}) {
    std::u16string record = std::u16string(2, u'\0') + text;  // level 0 in the first 4 bytes
    EXPECT_TRUE(WriteMsgQueue(writer, record.data(), static_cast<DWORD>(record.size() * 2), 0, 0));
  }
  EXPECT_EQ("0 first", peer.Line());
  EXPECT_EQ("0 second", peer.Line());
  EXPECT_EQ(0, peer.Wait());
  CloseMsgQueue(writer);
}

}  // namespace
