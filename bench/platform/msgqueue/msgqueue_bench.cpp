// Round trips of a 64-byte message between two threads through a pair of message queues, beside
// the same round trip through a pair of pipes. Beside the rates, the context switches of the
// process per round trip on each side ("switches" and "peer_switches"; a pipe round trip takes
// two: each thread blocks once).
#include <sys/resource.h>
#include <unistd.h>

#include <thread>

#include "bench/support/side_by_side.h"
#include "platform/kernel/sync.h"
#include "platform/msgqueue/msgqueue.h"

namespace {

constexpr int kTrips = 2000;  // round trips timed together
constexpr DWORD kSize = 64;

// Context switches of every thread of the process so far, voluntary or not.
double Switches() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw);
}

struct QueuePair {
  HANDLE read = nullptr, write = nullptr;
  explicit QueuePair(const char16_t* name) {
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 0, 16, kSize, TRUE};
    read = CreateMsgQueue(name, &options);
    options.bReadAccess = FALSE;
    write = CreateMsgQueue(name, &options);
  }
  ~QueuePair() {
    CloseMsgQueue(read);
    CloseMsgQueue(write);
  }
};

void BM_MessageQueueRoundTrip(benchmark::State& state) {
  bench::TemporaryDeviceFolder();
  QueuePair there(u"bench-there"), back(u"bench-back");
  if (!there.read || !there.write || !back.read || !back.write) return state.SkipWithError("cannot make the queues");
  int pipe_there[2], pipe_back[2];
  if (pipe(pipe_there) != 0 || pipe(pipe_back) != 0) return state.SkipWithError("cannot make the pipes");
  // The echo threads: each returns what it receives until it receives a message starting with 0.
  std::thread queue_echo([&] {
    char buf[kSize];
    for (;;) {
      DWORD n = 0, flags = 0;
      if (!ReadMsgQueue(there.read, buf, kSize, &n, INFINITE, &flags) || buf[0] == 0) break;
      WriteMsgQueue(back.write, buf, n, INFINITE, 0);
    }
  });
  std::thread pipe_echo([&] {
    char buf[kSize];
    for (;;) {
      if (read(pipe_there[0], buf, kSize) != static_cast<ssize_t>(kSize) || buf[0] == 0) break;
      if (write(pipe_back[1], buf, kSize) != static_cast<ssize_t>(kSize)) break;
    }
  });
  char message[kSize] = {1};
  char reply[kSize];
  double switches = 0, peer_switches = 0, trips = 0;
  bench::SideBySide side(state, "operations/s", bench::kWallClock);
  for (auto _ : state) {
    trips += kTrips;
    switches -= Switches();
    side.Ours(kTrips, [&] {
      for (int i = 0; i < kTrips; ++i) {
        DWORD n = 0, flags = 0;
        if (!WriteMsgQueue(there.write, message, kSize, INFINITE, 0) ||
            !ReadMsgQueue(back.read, reply, kSize, &n, INFINITE, &flags))
          return state.SkipWithError("queue round trip failed");
      }
    });
    switches += Switches();
    peer_switches -= Switches();
    side.Peer(kTrips, [&] {
      for (int i = 0; i < kTrips; ++i) {
        if (write(pipe_there[1], message, kSize) != static_cast<ssize_t>(kSize) ||
            read(pipe_back[0], reply, kSize) != static_cast<ssize_t>(kSize))
          return state.SkipWithError("pipe round trip failed");
      }
    });
    peer_switches += Switches();
  }
  state.counters["switches"] = switches / trips;
  state.counters["peer_switches"] = peer_switches / trips;
  char stop[kSize] = {0};
  WriteMsgQueue(there.write, stop, kSize, INFINITE, 0);
  (void)!write(pipe_there[1], stop, kSize);
  queue_echo.join();
  pipe_echo.join();
  for (int fd : {pipe_there[0], pipe_there[1], pipe_back[0], pipe_back[1]}) close(fd);
}
BENCH(BM_MessageQueueRoundTrip);

}  // namespace
