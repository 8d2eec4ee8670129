// The flight computer fed by the flight runner as a process: a generated flight played in as live
// NMEA leaves an IGC log that ends with a G line and that gpsbabel, an independent IGC reader,
// reads back at the flight's positions within the B line's and the program's precision; garbled NMEA, a broken IGC
// file to replay and data files gone missing leave the program up until it is quit.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>

#include "tests/cumulor/nav_replay/igc_test_util.h"
#include "tools/flightgen/flight_generator.h"

namespace {

namespace fs = std::filesystem;

class FlightRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "flightdemo-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }
  // Runs the runner; its exit code (output in run.log of the output folder).
  int Run(const std::string& arguments) {
    const std::string command = std::string(FLIGHTDEMO_PATH) + " --out '" + Out().string() + "' --device '" +
                                (dir_ / "device").string() + "' " + arguments + " > '" +
                                (dir_ / "run.log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  fs::path Out() const { return dir_ / "out"; }
  // Ten minutes from 11:00:00 UTC, a fix a second, in the demonstration area.
  fs::path ShortFlight() const {
    flightgen::Options options;
    options.minutes = 10;
    options.interval = 1;
    options.startSeconds = 11 * 3600;
    options.seed = 21;
    const fs::path flight = dir_ / "short.igc";
    std::ofstream(flight, std::ios::binary) << flightgen::GenerateFlight(options);
    return flight;
  }
  std::string Log() const { return Read(dir_ / "run.log") + Read(Out() / "cumulor.log"); }
  static std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<fs::path> Logs() const {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Out(), ec))
      if (e.path().extension() == ".igc" || e.path().extension() == ".IGC") out.push_back(e.path());
    return out;
  }
  fs::path dir_;
};

