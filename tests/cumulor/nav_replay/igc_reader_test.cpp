// The two IGC readers against the real flights of the test data (an independent decode of their
// B records and gpsbabel's reading of them), small files showing header forms, damage and the
// program's own logs, and random damage under the sanitizers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "cumulor/nav/replay/igc_flight_reader.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_replay/igc_test_util.h"
#include "tests/testdata.h"

using namespace cumulor;

namespace {

const std::filesystem::path kFlights = test_data::Folder("igc");

std::uint16_t Track(const GeoPoint& from, const GeoPoint& to) {
  double bearing = 0.0;
  GeoBearing(bearing, from, to);
  int degrees = static_cast<int>(bearing * 57.2957795131) % 360;
  return static_cast<std::uint16_t>(degrees < 0 ? degrees + 360 : degrees);
}

class IgcReader : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(Docs());
    app_ = std::make_unique<AppContext>();
  }
  void TearDown() override {
    IgcFileClose(*app_);
    FreeIgcFixes(*app_);
    app_.reset();
    DeviceTest::TearDown();
  }
  std::filesystem::path Docs() const { return device_folder() / "root" / "My Documents"; }
  // The real file, linked (not copied) into "\My Documents".
  std::u16string Link(const std::filesystem::path& real) {
    std::filesystem::create_symlink(real, Docs() / real.filename());
    return u"\\My Documents\\" + std::filesystem::path(real.filename()).u16string();
  }
  std::u16string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Docs() / name, std::ios::binary) << bytes;
    return u"\\My Documents\\" + std::filesystem::path(name).u16string();
  }
  std::vector<GpsFix> Load(const std::u16string& path) {
    EXPECT_EQ(IgcFileOpen(*app_, path.c_str()), S_OK);
    EXPECT_EQ(LoadIgcFixes(*app_), S_OK);
    const LoadedFlight& f = app_->loadedFlight;
    return std::vector<GpsFix>(f.fixes, f.fixes + f.FixCount());
  }
  std::unique_ptr<AppContext> app_;
};

TEST_F(IgcReader, LoadedFixesAreTheValidBRecordsOfEachRealFlight) {
  SKIP_WITHOUT_TEST_DATA(kFlights);
  for (const auto& file : igc_test::Flights(kFlights)) {
    SCOPED_TRACE(file.filename().string());
    std::vector<igc_test::BRecord> valid;
    for (const auto& b : igc_test::DecodeB(file))
      if (b.valid) valid.push_back(b);
    const std::vector<GpsFix> fixes = Load(Link(file));
    ASSERT_EQ(fixes.size(), valid.size());
    EXPECT_EQ(app_->loadedFlight.count, static_cast<std::int32_t>(valid.size()) + 1);
    EXPECT_EQ(app_->loadedFlight.file, INVALID_HANDLE_VALUE);  // closed at the end
    EXPECT_EQ(app_->loadedFlight.startPosition, fixes[2].position);
    for (std::size_t i = 0; i < fixes.size(); ++i) {
      const GpsFix& f = fixes[i];
      ASSERT_NEAR(f.position.lat, igc_test::Units(valid[i].lat), 1.0) << i;
      ASSERT_NEAR(f.position.lon, igc_test::Units(valid[i].lon), 1.0) << i;
      ASSERT_EQ(f.timeOfDay, static_cast<std::uint32_t>(valid[i].seconds)) << i;  // as written
      ASSERT_EQ(f.pressureAltitude, valid[i].pressure) << i;
      ASSERT_EQ(f.gpsAltitude, valid[i].gps) << i;
      ASSERT_EQ(f.groundSpeed, 0.0f);
      ASSERT_EQ(f.airspeed, 0.0f);
      ASSERT_EQ(f.track, i == 0 ? 0 : Track(fixes[i - 1].position, f.position)) << i;
    }
  }
}

