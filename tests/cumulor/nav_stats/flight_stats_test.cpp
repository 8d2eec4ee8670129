#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/testing/device_test.h"

using namespace cumulor;

namespace {

// 3234 units of latitude: 10000 m on the sphere (truncated).
constexpr std::int32_t kTenKm = 3234;
GeoPoint g_ownPosition;
std::int32_t g_speedUnit = 7;

// Waypoints 1..4 on one meridian, 10 km apart; waypoint 5 200 m beyond waypoint 4.
void MakeWaypoints() {
  UserWaypointTable& t = UserWaypoints();
  t.records.SetSize(6);
  t.names.SetSize(6);
  for (std::int32_t i = 1; i <= 4; ++i) t.records[i].position = GeoPoint{36000 * 11, 36000 * 47 + (i - 1) * kTenKm};
  t.records[5].position = GeoPoint{36000 * 11, 36000 * 47 + 3 * kTenKm + 65};
  for (std::int32_t i = 1; i <= 5; ++i) std::snprintf(t.names[i].text, sizeof t.names[i].text, "TP%d", i);
}

TaskPoint Waypoint(std::int32_t index) {
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = index;
  return p;
}

// The file as a reader written from its layout sees it: the count, then 17 records of 60 bytes.
struct StoredRecord {
  std::int32_t kind, index, lon, lat, minRadius, maxRadius;
  std::int16_t startRadial, endRadial;
  std::int32_t positionLon, positionLat, legDistance;
  std::uint32_t time;
  std::int32_t legTime, reserved0, reserved1;
  float legSpeed;
};

std::int32_t Le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

std::vector<StoredRecord> ReadStoredFile(const std::vector<std::uint8_t>& bytes, std::int32_t& count) {
  count = Le32(bytes.data());
  std::vector<StoredRecord> records;
  for (std::size_t r = 0; r < 17; ++r) {
    const std::uint8_t* p = bytes.data() + 4 + r * 60;
    StoredRecord s{};
    s.kind = Le32(p);
    s.index = Le32(p + 4);
    s.lon = Le32(p + 8);
    s.lat = Le32(p + 12);
    s.minRadius = Le32(p + 16);
    s.maxRadius = Le32(p + 20);
    s.startRadial = static_cast<std::int16_t>(p[24] | (p[25] << 8));
    s.endRadial = static_cast<std::int16_t>(p[26] | (p[27] << 8));
    s.positionLon = Le32(p + 28);
    s.positionLat = Le32(p + 32);
    s.legDistance = Le32(p + 36);
    s.time = static_cast<std::uint32_t>(Le32(p + 40));
    s.legTime = Le32(p + 44);
    s.reserved0 = Le32(p + 48);
    s.reserved1 = Le32(p + 52);
    const std::int32_t bits = Le32(p + 56);
    std::memcpy(&s.legSpeed, &bits, 4);
    records.push_back(s);
  }
  return records;
}

class FlightStats : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    MakeWaypoints();
    TaskRulesDefaults();
    Rules().rule[kRuleStart].type = kGateLine;
    Rules().rule[kRuleOnTask].width = 0;
    g_speedUnit = 7;
    StatsHooks& hooks = StatsHooksInstalled();
    hooks = StatsHooks{};
    hooks.ownPosition = [] { return g_ownPosition; };
    hooks.taskSpeedUnit = [] { return g_speedUnit; };
    InitStatsTable(stats);
    stats.replayTime = 1;  // the replay seconds drive the clock
  }
  std::vector<std::uint8_t> FileBytes() {
    std::ifstream in(device_folder() / "root" / "KV_Stats.bin", std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  void At(std::int32_t seconds) { stats.replaySeconds = seconds; }

  StatsBlock stats;
};

}  // namespace

