#include "platform/kernel/handle_table.h"

#include <gtest/gtest.h>

namespace {

struct Probe : ce::kernel::KernelObject {
  explicit Probe(int* closed) : closed_(closed) {}
  void OnHandleClosed() override { ++*closed_; }
  int* closed_;
};

TEST(HandleTable, HandlesAreDistinctAndCloseOnce) {
  int closed = 0;
  HANDLE a = ce::kernel::InsertHandle(std::make_shared<Probe>(&closed));
  HANDLE b = ce::kernel::DuplicateHandleOf(a);
  ASSERT_NE(a, b);
  EXPECT_EQ(ce::kernel::LookupHandle(a), ce::kernel::LookupHandle(b));
  EXPECT_TRUE(ce::kernel::RemoveHandle(a));
  EXPECT_FALSE(ce::kernel::RemoveHandle(a));
  EXPECT_EQ(ce::kernel::LookupHandle(a), nullptr);
  EXPECT_NE(ce::kernel::LookupAs<Probe>(b), nullptr);
  EXPECT_TRUE(ce::kernel::RemoveHandle(b));
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(ce::kernel::LookupHandle(nullptr), nullptr);
  EXPECT_EQ(ce::kernel::LookupHandle(INVALID_HANDLE_VALUE), nullptr);
}

}  // namespace
