// FLARM traffic: the two sentences of FLARM's data port (PFLAU, PFLAA) as the parsers take them,
// the 20 slots, the frame step that ages, projects and draws targets, and the voice alarm with the
// sounds it plays; end to end through a pseudo-terminal into the GPS input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "cumulor/app/app_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/flarm_draw.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_input.h"
#include "platform/sound/sound_effects.h"
#include "platform/time/time.h"
#include "tests/cumulor/map/map_test_canvas.h"
#include "tests/cumulor/nav_gps/nmea_test_util.h"
#include "tests/platform/serial/pty_far_end.h"

namespace cumulor {
namespace {

using testing::kCentre;

// A short silent wave file, so that the sounds exist in "\Windows".
void WriteWave(const std::filesystem::path& path) {
  const std::uint32_t samples = 80;
  std::string w = "RIFF";
  auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) w.push_back(static_cast<char>(v >> (8 * i))); };
  auto u16 = [&](std::uint16_t v) { for (int i = 0; i < 2; ++i) w.push_back(static_cast<char>(v >> (8 * i))); };
  u32(36 + samples);
  w += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(8000);
  u32(8000);
  u16(1);
  u16(8);
  w += "data";
  u32(samples);
  w.append(samples, '\x80');
  std::ofstream(path, std::ios::binary) << w;
}

class FlarmTest : public testing::MapCanvasTest {
 protected:
  void SetUp() override {
    MapCanvasTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root" / "Windows");
    for (const char* name : {"Alarm1.wav", "Alarm2.wav", "KV_10a.wav", "KV_11a.wav", "KV_12a.wav", "KV_13a.wav",
                             "KV_14a.wav", "KV_10b.wav", "KV_11b.wav", "KV_12b.wav", "KV_13b.wav", "KV_14b.wav"})
      WriteWave(device_folder() / "root" / "Windows" / name);
    ce::sound::ClearRecordedEffects();
    FlarmInit();
    app = std::make_unique<AppContext>();
    GpsPortInit(app->gps, app.get());
    app->gps.status.position = kCentre;
    app->gps.status.positionValid = 1;
    app->gps.status.track = 0;
    AdvanceClock(1000000);  // a tick count well past 0
  }
  void TearDown() override {
    GpsPortTerm(app->gps);
    app.reset();
    FlarmInit();
    MapCanvasTest::TearDown();
  }
  void Sentence(const std::string& text) {
    std::strncpy(app->gps.line, text.c_str(), sizeof app->gps.line - 1);
    if (text.compare(0, 6, "$PFLAU") == 0) ParsePFLAU(app->gps);
    else ParsePFLAA(app->gps);
  }
  std::vector<std::u16string> Played() {
    std::vector<std::u16string> out;
    for (const auto& e : ce::sound::RecordedEffects())
      if (e.kind == ce::sound::Effect::kPlay || e.kind == ce::sound::Effect::kNotFound) out.push_back(e.text);
    return out;
  }
  FlarmTarget Slot(const char* id) {
    FlarmTraffic& t = Flarm();
    std::lock_guard<std::mutex> guard(t.lock);
    for (const FlarmTarget& s : t.slots)
      if (s.lastSeen && std::strcmp(s.id, id) == 0) return s;
    return FlarmTarget{};
  }
  std::unique_ptr<AppContext> app;
};

