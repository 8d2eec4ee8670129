// The flight computer's Volkslogger link and conversion against the recorder emulator, in process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/nav/volkslogger/vl_flight.h"
#include "cumulor/nav/volkslogger/vl_link.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"
#include "tools/vlemu/vl_emulator.h"

namespace {

using namespace cumulor;
using vlemu::Bytes;

// The link's port, wired straight to the emulator.
class EmulatorIo : public LoggerIo {
 public:
  explicit EmulatorIo(vlemu::VlEmulator& recorder) : recorder_(recorder) {}
  HRESULT WriteByte(std::uint8_t byte) override {
    if (recorder_.unplugged()) return E_FAIL;
    Bytes out;
    recorder_.Receive(byte, out);
    pending_.insert(pending_.end(), out.begin(), out.end());
    return 0;
  }
  HRESULT Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) override {
    read = 0;
    while (read < count && !pending_.empty()) {
      buffer[read++] = pending_.front();
      pending_.pop_front();
    }
    if (read == 0 && recorder_.unplugged()) return 5;  // the device is gone
    return 0;
  }
  void Purge() override { pending_.clear(); }
  HRESULT SetBaud(std::uint32_t) override { return recorder_.unplugged() ? E_FAIL : 0; }
  void Wait(std::uint32_t) override {}

 private:
  vlemu::VlEmulator& recorder_;
  std::deque<std::uint8_t> pending_;
};

struct Session {
  vlemu::VlEmulator recorder;
  EmulatorIo io{recorder};
  LoggerLink link;
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(vl::kFlightBufferSize);
  Session() {
    link.io = &io;
    recorder.AddFlight(vlemu::MakeFlight(80, 2850000, 495000, 1));
    recorder.AddFlight(vlemu::MakeFlight(120, -2000000, -300, 2));
  }
  std::int32_t ReadDirectory(FlightDirectory& directory) {
    if (FAILED(LoggerConnect(link)) || FAILED(LoggerSendCommand(link, 1, 0, 0))) return -1;
    const std::int32_t n = LoggerReadBlock(link, buffer.data(), vl::kFlightBufferSize, 0xFF);
    if (n < 1 || n > vl::kFlightBufferSize) return -1;
    return ParseFlightDirectory(directory, buffer.data(), n);
  }
};

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string all = ss.str();
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = all.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back("\x01 unterminated");
      break;
    }
    lines.push_back(all.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// IGC file checks from the published format: an A record first, H records before any B record,
// printable characters only, B records of 35 characters plus the I-record extensions.
void CheckIgc(const std::vector<std::string>& lines) {
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0][0], 'A');
  int extensionEnd = 35;
  bool fixSeen = false;
  for (const std::string& line : lines) {
    ASSERT_FALSE(line.empty());
    for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << line;
    if (line[0] == 'H') {
      EXPECT_FALSE(fixSeen) << line;
    }
    if (line[0] == 'I') {
      const int count = std::stoi(line.substr(1, 2));
      ASSERT_EQ(line.size(), 3u + 7u * static_cast<unsigned>(count));
      extensionEnd = std::stoi(line.substr(3 + 7 * (count - 1) + 2, 2));
    }
    if (line[0] == 'B') {
      fixSeen = true;
      EXPECT_EQ(static_cast<int>(line.size()), extensionEnd) << line;
      EXPECT_TRUE(line[14] == 'N' || line[14] == 'S');
      EXPECT_TRUE(line[23] == 'E' || line[23] == 'W');
      EXPECT_TRUE(line[24] == 'A' || line[24] == 'V');
    }
  }
}

Bytes DecodeG(const std::vector<std::string>& lines) {
  const std::string alphabet = "0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ`abcdefghijklmnopqrstuvwxyz";
  Bytes out;
  for (const std::string& line : lines) {
    if (line[0] != 'G') continue;
    for (std::size_t at = 1; at + 4 <= line.size(); at += 4) {
      std::uint32_t v = 0;
      for (int i = 0; i < 4; ++i) v = v << 6 | static_cast<std::uint32_t>(alphabet.find(line[at + i]));
      out.push_back(static_cast<std::uint8_t>(v >> 16));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
      out.push_back(static_cast<std::uint8_t>(v));
    }
  }
  return out;
}

double IcaoAltitude(std::int32_t pressureValue) {
  const double hpa = pressureValue * 0.2685546875;
  return 44330.8 * (1 - std::pow(hpa / 1013.25, 1 / 5.25588));
}

class VlDownload : public ce::testing::DeviceTest {};

