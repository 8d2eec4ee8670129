#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cumulor/nav/volkslogger/vl_declaration.h"

namespace cumulor {
namespace {

std::vector<std::uint8_t> Memory() { return std::vector<std::uint8_t>(kVlMemorySize, 0xFF); }

TEST(VlDeclaration, ShortTasksFillTheirPoints) {
  const VlTaskPoint points[] = {{"alpha", 10, 20}, {"bravo", 11, 21}};
  VlDeclaration one;
  one.start.latitude = 5;
  SetDeclarationTask(one, points, 1, 360, 500);
  EXPECT_EQ(one.turnpointCount, 0);
  EXPECT_STREQ(one.finish.name, "ALPHA");
  EXPECT_EQ(one.finish.smallRadius, 500);
  EXPECT_EQ(one.start.latitude, 5);  // untouched
  VlDeclaration two;
  SetDeclarationTask(two, points, 2, 90, 500);
  EXPECT_EQ(two.turnpointCount, 0);
  EXPECT_STREQ(two.start.name, "ALPHA");
  EXPECT_STREQ(two.finish.name, "BRAVO");
  EXPECT_EQ(two.finish.largeRadius, 500);
}

TEST(VlDeclaration, LaterRecordWinsAndCompactingKeepsIt) {
  auto memory = Memory();
  const std::uint8_t first[] = "OLD";
  const std::uint8_t second[] = "NEW";
  ASSERT_TRUE(AppendDeclarationRecord(memory.data(), 6, first, 4));
  ASSERT_TRUE(AppendDeclarationRecord(memory.data(), 5, first, 4));
  ASSERT_TRUE(AppendDeclarationRecord(memory.data(), 6, second, 4));
  VlDeclaration d;
  ParseDeclarationRecords(memory.data(), d);
  EXPECT_STREQ(d.registration, "NEW");
  ASSERT_TRUE(CompactDeclarationRecords(memory.data()));
  EXPECT_EQ(memory[kVlRecordArea + 1], 5);  // id order
  EXPECT_EQ(memory[kVlRecordArea + 6 + 1], 6);
  EXPECT_EQ(memory[kVlRecordArea + 12], 0xFF);
  VlDeclaration again;
  ParseDeclarationRecords(memory.data(), again);
  EXPECT_STREQ(again.registration, "NEW");
}

TEST(VlDeclaration, FullOrDamagedListsStayInside) {
  auto memory = Memory();
  const std::uint8_t data[253] = {};
  // 253 data bytes would give the length 0xFF, the end mark: refused.
  EXPECT_FALSE(AppendDeclarationRecord(memory.data(), 9, data, 253));
  int added = 0;
  while (added < 100 && AppendDeclarationRecord(memory.data(), 9, data, 252)) ++added;
  EXPECT_EQ(added, 16);  // 4096 / 254
  // A list whose lengths run past the end: parsed as far as it goes, compacting refuses it.
  auto damaged = Memory();
  std::memset(damaged.data() + kVlRecordArea, 0x30, kVlMemorySize - kVlRecordArea);
  VlDeclaration d;
  ParseDeclarationRecords(damaged.data(), d);
  EXPECT_FALSE(CompactDeclarationRecords(damaged.data()));
  const std::uint8_t tiny[1] = {1};
  EXPECT_FALSE(AppendDeclarationRecord(damaged.data(), 1, tiny, 1));
}

}  // namespace
}  // namespace cumulor
