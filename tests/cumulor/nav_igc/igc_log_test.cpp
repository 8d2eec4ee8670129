#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"
#include "platform/files/file_system_seam.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"

using namespace cumulor;

namespace {

class IgcLog : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    app = std::make_unique<AppContext>();
    GpsPortInit(app->gps, app.get());
    FixBufferReserve(app->gps, 180);
    app->messageBox = [](EngineContext*, const WCHAR* text, const WCHAR*) {
      shown.push_back(std::u16string(text));
      return 1;
    };
    shown.clear();
    ActiveTask().FreeData();
    UserWaypoints().records.FreeData();
    UserWaypoints().names.FreeData();
    UserWaypoints().countries.FreeData();
  }
  void TearDown() override {
    if (app->igcFile != INVALID_HANDLE_VALUE) CloseHandle(app->igcFile);
    GpsPortTerm(app->gps);
    ActiveTask().FreeData();
    UserWaypoints().records.FreeData();
    UserWaypoints().names.FreeData();
    UserWaypoints().countries.FreeData();
    ce::files::FileSystemSeam::Get().Reset();
    DeviceTest::TearDown();
  }
  std::filesystem::path Folder() const { return device_folder() / "root" / "Cumulor_IGC_Files"; }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    if (!std::filesystem::exists(Folder())) return names;
    for (const auto& e : std::filesystem::directory_iterator(Folder())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Lines(const std::string& name) const {
    std::ifstream in(Folder() / name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::vector<std::string> lines;
    std::string all = ss.str();
    for (std::size_t at = 0; at < all.size();) {
      const std::size_t end = all.find("\r\n", at);
      if (end == std::string::npos) {
        lines.push_back("<no CR LF>" + all.substr(at));
        break;
      }
      lines.push_back(all.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }
  static GpsFix Fix(std::uint32_t time, std::int16_t pressure, std::int16_t gps) {
    GpsFix f;
    f.position = GeoPoint{414600, 1732222};
    f.timeOfDay = time;
    f.pressureAltitude = pressure;
    f.gpsAltitude = gps;
    f.track = 84;
    f.groundSpeed = 22.4f;
    return f;
  }

  std::unique_ptr<AppContext> app;
  static inline std::vector<std::u16string> shown;
};

TEST_F(IgcLog, BLineLayoutAndInterval) {
  ASSERT_EQ(IgcLogOpen(*app, "230394", "123519"), S_OK);
  std::memcpy(app->gps.utcText, "123519", 7);
  app->fixRate = 5;
  for (int i = 0; i < 11; ++i) StoreFix(app->gps, Fix(100, i == 0 ? 610 : -12, 632));
  IgcLogClose(*app);
  const auto files = Files();
  ASSERT_EQ(files.size(), 1u);
  std::vector<std::string> b;
  for (const auto& l : Lines(files[0]))
    if (l[0] == 'B') b.push_back(l);
  // Fixes 1, 6 and 11 are written.
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0], "B1235194807036N01131000EA0061000632084041");
  EXPECT_EQ(b[1], "B1235194807036N01131000EA-001200632084041");
}

TEST_F(IgcLog, BLineTimeComesFromTheFixWithoutSentenceTime) {
  ASSERT_EQ(IgcLogOpen(*app, nullptr, nullptr), S_OK);
  StoreFix(app->gps, Fix(3 * 3600 + 4 * 60 + 5, 100, 100));
  IgcLogClose(*app);
  const auto lines = Lines(Files().at(0));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2].substr(0, 7), "B030405");
  EXPECT_EQ(lines[1], "HFDTE010626");  // the device's local date
}

TEST_F(IgcLog, HeaderTaskAndWaypointLines) {
  std::strcpy(app->declaration.pilot, "Ada Lovelace");
  std::strcpy(app->declaration.gliderType, "ASW 28");
  std::strcpy(app->declaration.registration, "D-1234");
  std::strcpy(app->declaration.competitionId, "AL");
  std::strcpy(app->declaration.competitionClass, "Standard");
  app->igcUnitNumber = 36 * 36 + 11;  // "10B"
  UserWaypointTable& wp = UserWaypoints();
  wp.records.SetSize(3);
  wp.names.SetSize(3);
  wp.countries.SetSize(3);
  wp.records[1].position = GeoPoint{414600, 1732222};
  std::strcpy(wp.records[1].code, "MUC");
  wp.records[1].elevation = 1700;
  wp.records[1].flags = 0x40 | 0x02;
  std::strcpy(wp.names[1].text, "Munich");
  std::strcpy(wp.countries[1].text, "DE");
  wp.records[2].position = GeoPoint{-36000, -18000};
  std::strcpy(wp.names[2].text, "South");
  for (int i = 0; i < 4; ++i) {
    TaskPoint p;
    p.kind = i < 2 ? kPointUserWaypoint : 0;
    p.index = i < 2 ? i + 1 : 0;
    p.lon = 1000 * i;
    p.lat = 2000 * i;
    ActiveTask().Append(p);
  }
  ASSERT_EQ(IgcLogOpen(*app, "051026", "101500"), S_OK);
  IgcLogClose(*app);
  const auto files = Files();
  ASSERT_EQ(files, std::vector<std::string>{"6A5X10B1.igc"});
  const auto lines = Lines(files[0]);
  const std::vector<std::string> expected = {
      "AQCM10B",
      "HFDTE051026",
      "HFFXA100",
      "HFPLTPILOT:Ada Lovelace",
      "HFGTYGLIDERTYPE:ASW 28",
      "HFGIDGLIDERID:D-1234",
      "HFDTM100GPSDATUM:WGS84",
      "HFRFWFIRMWAREVERSION:Cumulor 9.00b",
      "HFRHWHARDWAREVERSION:KV Ultra",
      "HFCIDCOMPETITIONID:AL",
      "HFCCLCOMPETITIONCLASS:Standard",
      "I023638TRT3941GSP",
      "C0510261015000510260001" "02",
      "C4807036N01131000EMunich",
      "C4807036N01131000EMunich",
      "C0030000S00100000WSouth",
      "C0006666N00003333E",
      "C0010000N00005000E",
      "C0010000N00005000E",
  };
  ASSERT_GE(lines.size(), expected.size() + 4);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
  EXPECT_EQ(lines[19].rfind("LQCMM Log generated by Cumulor - see ", 0), 0u);
  EXPECT_EQ(lines[20], "LQCMNMUC4807036N01131000E001700    HA      Munich          DE");
  EXPECT_EQ(lines[21], "LQCMN0030000S00100000W000000             South            ");
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[22].size(), 7u);
  EXPECT_EQ(lines[22][0], 'G');
}

