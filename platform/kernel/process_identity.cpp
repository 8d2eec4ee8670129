#include "platform/kernel/process_identity.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace ce::kernel {
namespace {

std::uint64_t StartTimeOf(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto close = text.rfind(')');
  if (close == std::string::npos) return 0;
  // Fields after the command: state is field 3; the start time is field 22.
  std::size_t pos = close + 2;
  for (int field = 3; field < 22 && pos < text.size(); ++field) {
    pos = text.find(' ', pos);
    if (pos == std::string::npos) return 0;
    ++pos;
  }
  return std::strtoull(text.c_str() + pos, nullptr, 10);
}

// This process's id, read once; a forked child reads its own again.
std::atomic<int> g_pid{0};

}  // namespace

int CurrentPid() {
  int pid = g_pid.load(std::memory_order_relaxed);
  if (pid != 0) return pid;
  static const bool registered = [] {
    pthread_atfork(nullptr, nullptr, [] { g_pid.store(0, std::memory_order_relaxed); });
    return true;
  }();
  (void)registered;
  pid = getpid();
  g_pid.store(pid, std::memory_order_relaxed);
  return pid;
}

int CurrentTid() {
  // A fork gives the forking thread a new id in the child: the cache notes the process it is of.
  thread_local int tid = 0;
  thread_local int tid_pid = 0;
  const int pid = CurrentPid();
  if (tid == 0 || tid_pid != pid) {
    tid = gettid();
    tid_pid = pid;
  }
  return tid;
}

ProcessIdentity ThisProcessIdentity() {
  // Taken again after a fork: the child is another process.
  static thread_local ProcessIdentity cached;
  const int pid = CurrentPid();
  if (cached.pid != pid) cached = ProcessIdentity{pid, StartTimeOf(pid)};
  return cached;
}

bool ProcessRuns(const ProcessIdentity& process) {
  if (process.pid <= 0) return false;
  if (process.pid == CurrentPid()) return process.start == ThisProcessIdentity().start;
  if (kill(process.pid, 0) != 0 && errno == ESRCH) return false;
  return StartTimeOf(process.pid) == process.start;
}

}  // namespace ce::kernel
