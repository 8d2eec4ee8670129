#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "airspace_test_util.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"
#include "platform/time/time.h"

namespace {

using namespace cumulor;
using namespace airspace_test;

// A square of 0.1 degree whose south edge lies on 47 N, from 11 E.
std::string Square(const char* cls, const char* name, const char* floor = "SFC", const char* ceiling = "FL100") {
  return std::string("AC ") + cls + "\nAN " + name + "\nAL " + floor + "\nAH " + ceiling +
         "\nDP 47:00:00 N 011:00:00 E\nDP 47:06:00 N 011:00:00 E\nDP 47:06:00 N 011:06:00 E\nDP 47:00:00 N 011:06:00 E\n";
}

// A box from south to north and west to east, corners as the file writes them ("47:00:00 N").
std::string Box(const char* cls, const char* name, const char* floor, const char* south, const char* north,
                const char* west, const char* east) {
  const std::string s(south), n(north), w(west), e(east);
  return std::string("AC ") + cls + "\nAN " + name + "\nAL " + floor + "\nAH FL100\nDP " + s + " " + w + "\nDP " + n +
         " " + w + "\nDP " + n + " " + e + "\nDP " + s + " " + e + "\n";
}

// 65 units (200 m) south of the square's south edge, and far away.
constexpr GeoPoint kNear{11 * 36000 + 1800, 47 * 36000 - 65};
constexpr GeoPoint kFar{12 * 36000, 46 * 36000};
constexpr GeoPoint kInside{11 * 36000 + 1800, 47 * 36000 + 1800};

class AirspaceAlarms : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    AirspaceInit(module);
    AirspaceAllocClassArrays(module, 16);
    module.ui.playSound = [this](const std::u16string& name, bool sync) {
      effects.push_back(Narrow(name) + (sync ? " sync" : " async"));
    };
    module.ui.closeModeless = [this] { effects.push_back("close"); };
    module.ui.alarmDialog = [this](const AirspaceAlarm& a) {
      effects.push_back("dialog " + Narrow(a.name));
      alarms.push_back(a);
    };
    module.ui.pendingAlarm = [this](const AirspaceAlarm& a) { effects.push_back("pending " + Narrow(a.name)); };
  }
  void TearDown() override {
    AirspaceTerm(module);
    DeviceTest::TearDown();
  }
  void Check(const GeoPoint& p, std::int32_t altitude = 3000, std::int32_t pressure = 3000) {
    AirspaceAlarmCheck(module, p, 500, 984, altitude, pressure, 0);
  }

  AirspaceModule module;
  std::vector<std::string> effects;
  std::vector<AirspaceAlarm> alarms;
};

TEST_F(AirspaceAlarms, OneAlarmOnApproachNoneWhileNearAgainAfterLeaving) {
  LoadTexts(module, {Square("R", "NEAR ME")});
  Check(kNear);
  EXPECT_EQ(effects, (std::vector<std::string>{"close", "Alarm4.wav sync", "sua.wav async", "dialog NEAR ME"}));
  ASSERT_EQ(alarms.size(), 1u);
  EXPECT_EQ(alarms[0].horizontalDistance, 200u);
  EXPECT_EQ(alarms[0].verticalDistance, 0);
  EXPECT_EQ(Narrow(alarms[0].groupName), "Restricted");
  EXPECT_EQ(Narrow(alarms[0].ceilingText), "FL100");
  // The margins of a 500 m and 984 ft setting.
  EXPECT_EQ(module.horizontalMargin, 10000.0f);
  EXPECT_EQ(module.verticalMargin, 2952.0f);

  effects.clear();
  Check(kNear);
  Check(kInside);
  EXPECT_EQ(effects, (std::vector<std::string>{"close", "close"}));
  effects.clear();
  Check(kFar);
  EXPECT_TRUE(effects.empty());
  Check(kNear);
  EXPECT_EQ(effects.size(), 4u);

  // With the no-dialog setting the core gets the alarm instead.
  effects.clear();
  Check(kFar);
  module.noDialog = 1;
  Check(kNear);
  EXPECT_EQ(effects.back(), "pending NEAR ME");
}

