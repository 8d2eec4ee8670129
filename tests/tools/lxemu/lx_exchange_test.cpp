// The flight computer's Filser/LX device commands against the recorder emulator, in process: the
// declaration block read and written (each side with its own reading of the layout), the flight
// block, and the recorder's faults.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "cumulor/nav/filser/lx_declaration.h"
#include "cumulor/nav/filser/lx_link.h"
#include "tests/tools/lxemu/lx_emulator_io.h"
#include "tools/lxemu/lx_emulator.h"

namespace {

using namespace cumulor;

struct Exchange {
  lxemu::LxEmulator recorder;
  lxemu_test::LxEmulatorIo io{recorder};
  DeviceLink link;
  std::vector<std::pair<int, int>> posted;
  Exchange() {
    link.io = &io;
    link.post = [this](int code, int parameter) { posted.emplace_back(code, parameter); };
  }
  int Count(int code) const {
    int n = 0;
    for (const auto& p : posted) n += p.first == code;
    return n;
  }
};

TEST(LxExchange, CheckByteAgreesWithTheLink) {
  const std::uint8_t text[] = "123456789";
  EXPECT_EQ(lxemu::CheckByte(text, 9), LxCrc(text, 9));
  std::vector<std::uint8_t> block(kLxBlockSize);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 13);
  EXPECT_EQ(lxemu::CheckByte(block.data(), block.size()), LxCrc(block.data(), block.size()));
}

TEST(LxExchange, DeclarationReadWrittenAndReadBack) {
  Exchange x;
  std::uint8_t block[kLxBlockSize] = {};
  ASSERT_EQ(DeviceReadBlock(x.link, block), 0);
  EXPECT_EQ(x.posted.back(), std::make_pair(lxcode::kReadDone, 0));
  LxDeclaration d = LxDecodeDeclaration(block);
  EXPECT_STREQ(d.pilot, "LX PILOT");
  EXPECT_STREQ(d.registration, "D-LXLX");
  EXPECT_EQ(d.points[1].type, 1);
  EXPECT_STREQ(d.points[1].name, "NORTH");
  EXPECT_EQ(d.points[1].latitude, 2880000);

  std::strcpy(d.pilot, "ANNA BERGER");
  std::strcpy(d.competitionId, "AB");
  d.points[1] = LxPoint{1, "SOUTH", -2000000, -300};
  LxEncodeDeclaration(d, block);
  ASSERT_EQ(DeviceWriteBlock(x.link, block), 0);
  EXPECT_EQ(x.posted.back(), std::make_pair(lxcode::kWriteDone, 0));
  const lxemu::Declaration kept = lxemu::DecodeBlock(x.recorder.block());
  EXPECT_EQ(kept.pilot, "ANNA BERGER");
  EXPECT_EQ(kept.competitionId, "AB");
  EXPECT_EQ(kept.points[1].name, "SOUTH");
  EXPECT_EQ(kept.points[1].latitude, -2000000);
  EXPECT_EQ(kept.points[1].longitude, -300);
  EXPECT_EQ(kept.points[0].name, "HOME");

  ASSERT_EQ(DeviceReadFlight(x.link), 0);
  EXPECT_EQ(x.recorder.requests(), (std::vector<std::uint8_t>{0xC9, 0xCA, 0x31}));
}

TEST(LxExchange, RecorderFaults) {
  {
    // A CRC error: read again and accepted.
    Exchange x;
    x.recorder.faults.crcErrors = 1;
    std::uint8_t block[kLxBlockSize] = {};
    EXPECT_EQ(DeviceReadBlock(x.link, block), 0);
    EXPECT_EQ(x.Count(lxcode::kReadAttempt), 2);
  }
  {
    // No recorder: eleven handshakes, then "not found".
    Exchange x;
    x.recorder.faults.silent = true;
    std::uint8_t block[kLxBlockSize] = {};
    EXPECT_EQ(DeviceReadBlock(x.link, block), E_FAIL);
    EXPECT_EQ(x.Count(lxcode::kHandshakeRetry), 11);
    EXPECT_EQ(x.posted.back(), std::make_pair(lxcode::kError, lxcode::kNoAnswer));
  }
  {
    // Unplugged in the middle of the flight block: a transfer error, nothing read beyond.
    Exchange x;
    x.recorder.faults.unplugAfter = 1000;
    EXPECT_EQ(DeviceReadFlight(x.link), E_FAIL);
    EXPECT_EQ(x.posted.back(), std::make_pair(lxcode::kError, lxcode::kTransferFailed));
  }
  {
    // A damaged upload is not taken: no ACK, three attempts, an error.
    Exchange x;
    std::uint8_t block[kLxBlockSize] = {};
    ASSERT_EQ(DeviceReadBlock(x.link, block), 0);
    x.io.Purge();
    x.link.io = &x.io;
    struct Flipping : LoggerIo {
      LoggerIo* inner;
      int written = 0;
      HRESULT WriteByte(std::uint8_t b) override { return inner->WriteByte(++written == 100 ? b ^ 1 : b); }
      HRESULT Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) override {
        return inner->Read(buffer, count, read);
      }
      void Purge() override { inner->Purge(); }
      HRESULT SetBaud(std::uint32_t baud) override { return inner->SetBaud(baud); }
      void Wait(std::uint32_t ms) override { inner->Wait(ms); }
    } flipping;
    flipping.inner = &x.io;
    x.link.io = &flipping;
    const lxemu::Bytes before = x.recorder.block();
    EXPECT_EQ(DeviceWriteBlock(x.link, block), 0);  // the second attempt goes through unchanged
    EXPECT_EQ(x.Count(lxcode::kWriteAttempt), 2);
    EXPECT_EQ(x.recorder.requests().at(1), 0);  // the damaged one was refused
  }
}

}  // namespace
