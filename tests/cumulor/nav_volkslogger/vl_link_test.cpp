#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "cumulor/nav/volkslogger/vl_crc.h"
#include "cumulor/nav/volkslogger/vl_link.h"
#include "scripted_io.h"

namespace cumulor {
namespace {

using testing::ScriptedIo;
using Bytes = std::vector<std::uint8_t>;

// DLE STX, the data and CRC with every 0x10 doubled, DLE ETX.
Bytes Block(const Bytes& data, bool corrupt = false) {
  Bytes payload = data;
  std::uint16_t crc = VlCrc(data.data(), data.size());
  if (corrupt) crc ^= 1;
  payload.push_back(static_cast<std::uint8_t>(crc >> 8));
  payload.push_back(static_cast<std::uint8_t>(crc));
  Bytes out = {0x10, 0x02};
  for (std::uint8_t b : payload) {
    out.push_back(b);
    if (b == 0x10) out.push_back(0x10);
  }
  out.push_back(0x10);
  out.push_back(0x03);
  return out;
}

TEST(VlCrc, CheckValueAndGoodBlockResidue) {
  const char* text = "123456789";
  EXPECT_EQ(VlCrc(reinterpret_cast<const std::uint8_t*>(text), 9), 0x31C3);
  Bytes data = {1, 2, 3, 0x10, 0xFF};
  const std::uint16_t crc = VlCrc(data.data(), data.size());
  data.push_back(static_cast<std::uint8_t>(crc >> 8));
  data.push_back(static_cast<std::uint8_t>(crc));
  EXPECT_EQ(VlCrc(data.data(), data.size()), 0);
}

TEST(VlLink, CommandFrameForTheSecondFormOfFlightFive) {
  ScriptedIo io;
  io.Feed({0x06});
  LoggerLink link;
  link.io = &io;
  ASSERT_EQ(LoggerSendCommand(link, 3, 5, 4), 0);
  const Bytes frame = {3, 5, 4, 0, 0, 0, 0, 0};
  const std::uint16_t crc = VlCrc(frame.data(), frame.size());
  Bytes expected(6, 0x18);
  expected.push_back(0x05);
  expected.insert(expected.end(), frame.begin(), frame.end());
  expected.push_back(static_cast<std::uint8_t>(crc >> 8));
  expected.push_back(static_cast<std::uint8_t>(crc));
  EXPECT_EQ(io.written, expected);
  EXPECT_EQ(link.reply, 0x06);
  // No answer: a failure.
  ScriptedIo silent;
  link.io = &silent;
  EXPECT_EQ(LoggerSendCommand(link, 1, 0, 0), E_FAIL);
}

TEST(VlLink, ReadBlockCases) {
  struct Case {
    const char* name;
    Bytes input;
    std::int32_t capacity;
    std::int32_t result;
    Bytes stored;  // the buffer's start afterwards
  };
  const Bytes stuffed = {0x10, 0x41, 0x10, 0x10};
  Bytes noise = {0x55, 0x03, 0x02};  // before the block start: dropped
  Bytes withNoise = noise;
  const Bytes block = Block({7, 8, 9});
  withNoise.insert(withNoise.end(), block.begin(), block.end());
  const Case cases[] = {
      {"stuffed DLE stored once", Block(stuffed), 8, 4, {0x10, 0x41, 0x10, 0x10, 0xFF, 0xFF, 0xFF}},
      {"bytes before the start dropped", withNoise, 4, 3, {7, 8, 9, 0xFF}},
      {"only a CRC", Block({}), 8, -1, {}},
      {"CRC error", Block({1, 2, 3}, true), 8, -1, {}},
      {"longer than the buffer", Block({1, 2, 3, 4, 5, 6}), 4, 6, {1, 2, 3, 4}},
      {"CRC bytes at the buffer's end", Block({1, 2}), 4, 2, {1, 2, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedIo io;
    io.Feed(c.input);
    io.unplugWhenEmpty = true;
    LoggerLink link;
    link.io = &io;
    // Exactly the capacity, so that a store past it is caught by the address sanitizer.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.capacity));
    EXPECT_EQ(LoggerReadBlock(link, buffer.data(), c.capacity, 0xFF), c.result);
    for (std::size_t i = 0; i < c.stored.size(); ++i) EXPECT_EQ(buffer[i], c.stored[i]) << i;
  }
}

TEST(VlLink, ReadBlockEndsOnReadErrorAndOnStop) {
  std::uint8_t buffer[16];
  ScriptedIo unplugged;
  unplugged.Feed({0x10, 0x02, 1, 2});
  unplugged.unplugWhenEmpty = true;
  LoggerLink link;
  link.io = &unplugged;
  EXPECT_EQ(LoggerReadBlock(link, buffer, 16, 0), E_FAIL);
  EXPECT_EQ(LoggerReadBlock(link, nullptr, 16, 0), E_FAIL);
  EXPECT_EQ(LoggerReadBlock(link, buffer, 0, 0), E_FAIL);

  // A silent recorder: the reception ends when the dialog stops it, with three CAN bytes.
  ScriptedIo silent;
  int polls = 0;
  link.io = &silent;
  link.stopRequested = [&] { return ++polls > 5; };
  EXPECT_EQ(LoggerReadBlock(link, buffer, 16, 0), E_FAIL);
  const Bytes tail(silent.written.end() - 3, silent.written.end());
  EXPECT_EQ(tail, Bytes(3, 0x18));
}

TEST(VlLink, ConnectNeedsFourFurtherAnswersAndEndsOnStop) {
  ScriptedIo io;
  io.Feed({'L', 'L', 'L', 'L', 'L'});
  LoggerLink link;
  link.io = &io;
  std::vector<std::u16string> texts;
  link.status = [&](std::int32_t, std::int32_t, const WCHAR* text) {
    if (text) texts.emplace_back(text);
  };
  ASSERT_EQ(LoggerConnect(link), 0);
  EXPECT_EQ(texts.back(), u"Receiving Data...");
  EXPECT_EQ(io.bauds.front(), 9600u);

  // No recorder: eleven rounds, then a failure.
  ScriptedIo none;
  link.io = &none;
  EXPECT_EQ(LoggerConnect(link), E_FAIL);
  EXPECT_EQ(std::count(none.written.begin(), none.written.end(), 'R'), 11);

  // Writes that keep failing end when the exchange stops.
  ScriptedIo deaf;
  deaf.failWrites = true;
  int polls = 0;
  link.io = &deaf;
  link.stopRequested = [&] { return ++polls > 3; };
  EXPECT_EQ(LoggerConnect(link), E_FAIL);
}

TEST(VlLink, ReadFlightAppendsTheSecurityBlockAndRefusesAnOversizedFlight) {
  ScriptedIo io;
  io.Feed({0x06});
  io.Feed(Block({0x40, 0x61, 0x62}));
  io.Feed({0x06});
  io.Feed(Block({0xAA, 0xBB}));
  LoggerLink link;
  link.io = &io;
  std::vector<std::uint8_t> buffer(16);
  std::int32_t length = 0;
  ASSERT_EQ(LoggerReadFlight(link, buffer.data(), 16, 2, false, 4, length), 0);
  EXPECT_EQ(length, 5);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 5), (Bytes{0x40, 0x61, 0x62, 0xAA, 0xBB}));
  EXPECT_EQ(io.bauds.back(), 9600u);

  // A flight block that fills the whole buffer leaves no room for the security block: a failed
  // read, back at 9600 baud.
  ScriptedIo big;
  big.Feed({0x06});
  big.Feed(Block(Bytes(40, 0x33)));
  link.io = &big;
  EXPECT_EQ(LoggerReadFlight(link, buffer.data(), 16, 2, false, 4, length), E_FAIL);
  EXPECT_EQ(big.bauds.back(), 9600u);
}

TEST(VlLink, ReadBlockFuzz) {
  std::mt19937 random(7);
  for (int run = 0; run < 2000; ++run) {
    ScriptedIo io;
    io.unplugWhenEmpty = true;
    const int size = static_cast<int>(random() % 300);
    Bytes input;
    for (int i = 0; i < size; ++i) {
      // Many control bytes, so that blocks start and end.
      const std::uint32_t pick = random() % 6;
      input.push_back(pick == 0 ? 0x10 : pick == 1 ? 0x02 : pick == 2 ? 0x03 : static_cast<std::uint8_t>(random()));
    }
    io.Feed(input);
    LoggerLink link;
    link.io = &io;
    const std::int32_t capacity = 1 + static_cast<std::int32_t>(random() % 40);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(capacity));
    const std::int32_t result = LoggerReadBlock(link, buffer.data(), capacity, 0xFF);
    EXPECT_TRUE(result == E_FAIL || result == -1 || result >= 1);
  }
}

}  // namespace
}  // namespace cumulor