TEST_F(AirspaceAlarms, VerticalStatesAndScores) {
  LoadTexts(module, {Square("C", "LAYER", "1500 ft", "FL65")});
  Check(kInside, 3000, 3100);
  ASSERT_EQ(alarms.size(), 1u);
  EXPECT_EQ(alarms[0].verticalDistance, 0);   // "At SUA Altitude"
  std::u16string name;
  const std::optional<AirspaceWarning> w = AirspaceNearest(module, &name);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->verticalState, 3);
  EXPECT_EQ(w->verticalDistance, 1500);
  EXPECT_EQ(w->horizontalDistance, 0);
  EXPECT_EQ(Narrow(name), "LAYER");

  struct Case {
    std::int32_t altitude, pressure, state, distance, alarmDistance;
    bool alarm;
  } cases[] = {
      {7000, 7000, 1, 500, 500, true},     // 500 ft above FL65, within the 984 ft setting
      {9000, 9000, 1, 2500, 0, false},
      {1000, 1000, 4, 500, -500, true},    // below the floor
      {5500, 5500, 2, 1000, 0, true},      // the ceiling nearer
  };
  for (const Case& c : cases) {
    alarms.clear();
    Check(kFar);
    Check(kInside, c.altitude, c.pressure);
    const std::optional<AirspaceWarning> n = AirspaceNearest(module, nullptr);
    ASSERT_TRUE(n) << c.altitude;
    EXPECT_EQ(n->verticalState, c.state) << c.altitude;
    EXPECT_EQ(n->verticalDistance, c.distance) << c.altitude;
    EXPECT_EQ(alarms.size(), c.alarm ? 1u : 0u) << c.altitude;
    if (c.alarm && !alarms.empty()) {
      EXPECT_EQ(alarms[0].verticalDistance, c.alarmDistance) << c.altitude;
    }
  }
  // Out of every margin nothing is nearest.
  Check(kFar);
  EXPECT_FALSE(AirspaceNearest(module, nullptr));
}

TEST_F(AirspaceAlarms, UntestedClassesAlarmsOffAndTheFind) {
  LoadTexts(module, {Square("W", "WAVE") + Square("F", "CLASS F") + Square("A", "CLASS A")});
  Check(kInside);
  EXPECT_EQ(effects, (std::vector<std::string>{"close", "Alarm4.wav sync", "sua.wav async", "dialog CLASS A"}));
  effects.clear();
  Check(kFar);
  module.alarmsOff = 1;
  Check(kInside);
  EXPECT_TRUE(effects.empty());
  // The map tap's find still answers, with the first shape of groups 1..12 that holds the point.
  const std::optional<AirspaceShapeRef> found = AirspaceAlarmCheck(module, kInside, 500, 984, 3000, 3000, 1);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->group, kGroupClassA);
  EXPECT_FALSE(AirspaceAlarmCheck(module, kFar, 500, 984, 3000, 3000, 1));
}

TEST_F(AirspaceAlarms, SwitchOffsLastThreeMinutesOrTheDayAndTheDaySurvivesARestart) {
  const std::string file = Square("A", "CLASS A") + Square("R", "THREE MIN") + Square("Q", "ALL DAY");
  LoadTexts(module, {file});
  Check(kInside);
  ASSERT_EQ(alarms.size(), 3u);
  const DWORD now = GetTickCount();
  EXPECT_TRUE(AirspaceSwitchOff(module, alarms[0].shape, kAirspaceOffForTheDay));   // Class A
  EXPECT_TRUE(AirspaceSwitchOff(module, alarms[1].shape, now + kSwitchOffMinutes));
  EXPECT_TRUE(AirspaceSwitchOff(module, alarms[2].shape, kAirspaceOffForTheDay));
  EXPECT_EQ(AirspaceExpireDisabled(module), 2);   // Class A is not counted
  alarms.clear();
  Check(kFar);
  Check(kInside);
  EXPECT_TRUE(alarms.empty());
  AdvanceClock(kSwitchOffMinutes);
  Check(kInside);
  ASSERT_EQ(alarms.size(), 1u);   // the three minutes have run out
  EXPECT_EQ(Narrow(alarms[0].name), "THREE MIN");
  EXPECT_EQ(AirspaceExpireDisabled(module), 1);

  // Saved at shutdown: only the day-long switch-off of groups 2..12.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(AirspaceDisabledSave(module, key), ERROR_SUCCESS);
  BYTE stored[64] = {};
  DWORD size = sizeof(stored);
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExW(key, u"SuaOff", nullptr, &type, stored, &size), ERROR_SUCCESS);
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const std::int32_t expected[3] = {2, today.wDay, 3};
  ASSERT_EQ(size, sizeof(expected));
  EXPECT_EQ(std::memcmp(stored, expected, sizeof(expected)), 0);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  // A restart the same day keeps shape 3 off; an earlier reference finds nothing after the reload.
  AirspaceModule restarted;
  AirspaceInit(restarted);
  AirspaceDisabledLoad(restarted, key);
  LoadTexts(restarted, {file});
  EXPECT_EQ(restarted.group[kGroupDanger].shapes[0].switchedOffUntil, kAirspaceOffForTheDay);
  EXPECT_EQ(restarted.group[kGroupRestricted].shapes[0].switchedOffUntil, 0u);
  EXPECT_FALSE(AirspaceEnable(restarted, AirspaceShapeRef{restarted.loadNumber - 1, kGroupDanger, 0, 3}));
  AirspaceShapeRef ref{restarted.loadNumber, kGroupDanger, 0, 3};
  EXPECT_TRUE(AirspaceEnable(restarted, ref));
  EXPECT_EQ(restarted.disabled.Size(), 0);
  AirspaceTerm(restarted);

  // The next day the list is dropped.
  AdvanceClock(24u * 3600u * 1000u);
  AirspaceModule nextDay;
  AirspaceInit(nextDay);
  AirspaceDisabledLoad(nextDay, key);
  EXPECT_EQ(nextDay.disabled.Size(), 0);
  AirspaceTerm(nextDay);
  RegCloseKey(key);
}

