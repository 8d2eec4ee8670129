#include "platform/msgqueue/msgqueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/testing/device_test.h"
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
