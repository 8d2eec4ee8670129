// The callback threads' work as seen from outside: waiting until everything posted has run, whether
// it is running or waiting out a delay on the manual clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/device/callback_thread.h"
#include "platform/testing/device_test.h"

namespace {

using namespace std::chrono_literals;
using CallbackThreadTest = ce::testing::DeviceTest;

TEST_F(CallbackThreadTest, AwaitingTheWorkEndsOnlyWhenEveryPostedPieceHasRun) {
  ce::device::CallbackThread line;
  // Running work.
  std::atomic<bool> release{false}, ran{false};
  line.Post([&] {
    while (!release) std::this_thread::sleep_for(1ms);
    ran = true;
  });
  EXPECT_FALSE(ce::device::AwaitCallbacksDone(50ms));
  release = true;
  EXPECT_TRUE(ce::device::AwaitCallbacksDone(30s));
  EXPECT_TRUE(ran);

  // Work behind a delay waits for the clock, and work queued behind it for both.
  std::atomic<int> delayed{0};
  line.Post([&] { ++delayed; }, 1000);
  line.Post([&] { ++delayed; });
  EXPECT_FALSE(ce::device::AwaitCallbacksDone(50ms));
  EXPECT_EQ(delayed.load(), 0);
  bool done = false;
  for (int i = 0; i < 3000 && !done; ++i) {
    AdvanceClock(100);
    done = ce::device::AwaitCallbacksDone(10ms);
  }
  EXPECT_TRUE(done);
  EXPECT_EQ(delayed.load(), 2);
}

}  // namespace
