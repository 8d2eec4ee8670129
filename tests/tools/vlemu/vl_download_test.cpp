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
#include "tests/cumulor/nav_volkslogger/igc_file_check.h"
#include "tests/tools/vlemu/emulator_io.h"
#include "tools/vlemu/vl_emulator.h"

namespace {

using namespace cumulor;
using vlemu::Bytes;

using vlemu_test::EmulatorIo;

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
    const std::vector<std::string> lines = igc_file_check::ReadLines(path);
    igc_file_check::CheckLines(lines);
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
      EXPECT_NEAR(std::stoi(fixes[i].substr(25, 5)), igc_file_check::IcaoAltitude(x.pressureValue), 1.0) << i;
      EXPECT_EQ(std::stoi(fixes[i].substr(30, 5)), (x.altitudeValue - 100) * 10) << i;
    }

    // G lines: the bytes the recorder sent, security block included, then 0xFF padding.
    Bytes sent = vlemu::FlightStream(flight);
    sent.insert(sent.end(), flight.security.begin(), flight.security.end());
    const Bytes decoded = igc_file_check::DecodeG(lines);
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
