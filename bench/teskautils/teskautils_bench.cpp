// A program linking TeskaUtils: Log() with no reader of the log channel, and a thread created and
// joined (which TeskaUtils sees attach and detach), in operations per second; beside the thread, a
// plain std::thread started and joined.
#include <thread>

#include "teskautils/TeskaUtils.h"
#include "bench/support/side_by_side.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"

namespace {

void BM_LogWithoutReader(benchmark::State& state) {
  bench::TemporaryDeviceFolder();
  bench::SideBySide side(state, "operations/s");
  for (auto _ : state) {
    side.Ours(100, [&] {
      for (int i = 0; i < 100; ++i) Log(1, u"Route 3: leg 2 of 7 reached");
    });
  }
}
BENCH(BM_LogWithoutReader);

DWORD Nothing(LPVOID) { return 0; }

void BM_CreateThreadAndJoin(benchmark::State& state) {
  bench::TemporaryDeviceFolder();
  bench::SideBySide side(state, "operations/s", bench::kWallClock);
  for (auto _ : state) {
    side.Ours(10, [&] {
      for (int i = 0; i < 10; ++i) {
        HANDLE t = CreateThread(nullptr, 0, Nothing, nullptr, 0, nullptr);
        if (!t) return state.SkipWithError("CreateThread failed");
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
      }
    });
    side.Peer(10, [&] {
      for (int i = 0; i < 10; ++i) std::thread([] {}).join();
    });
  }
}
BENCH(BM_CreateThreadAndJoin);

}  // namespace
