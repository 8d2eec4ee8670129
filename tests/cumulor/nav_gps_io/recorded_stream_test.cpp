// End to end: recorded receiver output, with pressure-altitude sentences and damaged sentences
// mixed in, played through a pseudo-terminal into the GPS port. The fixes stored must match an
// independent decode of the same recording, and the IGC log written must pass a reader written
// here from the published IGC format and give back the positions played in.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_gps/nmea_test_util.h"
#include "tests/platform/serial/pty_far_end.h"
#include "tests/testdata.h"
#include "tests/cumulor/trail_lists.h"

using namespace cumulor;
using gps_test::WithChecksum;

namespace {

// The recordings live outside the project, in the shared test data; the test is skipped when
// their folder is absent.
const std::filesystem::path kRecordings = test_data::Folder("nmea-gpsd");

struct LatLon {
  double lat, lon;
};

// The independent decode: time "hhmmss" -> position, from the TPV objects of the .chk file.
std::map<std::string, LatLon> ReadDecode(const std::filesystem::path& path) {
  std::map<std::string, LatLon> out;
  std::ifstream in(path);
  std::string line;
  auto number = [&](const std::string& key, double& v) {
    const std::size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return false;
    v = std::strtod(line.c_str() + at + key.size() + 3, nullptr);
    return true;
  };
  while (std::getline(in, line)) {
    if (line.find("\"class\":\"TPV\"") == std::string::npos) continue;
    const std::size_t t = line.find("\"time\":\"");
    LatLon p;
    if (t == std::string::npos || !number("lat", p.lat) || !number("lon", p.lon)) continue;
    const std::string iso = line.substr(t + 8, 19);  // 2014-12-31T03:07:19
    out.emplace(iso.substr(11, 2) + iso.substr(14, 2) + iso.substr(17, 2), p);
  }
  return out;
}

bool ChecksumVerifies(const std::string& s) {
  const std::size_t star = s.find('*');
  if (star == std::string::npos || star + 3 > s.size()) return false;
  unsigned x = 0;
  for (std::size_t i = 1; i < star; ++i) x ^= static_cast<unsigned char>(s[i]);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", x);
  return s.compare(star + 1, 2, hex) == 0;
}

std::vector<std::string> Split(const std::string& s, char c) {
  std::vector<std::string> out;
  std::stringstream ss(s);
  std::string f;
  while (std::getline(ss, f, c)) out.push_back(f);
  return out;
}

struct Expected {
  std::string time;       // hhmmss
  std::int16_t altitude;  // metres, from the pressure-altitude sentence sent just before
};

struct Stream {
  std::string bytes;
  std::vector<Expected> fixes;
  int damaged = 0;
};

// The recording with a PGRMZ before every RMC, a corrupted copy before every fifth RMC and a
// truncated one before every seventh.
Stream BuildStream(const std::filesystem::path& log) {
  Stream s;
  std::ifstream in(log);
  std::string line;
  int rmc = 0;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.size() > 6 && line[0] == '$' && line[1] == 'G' && line.compare(3, 3, "RMC") == 0) {
      ++rmc;
      const int feet = 1000 + 10 * rmc;
      s.bytes += WithChecksum("$PGRMZ," + std::to_string(feet) + ",f,3");
      if (rmc % 5 == 0 && line.size() > 20) {
        std::string bad = line;
        bad[8] = bad[8] == '9' ? '8' : '9';  // another time, the checksum no longer matches
        s.bytes += bad + "\r\n";
        ++s.damaged;
      }
      if (rmc % 7 == 0) {
        s.bytes += line.substr(0, line.size() / 2) + "\r\n";
        ++s.damaged;
      }
      const auto f = Split(line, ',');
      if (ChecksumVerifies(line) && line.size() < 119 && f.size() > 2 && f[2] == "A" && f[1].size() >= 6)
        s.fixes.push_back({f[1].substr(0, 6), static_cast<std::int16_t>(feet * 0.30480370641307)});
    }
    s.bytes += line + "\r\n";
  }
  return s;
}

// --- An IGC reader written from the published format ------------------------------------------

bool Digits(const std::string& s, std::size_t at, std::size_t n) {
  if (at + n > s.size()) return false;
  for (std::size_t i = at; i < at + n; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}
int Num(const std::string& s, std::size_t at, std::size_t n) { return std::stoi(s.substr(at, n)); }

bool ValidDate(int d, int m, int y) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  (void)y;
  return m >= 1 && m <= 12 && d >= 1 && d <= kDays[m - 1];
}

