// Who a process is across time: its pid with its start time, so that a pid reused by a later
// process is not taken for the one that died. Used by what processes of the device leave behind
// in shared files (queue holders, claimed notifications).
#pragma once

#include <cstdint>
#include <string>

namespace ce::kernel {

struct ProcessIdentity {
  std::int32_t pid = 0;
  std::uint64_t start = 0;  // clock ticks after boot, as the host's process table gives it
};

// This process.
ProcessIdentity ThisProcessIdentity();
// getpid() and gettid() of the calling thread without a system call each time (kept right across
// a fork).
int CurrentPid();
int CurrentTid();
// The text of the host's process-table file /proc/<pid>/<name>; empty when there is none. A
// process that ends while it is read gives what was read (never an exception).
std::string ReadProcessFile(int pid, const char* name);
// Whether that process still runs (same pid and same start time).
bool ProcessRuns(const ProcessIdentity& process);

}  // namespace ce::kernel
