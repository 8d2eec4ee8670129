#include "platform/kernel/process_identity.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace ce::kernel {
namespace {

std::uint64_t StartTimeOf(int pid) {
  const std::string text = ReadProcessFile(pid, "stat");
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

// Read with the system's calls: a stream's buffer throws when a read fails, and reading the
// files of a process that is ending fails (ESRCH).
std::string ReadProcessFile(int pid, const char* name) {
  const std::string path = "/proc/" + std::to_string(pid) + "/" + name;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  close(fd);
  return text;
}

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
