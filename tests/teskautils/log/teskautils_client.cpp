// teskautils_client: a program that links TeskaUtils, for tests that run it as a process on a
// device in some state. It logs, starts and ends two threads that log, prints "done" and exits 0.
#include <cstdio>

#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "teskautils/TeskaUtils.h"

namespace {

DWORD Work(LPVOID) {
  Log(2, u"working");
  return 0;
}

}  // namespace

int main() {
  Log(1, u"client started");
  HANDLE threads[2];
  for (HANDLE& t : threads) t = CreateThread(nullptr, 0, Work, nullptr, 0, nullptr);
  for (HANDLE t : threads) {
    if (!t || WaitForSingleObject(t, INFINITE) != WAIT_OBJECT_0) return 1;
    CloseHandle(t);
  }
  LogFormateado(1, u"client ends after %d threads", 2);
  std::puts("done");
  return 0;
}
