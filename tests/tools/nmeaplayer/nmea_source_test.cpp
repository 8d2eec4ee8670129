#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "tests/cumulor/nav_gps/nmea_test_util.h"
#include "tools/nmeaplayer/nmea_source.h"

using namespace cumulor;

namespace {

std::vector<std::string> Sentences(const std::string& bytes) {
  std::vector<std::string> out;
  std::stringstream in(bytes);
  std::string s;
  while (std::getline(in, s)) out.push_back(s + "\n");
  return out;
}

TEST(NmeaPlayer, NmeaLogEpochsFollowTheReceiverTime) {
  const std::string log =
      "# comment\n"
      "$GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7D\r\n"
      "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33\r\n"
      "$GPRMC,030719.000,A,3747.0873,S,17518.8938,E,0.69,181.39,311214,,,A*7D\n"
      "\n"
      "$GPGGA,030720.000,3747.0875,S,17518.8938,E,1,08,1.1,59.8,M,23.7,M,,0000*70\n"
      "$GPRMC,030720.000,A,3747.0875,S,17518.8938,E,1.15,181.39,311214,,,A*7B\n";
  const auto epochs = nmeaplayer::EpochsFromNmeaLog(log);
  ASSERT_EQ(epochs.size(), 2u);
  EXPECT_EQ(Sentences(epochs[0].bytes).size(), 3u);
  EXPECT_EQ(epochs[1].bytes.substr(0, 17), "$GPGGA,030720.000");
  EXPECT_EQ(epochs[0].bytes.find('#'), std::string::npos);
}

TEST(NmeaPlayer, IgcFixesReadBackThroughTheParsers) {
  const std::string igc =
      "AXXX001\r\n"
      "HFDTEDATE:050826,01\r\n"
      "I023638TRT3941GSP\r\n"
      "B1000004807036N01131000EA0061000632084041\r\n"
      "B1000013345500S07015250WA-001200010359100\r\n"
      "B1000024807036N01131000EV0061000632084041\r\n"  // not a valid fix: skipped
      "B100003480703XN01131000EA0061000632084041\r\n"  // damaged: skipped
      "G0123AB\r\n";
  const auto epochs = nmeaplayer::EpochsFromIgc(igc);
  ASSERT_EQ(epochs.size(), 2u);
  gps_test::App a;
  for (const auto& e : epochs)
    for (const std::string& s : Sentences(e.bytes)) a.Feed(s);
  ASSERT_EQ(a.Count(), 2);
  GpsFix f[2];
  GetFixBuffer(a.gps, f, 2);
  // Newest first.
  EXPECT_NEAR(f[1].position.lat, 1732222, 1);
  EXPECT_NEAR(f[1].position.lon, 414600, 1);
  EXPECT_EQ(f[1].track, 84);
  EXPECT_NEAR(f[1].groundSpeed * 1.852, 41, 0.1);
  EXPECT_EQ(f[1].pressureAltitude, 610);
  EXPECT_EQ(f[1].timeOfDay, 36000u);
  EXPECT_NEAR(f[0].position.lat, -(33 * 36000 + 45.5 * 600), 1);
  EXPECT_NEAR(f[0].position.lon, -(70 * 36000 + 15.25 * 600), 1);
  EXPECT_EQ(f[0].track, 359);
  EXPECT_EQ(f[0].pressureAltitude, -12);
  EXPECT_STREQ(a.gps.dateText, "050826");
}

TEST(NmeaPlayer, IgcWithoutExtensionsDerivesTrackAndSpeed) {
  const std::string igc =
      "AXXX001\r\nHFDTE010126\r\n"
      "B1200004800000N01100000EA0100001000\r\n"
      "B1200104800540N01100000EA0100001000\r\n";  // 0.009 minutes of latitude north in 10 s
  const auto epochs = nmeaplayer::EpochsFromIgc(igc);
  ASSERT_EQ(epochs.size(), 2u);
  gps_test::App a;
  for (const auto& e : epochs)
    for (const std::string& s : Sentences(e.bytes)) a.Feed(s);
  const GpsFix f = a.Newest();
  EXPECT_EQ(f.track, 0);
  // 0.54 minutes = 1000.8 m in 10 s = 360 km/h.
  EXPECT_NEAR(f.groundSpeed * 1.852, 360.3, 1.0);
}

// Extensions of any declared width, wider than a number holds, fall back to the derived values.
TEST(NmeaPlayer, IgcExtensionsTooWideForANumberAreIgnored) {
  const std::string igc =
      "AXXX001\r\nHFDTE010126\r\n"
      "I023650TRT5165GSP\r\n"
      "B1200004800000N01100000EA01000010000123456789012345123456789012345\r\n"
      "B1200104800540N01100000EA01000010000123456789012345123456789012345\r\n";
  const auto epochs = nmeaplayer::EpochsFromIgc(igc);
  ASSERT_EQ(epochs.size(), 2u);
  gps_test::App a;
  for (const auto& e : epochs)
    for (const std::string& s : Sentences(e.bytes)) a.Feed(s);
  EXPECT_EQ(a.Newest().track, 0);
  EXPECT_NEAR(a.Newest().groundSpeed * 1.852, 360.3, 1.0);
}

}  // namespace
