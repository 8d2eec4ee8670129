#include "platform/text/format.h"

#include <gtest/gtest.h>

namespace {
TEST(Format, Smoke) { EXPECT_EQ(ce::text::Format(u"%d", 5), u"5"); }
}  // namespace