bool AltitudeField(const std::string& s, std::size_t at) {
  if (at + 5 > s.size()) return false;
  return s[at] == '-' ? Digits(s, at + 1, 4) : Digits(s, at, 5);
}

struct IgcFix {
  std::string time;
  LatLon position;
  int pressure, gps;
};

// Checks the file and gives its B records; failures are reported through gtest.
void CheckIgc(const std::string& text, std::vector<IgcFix>& fixes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "every record ends with CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  EXPECT_FALSE(lines.empty());
  if (lines.empty()) return;
  EXPECT_EQ(lines[0][0], 'A') << "the A record comes first";
  EXPECT_GE(lines[0].size(), 4u);
  std::size_t bLength = 35;
  bool dated = false, seenB = false, seenG = false;
  int lastSeconds = -1;
  for (const std::string& l : lines) {
    ASSERT_FALSE(l.empty()) << "empty record";
    for (char c : l) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << "printable: " << l;
    EXPECT_NE(std::string("ABCDEFGHIJKL").find(l[0]), std::string::npos) << "record letter: " << l;
    EXPECT_FALSE(seenG) << "nothing after the G record: " << l;
    switch (l[0]) {
      case 'H':
        EXPECT_FALSE(seenB) << "headers before fixes";
        if (l.rfind("HFDTE", 0) == 0) {
          const std::size_t d = l.rfind("HFDTEDATE:", 0) == 0 ? 10 : 5;
          ASSERT_TRUE(Digits(l, d, 6)) << l;
          EXPECT_TRUE(ValidDate(Num(l, d, 2), Num(l, d + 2, 2), Num(l, d + 4, 2))) << l;
          dated = true;
        }
        break;
      case 'I': {
        ASSERT_TRUE(Digits(l, 1, 2)) << l;
        const int n = Num(l, 1, 2);
        ASSERT_EQ(l.size(), 3u + 7u * n) << l;
        std::size_t next = 36;
        for (int i = 0; i < n; ++i) {
          ASSERT_TRUE(Digits(l, 3 + 7 * i, 4)) << l;
          const std::size_t from = Num(l, 3 + 7 * i, 2), to = Num(l, 5 + 7 * i, 2);
          EXPECT_EQ(from, next) << l;
          EXPECT_GE(to, from) << l;
          next = to + 1;
        }
        bLength = next - 1;
        break;
      }
      case 'B': {
        seenB = true;
        ASSERT_EQ(l.size(), bLength) << l;
        ASSERT_TRUE(Digits(l, 1, 6) && Digits(l, 7, 7) && Digits(l, 15, 8)) << l;
        const int hh = Num(l, 1, 2), mm = Num(l, 3, 2), ss = Num(l, 5, 2);
        EXPECT_TRUE(hh < 24 && mm < 60 && ss < 60) << l;
        const int seconds = hh * 3600 + mm * 60 + ss;
        EXPECT_GE(seconds, lastSeconds) << "fix times go forward: " << l;
        lastSeconds = seconds;
        EXPECT_LE(Num(l, 7, 2), 90) << l;
        EXPECT_LT(Num(l, 9, 2), 60) << l;
        EXPECT_TRUE(l[14] == 'N' || l[14] == 'S') << l;
        EXPECT_LE(Num(l, 15, 3), 180) << l;
        EXPECT_LT(Num(l, 18, 2), 60) << l;
        EXPECT_TRUE(l[23] == 'E' || l[23] == 'W') << l;
        EXPECT_TRUE(l[24] == 'A' || l[24] == 'V') << l;
        EXPECT_TRUE(AltitudeField(l, 25) && AltitudeField(l, 30)) << l;
        EXPECT_TRUE(Digits(l, 35, bLength - 35)) << l;
        IgcFix f;
        f.time = l.substr(1, 6);
        f.position.lat = (Num(l, 7, 2) + Num(l, 9, 5) / 60000.0) * (l[14] == 'S' ? -1 : 1);
        f.position.lon = (Num(l, 15, 3) + Num(l, 18, 5) / 60000.0) * (l[23] == 'W' ? -1 : 1);
        f.pressure = std::stoi(l.substr(25, 5));
        f.gps = std::stoi(l.substr(30, 5));
        fixes.push_back(f);
        break;
      }
      case 'G':
        seenG = true;
        break;
      default:
        break;
    }
  }
  EXPECT_TRUE(dated) << "an HFDTE record";
  EXPECT_TRUE(seenG) << "a G record";
  EXPECT_EQ(lines.back()[0], 'G');
}

// --- The test ---------------------------------------------------------------------------------

class RecordedStream : public ce::testing::DeviceTest {};