std::string LastLine(const std::string& text) {
  std::size_t end = text.find_last_not_of("\r\n");
  if (end == std::string::npos) return "";
  const std::size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

TEST_F(FlightRun, APlayedInFlightLeavesALogGpsbabelReadsAtTheFlightsPositions) {
  if (std::system("gpsbabel -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "gpsbabel is not installed";
  // The short flight played in at 200 fixes a second.
  const fs::path flight = ShortFlight();
  ASSERT_EQ(Run("--mode played --rate 200 --flight '" + flight.string() + "'"), 0) << Log();
  EXPECT_TRUE(fs::exists(Out() / "start.png"));
  EXPECT_TRUE(fs::exists(Out() / "end.png"));
  // A quarter, half and three quarters through the flight, and its last fix.
  for (const char* shot : {"fix-110229.png", "fix-110459.png", "fix-110729.png", "fix-110959.png"})
    EXPECT_TRUE(fs::exists(Out() / shot)) << shot << "\n" << Log();
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 1u) << Log();

  const std::string text = Read(logs[0]);
  EXPECT_EQ(LastLine(text).substr(0, 1), "G") << LastLine(text);

  std::map<int, std::pair<double, double>> played;  // time -> latitude, longitude
  for (const auto& b : igc_test::DecodeB(flight)) played[b.seconds] = {b.lat, b.lon};
  const auto track = igc_test::GpsbabelTrack(logs[0], dir_ / "log.csv");
  ASSERT_GT(track.size(), played.size() / 4) << "gpsbabel read " << track.size() << " of " << played.size();
  EXPECT_EQ(track.size(), igc_test::DecodeB(logs[0]).size());
  // The program holds positions in tenths of an arc-second and its B line in thousandths of a
  // minute, each truncated: the logged position is the played one within one of each.
  const double precision = 1.0 / 36000.0 + 1.0 / 60000.0 + 1e-9;
  for (const auto& p : track) {
    const auto at = played.find(p.seconds);
    ASSERT_NE(at, played.end()) << "a logged time the flight does not have: " << p.seconds;
    EXPECT_NEAR(p.lat, at->second.first, precision) << p.seconds;
    EXPECT_NEAR(p.lon, at->second.second, precision) << p.seconds;
  }
}

// The program's own replay (in the simulator) at x100: each screenshot waits for the replayed
// flight to reach its time (the simulator's fixes before the replay carry the clock's time), and
// the map moves between them.
TEST_F(FlightRun, TheReplayedFlightMovesTheMapBetweenItsScreenshots) {
  const fs::path flight = ShortFlight();
  // Replayed fixes at x100: 11:00:00, 11:01:40, ... 11:08:20.
  ASSERT_EQ(Run("--mode replay --speed x100 --at 11:02:00,11:05:00,11:08:20 --flight '" + flight.string() + "'"), 0)
      << Log();
  std::vector<std::string> shots;
  for (const char* shot : {"fix-110200.png", "fix-110500.png", "fix-110820.png"}) {
    ASSERT_TRUE(fs::exists(Out() / shot)) << shot << "\n" << Log();
    shots.push_back(Read(Out() / shot));
  }
  EXPECT_NE(shots[0], shots[1]);
  EXPECT_NE(shots[1], shots[2]);
}

// A flight across midnight UTC, with screenshot times that leave out its last fix: each is taken
// when the flight reaches it (not all at the first fix), and the runner waits for the latest.
TEST_F(FlightRun, ScreenshotsOfAFlightAcrossMidnightAreTakenWhenTheFlightReachesThem) {
  flightgen::Options options;
  options.minutes = 10;
  options.interval = 1;
  options.startSeconds = 23 * 3600 + 55 * 60;
  options.seed = 21;
  const fs::path flight = dir_ / "midnight.igc";
  std::ofstream(flight, std::ios::binary) << flightgen::GenerateFlight(options);
  ASSERT_EQ(Run("--mode played --rate 200 --at 00:02:00,23:57:00 --flight '" + flight.string() + "'"), 0) << Log();
  ASSERT_TRUE(fs::exists(Out() / "fix-235700.png")) << Log();
  ASSERT_TRUE(fs::exists(Out() / "fix-000200.png")) << Log();
  EXPECT_NE(Read(Out() / "fix-235700.png"), Read(Out() / "fix-000200.png"));
}

TEST_F(FlightRun, BadInputLeavesTheProgramUpUntilItIsQuit) {
  // Garbled NMEA: random bytes, cut sentences, wrong checksums, a few good sentences between them.
  std::mt19937 random(5);
  std::string garbled;
  for (int i = 0; i < 300; ++i) {
    switch (i % 5) {
      case 0:
        for (int k = 0; k < 80; ++k) {
          const char c = static_cast<char>(random() % 256);
          garbled += c == '\n' || c == '\r' ? 'x' : c;
        }
        break;
      case 1: garbled += "$GPRMC,120000.00,A,4716.0000,N,01121.0000,E,058.3,045.0,010626,,,A*00"; break;
      case 2: garbled += "$GPGGA,1200"; break;
      case 3: garbled += "$GPRMC,1200" + std::to_string(i % 60 + 10) + ",A,4716.000,N,01121.000,E,58.3,45.0,010626,,"; break;
      default: garbled += "$PGRMZ,,,,,,,*,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"; break;
    }
    garbled += "\r\n";
  }
  std::ofstream(dir_ / "garbled.nmea", std::ios::binary) << garbled;
  EXPECT_EQ(Run("--mode played --rate 500 --at none --seconds 2 --flight '" + (dir_ / "garbled.nmea").string() + "'"), 0)
      << Log();
  EXPECT_TRUE(fs::exists(Out() / "end.png")) << Log();

  // A broken IGC file to replay: damaged and cut records, garbage, no end.
  std::string broken = "AXGN001\r\nHFDTE010626\r\nB1200004716000N01121000EA0100001000\r\n"
                       "B12000147160\r\nBxx0002471600xN01121000EA0100001000\r\n";
  for (int i = 0; i < 200; ++i) broken += static_cast<char>(random() % 256);
  broken += "\r\nB1200034716000N01121000EA01000";
  std::ofstream(dir_ / "broken.igc", std::ios::binary) << broken;
  fs::remove_all(Out());
  EXPECT_EQ(Run("--mode replay --at none --seconds 3 --flight '" + (dir_ / "broken.igc").string() + "'"), 0) << Log();
  EXPECT_TRUE(fs::exists(Out() / "end.png")) << Log();

  // Every data file the settings name gone: the program starts, flies the simulator and quits.
  fs::remove_all(Out());
  EXPECT_EQ(Run("--mode sim --seconds 2 --remove Demo_Waypoints.dat --remove Demo_Airspace.txt --remove KV_TASKS.xml "
                "--remove Demo_Area.kv3 --remove rivers.shp --remove roads.shp"),
            0)
      << Log();
  EXPECT_TRUE(fs::exists(Out() / "end.png")) << Log();
  // The device has its storage card, where the Profiles command keeps the pilot's profiles.
  EXPECT_TRUE(fs::is_directory(dir_ / "device" / "root" / "Storage Card")) << Log();
}

}  // namespace
