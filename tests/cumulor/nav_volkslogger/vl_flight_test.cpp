#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/nav/volkslogger/vl_flight.h"
#include "platform/files/file_system_seam.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_volkslogger/igc_file_check.h"

namespace cumulor {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes Variable(std::uint8_t subType, const std::string& text) {
  Bytes record = {0x20, static_cast<std::uint8_t>(text.size() + 1), subType};
  record.insert(record.end(), text.begin(), text.end());
  return record;
}

// 2026-06-01 at `secondOfDay`.
Bytes TimeRecord(std::uint32_t secondOfDay, std::uint8_t day = 0x01) {
  return {0xA0, 0, static_cast<std::uint8_t>(secondOfDay >> 16), static_cast<std::uint8_t>(secondOfDay >> 8),
          static_cast<std::uint8_t>(secondOfDay), 0x26, 0x06, day};
}

const Bytes kRecorderData = {0x20, 9, 0x50, 0x01, 0x23, 0, 0, 0x34, 0x21, 0, 50};  // serial 291, hardware 3.4

// A flight: start, recorder data, pilot, time 10:00:00, a valid full fix, takeoff, a differential
// fix, an invalid fix at 0/0, the end record and 41 security bytes.
Bytes Flight() {
  Bytes f = {0x41};
  Append(f, kRecorderData);
  Append(f, Variable(1, "JOHN SMITH"));
  Append(f, TimeRecord(36000));
  // 47 deg 30.000 N, 8 deg 15.000 E, pressure value 3000, GPS altitude value 150, accuracy 3, noise 50.
  Append(f, {0x80 | 0x10 | 0x0B, 0xB8, 1, 0x2B, 0x7C, 0xD0, 0x07, 0x8D, 0x98, 0x03, 150, 50});
  Append(f, {0x00, 1, 2, 0x61});
  // +100 latitude, -40 longitude.
  Append(f, {0xE0 | 0x10 | 0x0B, 0xB8, 1, 0x00, 100, 40, 0x80 | 0x03, 150, 50});
  Append(f, {0x80 | 0x0B, 0xB8, 1, 0, 0, 0, 0, 0, 0, 0x00, 100, 0});
  f.push_back(0x60);
  for (int i = 0; i < 41; ++i) f.push_back(static_cast<std::uint8_t>(0xC1 + i));
  return f;
}

class VlFlight : public ce::testing::DeviceTest {
 protected:
  void TearDown() override {
    ce::files::FileSystemSeam::Get().Reset();
    DeviceTest::TearDown();
  }
  HANDLE Create() {
    return CreateFileW(u"\\flight.igc", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  }
  std::vector<std::string> Lines() { return igc_file_check::ReadLines(device_folder() / "root" / "flight.igc"); }
};

using igc_file_check::DecodeG;

TEST_F(VlFlight, ConvertsHeaderFixesEventsAndGLines) {
  const Bytes flight = Flight();
  HANDLE file = Create();
  std::int32_t covered = 0;
  ASSERT_EQ(ConvertFlightToIgc(file, 0, flight.data(), static_cast<std::int32_t>(flight.size()), true, covered), 0);
  EXPECT_EQ(covered, static_cast<std::int32_t>(flight.size()));
  ASSERT_EQ(WriteGRecords(file, flight.data(), covered), 0);
  CloseHandle(file);
  const std::vector<std::string> lines = Lines();
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], "AGCS083");
  EXPECT_EQ(lines[1], "HFDTE010626");
  EXPECT_EQ(lines[2], "HFFXA050");
  EXPECT_EQ(lines[3], "HFPLTPILOT:JOHN SMITH");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "HFRHWHARDWAREVERSION:3.4"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "I023638FXA3941ENL"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "LGCSTKF100003TAKEOFF DETECTED"), lines.end());

  // Pressure altitude of value 3000 (805.66 hPa) by the standard atmosphere, within 1 m.
  const double expected = igc_file_check::IcaoAltitude(3000);
  std::vector<std::string> fixes;
  for (const std::string& line : lines) {
    if (line[0] == 'B') fixes.push_back(line);
  }
  ASSERT_EQ(fixes.size(), 3u);
  EXPECT_NEAR(std::stoi(fixes[0].substr(25, 5)), expected, 1.0);
  EXPECT_EQ(fixes[0].substr(0, 25), "B1000014730000N00815000EA");
  EXPECT_EQ(fixes[0].substr(30), "00500100100");
  EXPECT_EQ(fixes[1].substr(0, 25), "B1000044730100N00814960EA");
  // Latitude and longitude 0 read N and E; an invalid fix still gives its line.
  EXPECT_EQ(fixes[2].substr(0, 25), "B1000050000000N00000000EV");
  EXPECT_EQ(fixes[2].substr(30), "00000000000");

  Bytes decoded = DecodeG(lines);
  ASSERT_GE(decoded.size(), flight.size());
  EXPECT_EQ(Bytes(decoded.begin(), decoded.begin() + static_cast<long>(flight.size())), flight);
  for (std::size_t i = flight.size(); i < decoded.size(); ++i) EXPECT_EQ(decoded[i], 0xFF);
}