TEST_F(FlightStats, TaskFlightRecordsStartAndLegs) {
  At(1000);
  RecordTaskPoint(stats, Waypoint(1));
  EXPECT_EQ(stats.count, 1);
  EXPECT_EQ(stats.records[0].legDistance, 0);
  RecordTaskPoint(stats, Waypoint(1));  // the same point again: nothing
  EXPECT_EQ(stats.count, 1);

  At(1600);
  RecordTaskPoint(stats, Waypoint(2));
  ASSERT_EQ(stats.count, 2);
  EXPECT_EQ(stats.records[1].legDistance, 10000);
  EXPECT_EQ(stats.records[1].legTime, 600000);
  EXPECT_FLOAT_EQ(stats.records[1].legSpeed, 60.0f);

  char total[40];
  FormatTotalSpeed(stats, total);
  EXPECT_STREQ(total, "60.00 km/h");
  g_speedUnit = 8;
  FormatTotalSpeed(stats, total);
  EXPECT_STREQ(total, "37.28 mph");
  At(1900);  // half way to waypoint 3 after 300 s: the same speed
  GeoPoint halfWay = UserWaypoints().records[2].position;
  halfWay.lat += kTenKm / 2;
  char leg[32];
  FormatCurrentLegSpeed(stats, halfWay, leg);
  EXPECT_STREQ(leg, "37.3");
  char task[32];
  ASSERT_TRUE(TaskSpeedNow(stats, halfWay, nullptr, &task));
  EXPECT_STREQ(task, "37.3");
  g_speedUnit = 7;

  // An area point is taken where the aircraft is, without correction.
  At(2200);
  TaskPoint area = Waypoint(3);
  area.maxRadius = 1000;
  g_ownPosition = UserWaypoints().records[3].position;
  g_ownPosition.lat -= 100;
  RecordTaskPoint(stats, area);
  ASSERT_EQ(stats.count, 3);
  EXPECT_EQ(stats.records[2].position, g_ownPosition);
  EXPECT_EQ(stats.records[2].legDistance, static_cast<std::int32_t>(GeoDistance(UserWaypoints().records[2].position, g_ownPosition)));

  SumLegStats(stats);
  EXPECT_EQ(stats.finished, 1);
  EXPECT_EQ(stats.records[3].legDistance, stats.records[1].legDistance + stats.records[2].legDistance);
  EXPECT_EQ(stats.records[3].legTime, 1200000);
  EXPECT_EQ(stats.count, 3);  // the summary is not counted
}

TEST_F(FlightStats, RuleSizesAreSubtractedButNeverMakeANegativeLeg) {
  Rules().rule[kRuleStart].type = kGateCylinder;
  Rules().rule[kRuleStart].width = 3000;
  Rules().rule[kRuleOnTask].width = 500;
  At(0);
  RecordTaskPoint(stats, Waypoint(1));
  At(600);
  RecordTaskPoint(stats, Waypoint(2));
  EXPECT_EQ(stats.records[1].legDistance, 10000 - 3500);
  At(1200);
  RecordTaskPoint(stats, Waypoint(3));
  EXPECT_EQ(stats.records[2].legDistance, 10000 - 500);
  At(1800);
  RecordTaskPoint(stats, Waypoint(4));
  At(1800);  // 200 m on, closer than the turnpoint size, and no time passed
  RecordTaskPoint(stats, Waypoint(5));
  ASSERT_EQ(stats.count, 5);
  EXPECT_EQ(stats.records[4].legDistance, 0);
  EXPECT_EQ(stats.records[4].legTime, 0);
  EXPECT_EQ(stats.records[4].legSpeed, 0.0f);
  EXPECT_EQ(stats.totalDistance, 6500u + 9500u + 9500u);
}

