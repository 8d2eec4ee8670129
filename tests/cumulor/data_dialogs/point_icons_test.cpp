#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/data/dialogs/point_icons.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/resource_set.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PointIcons : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    const std::string dir = CUMULOR_RES_DIR;
    std::ifstream in(dir + "/icons-points.txt");
    ASSERT_TRUE(in) << "the icon resource text is missing";
    std::stringstream text;
    text << in.rdbuf();
    for (int id : {163, 164, 165, 174, 176, 180, 181, 182, 183, 184, 185, 186, 187, 188, 209}) {
      const std::string name = "icons/points/" + std::to_string(id) + ".png";
      files[name] = ReadBytes(dir + "/" + name);
      ASSERT_FALSE(files[name].empty()) << name;
    }
    resourceText = text.str();
  }
  void TearDown() override {
    FreeWaypointIcons();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  // The colours of a 16 x 16 square after drawing image n onto white.
  static std::vector<COLORREF> Drawn(std::int32_t n) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawPointIcon(dc, n, 0, 0);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
  }
  static int NonWhite(const std::vector<COLORREF>& pixels) {
    int n = 0;
    for (COLORREF c : pixels) n += c != RGB(255, 255, 255);
    return n;
  }
  std::string resourceText;
  std::map<std::string, std::vector<std::uint8_t>> files;
};

TEST_F(PointIcons, EveryPointKindHasItsOwnIconAndTheDisplayBitsAreSet) {
  ASSERT_EQ(ce::resources::AddModuleResourceText(u"", resourceText, files), "");
  std::uint32_t flags = 0x10;
  InitWaypointIcons(nullptr, flags);
  EXPECT_EQ(flags, 0x10u | 0x1u | 0x8u | 0x20u | 0x40u);
  ASSERT_NE(WaypointImageList(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(WaypointImageList()), kPointImageCount);

  // Every image draws something; the runway directions north, north-east, east and south-east
  // (images 7 to 10) each look different, the opposite directions alike.
  std::vector<std::vector<COLORREF>> images;
  for (std::int32_t n = 0; n < kPointImageCount; ++n) {
    images.push_back(Drawn(n));
    EXPECT_GT(NonWhite(images.back()), 8) << "image " << n;
  }
  for (std::int32_t n = 7; n <= 10; ++n) {
    for (std::int32_t m = 7; m < n; ++m) EXPECT_NE(images[m], images[n]) << "images " << m << " and " << n;
    EXPECT_EQ(images[n], images[n + 4]) << "image " << n;
  }
  EXPECT_NE(images[1], images[2]);
  EXPECT_NE(images[3], images[4]);
  // A second initialisation keeps the list; an index outside it draws nothing.
  HIMAGELIST first = WaypointImageList();
  InitWaypointIcons(nullptr, flags);
  EXPECT_EQ(WaypointImageList(), first);
  EXPECT_EQ(NonWhite(Drawn(kPointImageCount)), 0);
  EXPECT_EQ(NonWhite(Drawn(-1)), 0);
}

TEST_F(PointIcons, AMissingIconLeavesABlankImageInItsPlace) {
  // Without icon 174 (image 2) the later icons keep their indexes.
  std::string text;
  std::istringstream lines(resourceText);
  for (std::string line; std::getline(lines, line);)
    if (line.find("174") == std::string::npos) text += line + "\n";
  ASSERT_EQ(ce::resources::AddModuleResourceText(u"", text, files), "");
  HIMAGELIST list = CreateWaypointImageList(nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), kPointImageCount);
  ImageList_Destroy(list);

  std::uint32_t flags = 0;
  InitWaypointIcons(nullptr, flags);
  EXPECT_EQ(NonWhite(Drawn(2)), 0);
  EXPECT_GT(NonWhite(Drawn(3)), 8);
}

}  // namespace
}  // namespace cumulor
