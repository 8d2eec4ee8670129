#include "platform/msgqueue/mapping_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

namespace ce::msgqueue {
namespace {

// One guarded mapping; `begin` is published last (and cleared first), so the handler, which reads
// the slots without a lock, sees a slot only while its other fields are set.
struct Guarded {
  std::atomic<char*> begin{nullptr};
  std::atomic<std::size_t> length{0};
  std::atomic<std::atomic<bool>*> cut{nullptr};
};

constexpr std::size_t kSlots = 256;
Guarded g_guarded[kSlots];
std::mutex g_slots_lock;  // taken by GuardMapping and UnguardMapping, never by the handler
struct sigaction g_previous {};

void OnBus(int sig, siginfo_t* info, void* context) {
  char* at = static_cast<char*>(info->si_addr);
  for (Guarded& g : g_guarded) {
    char* begin = g.begin.load(std::memory_order_acquire);
    const std::size_t length = g.length.load(std::memory_order_relaxed);
    if (!begin || at < begin || at >= begin + length) continue;
    // Straight to the kernel: this runs inside a signal handler.
    const long mapped = syscall(SYS_mmap, begin, length, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (mapped != reinterpret_cast<long>(MAP_FAILED)) {
      if (std::atomic<bool>* cut = g.cut.load(std::memory_order_relaxed)) cut->store(true);
      return;  // the faulting access runs again, on the zero pages
    }
    break;
  }
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) g_previous.sa_sigaction(sig, info, context);
    return;
  }
  if (g_previous.sa_handler == SIG_DFL || g_previous.sa_handler == SIG_IGN) {
    // The fault is not ours: as if there were no handler (the access faults again and ends the
    // process).
    signal(SIGBUS, SIG_DFL);
    return;
  }
  g_previous.sa_handler(sig);
}

void Install() {
  struct sigaction action {};
  action.sa_sigaction = OnBus;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &g_previous);
}

}  // namespace

bool GuardMapping(void* begin, std::size_t length, std::atomic<bool>* cut) {
  static std::once_flag installed;
  std::call_once(installed, Install);
  std::lock_guard<std::mutex> guard(g_slots_lock);
  for (Guarded& g : g_guarded) {
    if (g.begin.load(std::memory_order_relaxed)) continue;
    g.length.store(length, std::memory_order_relaxed);
    g.cut.store(cut, std::memory_order_relaxed);
    g.begin.store(static_cast<char*>(begin), std::memory_order_release);
    return true;
  }
  return false;
}

void UnguardMapping(void* begin) {
  std::lock_guard<std::mutex> guard(g_slots_lock);
  for (Guarded& g : g_guarded) {
    if (g.begin.load(std::memory_order_relaxed) != begin) continue;
    g.begin.store(nullptr, std::memory_order_release);
    return;
  }
}

}  // namespace ce::msgqueue
