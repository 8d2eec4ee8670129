#include <gtest/gtest.h>

#include <cstring>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/dyn_string.h"

namespace cumulor {
namespace {

TEST(DynArray, GrowthAddsStepOrAnEighthClampedAndZeroFills) {
  struct Case {
    std::int32_t step, size, capacity;
  } cases[] = {
      {0, 1, 5},         // 1 + clamp(0, 4, 1024)
      {0, 100, 112},     // 100 + 12
      {0, 20000, 21024},  // 20000 + clamp(2500, 4, 1024)
      {30, 1, 31},
      {4999, 10, 5009},
  };
  for (const Case& c : cases) {
    DynArray<std::int32_t> a;
    ASSERT_EQ(a.SetSize(c.size, c.step), S_OK);
    EXPECT_EQ(a.Capacity(), c.capacity) << c.step << " " << c.size;
    for (std::int32_t v : a) EXPECT_EQ(v, 0);
  }
  // Shrinking keeps the block; growing again within it zero-fills the reused elements.
  DynArray<std::int32_t> a;
  a.SetSize(8);
  for (auto& v : a) v = 7;
  a.SetSize(2);
  a.SetSize(8);
  EXPECT_EQ(a[1], 7);
  EXPECT_EQ(a[2], 0);
  EXPECT_EQ(a.SetSize(-1), E_INVALIDARG);
  EXPECT_EQ(a.SetSize(DynArray<std::int32_t>::kMaxElements + 1), E_OUTOFMEMORY);
  EXPECT_EQ(a.Size(), 8);
}

TEST(DynArray, ReserveMakesExactRoomAndKeepsTheElements) {
  DynArray<int> a(16);
  a.Append(1);
  a.Append(2);
  ASSERT_EQ(a.Reserve(40), S_OK);
  EXPECT_EQ(a.Capacity(), 40);
  EXPECT_EQ(a.Reserve(3), S_OK);  // never shrinks
  EXPECT_EQ(a.Capacity(), 40);
  EXPECT_EQ(a.Size(), 2);
  EXPECT_EQ(a[1], 2);
  EXPECT_EQ(a.GrowStep(), 16);
  EXPECT_EQ(a.Reserve(-1), E_INVALIDARG);
  EXPECT_EQ(a.Reserve(DynArray<int>::kMaxElements + 1), E_OUTOFMEMORY);
}

TEST(DynArray, StackAndInsertOperations) {
  DynArray<int> a;
  for (int i = 0; i < 100; ++i) a.Append(i);
  a.Append(a[0]);  // an element of its own block
  a.Append(a.Data(), 3);
  EXPECT_EQ(a.Size(), 104);
  EXPECT_EQ(a.Pop(), 2);
  a.InsertAt(0, -1);
  a.RemoveAt(1);
  EXPECT_EQ(a[0], -1);
  EXPECT_EQ(a[1], 1);
  DynArray<int> copy = a;
  a.FreeData();
  EXPECT_EQ(copy.Size(), 103);
  EXPECT_EQ(a.Pop(), 0);  // empty: nothing to take
}

TEST(DynString, TerminatorRules) {
  DynString s;
  EXPECT_FALSE(s.IsTerminated());
  s.AssignNarrow("abc");
  EXPECT_EQ(s.Size(), 4);
  EXPECT_TRUE(s.IsTerminated());
  s.AppendChar('d');  // drops the NUL, adds none
  EXPECT_EQ(s.Size(), 4);
  EXPECT_FALSE(s.IsTerminated());
  s.Terminate();
  s.Terminate();
  EXPECT_STREQ(s.CStr(), "abcd");
  EXPECT_EQ(s.Size(), 5);

  DynString tail("ef");
  s.AppendString(tail);  // whole content, NUL included
  EXPECT_STREQ(s.CStr(), "abcdef");
  EXPECT_EQ(s.Size(), 7);
  s.DropLast();
  s.AppendText("gh");
  s.Terminate();
  EXPECT_STREQ(s.CStr(), "abcdefgh");

  DynString blanks;
  blanks.AssignRepeat(' ', 6);
  EXPECT_EQ(blanks.Size(), 6);
  EXPECT_STREQ(blanks.CStr(), "");  // not terminated: no text

  DynWString w;
  w.AssignNarrow("\xE9t\xFF");
  EXPECT_EQ(std::u16string(w.CStr()), u"\u00E9t\u00FF");
}

TEST(DynString, BufferEqualsComparesSizeAndBytes) {
  DynString a("Zoom"), b("Zoom"), c("zoom"), d("Zoo");
  EXPECT_TRUE(BufferEquals(a, b));
  EXPECT_FALSE(BufferEquals(a, c));
  EXPECT_FALSE(BufferEquals(a, d));
  DynString e;
  e.AssignBytes("Zoom\0", 5);  // same letters, one byte longer
  EXPECT_FALSE(BufferEquals(a, e));
}

}  // namespace
}  // namespace cumulor
