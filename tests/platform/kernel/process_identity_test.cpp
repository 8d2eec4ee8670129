// A process's identity across time, read from the host's process table, also while the process
// ends under the reader.
#include "platform/kernel/process_identity.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using ce::kernel::ProcessIdentity;
using ce::kernel::ProcessRuns;
using ce::kernel::ReadProcessFile;
using ce::kernel::ThisProcessIdentity;

TEST(ProcessIdentity, ThisProcessRunsAndAnEndedOrOtherOneDoesNot) {
  const ProcessIdentity self = ThisProcessIdentity();
  EXPECT_EQ(self.pid, getpid());
  EXPECT_NE(self.start, 0u);
  EXPECT_TRUE(ProcessRuns(self));
  EXPECT_FALSE(ProcessRuns(ProcessIdentity{self.pid, self.start + 1}));  // a pid taken again later
  EXPECT_FALSE(ProcessRuns(ProcessIdentity{}));

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  EXPECT_FALSE(ProcessRuns(ProcessIdentity{child, self.start}));
  EXPECT_EQ(ReadProcessFile(child, "stat"), "");

  EXPECT_EQ(ReadProcessFile(self.pid, "stat").rfind(std::to_string(self.pid) + " (", 0), 0u);
  EXPECT_EQ(ReadProcessFile(self.pid, "no-such-file"), "");
}

// Reading the files of a process that ends and is reaped meanwhile fails in the middle (ESRCH):
// the reader gives what it has and never throws.
TEST(ProcessIdentity, AProcessEndingWhileItIsReadGivesNoError) {
  for (int round = 0; round < 50; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(0);
    std::atomic<bool> reaped{false};
    std::thread reaper([&] {
      waitpid(child, nullptr, 0);
      reaped = true;
    });
    const ProcessIdentity identity{child, 1};
    while (!reaped) {
      EXPECT_NO_THROW(ReadProcessFile(child, "stat"));
      EXPECT_NO_THROW(ProcessRuns(identity));
    }
    reaper.join();
  }
}

}  // namespace
