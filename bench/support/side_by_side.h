// Helpers every benchmark of the tree uses.
//
// Register a benchmark with BENCH(Function): it runs with repetitions and reports min and median
// over them. Inside the benchmark, a SideBySide times our code and its peer on the same work,
// alternately in every iteration, and reports both rates in the benchmark's unit and ours as a
// ratio of the peer's:
//
//   void BM_Parse(benchmark::State& state) {
//     bench::SideBySide side(state, "MB/s");
//     for (auto _ : state) {
//       side.Ours(megabytes, [&] { ParseOurs(text); });
//       side.Peer(megabytes, [&] { ParsePeer(text); });
//     }
//   }
//   BENCH(BM_Parse);
//
// Counters: `<unit>` (ours), `peer_<unit>` and `ratio` (ours / peer; above 1 is faster than the
// peer). A benchmark without a peer calls only Ours.
//
// Each side is timed by the CPU time of the calling thread (user and system), which a busy machine
// disturbs far less than the wall clock; work that waits on other threads or processes (a round
// trip, a serial line) asks for the wall clock with bench::kWallClock.
#pragma once

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <utility>

namespace bench {

// Repetitions with min and median aggregates, only the aggregates shown.
void Standard(benchmark::internal::Benchmark* b);

enum Clock { kThreadCpu, kWallClock };

class SideBySide {
 public:
  SideBySide(benchmark::State& state, std::string unit, Clock clock = kThreadCpu)
      : state_(state), unit_(std::move(unit)), clock_(clock == kThreadCpu ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC) {}
  ~SideBySide();
  SideBySide(const SideBySide&) = delete;
  SideBySide& operator=(const SideBySide&) = delete;

  // Runs `work`, which does `units` of the benchmark's unit, and adds it to our side.
  template <class F>
  void Ours(double units, F&& work) {
    ours_.seconds += Time(work);
    ours_.units += units;
  }
  // The same for the peer.
  template <class F>
  void Peer(double units, F&& work) {
    peer_.seconds += Time(work);
    peer_.units += units;
  }

 private:
  struct Side {
    double seconds = 0;
    double units = 0;
    double Rate() const { return seconds > 0 ? units / seconds : 0; }
  };
  double Now() const {
    timespec t{};
    clock_gettime(clock_, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
  }
  template <class F>
  double Time(F& work) const {
    const double start = Now();
    work();
    return Now() - start;
  }

  benchmark::State& state_;
  std::string unit_;
  clockid_t clock_;
  Side ours_, peer_;
};

// A fresh temporary device folder for the benchmark program, removed at exit.
const std::string& TemporaryDeviceFolder();

}  // namespace bench

#define BENCH(function) BENCHMARK(function)->Apply(bench::Standard)