TEST_F(FlarmTest, StatusSentencesWithAndWithoutTheirAlarmFields) {
  Sentence("$PFLAU,3,1,2,1,2,-30,2,-50,800*4B");
  FlarmStatus s = Flarm().status;
  EXPECT_EQ(s.receive, 3);
  EXPECT_EQ(s.transmit, 1);
  EXPECT_EQ(s.gps, 2);
  EXPECT_EQ(s.power, 1);
  EXPECT_EQ(s.alarmLevel, 2);
  EXPECT_EQ(s.relativeBearing, -30);
  EXPECT_EQ(s.alarmType, 2);
  EXPECT_EQ(s.relativeVertical, -50);
  EXPECT_EQ(s.relativeDistance, 800);
  EXPECT_EQ(s.valid, 1);
  EXPECT_EQ(s.lastUpdate, GetTickCount());
  GeoPoint expected;
  GeoDestination(kCentre.lon, kCentre.lat, 800, 30 * 0.01745329251994328, expected);
  EXPECT_EQ(s.position, expected);
  // No traffic: the alarm fields are absent or empty, the record cleared.
  Sentence("$PFLAU,0,1,1,1,0,,0,,*4F");
  s = Flarm().status;
  EXPECT_EQ(s.receive, 0);
  EXPECT_EQ(s.relativeBearing, 0);
  EXPECT_EQ(s.relativeDistance, 0);
  EXPECT_EQ(s.valid, 1);
  Sentence("$PFLAU,2,1,2,1");
  EXPECT_EQ(Flarm().status.receive, 2);
}

TEST_F(FlarmTest, TargetsKeepTheirFieldsPlacesAndHistory) {
  Sentence("$PFLAA,0,-1234,1234,220,2,DD8F12,180,,30,-1.4,1*29");
  FlarmTarget t = Slot("DD8F12");
  EXPECT_EQ(t.relativeVertical, 220);
  EXPECT_EQ(t.idType, 2);
  EXPECT_EQ(t.track, 180);
  EXPECT_EQ(t.noTrack, 0);
  EXPECT_FLOAT_EQ(t.groundSpeed, 30.0f);
  EXPECT_FLOAT_EQ(t.climbRate, -1.4f);
  EXPECT_EQ(t.aircraftType, 1);
  EXPECT_EQ(t.positionCount, 1);
  GeoPoint place;
  const std::uint32_t d = OffsetPoint(kCentre.lon, kCentre.lat, place, 1234, -1234);
  EXPECT_EQ(t.positions[0], place);
  EXPECT_EQ(t.distance, static_cast<std::int32_t>(d));
  // Empty optional fields: the track is marked missing, turn rate and speed stay, climb is 0.
  Sentence("$PFLAA,1,-1000,1000,200,2,DD8F12,,,,,1");
  t = Slot("DD8F12");
  EXPECT_EQ(t.noTrack, 1);
  EXPECT_EQ(t.track, 180);
  EXPECT_FLOAT_EQ(t.groundSpeed, 30.0f);
  EXPECT_EQ(t.climbRate, 0.0f);
  EXPECT_EQ(t.alarmLevel, 1);
  EXPECT_EQ(t.positionCount, 2);
  EXPECT_EQ(t.positions[1], place);
  for (int i = 0; i < 6; ++i) Sentence("$PFLAA,0,-1000,1000,200,2,DD8F12,,,,,1");
  EXPECT_EQ(Slot("DD8F12").positionCount, 5);
  // No own position yet: ignored.
  app->gps.status.positionValid = 0;
  Sentence("$PFLAA,0,100,100,0,2,AAAAAA,0,0,0,0,1");
  EXPECT_EQ(Slot("AAAAAA").lastSeen, 0u);
}

TEST_F(FlarmTest, ATwentyFirstIdTakesTheSlotSeenLongestAgo) {
  for (int i = 0; i < 20; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "$PFLAA,0,%d,100,0,2,ID%04d,0,0,0,0,1", 100 * i, i);
    Sentence(line);
    AdvanceClock(100);
  }
  Sentence("$PFLAA,0,100,100,0,2,ID0000,0,0,0,0,1");  // seen again: ID0001 is now the oldest
  AdvanceClock(100);
  Sentence("$PFLAA,0,100,100,0,2,NEW021,0,0,0,0,1");
  EXPECT_EQ(Slot("ID0001").lastSeen, 0u);
  EXPECT_NE(Slot("NEW021").lastSeen, 0u);
  EXPECT_EQ(Slot("NEW021").positionCount, 1);
  EXPECT_NE(Slot("ID0000").lastSeen, 0u);
  EXPECT_NE(Slot("ID0002").lastSeen, 0u);
}

