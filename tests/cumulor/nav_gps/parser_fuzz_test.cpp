// Every parser and the dispatcher on random, truncated and mutated sentences: no fault under the
// sanitizers, and whatever is stored stays inside its ranges.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/sentence_parsers.h"
#include "nmea_test_util.h"

using namespace cumulor;
using gps_test::App;
using gps_test::SetLine;
using gps_test::WithChecksum;

namespace {

const std::vector<std::string>& Seeds() {
  static const std::vector<std::string> seeds = {
      WithChecksum("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"),
      WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
      WithChecksum("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"),
      WithChecksum("$PGRMZ,1000,f,3"),
      WithChecksum("$PCAID,L,1234,0,0"),
      WithChecksum("$PGCS,1,0A1B,03E8,0000,1"),
      "$LXWP0,Y,222.3,1665.5,1.71,,,,,,239,174,10.1\r\n",
      "$PFSRA,850,Y,5,*00\r\n",
      WithChecksum("$PZAN1,02000,ZANDER"),
      WithChecksum("$GPQCM,0,1,12345"),
      WithChecksum("$PPG10,0,-5015"),
      WithChecksum("$HCHDG,101.1,,,7.1,W"),
  };
  return seeds;
}

HRESULT (*const kParsers[])(GpsPort&) = {ParseRMC,   ParseGGA,  ParseVTG,  ParseRMZ,   ParsePCAID, ParsePGCS1,
                                         ParseLXWP0, ParsePFSR, ParsePZAN1, ParseHeading};

std::string Mutate(std::mt19937& rng, std::string s) {
  const char kAlphabet[] = "0123456789.,-+*$!ABCDEFNSWEVYLMTfx \r";
  const int edits = 1 + static_cast<int>(rng() % 6);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    const std::size_t at = rng() % s.size();
    switch (rng() % 5) {
      case 0: s[at] = kAlphabet[rng() % (sizeof kAlphabet - 1)]; break;
      case 1: s.erase(at, 1 + rng() % 8); break;
      case 2: s.insert(at, std::string(1 + rng() % 20, kAlphabet[rng() % (sizeof kAlphabet - 1)])); break;
      case 3: s.resize(at); break;  // truncated
      default: s[at] = static_cast<char>(rng() % 256); break;
    }
  }
  if (s.size() > 119) s.resize(119);
  // Half of them get a checksum that verifies, so the fields themselves are exercised.
  if (rng() % 2 == 0 && s.size() > 1) {
    std::string body = s.substr(0, s.find('*'));
    if (body.size() > 114) body.resize(114);
    s = WithChecksum(body);
  }
  return s;
}

void ExpectSane(GpsPort& gps) {
  EXPECT_LT(gps.fix.track, 360);
  EXPECT_LT(gps.status.track, 360);
  EXPECT_LE(std::abs(gps.fix.position.lat), 90 * 36000);
  EXPECT_LE(std::abs(gps.fix.position.lon), 180 * 36000);
  EXPECT_TRUE(std::isfinite(gps.fix.groundSpeed) && gps.fix.groundSpeed >= 0);
  EXPECT_TRUE(std::isfinite(gps.fix.airspeed));
  EXPECT_TRUE(std::isfinite(gps.fix.verticalSpeed));
  EXPECT_LT(gps.fix.timeOfDay, 86400u);
}

TEST(ParserFuzz, MutatedSentencesIntoEveryParser) {
  std::mt19937 rng(12345);
  App a;
  for (int i = 0; i < 20000; ++i) {
    const std::string s = Mutate(rng, Seeds()[rng() % Seeds().size()]);
    SetLine(a.gps, s);
    kParsers[rng() % (sizeof kParsers / sizeof kParsers[0])](a.gps);
    SetLine(a.gps, s);
    ParseQcmAltitude(a.gps, a.gps.line + (rng() % 8));
    ExpectSane(a.gps);
  }
}

TEST(ParserFuzz, RandomBytesThroughTheDispatcher) {
  std::mt19937 rng(777);
  App a;
  TrailClear();
  for (int i = 0; i < 20000; ++i) {
    std::string s(1 + rng() % 119, '\0');
    for (char& c : s) c = static_cast<char>(rng() % 256);
    s[0] = (rng() % 2) ? '$' : '!';
    if (rng() % 2) {  // a real address in front
      static const char* kAddresses[] = {"GPRMC", "GPGGA", "GPVTG", "GPQCM", "HCHDG", "LXWP0", "PGCS,",
                                          "PFSRA", "PPG10", "PGRMZ", "PZAN1", "PCAID", "PFLAU"};
      s.replace(1, std::min<std::size_t>(s.size() - 1, 6), std::string(kAddresses[rng() % 13]) + ",");
    }
    a.Feed(rng() % 2 ? WithChecksum(s.substr(0, s.find('*'))) : s);
    ExpectSane(a.gps);
  }
  for (int i = 0; i < 5000; ++i) a.Feed(Mutate(rng, Seeds()[rng() % Seeds().size()]));
  const std::int32_t n = a.Count();
  std::vector<GpsFix> fixes(static_cast<std::size_t>(n));
  GetFixBuffer(a.gps, fixes.data(), n);
  for (const GpsFix& f : fixes) {
    EXPECT_LE(std::abs(f.position.lat), 90 * 36000);
    EXPECT_LT(f.track, 360);
  }
  TrailClear();
}

TEST(ParserFuzz, RandomBinaryPackets) {
  std::mt19937 rng(99);
  App a;
  for (int i = 0; i < 20000; ++i) {
    std::vector<std::uint8_t> p(1 + rng() % 60);
    for (auto& b : p) b = static_cast<std::uint8_t>(rng());
    p[0] = '$';
    if (p.size() > 1) p[1] = 'w';
    if (p.size() > 4 && rng() % 2) {  // a consistent header and checksum
      const bool position = rng() % 2;
      p.resize(position ? 45 : 25);
      p[2] = position ? 45 : 25;
      p[4] = position ? 0 : 2;
      p[3] = 0;
      std::uint8_t x = 0;
      for (auto b : p) x ^= b;
      p[3] = x;
    }
    DecodeBinaryPacket(a.gps, p.data(), static_cast<std::int32_t>(p.size()));
    ExpectSane(a.gps);
  }
}

}  // namespace