TEST_F(FlightStats, FileHoldsTheRecordsAndARestartRestoresThem) {
  At(100);
  RecordTaskPoint(stats, Waypoint(1));
  At(700);
  RecordTaskPoint(stats, Waypoint(2));
  std::vector<std::uint8_t> bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 4u + 17 * 60);
  std::int32_t count = 0;
  const std::vector<StoredRecord> stored = ReadStoredFile(bytes, count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(stored[0].kind, kPointUserWaypoint);
  EXPECT_EQ(stored[0].index, 1);
  EXPECT_EQ(stored[0].time, 100000u);
  EXPECT_EQ(stored[1].index, 2);
  EXPECT_EQ(stored[1].positionLat, 36000 * 47 + kTenKm);
  EXPECT_EQ(stored[1].legDistance, 10000);
  EXPECT_EQ(stored[1].time, 700000u);
  EXPECT_EQ(stored[1].legTime, 600000);
  EXPECT_FLOAT_EQ(stored[1].legSpeed, 60.0f);
  EXPECT_EQ(stored[2].legDistance, 0);

  StatsBlock restarted;
  InitStatsTable(restarted);
  restarted.replayTime = 1;
  restarted.replaySeconds = 1300;
  LoadStatsFile(restarted);
  ASSERT_EQ(restarted.count, 2);
  EXPECT_FLOAT_EQ(restarted.records[1].legSpeed, 60.0f);
  double speed = 0.0;
  ASSERT_TRUE(TaskSpeedNow(restarted, UserWaypoints().records[3].position, &speed, nullptr));
  EXPECT_NEAR(speed, 20000.0 / 1200.0, 1e-9);
  restarted.replaySeconds = 1900;
  RecordTaskPoint(restarted, Waypoint(3));
  EXPECT_EQ(restarted.records[2].legTime, 1200000);
}

TEST_F(FlightStats, DamagedFilesReadSafely) {
  struct Case {
    const char* what;
    std::int32_t count;
    std::size_t recordBytes;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"count above 17", 18, 17 * 60, 0},
      {"negative count", -1, 17 * 60, 0},
      {"records cut short", 5, 2 * 60 + 30, 2},
      {"count only", 3, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bytes(4 + c.recordBytes, 0);
    for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(c.count) >> (8 * i));
    {
      std::filesystem::create_directories(device_folder() / "root");
      std::ofstream out(device_folder() / "root" / "KV_Stats.bin", std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    StatsBlock s;
    InitStatsTable(s);
    LoadStatsFile(s);
    EXPECT_EQ(s.count, c.expected);
  }
  DeleteStatsFile();
  EXPECT_FALSE(std::filesystem::exists(device_folder() / "root" / "KV_Stats.bin"));
}

TEST_F(FlightStats, Climbs) {
  std::int32_t rate = 0;
  EXPECT_EQ(CurrentClimbRate(stats, 1000, rate), E_FAIL);
  At(0);
  StartClimb(stats, 1000);
  At(4);
  ASSERT_EQ(CurrentClimbRate(stats, 1020, rate), S_OK);
  EXPECT_EQ(rate, 0);
  At(10);
  ASSERT_EQ(CurrentClimbRate(stats, 1020, rate), S_OK);
  EXPECT_EQ(rate, 200);
  At(59);
  EndClimb(stats, 1500);  // under a minute: not counted
  EXPECT_EQ(stats.climbCount, 0);
  EXPECT_EQ(stats.climbStartTick, 0u);

  const float maxBefore = ThermalMaxClimbValue();
  StartClimb(stats, 1000);
  At(59 + 120);
  EndClimb(stats, 1240);
  EXPECT_EQ(stats.climbCount, 1);
  EXPECT_EQ(stats.lastClimb, 200);
  EXPECT_EQ(stats.averageClimb, 200);
  EXPECT_GE(ThermalMaxClimbValue(), std::max(maxBefore, 2.0f));

  StartClimb(stats, 1000);
  At(179 + 100);
  EndClimb(stats, 1100);
  EXPECT_EQ(stats.lastClimb, 100);
  EXPECT_EQ(stats.averageClimb, 150);
  EndClimb(stats, 2000);  // no climb runs: nothing
  EXPECT_EQ(stats.climbCount, 2);
  ClearClimbStats(stats);
  EXPECT_EQ(stats.climbCount, 0);
  EXPECT_EQ(stats.averageClimb, 0);
}

TEST_F(FlightStats, TickClockTimesClimbsWithoutReplay) {
  stats.replayTime = 0;
  StartClimb(stats, 500);
  AdvanceClock(90000);
  EndClimb(stats, 590);
  EXPECT_EQ(stats.lastClimb, 100);
}