TEST_F(VlFlight, GLineGrouping) {
  Bytes data(57);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  HANDLE file = Create();
  ASSERT_EQ(WriteGRecords(file, data.data(), 54), 0);
  CloseHandle(file);
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 73u);

  file = Create();
  ASSERT_EQ(WriteGRecords(file, data.data(), 57), 0);
  CloseHandle(file);
  lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].size(), 9u);
  EXPECT_EQ(lines[1].substr(5), "zzzz");
  const Bytes decoded = DecodeG(lines);
  ASSERT_EQ(decoded.size(), 60u);
  EXPECT_EQ(Bytes(decoded.begin(), decoded.begin() + 57), data);
}

TEST_F(VlFlight, FullCardIsAFailedConversion) {
  const Bytes flight = Flight();
  HANDLE file = Create();
  ce::files::FileSystemSeam::Get().SetRoomLeft(100);
  std::int32_t covered = 0;
  EXPECT_EQ(ConvertFlightToIgc(file, 0, flight.data(), static_cast<std::int32_t>(flight.size()), true, covered), E_FAIL);
  EXPECT_EQ(WriteGRecords(file, flight.data(), covered), E_FAIL);
  CloseHandle(file);
}

Bytes DirectoryFlight(std::uint32_t endSecondOfDay, std::uint32_t offset, std::uint32_t duration, bool takeoff,
                      std::uint8_t day = 0x01) {
  Bytes f = {0x41};
  Append(f, kRecorderData);
  Append(f, Variable(1, "ANNA"));
  Append(f, TimeRecord(endSecondOfDay, day));
  if (takeoff) Append(f, Bytes{0x00, 1, 0, 0x61});
  Append(f, {0x60, static_cast<std::uint8_t>(duration >> 16), static_cast<std::uint8_t>(duration >> 8),
             static_cast<std::uint8_t>(duration), static_cast<std::uint8_t>(offset >> 16),
             static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset)});
  return f;
}

TEST(VlDirectory, EntriesNamesAndTimes) {
  Bytes stream = DirectoryFlight(43200, 3600, 5400, true);
  Append(stream, DirectoryFlight(50000, 0, 600, false));
  Append(stream, DirectoryFlight(40000, 0, 60, true, 0x02));
  auto directory = std::make_unique<FlightDirectory>();
  ASSERT_EQ(ParseFlightDirectory(*directory, stream.data(), static_cast<std::int32_t>(stream.size())), 0);
  ASSERT_EQ(directory->count, 3);
  const FlightDirEntry& first = directory->entries[0];
  EXPECT_EQ(std::u16string(first.igcName), u"661A0831.IGC");
  EXPECT_EQ(std::u16string(directory->entries[1].igcName), u"661A0832.IGC");
  EXPECT_EQ(std::u16string(directory->entries[2].igcName), u"662A0831.IGC");
  EXPECT_EQ(first.start.hour, 11);
  EXPECT_EQ(first.end.hour, 12);
  EXPECT_EQ(first.end.minute, 30);
  EXPECT_EQ(first.start.month, 5);
  EXPECT_EQ(first.start.year, 126);
  EXPECT_EQ(first.duration, 5400);
  EXPECT_EQ(first.takeoff, 1);
  EXPECT_EQ(directory->entries[1].takeoff, 0);
  EXPECT_STREQ(first.pilot[0], "ANNA");
}

TEST(VlDirectory, RefusesDamagedStreams) {
  auto directory = std::make_unique<FlightDirectory>();
  Bytes many;
  for (int i = 0; i < 51; ++i) Append(many, DirectoryFlight(43200, 0, 60, true));
  EXPECT_EQ(ParseFlightDirectory(*directory, many.data(), static_cast<std::int32_t>(many.size())), -1);
  Bytes cut = DirectoryFlight(43200, 0, 60, true);
  cut.pop_back();
  EXPECT_EQ(ParseFlightDirectory(*directory, cut.data(), static_cast<std::int32_t>(cut.size())), -1);
  const Bytes badVersion = {0x45, 0xC0};
  EXPECT_EQ(ParseFlightDirectory(*directory, badVersion.data(), 2), -1);
}

// Mutated and cut streams, each in a buffer of exactly its length: the sanitizers catch any read
// beyond it.
TEST_F(VlFlight, FuzzedStreamsStayInsideTheirData) {
  std::mt19937 random(11);
  const Bytes flight = Flight();
  Bytes directoryStream = DirectoryFlight(43200, 3600, 5400, true);
  Append(directoryStream, DirectoryFlight(50000, 0, 600, true));
  HANDLE file = Create();
  auto directory = std::make_unique<FlightDirectory>();
  for (int run = 0; run < 3000; ++run) {
    Bytes data = (run % 2) ? flight : directoryStream;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes; ++i) data[random() % data.size()] = static_cast<std::uint8_t>(random());
    data.resize(1 + random() % data.size());
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[data.size()]);
    std::memcpy(exact.get(), data.data(), data.size());
    const auto size = static_cast<std::int32_t>(data.size());
    const std::int32_t parsed = ParseFlightDirectory(*directory, exact.get(), size);
    EXPECT_TRUE(parsed == 0 || parsed == -1);
    EXPECT_LE(directory->count, kMaxDirectoryFlights);
    std::int32_t covered = -1;
    ConvertFlightToIgc(file, 0, exact.get(), size, run % 3 == 0, covered);
    EXPECT_GE(covered, 0);
    EXPECT_LE(covered, size);
    WriteGRecords(file, exact.get(), covered);
  }
  CloseHandle(file);
}

}  // namespace
}  // namespace cumulor