TEST_F(AirspaceAlarms, AReloadForgetsEveryPointerIntoTheOldShapes) {
  LoadTexts(module, {Square("R", "OLD")});
  Check(kNear);
  ASSERT_TRUE(AirspaceNearest(module, nullptr));
  ASSERT_EQ(module.warned.size(), 1u);
  const AirspaceShapeRef old = alarms[0].shape;
  LoadTexts(module, {Square("R", "NEW")});
  EXPECT_TRUE(module.warned.empty());
  EXPECT_FALSE(AirspaceNearest(module, nullptr));
  EXPECT_FALSE(AirspaceSwitchOff(module, old, kAirspaceOffForTheDay));
  // The same shape of the new load alarms again at once.
  Check(kNear);
  EXPECT_EQ(Narrow(alarms.back().name), "NEW");
}

// Shapes far from the position are passed over before their edges are measured; these are the
// ones at the limits of that: a nearest beyond one margin that still takes over, and outlines
// near or across the 180th meridian.
TEST_F(AirspaceAlarms, ShapesPassedOverAsFarChangeNothing) {
  struct Case {
    const char* what;
    std::string file;
    GeoPoint position;
    std::vector<std::string> alarmed;
    const char* nearest;
  } cases[] = {
      // LOW FLOOR (9.5 km, 2,500 ft below its floor) is nearest first with a score of 1.80; FAR
      // SOUTH, 17 km away (1.7 margins) but within its limits, scores 1.70 and takes over.
      {"nearest beyond one margin",
       Box("R", "LOW FLOOR", "5500 ft", "47:00:00 N", "47:06:00 N", "011:00:00 E", "011:06:00 E") +
           Box("R", "FAR SOUTH", "SFC", "46:39:40 N", "46:45:40 N", "011:00:00 E", "011:06:00 E"),
       {11 * 36000 + 1800, 47 * 36000 - 3081},
       {},
       "FAR SOUTH"},
      // 235 m west of the position, on the other side of the meridian.
      {"just west of the 180th meridian",
       Box("R", "WEST OF LINE", "SFC", "47:00:00 N", "47:06:00 N", "179:54:00 E", "179:59:56 E"),
       {-(180 * 36000 - 72), 47 * 36000 + 1800},
       {"WEST OF LINE"},
       "WEST OF LINE"},
      // From 170 E to 170 W across the meridian; the position 200 m south of it on the meridian.
      {"across the 180th meridian",
       Box("R", "ACROSS LINE", "SFC", "47:00:00 N", "47:06:00 N", "170:00:00 E", "170:00:00 W"),
       {180 * 36000, 47 * 36000 - 65},
       {"ACROSS LINE"},
       "ACROSS LINE"},
  };
  for (Case& c : cases) {
    LoadTexts(module, {c.file});
    alarms.clear();
    Check(c.position);
    std::vector<std::string> alarmed;
    for (const AirspaceAlarm& a : alarms) alarmed.push_back(Narrow(a.name));
    EXPECT_EQ(alarmed, c.alarmed) << c.what;
    std::u16string name;
    const std::optional<AirspaceWarning> nearest = AirspaceNearest(module, &name);
    if (!nearest) {
      ADD_FAILURE() << c.what << ": nothing nearest";
      continue;
    }
    EXPECT_EQ(Narrow(name), c.nearest) << c.what;
    // Its distance is the one of every edge measured.
    for (const AirspaceShape* s : AllShapes(module)) {
      if (Narrow(s->name) != c.nearest) continue;
      const std::uint32_t expected = MinDistanceToPolyline(c.position, s->points.Data(), s->pointCount);
      EXPECT_EQ(nearest->horizontalDistance, static_cast<std::int32_t>(expected)) << c.what;
      if (!alarms.empty()) {
        EXPECT_EQ(alarms[0].horizontalDistance, expected) << c.what;
      }
    }
  }
}

}  // namespace