TEST_F(RecordedStream, PlayedThroughAPseudoTerminal) {
  const char* kLogs[] = {"bu353s4.log", "skytraq-dgps.log", "telit-he910.log"};
  SKIP_WITHOUT_TEST_DATA(kRecordings);
  std::filesystem::create_directories(device_folder() / "root");
  int played = 0;
  for (const char* name : kLogs) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(std::filesystem::exists(kRecordings / name)) << "recording missing from " << kRecordings;
    const Stream stream = BuildStream(kRecordings / name);
    const auto decode = ReadDecode(kRecordings / (std::string(name) + ".chk"));
    ASSERT_GE(stream.fixes.size(), 10u);
    ASSERT_GT(stream.damaged, 2);

    auto app = std::make_unique<AppContext>();
    app->abortEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    app->fixRate = 3;
    const std::string folder = "\\flight" + std::to_string(played);
    std::filesystem::create_directories(device_folder() / "root" / folder.substr(1));
    app->dataFolder.Set(std::u16string(folder.begin(), folder.end()).c_str());
    GpsPortInit(app->gps, app.get());
    ASSERT_EQ(FixBufferReserve(app->gps, 2000), S_OK);
    TrailClear();

    test_serial::PtyFarEnd far(u"COM1");
    ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
    ASSERT_EQ(GpsStart(app->gps, [](HRESULT, const GpsStatus*) { return 1; }, 0, nullptr), S_OK);
    far.Send(stream.bytes);
    const std::int32_t want = static_cast<std::int32_t>(stream.fixes.size());
    for (int waited = 0; waited < 60000 && GetFixBuffer(app->gps, nullptr, 0) < want; waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // anything beyond would show now
    ASSERT_EQ(GpsStop(app->gps), S_OK);
    IgcLogClose(*app);

    // Every good fix stored, nothing else, in order, matching the independent decode.
    std::vector<GpsFix> stored(static_cast<std::size_t>(want) + 10);
    const std::int32_t n = GetFixBuffer(app->gps, stored.data(), want + 10);
    ASSERT_EQ(n, want);
    for (std::int32_t i = 0; i < n; ++i) {
      const Expected& e = stream.fixes[static_cast<std::size_t>(n - 1 - i)];
      const GpsFix& f = stored[static_cast<std::size_t>(i)];
      const std::uint32_t t = std::stoi(e.time.substr(0, 2)) * 3600 + std::stoi(e.time.substr(2, 2)) * 60 +
                              std::stoi(e.time.substr(4, 2));
      EXPECT_EQ(f.timeOfDay, t) << e.time;
      EXPECT_EQ(f.pressureAltitude, e.altitude) << e.time;
      const auto d = decode.find(e.time);
      ASSERT_NE(d, decode.end()) << e.time;
      EXPECT_NEAR(f.position.lat / 36000.0, d->second.lat, 1.0 / 36000 + 1e-7) << e.time;
      EXPECT_NEAR(f.position.lon / 36000.0, d->second.lon, 1.0 / 36000 + 1e-7) << e.time;
    }
    EXPECT_EQ(FullTrail().size(), stream.fixes.size());

    // The IGC log: one file, valid, B lines for every third fix after the log opened.
    const auto dir = device_folder() / "root" / folder.substr(1) / "Cumulor_IGC_Files";
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path());
    ASSERT_EQ(files.size(), 1u);
    std::ifstream in(files[0], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<IgcFix> b;
    CheckIgc(text.str(), b);
    std::vector<std::size_t> written;  // indexes into stream.fixes; the first fix came before the log
    for (std::size_t i = 1; i < stream.fixes.size(); i += 3) written.push_back(i);
    ASSERT_EQ(b.size(), written.size());
    for (std::size_t k = 0; k < b.size(); ++k) {
      const Expected& e = stream.fixes[written[k]];
      EXPECT_EQ(b[k].time, e.time);
      EXPECT_EQ(b[k].pressure, e.altitude);
      EXPECT_EQ(b[k].gps, e.altitude);
      const LatLon& d = decode.at(e.time);
      EXPECT_NEAR(b[k].position.lat, d.lat, 0.001 / 60 + 1.0 / 36000) << e.time;
      EXPECT_NEAR(b[k].position.lon, d.lon, 0.001 / 60 + 1.0 / 36000) << e.time;
    }
    GpsPortTerm(app->gps);
    CloseHandle(app->abortEvent);
    ++played;
  }
  EXPECT_EQ(played, static_cast<int>(std::size(kLogs)));
  TrailClear();
}

}  // namespace
