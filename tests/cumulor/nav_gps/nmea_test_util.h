// Helpers of the GPS input tests: sentences with their checksum, and a GPS port in an application
// record, ready for the parsers.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/gps/gps_input.h"

namespace gps_test {

// "$GPRMC,..." -> "$GPRMC,...*hh\r\n" with the right checksum.
inline std::string WithChecksum(const std::string& body) {
  unsigned x = 0;
  for (std::size_t i = 1; i < body.size(); ++i) x ^= static_cast<unsigned char>(body[i]);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
  return body + tail;
}

// Frames a sentence as the reader does: the line feed becomes the end of the line.
inline void SetLine(cumulor::GpsPort& gps, const std::string& sentence) {
  std::string s = sentence;
  if (!s.empty() && s.back() == '\n') s.pop_back();
  std::memset(gps.line, 0, sizeof gps.line);
  std::memcpy(gps.line, s.data(), s.size() < 200 ? s.size() : 200);
}

struct App {
  std::unique_ptr<cumulor::AppContext> app = std::make_unique<cumulor::AppContext>();
  cumulor::GpsPort& gps = app->gps;
  App() {
    cumulor::GpsPortInit(gps, app.get());
    cumulor::FixBufferReserve(gps, 180);
    app->igcLogging = 0;
  }
  ~App() { cumulor::GpsPortTerm(gps); }
  // Frames and dispatches one sentence.
  void Feed(const std::string& sentence) {
    SetLine(gps, sentence);
    cumulor::DispatchSentence(gps);
  }
  std::int32_t Count() { return cumulor::GetFixBuffer(gps, nullptr, 0); }
  cumulor::GpsFix Newest() {
    cumulor::GpsFix f;
    cumulor::GetFixBuffer(gps, &f, 1);
    return f;
  }
};

}  // namespace gps_test
