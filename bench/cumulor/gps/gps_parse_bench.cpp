// Sentences dispatched per second: a 100,000-sentence log (RMC, GGA, VTG, PGRMZ, GSA and GSV of a
// simulated flight) framed and dispatched as the reader thread does, fixes stored in the history
// and the trail; beside it, a scan of the same bytes that only checks each sentence's checksum.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/app/app_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"

using namespace cumulor;

namespace {

std::string Checksummed(const char* body) {
  unsigned x = 0;
  for (const char* p = body + 1; *p; ++p) x ^= static_cast<unsigned char>(*p);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
  return std::string(body) + tail;
}

std::vector<std::string> SimulatedLog(int sentences) {
  std::vector<std::string> log;
  char b[160];
  for (int second = 0; static_cast<int>(log.size()) < sentences; ++second) {
    const int t = 36000 + second % 40000;
    const double lat = 4807.038 + 0.01 * std::sin(second / 60.0), lon = 1131.000 + 0.01 * std::cos(second / 60.0);
    char hhmmss[16];
    std::snprintf(hhmmss, sizeof hhmmss, "%02d%02d%02d", t / 3600, t / 60 % 60, t % 60);
    std::snprintf(b, sizeof b, "$GPGGA,%s.00,%09.4f,N,%010.4f,E,1,08,0.9,%d.4,M,46.9,M,,", hhmmss, lat, lon, 500 + second % 900);
    log.push_back(Checksummed(b));
    log.push_back(Checksummed("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"));
    std::snprintf(b, sizeof b, "$PGRMZ,%d,f,3", 1700 + second % 3000);
    log.push_back(Checksummed(b));
    std::snprintf(b, sizeof b, "$GPRMC,%s.00,A,%09.4f,N,%010.4f,E,045.2,%05.1f,051026,003.1,W", hhmmss, lat, lon,
                  std::fmod(second * 3.0, 360.0));
    log.push_back(Checksummed(b));
    std::snprintf(b, sizeof b, "$GPVTG,%05.1f,T,,M,045.2,N,083.7,K", std::fmod(second * 3.0, 360.0));
    log.push_back(Checksummed(b));
    if (second % 5 == 0) log.push_back(Checksummed("$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23"));
  }
  log.resize(static_cast<std::size_t>(sentences));
  return log;
}

// The peer: each line framed the same way, its checksum computed and compared, nothing parsed.
std::size_t ChecksumScan(const std::vector<std::string>& log) {
  std::size_t good = 0;
  char line[kSentenceMax];
  for (const std::string& s : log) {
    const std::size_t n = s.size() < static_cast<std::size_t>(kSentenceMax) ? s.size() : kSentenceMax - 1;
    std::memcpy(line, s.data(), n);
    line[n > 0 && line[n - 1] == '\n' ? n - 1 : n] = '\0';
    unsigned x = 0;
    const char* p = line + 1;
    for (; *p && *p != '*'; ++p) x ^= static_cast<unsigned char>(*p);
    if (*p == '*' && std::strtoul(p + 1, nullptr, 16) == x) ++good;
  }
  return good;
}

void BM_NmeaDispatch(benchmark::State& state) {
  static const std::vector<std::string> log = SimulatedLog(100000);
  auto app = std::make_unique<AppContext>();
  app->igcLogging = 0;
  GpsPortInit(app->gps, app.get());
  FixBufferReserve(app->gps, 180);
  TrailInit();
  GpsPort& gps = app->gps;
  bench::SideBySide side(state, "sentences/s");
  for (auto _ : state) {
    side.Ours(static_cast<double>(log.size()), [&] {
      for (const std::string& s : log) {
        // Framing as ReadSentence leaves it: the line feed becomes the end of the line.
        const std::size_t n = s.size() < static_cast<std::size_t>(kSentenceMax) ? s.size() : kSentenceMax - 1;
        std::memcpy(gps.line, s.data(), n);
        gps.line[n > 0 && gps.line[n - 1] == '\n' ? n - 1 : n] = '\0';
        DispatchSentence(gps);
      }
    });
    side.Peer(static_cast<double>(log.size()), [&] { benchmark::DoNotOptimize(ChecksumScan(log)); });
    state.PauseTiming();
    TrailClear();
    state.ResumeTiming();
  }
  GpsPortTerm(gps);
  TrailTerm();
}
BENCH(BM_NmeaDispatch);

}  // namespace