TEST_F(IgcReader, FlightReaderKeepsEveryRecordAndCountsOnPastMidnight) {
  SKIP_WITHOUT_TEST_DATA(kFlights);
  for (const auto& file : igc_test::Flights(kFlights)) {
    SCOPED_TRACE(file.filename().string());
    const auto records = igc_test::DecodeB(file);
    DynArray<GpsFix> fixes;
    FlightInfo info;
    ASSERT_EQ(ReadIgcFlight(Link(file).c_str(), fixes, info), 1);
    ASSERT_EQ(fixes.Size(), static_cast<std::int32_t>(records.size()));
    std::uint32_t day = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (i > 0 && records[i].seconds < records[i - 1].seconds) day = 86400;
      ASSERT_EQ(fixes[static_cast<std::int32_t>(i)].timeOfDay, records[i].seconds + day) << i;
    }
    EXPECT_EQ(info.fixInterval, static_cast<std::int32_t>(fixes[3].timeOfDay - fixes[2].timeOfDay));
  }
  struct Header {
    const char* file;
    int year, month, day;
    const char* pilot;
    const char* competitionId;
  } headers[] = {
      {"new_zealand.igc", 2009, 11, 6, "some_pilot", ""},
      {"2ALGB9D1.IGC", 2022, 10, 21, "Jason Leonard", "2JZ"},  // "HFDTEDATE:" first
      {"2007-04-22-FLY-5094-01.igc", 2007, 4, 22, "Tom Payne         ", ""},
      {"0037.igc", 2023, 10, 7, "Jacob", "NIL"},
  };
  for (const Header& h : headers) {
    SCOPED_TRACE(h.file);
    DynArray<GpsFix> fixes;
    FlightInfo info;
    ASSERT_EQ(ReadIgcFlight((u"\\My Documents\\" + std::filesystem::path(h.file).u16string()).c_str(), fixes, info), 1);
    EXPECT_EQ(info.year, h.year);
    EXPECT_EQ(info.month, h.month);
    EXPECT_EQ(info.day, h.day);
    EXPECT_STREQ(info.pilot, h.pilot);
    EXPECT_STREQ(info.competitionId, h.competitionId);
  }
}