TEST_F(IgcLog, ShortNamesCountTheFlightsOfADay) {
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(IgcLogOpen(*app, "051026", "101500"), S_OK);
    IgcLogClose(*app);
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"6A5X0001.igc", "6A5X0002.igc"}));
}

TEST_F(IgcLog, LongNamesNeverReplaceAnEarlierLog) {
  app->igcLongFileNames = 1;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(IgcLogOpen(*app, "051026", "101500"), S_OK);
    StoreFix(app->gps, Fix(100, 1, 1));
    IgcLogClose(*app);
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"KV260601_1200.igc", "KV260601_1200_2.igc", "KV260601_1200_3.igc"}));
  for (const auto& f : Files()) EXPECT_EQ(Lines(f)[0], "AQCM000") << f;
}

TEST_F(IgcLog, FailuresAreReportedAndEndTheLog) {
  app->dataFolder.Set(u"\\no\\such\\folder");
  EXPECT_NE(IgcLogOpen(*app, "051026", "101500"), S_OK);
  EXPECT_EQ(app->igcFile, INVALID_HANDLE_VALUE);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], u"IGC Log Failed");

  app->dataFolder.Set(u"");
  ASSERT_EQ(IgcLogOpen(*app, "051026", "101500"), S_OK);
  ce::files::FileSystemSeam::Get().SetDiskFull(true);
  EXPECT_EQ(IgcWriteB(app->gps, Fix(100, 1, 1)), E_FAIL);
  EXPECT_EQ(app->igcFile, INVALID_HANDLE_VALUE);
  StoreFix(app->gps, Fix(101, 1, 1));  // nothing more is written
  EXPECT_NE(WriteGRecord(*app, app->igcFile), S_OK);
}

TEST_F(IgcLog, ADiskThatFillsMidFlightLeavesTheLogEndingAtItsLastWholeBLine) {
  // Each B line is 43 bytes with its CR LF; the room left runs out at the start, inside and at the
  // end of the fourth one.
  constexpr std::uint64_t kLine = 43;
  for (const std::uint64_t extra : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{20}, kLine - 1}) {
    SCOPED_TRACE("room for three B lines and " + std::to_string(extra) + " bytes");
    for (const auto& f : Files()) std::filesystem::remove(Folder() / f);
    shown.clear();
    app->gps.bRecordCountdown = 0;
    app->fixRate = 1;
    ASSERT_EQ(IgcLogOpen(*app, "051026", "101500"), S_OK);
    std::memcpy(app->gps.utcText, "101500", 7);
    ce::files::FileSystemSeam::Get().SetRoomLeft(3 * kLine + extra);
    // A played-in flight: a fix a second, each stored as the reader stores it.
    for (std::uint32_t t = 0; t < 10; ++t) StoreFix(app->gps, Fix(36900 + t, 500, 520));
    EXPECT_EQ(app->igcFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"IGC Log Failed"}));
    ce::files::FileSystemSeam::Get().SetRoomLeft(std::nullopt);
    // Room again: nothing more goes into the closed log, and the G line at shutdown fails.
    StoreFix(app->gps, Fix(37000, 500, 520));
    IgcLogClose(*app);
    const std::vector<std::string> lines = Lines(Files().at(0));
    ASSERT_GE(lines.size(), 4u);
    std::size_t b = 0;
    for (const std::string& line : lines) {
      EXPECT_EQ(line.find("<no CR LF>"), std::string::npos) << line;
      if (line[0] == 'B') {
        EXPECT_EQ(line.size() + 2, kLine) << line;
        ++b;
      }
    }
    EXPECT_EQ(b, 3u);
    EXPECT_EQ(lines.back()[0], 'B');
  }
}

}  // namespace
