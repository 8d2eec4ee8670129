// A GoogleTest fixture for tests that touch the device: each test gets a fresh temporary device
// folder and a manual clock (starting at 2026-06-01 12:00:00 UTC, time zone UTC), both removed
// afterwards (the process then goes back to its default device folder).
// Under the manual clock Sleep and timed waits end only when the test moves time past them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "platform/base/types.h"

namespace ce::testing {

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The test's device folder (its CE root is device_folder() / "root").
  const std::filesystem::path& device_folder() const { return folder_; }
  // Moves the manual clock forward; waits and sleeps whose deadline passes end.
  static void AdvanceClock(std::uint64_t ms);
  // Waits (in real time, at most 10 s) until `count` threads are inside a wait or Sleep, so that
  // a following AdvanceClock reaches them. False on time-out.
  static bool AwaitThreadsInWait(std::size_t count);
  // Sets the manual clock's system time (UTC).
  static void SetSystemTimeUtc(const SYSTEMTIME& utc);

 private:
  std::filesystem::path folder_;
};

}  // namespace ce::testing
