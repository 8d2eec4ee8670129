#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "../nav_volkslogger/scripted_io.h"
#include "cumulor/nav/filser/lx_declaration.h"
#include "cumulor/nav/filser/lx_link.h"

namespace cumulor {
namespace {

using testing::ScriptedIo;
using Bytes = std::vector<std::uint8_t>;
using Posts = std::vector<std::pair<int, int>>;

Bytes SignedBlock(std::size_t size, std::uint8_t seed) {
  Bytes block(size);
  for (std::size_t i = 0; i + 1 < size; ++i) block[i] = static_cast<std::uint8_t>(seed + i * 13);
  block[size - 1] = LxCrc(block.data(), size - 1);
  return block;
}

struct Fixture {
  ScriptedIo io;
  Posts posts;
  DeviceLink link;
  Fixture() {
    link.io = &io;
    link.post = [this](int code, int parameter) { posts.emplace_back(code, parameter); };
  }
};

TEST(LxLink, ReadsADeclarationBlockAndRetriesACrcError) {
  Fixture f;
  Bytes bad = SignedBlock(kLxBlockSize, 3);
  bad[10] ^= 0x40;
  const Bytes good = SignedBlock(kLxBlockSize, 5);
  f.io.Feed({6});
  f.io.Feed(bad);
  f.io.Feed(good);
  Bytes block(kLxBlockSize);
  ASSERT_EQ(DeviceReadBlock(f.link, block.data()), 0);
  EXPECT_EQ(block, good);
  EXPECT_EQ(f.posts, (Posts{{510, 1}, {510, 2}, {100, 0}}));
  // Four SYN bytes of the handshake, then STX and the read request.
  const Bytes start(f.io.written.begin(), f.io.written.begin() + 6);
  EXPECT_EQ(start, (Bytes{22, 22, 22, 22, 0x02, 0xC9}));

  // Three bad blocks: a failed transfer.
  Fixture g;
  g.io.Feed({6});
  for (int i = 0; i < 3; ++i) g.io.Feed(bad);
  EXPECT_EQ(DeviceReadBlock(g.link, block.data()), E_FAIL);
  EXPECT_EQ(g.posts.back(), std::make_pair(600, 10));
}

TEST(LxLink, SilentRecorderIsNotFoundAfterElevenHandshakes) {
  Fixture f;
  Bytes block(kLxBlockSize);
  EXPECT_EQ(DeviceReadBlock(f.link, block.data()), E_FAIL);
  EXPECT_EQ(std::count(f.posts.begin(), f.posts.end(), std::make_pair(500, 11)), 1);
  EXPECT_EQ(f.posts.back(), std::make_pair(600, 4));
  // A cleared command ends the tries at once.
  Fixture g;
  g.link.cancelled = [] { return true; };
  EXPECT_EQ(DeviceReadBlock(g.link, block.data()), E_FAIL);
  EXPECT_TRUE(g.posts.empty());
}

TEST(LxLink, WritesTheBlockWithItsCrc) {
  Fixture f;
  f.io.Feed({6, 6});
  Bytes block = SignedBlock(kLxBlockSize, 9);
  block.back() = 0;
  ASSERT_EQ(DeviceWriteBlock(f.link, block.data()), 0);
  EXPECT_EQ(f.posts.back(), std::make_pair(101, 0));
  const Bytes sent(f.io.written.end() - kLxBlockSize, f.io.written.end());
  EXPECT_EQ(sent.back(), LxCrc(block.data(), kLxBlockSize - 1));
  EXPECT_EQ(f.io.written[4], 0x02);
  EXPECT_EQ(f.io.written[5], 0xCA);
}

TEST(LxDeclaration, FieldsSurviveTheBlockAndLongTextsAreCut) {
  LxDeclaration d;
  std::strcpy(d.pilot, "MARIA MUSTERFRAU");
  std::strcpy(d.registration, "D-1234");
  d.date[0] = 31;
  d.points[0] = {3, "HOME", 2850000, -495000};
  d.points[1] = {1, "TURNPT1", -1, 10800000};
  std::uint8_t block[kLxBlockSize];
  std::memset(block, 0xAB, sizeof block);
  LxEncodeDeclaration(d, block);
  EXPECT_EQ(block[0], 0xAB);  // the flag byte is kept
  EXPECT_EQ(std::memcmp(block + 1, "MARIA", 5), 0);
  const LxDeclaration back = LxDecodeDeclaration(block);
  EXPECT_STREQ(back.pilot, "MARIA MUSTERFRAU");
  EXPECT_STREQ(back.points[1].name, "TURNPT1");
  EXPECT_EQ(back.points[0].longitude, -495000);
  EXPECT_EQ(back.points[1].latitude, -1);
  EXPECT_EQ(back.date[0], 31);
  // A block without terminators still decodes to terminated texts.
  std::memset(block, 'X', sizeof block);
  const LxDeclaration raw = LxDecodeDeclaration(block);
  EXPECT_EQ(std::strlen(raw.pilot), 18u);
  EXPECT_EQ(std::strlen(raw.points[9].name), 8u);
}

}  // namespace
}  // namespace cumulor
