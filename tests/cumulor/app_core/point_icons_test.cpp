// The point icons are resources of the program: 16 x 16 images with a mask.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/resources/resources.h"
#include "tests/cumulor/app_core/app_fixture.h"

namespace {

TEST(PointIcons, EveryPointIconIsASixteenPixelImage) {
  for (int id : {163, 164, 165, 174, 176, 180, 181, 182, 183, 184, 185, 186, 187, 188, 209}) {
    SCOPED_TRACE(id);
    HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(id));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    ASSERT_NE(GetObjectW(info.hbmColor, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 16);
    DestroyIcon(icon);
  }
}

}  // namespace
