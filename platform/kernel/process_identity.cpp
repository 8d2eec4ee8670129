#include "platform/kernel/process_identity.h"

#include <signal.h>
#include <unistd.h>

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

}  // namespace

ProcessIdentity ThisProcessIdentity() {
  // Taken again after a fork: the child is another process.
  static thread_local ProcessIdentity cached;
  const int pid = getpid();
  if (cached.pid != pid) cached = ProcessIdentity{pid, StartTimeOf(pid)};
  return cached;
}

bool ProcessRuns(const ProcessIdentity& process) {
  if (process.pid <= 0) return false;
  if (process.pid == getpid()) return process.start == ThisProcessIdentity().start;
  if (kill(process.pid, 0) != 0 && errno == ESRCH) return false;
  return StartTimeOf(process.pid) == process.start;
}

}  // namespace ce::kernel
