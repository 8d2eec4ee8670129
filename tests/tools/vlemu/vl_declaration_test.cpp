// Declarations written to and read from the recorder emulator's memory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "cumulor/nav/volkslogger/vl_declaration.h"
#include "cumulor/nav/volkslogger/vl_link.h"
#include "tests/tools/vlemu/emulator_io.h"
#include "tools/vlemu/vl_emulator.h"

namespace {

using namespace cumulor;
using vlemu::Bytes;

using vlemu_test::DecodedPoint;
using vlemu_test::Records;
using DirectIo = vlemu_test::EmulatorIo;

DecodedPoint Decode(const Bytes& p) { return vlemu_test::DecodePoint(p); }

TEST(VlDeclarationExchange, ThreePointTaskSentAndReadBack) {
  vlemu::VlEmulator recorder;
  DirectIo io(recorder);
  LoggerLink link;
  link.io = &io;
  std::vector<std::uint8_t> memory(16400);
  ASSERT_EQ(LoggerReadMemory(link, memory.data(), kVlMemorySize), 0);

  VlDeclaration declaration;
  std::strcpy(declaration.pilot, "JANE DOE FROM THE VALLEY OF LONG NAMES");
  std::strcpy(declaration.registration, "D-KAXY");
  std::strcpy(declaration.competitionId, "XY");
  const VlTaskPoint task[] = {{"Home field", 47.5, 8.25}, {"tp", -33.125, -70.5}, {"Goal", 0.00001, 179.9}};
  SetDeclarationTask(declaration, task, 3, 90, 3000);
  WriteDeclarationRecords(declaration, memory.data());
  ASSERT_EQ(LoggerWriteMemory(link, memory.data()), 0);

  const std::map<int, Bytes> records = Records(recorder.memory());
  ASSERT_TRUE(records.count(16) && records.count(33) && records.count(34) && records.count(49));
  EXPECT_EQ(records.at(16)[0], 1);
  EXPECT_EQ(std::string(records.at(6).begin(), records.at(6).end() - 1), "D-KAXY");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(records.at(2).data())), "E VALLEY OF LONG");
  const DecodedPoint start = Decode(records.at(33)), tp = Decode(records.at(49)), finish = Decode(records.at(34));
  EXPECT_EQ(start.name, "HOME F");
  EXPECT_EQ(tp.name, "TP    ");
  EXPECT_EQ(finish.name, "GOAL  ");
  EXPECT_NEAR(start.latitude, 47.5, 1 / 60000.0);
  EXPECT_NEAR(start.longitude, 8.25, 1 / 60000.0);
  EXPECT_NEAR(tp.latitude, -33.125, 1 / 60000.0);
  EXPECT_NEAR(tp.longitude, -70.5, 1 / 60000.0);
  // The declaration object holds float degrees: their rounding comes on top.
  EXPECT_NEAR(finish.longitude, 179.9, 1 / 60000.0 + 1e-5);
  EXPECT_EQ(tp.small, 0);
  EXPECT_EQ(tp.large, 3000);
  EXPECT_EQ(tp.direction, 360);
  EXPECT_EQ(records.count(50), 0u);

  // Read back through the link: the same fields.
  std::vector<std::uint8_t> again(16400);
  ASSERT_EQ(LoggerReadMemory(link, again.data(), kVlMemorySize), 0);
  VlDeclaration read;
  ParseDeclarationRecords(again.data(), read);
  EXPECT_STREQ(read.registration, "D-KAXY");
  EXPECT_EQ(read.turnpointCount, 1);
  EXPECT_STREQ(read.turnpoints[0].name, "TP    ");
  EXPECT_EQ(read.turnpoints[0].largeRadius, 3000);
  EXPECT_EQ(std::string(read.pilot), "JANE DOE FROM THE VALLEY OF LONG NAMES");
}

TEST(VlDeclarationExchange, DamagedUploadIsRetriedUntilStopped) {
  vlemu::VlEmulator recorder;
  recorder.faults.silent = true;
  DirectIo io(recorder);
  LoggerLink link;
  link.io = &io;
  int polls = 0;
  link.stopRequested = [&] { return ++polls > 5; };
  std::vector<std::uint8_t> memory(kVlMemorySize, 0xFF);
  EXPECT_EQ(LoggerWriteMemory(link, memory.data()), E_FAIL);
}

}  // namespace
