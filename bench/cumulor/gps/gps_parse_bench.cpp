// Sentences parsed per second: a 100,000-sentence log (RMC, GGA, VTG, PGRMZ, GSA and GSV of a
// simulated flight, or the log file given as the argument) framed and dispatched as the reader
// thread does, fixes stored in the history and the trail.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/map/trail/trail.h"
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
    const char* hhmmss = nullptr;
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d", t / 3600, t / 60 % 60, t % 60);
    hhmmss = time;
    std::snprintf(b, sizeof b, "$GPGGA,%s.00,%09.4f,N,%010.4f,E,1,08,0.9,%d.4,M,46.9,M,,", hhmmss, lat, lon, 500 + second % 900);
    log.push_back(Checksummed(b));
    std::snprintf(b, sizeof b, "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
    log.push_back(Checksummed(b));
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

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> log;
  if (argc > 1) {
    std::ifstream in(argv[1]);
    std::string line;
    while (std::getline(in, line))
      if (!line.empty() && (line[0] == '$' || line[0] == '!')) log.push_back(line + "\n");
    if (log.empty()) {
      std::fprintf(stderr, "no sentences in %s\n", argv[1]);
      return 1;
    }
  } else {
    log = SimulatedLog(100000);
  }
  auto app = std::make_unique<AppContext>();
  app->igcLogging = 0;
  GpsPortInit(app->gps, app.get());
  FixBufferReserve(app->gps, 180);
  TrailInit();
  GpsPort& gps = app->gps;

  std::size_t sentences = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < 5; ++round) {
    for (const std::string& s : log) {
      // Framing as ReadSentence leaves it: the line feed becomes the end of the line.
      const std::size_t n = s.size() < static_cast<std::size_t>(kSentenceMax) ? s.size() : kSentenceMax - 1;
      std::memcpy(gps.line, s.data(), n);
      gps.line[n > 0 && gps.line[n - 1] == '\n' ? n - 1 : n] = '\0';
      DispatchSentence(gps);
      ++sentences;
    }
    TrailClear();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%zu sentences (%zu a round, 5 rounds) in %.3f s: %.0f sentences per second; %d fixes in the history\n",
              sentences, log.size(), seconds, sentences / seconds, GetFixBuffer(gps, nullptr, 0));
  GpsPortTerm(gps);
  TrailTerm();
  return 0;
}