TEST_F(VlDownload, DirectoryAndFlightsBecomeCheckedIgcFiles) {
  Session s;
  auto directory = std::make_unique<FlightDirectory>();
  ASSERT_EQ(s.ReadDirectory(*directory), 0);
  ASSERT_EQ(directory->count, 2);
  EXPECT_EQ(std::u16string(directory->entries[0].igcName), u"661A0831.IGC");
  EXPECT_EQ(std::u16string(directory->entries[1].igcName), u"661A0832.IGC");
  EXPECT_EQ(directory->entries[1].duration, vlemu::FlightSeconds(s.recorder.flights()[1]));
  EXPECT_EQ(directory->entries[0].start.hour, 10);

  for (int index = 0; index < 2; ++index) {
    SCOPED_TRACE(index);
    const vlemu::GenFlight& flight = s.recorder.flights()[static_cast<std::size_t>(index)];
    std::int32_t length = 0;
    ASSERT_EQ(LoggerReadFlight(s.link, s.buffer.data(), vl::kFlightBufferSize, static_cast<std::uint8_t>(index), true,
                               vl::kBaud57600, length),
              0);
    const std::filesystem::path path = device_folder() / "root" / "flight.igc";
    HANDLE file = CreateFileW(u"\\flight.igc", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::int32_t covered = 0;
    ASSERT_EQ(ConvertFlightToIgc(file, 0, s.buffer.data(), length, true, covered), 0);
    ASSERT_EQ(WriteGRecords(file, s.buffer.data(), covered), 0);
    CloseHandle(file);
    const std::vector<std::string> lines = ReadLines(path);
    CheckIgc(lines);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("LGCSTKF", 0) == 0 && l.size() == 29; }),
              1);

    // B lines: one per generated fix, at its time, position and altitudes.
    std::vector<std::string> fixes;
    for (const std::string& line : lines) {
      if (line[0] == 'B') fixes.push_back(line);
    }
    ASSERT_EQ(fixes.size(), flight.fixes.size());
    std::int32_t seconds = flight.startSecondOfDay;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
      const vlemu::GenFix& x = flight.fixes[i];
      seconds += x.seconds;
      char expected[40];
      const std::int32_t lat = std::abs(x.latitude), lon = std::abs(x.longitude);
      std::snprintf(expected, sizeof expected, "B%02d%02d%02d%02d%05d%c%03d%05d%c%c", seconds / 3600, seconds / 60 % 60,
                    seconds % 60, lat / 60000, lat % 60000, x.latitude < 0 ? 'S' : 'N', lon / 60000, lon % 60000,
                    x.longitude < 0 ? 'W' : 'E', x.valid ? 'A' : 'V');
      ASSERT_EQ(fixes[i].substr(0, 25), expected) << i;
      EXPECT_NEAR(std::stoi(fixes[i].substr(25, 5)), IcaoAltitude(x.pressureValue), 1.0) << i;
      EXPECT_EQ(std::stoi(fixes[i].substr(30, 5)), (x.altitudeValue - 100) * 10) << i;
    }

    // G lines: the bytes the recorder sent, security block included, then 0xFF padding.
    Bytes sent = vlemu::FlightStream(flight);
    sent.insert(sent.end(), flight.security.begin(), flight.security.end());
    const Bytes decoded = DecodeG(lines);
    ASSERT_GE(decoded.size(), sent.size());
    EXPECT_EQ(Bytes(decoded.begin(), decoded.begin() + static_cast<long>(sent.size())), sent);
    for (std::size_t i = sent.size(); i < decoded.size(); ++i) EXPECT_EQ(decoded[i], 0xFF);

    // gpsbabel (Debian) reads the file.
    if (std::system("command -v gpsbabel > /dev/null") == 0) {
      const std::string gpx = (device_folder() / "flight.gpx").string();
      const std::string command = "gpsbabel -i igc -f '" + path.string() + "' -o gpx -F '" + gpx + "' 2>/dev/null";
      EXPECT_EQ(std::system(command.c_str()), 0);
      std::ifstream in(gpx);
      std::stringstream text;
      text << in.rdbuf();
      std::size_t points = 0;
      for (std::size_t at = text.str().find("<trkpt"); at != std::string::npos; at = text.str().find("<trkpt", at + 1))
        ++points;
      // One track of GPS altitudes, one of pressure altitudes.
      EXPECT_EQ(points, 2 * flight.fixes.size());
    }
  }
}

TEST_F(VlDownload, RecorderFaultsEndInFailures) {
  auto directory = std::make_unique<FlightDirectory>();
  std::int32_t length = 0;
  {
    // A CRC error fails the read; the next read of the flight succeeds.
    Session s;
    ASSERT_EQ(s.ReadDirectory(*directory), 0);
    s.recorder.faults.crcErrors = 1;
    EXPECT_EQ(LoggerReadFlight(s.link, s.buffer.data(), vl::kFlightBufferSize, 0, false, 4, length), E_FAIL);
    EXPECT_EQ(LoggerReadFlight(s.link, s.buffer.data(), vl::kFlightBufferSize, 0, false, 4, length), 0);
  }
  {
    // Unplugged in the middle of a flight block.
    Session s;
    ASSERT_EQ(s.ReadDirectory(*directory), 0);
    s.recorder.faults.unplugAfter = 300;
    EXPECT_EQ(LoggerReadFlight(s.link, s.buffer.data(), vl::kFlightBufferSize, 1, false, 4, length), E_FAIL);
    EXPECT_EQ(LoggerConnect(s.link), E_FAIL);
  }
  {
    // A flight longer than the buffer: refused, nothing written beyond it.
    Session s;
    s.recorder.faults.oversizeFlight = true;
    EXPECT_EQ(LoggerReadFlight(s.link, s.buffer.data(), vl::kFlightBufferSize, 0, false, 4, length), E_FAIL);
  }
  {
    // No answer at all.
    Session s;
    s.recorder.faults.silent = true;
    EXPECT_EQ(LoggerConnect(s.link), E_FAIL);
    EXPECT_EQ(s.ReadDirectory(*directory), -1);
  }
}

}  // namespace
