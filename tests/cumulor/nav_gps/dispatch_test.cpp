#include <gtest/gtest.h>

#include "cumulor/data/trail/trail.h"
#include "nmea_test_util.h"
#include "platform/kernel/kernel.h"
#include "tests/cumulor/trail_lists.h"

using namespace cumulor;
using gps_test::App;
using gps_test::WithChecksum;

namespace {

std::string Rmc(const char* time, const char* status = "A") {
  return WithChecksum(std::string("$GPRMC,") + time + "," + status + ",4807.038,N,01131.000,E,022.4,084.4,230394,,");
}

bool EventSet(GpsPort& gps) { return WaitForSingleObject(gps.fixEvent, 0) == WAIT_OBJECT_0; }

TEST(Dispatch, FirstRmcOnTheFirstPortStoresWithoutTheEvent) {
  App a;
  a.Feed(Rmc("120000"));
  EXPECT_EQ(a.Count(), 1);
  EXPECT_FALSE(EventSet(a.gps));
  a.Feed(Rmc("120001", "V"));
  EXPECT_EQ(a.Count(), 1);
  EXPECT_TRUE(EventSet(a.gps));  // every later RMC, void or not
  EXPECT_EQ(GetGpsStatus(a.gps).positionValid, 0);
}

TEST(Dispatch, OtherPortsSetTheEventOnActiveFixesOnly) {
  App a;
  a.gps.nonFirstPort = 1;
  a.Feed(Rmc("120000", "V"));
  EXPECT_FALSE(EventSet(a.gps));
  a.Feed(Rmc("120001"));
  EXPECT_TRUE(EventSet(a.gps));
  EXPECT_EQ(a.Count(), 1);
}

TEST(Dispatch, WithPgcsOneFixASecond) {
  App a;
  a.Feed(WithChecksum("$PGCS,1,0A1B,03E8,0000,0"));
  a.Feed(Rmc("120000"));
  a.Feed(Rmc("120000"));
  EXPECT_EQ(a.Count(), 1);
  a.Feed(Rmc("120001"));
  EXPECT_EQ(a.Count(), 2);
  EXPECT_EQ(a.Newest().pressureAltitude, 1000);
}

TEST(Dispatch, CorruptedAndUnknownSentencesStoreNothing) {
  App a;
  std::string bad = Rmc("120000");
  bad[20] = '9';  // checksum no longer matches
  a.Feed(bad);
  a.Feed(WithChecksum("$GPGSV,3,1,12,17,72,207,32"));
  a.Feed(WithChecksum("$XXRMC,120000,A,4807.038,N,01131.000,E,1,1,230394,,"));
  a.Feed("$GPR");
  a.Feed("$");
  EXPECT_EQ(a.Count(), 0);
  EXPECT_FALSE(EventSet(a.gps));
}

TEST(Dispatch, VtgSetsTheEventAfterAnRmc) {
  App a;
  a.Feed(Rmc("120000"));
  a.Feed(WithChecksum("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"));
  EXPECT_TRUE(EventSet(a.gps));
  EXPECT_EQ(a.Count(), 1);  // VTG alone stores nothing once RMC is seen
  EXPECT_EQ(GetGpsStatus(a.gps).track, 54);
}

TEST(Dispatch, HistoryKeepsTheNewestFixesFirst) {
  App a;
  TrailClear();
  for (int i = 0; i < 200; ++i) {
    char t[8];
    std::snprintf(t, sizeof t, "12%02d%02d", i / 60, i % 60);
    a.Feed(Rmc(t));
  }
  EXPECT_EQ(a.Count(), 180);
  std::vector<GpsFix> fixes(180);
  ASSERT_EQ(GetFixBuffer(a.gps, fixes.data(), 180), 180);
  EXPECT_EQ(fixes[0].timeOfDay, 12u * 3600 + 199);
  EXPECT_EQ(fixes[179].timeOfDay, 12u * 3600 + 20);
  EXPECT_EQ(FullTrail().size(), 200u);
  TrailClear();
}

TEST(Dispatch, FixBufferReserveKeepsStoredFixes) {
  App a;
  a.Feed(Rmc("120000"));
  a.Feed(Rmc("120001"));
  ASSERT_EQ(FixBufferReserve(a.gps, 10), S_OK);  // at least 180: nothing changes
  ASSERT_EQ(FixBufferReserve(a.gps, 400), S_OK);
  EXPECT_EQ(a.gps.historyCapacity, 400);
  EXPECT_EQ(a.Count(), 2);
  EXPECT_EQ(a.Newest().timeOfDay, 12u * 3600 + 1);
}

}  // namespace