TEST_F(IgcReader, BothReadersAgreeWithGpsbabel) {
  SKIP_WITHOUT_TEST_DATA(kFlights);
  if (std::system("gpsbabel -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "gpsbabel is not installed";
  for (const auto& file : igc_test::Flights(kFlights)) {
    SCOPED_TRACE(file.filename().string());
    const auto track = igc_test::GpsbabelTrack(file, device_folder() / "track.csv");
    const auto records = igc_test::DecodeB(file);
    ASSERT_EQ(track.size(), records.size());
    const std::u16string path = Link(file);
    // The fix reader: the valid records, times as written.
    const std::vector<GpsFix> fixes = Load(path);
    std::size_t k = 0;
    for (std::size_t i = 0; i < track.size(); ++i) {
      if (!records[i].valid) continue;
      ASSERT_LT(k, fixes.size());
      ASSERT_NEAR(fixes[k].position.lat, igc_test::Units(track[i].lat), 1.0) << i;
      ASSERT_NEAR(fixes[k].position.lon, igc_test::Units(track[i].lon), 1.0) << i;
      ASSERT_EQ(fixes[k].timeOfDay, static_cast<std::uint32_t>(track[i].seconds)) << i;
      ++k;
    }
    EXPECT_EQ(k, fixes.size());
    // The flight reader: every record, a day later after midnight.
    DynArray<GpsFix> all;
    FlightInfo info;
    ASSERT_EQ(ReadIgcFlight(path.c_str(), all, info), 1);
    ASSERT_EQ(all.Size(), static_cast<std::int32_t>(track.size()));
    for (std::int32_t i = 0; i < all.Size(); ++i) {
      const auto& t = track[static_cast<std::size_t>(i)];
      ASSERT_NEAR(all[i].position.lat, igc_test::Units(t.lat), 1.0) << i;
      ASSERT_NEAR(all[i].position.lon, igc_test::Units(t.lon), 1.0) << i;
      ASSERT_EQ(all[i].timeOfDay, static_cast<std::uint32_t>(t.day * 86400 + t.seconds)) << i;
    }
  }
}

TEST_F(IgcReader, AFileGpsbabelWritesFromAGeneratedTrackReadsBack) {
  if (std::system("gpsbabel -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "gpsbabel is not installed";
  // 150 points a second apart from 23:59:00, crossing midnight, south-west of the equator and
  // north-east of it.
  for (const double sign : {1.0, -1.0}) {
    std::ofstream csv(device_folder() / "gen.csv");
    csv << "No,Latitude,Longitude,Altitude,Date,Time\n";
    std::vector<igc_test::TrackPoint> points;
    for (int i = 0; i < 150; ++i) {
      const int t = 23 * 3600 + 59 * 60 + i;
      igc_test::TrackPoint p{sign * (47.1 + i * 0.0011), sign * (11.2 - i * 0.0017), t / 86400, t % 86400};
      points.push_back(p);
      char row[128];
      std::snprintf(row, sizeof row, "%d,%.6f,%.6f,%d,2026/06/%02d,%02d:%02d:%02d\n", i + 1, p.lat, p.lon, 1000 + i,
                    1 + p.day, p.seconds / 3600, p.seconds / 60 % 60, p.seconds % 60);
      csv << row;
    }
    csv.close();
    const std::string command = "gpsbabel -t -i unicsv,utc=0 -f '" + (device_folder() / "gen.csv").string() +
                                "' -o igc -F '" + (Docs() / "gen.igc").string() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<GpsFix> fixes = Load(u"\\My Documents\\gen.igc");
    DynArray<GpsFix> all;
    FlightInfo info;
    ASSERT_EQ(ReadIgcFlight(u"\\My Documents\\gen.igc", all, info), 1);
    ASSERT_EQ(fixes.size(), points.size());
    ASSERT_EQ(all.Size(), static_cast<std::int32_t>(points.size()));
    EXPECT_EQ(info.year, 2026);
    for (std::size_t i = 0; i < points.size(); ++i) {
      // IGC keeps thousandths of a minute: within a unit of the generated position.
      EXPECT_NEAR(fixes[i].position.lat, igc_test::Units(points[i].lat), 1.0) << i;
      EXPECT_NEAR(fixes[i].position.lon, igc_test::Units(points[i].lon), 1.0) << i;
      EXPECT_EQ(fixes[i].timeOfDay, static_cast<std::uint32_t>(points[i].seconds));
      EXPECT_EQ(all[static_cast<std::int32_t>(i)].timeOfDay, static_cast<std::uint32_t>(points[i].day * 86400 + points[i].seconds));
      EXPECT_EQ(fixes[i].gpsAltitude, 1000 + static_cast<int>(i));
    }
    FreeIgcFixes(*app_);
  }
}

// A header, then the B lines given, then L lines up to `lines` lines in all.
std::string SmallLog(const std::string& header, const std::vector<std::string>& b, int lines = 130) {
  std::string s = header;
  int n = 0;
  for (char c : header) n += c == '\n';
  for (const auto& line : b) {
    s += line + "\r\n";
    ++n;
  }
  while (n++ < lines) s += "LXXXfiller\r\n";
  return s;
}

TEST_F(IgcReader, HeaderDatesOwnLogsAndTheLocalClock) {
  struct Case {
    const char* line;
    int year, month, day;
  } dates[] = {
      {"HFDTE150707", 2007, 7, 15},         {"HFDTE010199", 1999, 1, 1},  {"HFDTEDATE:211022,01", 2022, 10, 21},
      {"HFDTE010185", 2085, 1, 1},          {"HFDTE010186", 1986, 1, 1},  {"HFDTE3x0707", 0, 0, 0},
      {"HFDTE", 0, 0, 0},                   {"HFDTE321399", 0, 0, 0},
  };
  for (const Case& c : dates) {
    SCOPED_TRACE(c.line);
    const std::string text = std::string(c.line) + "\r\nB1200004807036N01131000EA0061000632\r\n";
    TextLines lines = SplitTextLines(text.data(), static_cast<std::int32_t>(text.size()));
    IgcLineSource source{&lines, 0};
    app_->loadedFlight.year = app_->loadedFlight.month = app_->loadedFlight.day = 0;
    GpsFix fix;
    ASSERT_EQ(ReadIgcFix(*app_, fix, &source), S_OK);
    EXPECT_EQ(app_->loadedFlight.year, c.year);
    EXPECT_EQ(app_->loadedFlight.month, c.month);
    EXPECT_EQ(app_->loadedFlight.day, c.day);
  }

  // The program's own log: track and speed from the record, with "TAS" the airspeed and vario.
  app_->timeZone = 2;
  const std::string own = SmallLog("AQCM000\r\nHFDTE051026\r\nI033638TRT3941GSP4247TAS\r\n",
                                   {"B2300004807036N01131000EA0061000632084041090-12",
                                    "B2300014807036N01131000EA-001200632359100",  // no TAS group: airspeed = speed
                                    "B2300024807036N01131000EV0061000632084041090-12"});
  const std::vector<GpsFix> fixes = Load(Write("own.igc", own));
  ASSERT_EQ(fixes.size(), 2u);  // the 'V' record skipped
  EXPECT_EQ(fixes[0].position, (GeoPoint{414600, 1732221}));
  EXPECT_EQ(fixes[0].track, 84);
  EXPECT_FLOAT_EQ(fixes[0].groundSpeed, static_cast<float>(41 * 0.539968));
  EXPECT_FLOAT_EQ(fixes[0].airspeed, static_cast<float>(90 * 0.539968));
  EXPECT_FLOAT_EQ(fixes[0].verticalSpeed, -1.2f);
  EXPECT_EQ(fixes[0].localHour, 1);  // 23 h UTC + 2
  EXPECT_EQ(fixes[0].timeOfDay, 23u * 3600);
  EXPECT_EQ(fixes[1].pressureAltitude, -12);
  EXPECT_EQ(fixes[1].track, 359);
  EXPECT_FLOAT_EQ(fixes[1].airspeed, fixes[1].groundSpeed);
  EXPECT_EQ(fixes[1].verticalSpeed, 0.0f);
  EXPECT_EQ(app_->loadedFlight.year, 2026);
}

TEST_F(IgcReader, DamagedRecordsAreSkippedOrEndTheReading) {
  const std::string good = "B1200004807036N01131000EA0061000632";
  const std::vector<std::string> damaged = {
      "B",
      "B12",
      "B1200004807036N01131000EA",          // no altitudes
      "B1200004807036N01131000EA00610",     // half of them
      "B2500004807036N01131000EA0061000632",  // hour 25
      "B12000x4807036N01131000EA0061000632",
      "B120000480703xN01131000EA0061000632",  // no position
      "B1200009507036N01131000EA0061000632",  // past the pole
      "B1200004807036N01131000EA00x1000632",
      "B1200004807 36N01131000EA0061000632",  // a blank inside the minutes
      "B120000480703 N01131000EA0061000632",
      "B1200004807036X01131000EA0061000632",  // no hemisphere letter
      "B1200004807036N01131000QA0061000632",
      "B1200004860036N01131000EA0061000632",  // 60 minutes
  };
  // The fix reader skips each damaged record and reads the good one after it.
  for (const std::string& bad : damaged) {
    SCOPED_TRACE(bad);
    const std::string text = bad + "\r\n" + good + "\r\n";
    TextLines lines = SplitTextLines(text.data(), static_cast<std::int32_t>(text.size()));
    IgcLineSource source{&lines, 0};
    GpsFix fix;
    ASSERT_EQ(ReadIgcFix(*app_, fix, &source), S_OK);
    EXPECT_EQ(fix.position, (GeoPoint{414600, 1732221}));
    EXPECT_EQ(ReadIgcFix(*app_, fix, &source), E_FAIL);
  }
  // A line too long for the line buffer is passed over; the records after it are read.
  const std::vector<GpsFix> fixes = Load(Write("long.igc", SmallLog("AXXX\r\n", {good, "L" + std::string(600, 'x'), good})));
  EXPECT_EQ(fixes.size(), 2u);
  // The flight reader drops records without a position and ends at other damage with 0.
  DynArray<GpsFix> all;
  FlightInfo info;
  EXPECT_EQ(ReadIgcFlight(Write("a.igc", SmallLog("AXXX\r\n", {good, "B120001480703xN01131000EA0061000632", good})).c_str(),
                          all, info),
            1);
  EXPECT_EQ(all.Size(), 2);
  EXPECT_EQ(ReadIgcFlight(Write("b.igc", SmallLog("AXXX\r\n", {good, good, "B120002", good})).c_str(), all, info), 0);
  EXPECT_EQ(all.Size(), 2);
}

TEST_F(IgcReader, FilesWithCarriageReturnLineEndsAreReadByBothReaders) {
  const std::string good = "B1200004807036N01131000EA0061000632";
  const std::string second = "B1200084807036N01131001EA0061000632";
  std::string text = SmallLog("AXXX\r\nHFDTE150707\r\n", {good, second});
  std::string crOnly;
  for (char c : text)
    if (c != '\n') crOnly += c;
  const std::vector<GpsFix> fixes = Load(Write("cr.igc", crOnly));
  ASSERT_EQ(fixes.size(), 2u);
  EXPECT_EQ(fixes[1].timeOfDay, 12u * 3600 + 8);
  DynArray<GpsFix> all;
  FlightInfo info;
  EXPECT_EQ(ReadIgcFlight(Write("cr2.igc", crOnly).c_str(), all, info), 1);
  EXPECT_EQ(all.Size(), 2);
  EXPECT_EQ(info.year, 2007);
}

TEST_F(IgcReader, FlightReaderRefusesShortFilesAndNeedsNoFourthFix) {
  const std::string header = "AXXX\r\nHFDTE150707\r\nHFPLTPILOT:Ann\r\n";
  const std::string b1 = "B1200004807036N01131000EA0061000632";
  const std::string b2 = "B1200084807036N01131001EA0061000632";
  DynArray<GpsFix> fixes;
  FlightInfo info;
  EXPECT_EQ(ReadIgcFlight(Write("99.igc", SmallLog(header, {b1, b2}, 99)).c_str(), fixes, info), 0);
  EXPECT_EQ(ReadIgcFlight(Write("100.igc", SmallLog(header, {b1, b2}, 100)).c_str(), fixes, info), 1);
  EXPECT_EQ(fixes.Size(), 2);
  EXPECT_EQ(info.fixInterval, 1000);  // fewer than four fixes
  EXPECT_EQ(fixes[1].track, Track(fixes[0].position, fixes[1].position));
  // 81 header lines leave 19 after them: refused, with the header read.
  std::string longHeader = header;
  for (int i = 0; i < 78; ++i) longHeader += "HFXXX:x\r\n";
  EXPECT_EQ(ReadIgcFlight(Write("19.igc", SmallLog(longHeader, {b1, b2}, 100)).c_str(), fixes, info), 0);
  EXPECT_STREQ(info.pilot, "Ann");
  EXPECT_EQ(info.year, 2007);
  EXPECT_EQ(ReadIgcFlight(u"\\My Documents\\none.igc", fixes, info), 0);
}

TEST_F(IgcReader, ALineSourceGivesSpeedsFromThePreviousFix) {
  const std::string text =
      "AXXX\r\nB1200004807036N01131000EA0061000632\r\nB1200104807536N01131000EA0061000632\r\n";
  TextLines lines = SplitTextLines(text.data(), static_cast<std::int32_t>(text.size()));
  IgcLineSource source{&lines, 0};
  app_->gps.replayActive = 1;
  GpsFix a, b;
  ASSERT_EQ(ReadIgcFix(*app_, a, &source), S_OK);
  ASSERT_EQ(ReadIgcFix(*app_, b, &source), S_OK);
  EXPECT_EQ(b.mark, 1);
  const double knots = GeoDistance(a.position, b.position) / 10.0 * 1.943844;
  EXPECT_NEAR(b.groundSpeed, knots, 1e-3);
  EXPECT_EQ(b.airspeed, b.groundSpeed);
  EXPECT_EQ(b.track, 0);  // due north
}

TEST_F(IgcReader, TheProgramsOwnLogReadsBackToTheFixesItLogged) {
  GpsPortInit(app_->gps, app_.get());
  FixBufferReserve(app_->gps, 180);
  ASSERT_EQ(IgcLogOpen(*app_, "010626", nullptr), S_OK);
  std::vector<GpsFix> logged;
  for (int i = 0; i < 40; ++i) {
    GpsFix f;
    f.position = GeoPoint{414600 + 37 * i, -1732222 + 53 * i * (i % 3)};
    f.timeOfDay = 23 * 3600 + 59 * 60 + 50 + i;  // across midnight: the log writes the time of day
    f.pressureAltitude = static_cast<std::int16_t>(-30 + 7 * i);
    f.gpsAltitude = static_cast<std::int16_t>(12 + 5 * i);
    f.track = static_cast<std::uint16_t>((i * 47) % 360);
    f.groundSpeed = 10.0f + 1.3f * static_cast<float>(i);
    StoreFix(app_->gps, f);
    logged.push_back(f);
  }
  IgcLogClose(*app_);
  GpsPortTerm(app_->gps);
  std::filesystem::path log;
  for (const auto& e : std::filesystem::directory_iterator(device_folder() / "root" / "Cumulor_IGC_Files")) log = e.path();
  ASSERT_FALSE(log.empty());
  const std::vector<GpsFix> fixes = Load(u"\\Cumulor_IGC_Files\\" + log.filename().u16string());
  EXPECT_EQ(app_->loadedFlight.ownFile, 1);
  ASSERT_EQ(fixes.size(), logged.size());
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    // Thousandths of a minute: within a unit of the position logged.
    EXPECT_NEAR(fixes[i].position.lon, logged[i].position.lon, 1) << i;
    EXPECT_NEAR(fixes[i].position.lat, logged[i].position.lat, 1) << i;
    EXPECT_EQ(fixes[i].timeOfDay, logged[i].timeOfDay % 86400) << i;
    EXPECT_EQ(fixes[i].pressureAltitude, logged[i].pressureAltitude) << i;
    EXPECT_EQ(fixes[i].gpsAltitude, logged[i].gpsAltitude) << i;
    EXPECT_EQ(fixes[i].track, logged[i].track) << i;
    const int kmh = static_cast<int>(logged[i].groundSpeed * 1.852);
    EXPECT_FLOAT_EQ(fixes[i].groundSpeed, static_cast<float>(kmh * 0.539968)) << i;
    EXPECT_EQ(fixes[i].airspeed, fixes[i].groundSpeed);
  }
}

TEST_F(IgcReader, RandomDamageIsReadSafely) {
  SKIP_WITHOUT_TEST_DATA(kFlights);
  // The first 140 lines of a real flight, then bytes changed, cut or repeated at random.
  std::ifstream in(kFlights / "2ALGB9D1.IGC", std::ios::binary);
  std::string base, line;
  for (int i = 0; i < 140 && std::getline(in, line); ++i) base += line + "\n";
  std::mt19937 random(20261210);
  const char pool[] = "B0123456789NSEWAV-:\r\n\x1a\xff ";
  for (int round = 0; round < 150; ++round) {
    std::string bytes = base;
    const int edits = 1 + static_cast<int>(random() % 40);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
      const std::size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0: bytes[at] = pool[random() % (sizeof pool - 1)]; break;
        case 1: bytes.erase(at, random() % 50); break;
        default: bytes.insert(at, bytes.substr(at, random() % 80)); break;
      }
    }
    if (round % 10 == 0) bytes.resize(random() % bytes.size());
    const std::u16string path = Write("fuzz.igc", bytes);
    Load(path);
    const LoadedFlight& f = app_->loadedFlight;
    for (std::int32_t i = 0; i < f.FixCount(); ++i) ASSERT_LT(f.fixes[i].timeOfDay, 86400u);
    DynArray<GpsFix> all;
    FlightInfo info;
    ReadIgcFlight(path.c_str(), all, info);
    TextLines lines = SplitTextLines(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    IgcLineSource source{&lines, 0};
    GpsFix fix;
    while (ReadIgcFix(*app_, fix, &source) == S_OK) {
    }
  }
}

}  // namespace