TEST_F(FlarmTest, TheFrameDrawsLiveTargetsWhereTheyAreAndDropsThemAfter120Seconds) {
  Open(240, 320, 10);
  Sentence("$PFLAA,2,1500,0,100,2,AB12CD,90,0,20,0,1");
  FlarmDrawTargets(*view, dc, kCentre);
  const FlarmTarget t = Slot("AB12CD");
  POINT p{};
  MapWorldToScreen(*view, p, t.positions[0]);
  EXPECT_EQ(t.screen[0].x, p.x);
  EXPECT_EQ(t.screen[0].y, p.y);
  EXPECT_LT(p.y, 213);                          // north of the aircraft: above it
  EXPECT_EQ(Pixel(p.x, p.y), 0xFF0000u);   // level 2: the red marker
  EXPECT_EQ(Pixel(120, 213 + 40), 0xFFFFFFu);
  // 120 s after it was last seen it is still drawn; a millisecond later it is gone.
  AdvanceClock(120000);
  MapFillBackground(*view, dc);
  FlarmDrawTargets(*view, dc, kCentre);
  EXPECT_EQ(Pixel(p.x, p.y), 0xFF0000u);
  AdvanceClock(1);
  MapFillBackground(*view, dc);
  FlarmDrawTargets(*view, dc, kCentre);
  EXPECT_NE(Pixel(p.x, p.y), 0xFF0000u);
  EXPECT_EQ(Slot("AB12CD").lastSeen, 0u);
}

TEST_F(FlarmTest, AlarmsPlayTheirToneThenTheVoiceOfTheirSectorOnceInFourSeconds) {
  Open(240, 320, 10);
  struct Case {
    int bearing, vertical;
    const char16_t* tone;
    const char16_t* voice;
  } cases[] = {
      {-10, -50, u"Alarm1.wav", u"KV_12b.wav"}, {-74, 10, u"Alarm2.wav", u"KV_10a.wav"},
      {-45, 0, u"Alarm2.wav", u"KV_10a.wav"},   {-44, -1, u"Alarm1.wav", u"KV_11b.wav"},
      {15, 5, u"Alarm2.wav", u"KV_12a.wav"},    {16, 5, u"Alarm2.wav", u"KV_13a.wav"},
      {75, -5, u"Alarm1.wav", u"KV_14b.wav"},   {80, -5, nullptr, nullptr},
      {-75, -5, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bearing);
    ce::sound::ClearRecordedEffects();
    AdvanceClock(4001);
    char line[96];
    std::snprintf(line, sizeof line, "$PFLAU,3,1,2,1,2,%d,2,%d,500", c.bearing, c.vertical);
    Sentence(line);
    FlarmDrawTargets(*view, dc, kCentre);
    const auto played = Played();
    if (!c.tone) {
      EXPECT_TRUE(played.empty());
      continue;
    }
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0], std::u16string(u"\\Windows\\") + c.tone);
    EXPECT_EQ(played[1], std::u16string(u"\\Windows\\") + c.voice);
  }
  // Two frames 3 s apart play once; after more than 4 s again. Level 1 or another type: none.
  ce::sound::ClearRecordedEffects();
  AdvanceClock(4001);
  Sentence("$PFLAU,3,1,2,1,2,-10,2,-50,500");
  FlarmDrawTargets(*view, dc, kCentre);
  AdvanceClock(3000);
  FlarmDrawTargets(*view, dc, kCentre);
  EXPECT_EQ(Played().size(), 2u);
  AdvanceClock(1001);
  FlarmDrawTargets(*view, dc, kCentre);
  EXPECT_EQ(Played().size(), 4u);
  for (const char* quiet : {"$PFLAU,3,1,2,1,1,-10,2,-50,500", "$PFLAU,3,1,2,1,3,-10,3,-50,500"}) {
    ce::sound::ClearRecordedEffects();
    AdvanceClock(5000);
    Sentence(quiet);
    FlarmDrawTargets(*view, dc, kCentre);
    EXPECT_TRUE(Played().empty()) << quiet;
  }
}

