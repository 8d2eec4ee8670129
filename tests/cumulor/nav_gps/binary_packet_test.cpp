#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "nmea_test_util.h"

using namespace cumulor;
using gps_test::App;

namespace {

// Packs a float the way the device does (the inverse of the reader's unpacking).
void PackFloat(std::uint8_t* out, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::uint8_t top = static_cast<std::uint8_t>(bits >> 24);
  const std::uint8_t second = static_cast<std::uint8_t>(bits >> 16);
  if (top != 0) ++top;
  out[0] = static_cast<std::uint8_t>(((top & 0x7F) << 1) | (second >> 7));
  out[1] = static_cast<std::uint8_t>((top & 0x80) | (second & 0x7F));
  out[2] = static_cast<std::uint8_t>(bits >> 8);
  out[3] = static_cast<std::uint8_t>(bits);
}

void Put16(std::uint8_t* p, int v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

std::vector<std::uint8_t> PositionPacket(double latDeg, double lonDeg, int altitude, int marker, std::uint8_t flags) {
  std::vector<std::uint8_t> p(45, 0);
  p[0] = '$';
  p[1] = 'w';
  p[2] = 45;
  p[4] = 0;
  p[6] = flags;
  Put16(&p[13], altitude);
  Put16(&p[17], marker);
  Put16(&p[27], -15);    // -1.5 m/s
  Put16(&p[29], 1000);   // 100 km/h airspeed
  Put16(&p[31], 720);    // 72 km/h ground speed = 20 m/s
  Put16(&p[33], 3600);   // 360.0 degrees
  PackFloat(&p[35], static_cast<float>(latDeg * M_PI / 180));
  PackFloat(&p[39], static_cast<float>(lonDeg * M_PI / 180));
  std::uint8_t x = 0;
  for (std::uint8_t b : p) x ^= b;
  p[3] = x;
  return p;
}

TEST(BinaryPacket, PositionPacketDecodes) {
  App a;
  auto p = PositionPacket(48.1173, 11.5167, 1234, 1, 0x90);
  ASSERT_EQ(DecodeBinaryPacket(a.gps, p.data(), 45), S_OK);
  ASSERT_EQ(a.Count(), 1);
  const GpsFix f = a.Newest();
  EXPECT_NEAR(f.position.lat, 48.1173 * 36000, 2);
  EXPECT_NEAR(f.position.lon, 11.5167 * 36000, 2);
  EXPECT_EQ(f.pressureAltitude, 1234);
  EXPECT_FLOAT_EQ(f.verticalSpeed, -1.5f);
  EXPECT_NEAR(f.airspeed, 1000 * 0.0539968, 1e-4);
  EXPECT_EQ(f.track, 0);
  EXPECT_EQ(f.mark, 0);  // the marker belongs to the next fix
  EXPECT_NEAR(a.gps.status.groundSpeedMs, 20.0, 1e-4);
  EXPECT_EQ(a.app->circling, 1);
  EXPECT_EQ(a.app->turnDirection, 1);
  EXPECT_EQ(a.gps.externalAltitude, 1);
  p = PositionPacket(-33.5, -70.25, -20, 0, 0);
  ASSERT_EQ(DecodeBinaryPacket(a.gps, p.data(), 45), S_OK);
  EXPECT_EQ(a.Newest().mark, 1);
  EXPECT_NEAR(a.Newest().position.lat, -33.5 * 36000, 2);
  EXPECT_NEAR(a.Newest().position.lon, -70.25 * 36000, 2);
  EXPECT_EQ(a.app->circling, 0);
}

TEST(BinaryPacket, DamagedPacketsAreIgnored) {
  App a;
  auto p = PositionPacket(48, 11, 100, 0, 0);
  auto bad = p;
  bad[20] ^= 1;
  EXPECT_EQ(DecodeBinaryPacket(a.gps, bad.data(), 45), S_OK);
  auto shortType = p;
  shortType[2] = 25;  // a position packet that claims 25 bytes
  EXPECT_EQ(DecodeBinaryPacket(a.gps, shortType.data(), 25), S_OK);
  EXPECT_EQ(DecodeBinaryPacket(a.gps, p.data(), 30), S_OK);  // fewer bytes than the packet
  EXPECT_EQ(a.Count(), 0);
  // An out-of-range latitude counts as 0.
  auto far = PositionPacket(100, 11, 100, 0, 0);
  ASSERT_EQ(DecodeBinaryPacket(a.gps, far.data(), 45), S_OK);
  EXPECT_EQ(a.Newest().position.lat, 0);
}

TEST(BinaryPacket, InstrumentPacket) {
  App a;
  std::vector<std::uint8_t> p(25, 0);
  p[0] = '$';
  p[1] = 'w';
  p[2] = 25;
  p[4] = 2;
  p[13] = 7;
  std::uint8_t x = 0;
  for (std::uint8_t b : p) x ^= b;
  p[3] = x;
  ASSERT_EQ(DecodeBinaryPacket(a.gps, p.data(), 25), S_OK);
  EXPECT_FLOAT_EQ(a.gps.instrument[2], 3.5f);
  EXPECT_FLOAT_EQ(a.gps.instrument[1], 7.0f);
  EXPECT_EQ(a.Count(), 0);
}

}  // namespace

TEST(BinaryPacket, CirclingBitClearingEndsTheClimb) {
  App a;
  StatsBlock& stats = a.app->stats;
  stats.replayTime = 1;  // climb seconds from the replay clock
  stats.replaySeconds = 0;
  StartClimb(stats, 1000);
  auto circling = PositionPacket(47, 11, 1100, 0, 0x80);
  ASSERT_EQ(DecodeBinaryPacket(a.gps, circling.data(), 45), S_OK);
  EXPECT_NE(stats.climbStartTick, 0u);  // still circling: the climb runs
  stats.replaySeconds = 120;
  auto straight = PositionPacket(47, 11, 1240, 0, 0);
  ASSERT_EQ(DecodeBinaryPacket(a.gps, straight.data(), 45), S_OK);
  EXPECT_EQ(stats.climbStartTick, 0u);
  EXPECT_EQ(stats.climbCount, 1);
  EXPECT_EQ(stats.lastClimb, 200);
}
