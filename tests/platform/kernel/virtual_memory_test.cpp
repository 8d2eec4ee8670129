// Reserved address space committed in parts, and what is refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"

namespace {

TEST(VirtualMemoryTest, ReserveThenCommitPartThenRelease) {
  constexpr SIZE_T kReserve = 2 * 1024 * 1024, kCommit = 64 * 1024;
  auto* base = static_cast<BYTE*>(VirtualAlloc(nullptr, kReserve, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) % (64 * 1024), 0u);
  ASSERT_EQ(VirtualAlloc(base, kCommit, MEM_COMMIT, PAGE_READWRITE), base);
  // Committed pages start zeroed and keep what is written.
  EXPECT_EQ(base[0], 0);
  EXPECT_EQ(base[kCommit - 1], 0);
  std::memset(base + 200, 0x5A, 100);
  EXPECT_EQ(base[299], 0x5A);
  // A later commit inside the range answers its page; one reaching past the range is refused.
  EXPECT_EQ(VirtualAlloc(base + kCommit + 10, 5, MEM_COMMIT, PAGE_READWRITE), base + kCommit);
  EXPECT_EQ(VirtualAlloc(base + kReserve - 10, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  // Only the whole reservation, from its base with size 0, is released.
  EXPECT_FALSE(VirtualFree(base + 4096, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(base, kReserve, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(base, 0, MEM_RELEASE));  // already given back
  EXPECT_EQ(VirtualAlloc(base, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
}

TEST(VirtualMemoryTest, ReserveAndCommitTogetherAndDecommit) {
  auto* block = static_cast<BYTE*>(VirtualAlloc(nullptr, 10000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(block, nullptr);
  block[9999] = 7;
  EXPECT_TRUE(VirtualFree(block, 4096, MEM_DECOMMIT));
  ASSERT_EQ(VirtualAlloc(block, 4096, MEM_COMMIT, PAGE_READWRITE), block);
  EXPECT_EQ(block[0], 0);      // decommitted contents are gone
  EXPECT_EQ(block[9999], 7);   // the rest stays
  EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
  // Bad requests.
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_RESERVE, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_RESERVE, 0x80), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, 0, PAGE_READWRITE), nullptr);
  EXPECT_FALSE(VirtualFree(nullptr, 0, 0));
}

}  // namespace