TEST_F(FlarmTest, DamagedSentencesAreTakenSafely) {
  std::mt19937 random(208);
  const std::string base[] = {"$PFLAU,3,1,2,1,2,-30,2,-50,800*4B", "$PFLAA,0,-1234,1234,220,2,DD8F12,180,,30,-1.4,1*29"};
  const char pool[] = ",,,-0123456789.*ABCDEF\r\xff";
  for (int round = 0; round < 3000; ++round) {
    std::string s = base[round % 2];
    const int edits = 1 + static_cast<int>(random() % 12);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = 6 + random() % (s.size() - 6);
      if (random() % 4 == 0) s.erase(at, 1 + random() % 5);
      else s.insert(at, 1, pool[random() % (sizeof pool - 1)]);
      if (s.size() < 8) s = base[round % 2];
    }
    if (round % 50 == 0) s += std::string(400, ',');
    Sentence(s);
  }
  Open(240, 320, 10);
  FlarmDrawTargets(*view, dc, kCentre);
}

TEST_F(FlarmTest, ExtremeNumbersInStatusSentencesStayInRange) {
  app->gps.status.track = 359;
  // Bearings and distances at and beyond the 32-bit limits (no checksum is needed to get here).
  for (const char* line : {"$PFLAU,3,1,2,1,2,2147483647,2,-50,800", "$PFLAU,3,1,2,1,2,99999999999,2,-50,2147483647",
                           "$PFLAU,3,1,2,1,2,-2147483648,2,-50,-2147483648"}) {
    SCOPED_TRACE(line);
    Sentence(line);
    EXPECT_EQ(Flarm().status.valid, 1);
  }
  // A bearing a whole number of turns away gives the same place as the bearing itself.
  Sentence("$PFLAU,3,1,2,1,2,-30,2,-50,800");
  const GeoPoint near = Flarm().status.position;
  Sentence("$PFLAU,3,1,2,1,2,330,2,-50,800");
  EXPECT_NEAR(Flarm().status.position.lat, near.lat, 1);
  EXPECT_NEAR(Flarm().status.position.lon, near.lon, 1);
}

// End to end: the GPS input reads a fix and FLARM sentences from a pseudo-terminal.
std::atomic<int> g_fixes{0};
int CountFixes(HRESULT, const GpsStatus*) {
  ++g_fixes;
  return 1;
}

TEST_F(FlarmTest, SentencesFromTheSerialPortReachTheTableAndTheFrame) {
  Open(240, 320, 10);
  TrailInit();
  test_serial::PtyFarEnd far(u"COM1");
  app->igcLogging = 0;
  app->gps.status = GpsStatus{};
  FixBufferReserve(app->gps, 180);
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, CountFixes, 0, nullptr), S_OK);
  // Before the first fix the traffic is ignored.
  far.Send("$PFLAA,2,1500,0,100,2,EARLY1,90,0,20,0,1\r\n");
  // 47 16.000 N 011 40.000 E: the canvas centre.
  far.Send(gps_test::WithChecksum("$GPRMC,120000,A,4716.000,N,01140.000,E,000.0,000.0,010626,,") +
           "$PFLAU,3,1,2,1,2,-10,2,-50,500*00\r\n$PFLAA,2,1500,0,100,2,AB12CD,90,0,20,0,1\r\n");
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Slot("AB12CD").lastSeen == 0 && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    AdvanceClock(20);
  }
  GpsStop(app->gps);
  TrailTerm();
  ASSERT_NE(Slot("AB12CD").lastSeen, 0u);
  EXPECT_EQ(Slot("EARLY1").lastSeen, 0u);
  FlarmDrawTargets(*view, dc, GetGpsStatus(app->gps).position);
  POINT p{};
  MapWorldToScreen(*view, p, Slot("AB12CD").positions[0]);
  EXPECT_EQ(Pixel(p.x, p.y), 0xFF0000u);
  const auto played = Played();
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0], u"\\Windows\\Alarm1.wav");
  EXPECT_EQ(played[1], u"\\Windows\\KV_12b.wav");
}

}  // namespace
}  // namespace cumulor
