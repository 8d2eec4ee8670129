// Blits, transparent and alpha blits, gradients, DIB sections and image files, on the pixels.
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/wire.h"
#include "platform/gdi/images.h"
#include "platform/kernel/last_error.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"
#include "tests/platform/gdi/gdi_fixture.h"

using BitmapsTest = Canvas;

namespace {

// A memory DC holding a new w x h bitmap painted with `fill`.
struct Sprite {
  Sprite(int w, int h, COLORREF fill) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, w, h);
    old = SelectObject(dc, bitmap);
    HBRUSH b = CreateSolidBrush(fill);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~Sprite() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

constexpr COLORREF kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

}  // namespace

TEST_F(BitmapsTest, TransparentImageLeavesTheKeyColourOut) {
  Sprite sprite(8, 8, kMagenta);
  HBRUSH blue = CreateSolidBrush(kBlue);
  RECT inner{2, 2, 6, 6};
  FillRect(sprite.dc, &inner, blue);
  DeleteObject(blue);
  HBRUSH green = CreateSolidBrush(kGreen);
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc, &all, green);
  DeleteObject(green);

  // From a DC at natural size, and from the bitmap itself stretched twice.
  ASSERT_TRUE(TransparentImage(dc, 10, 10, 8, 8, sprite.dc, 0, 0, 8, 8, kMagenta));
  EXPECT_EQ(CountColor({10, 10, 18, 18}, kBlue), 16);
  EXPECT_EQ(CountColor({10, 10, 18, 18}, kGreen), 48);
  EXPECT_EQ(CountColor(all, kMagenta), 0);
  SelectObject(sprite.dc, sprite.old);
  ASSERT_TRUE(TransparentImage(dc, 30, 10, 16, 16, sprite.bitmap, 0, 0, 8, 8, kMagenta));
  SelectObject(sprite.dc, sprite.bitmap);
  EXPECT_EQ(CountColor({30, 10, 46, 26}, kBlue), 64);
  EXPECT_EQ(GetPixel(dc, 34, 14), kBlue);
  EXPECT_EQ(CountColor(all, kMagenta), 0);
}

TEST_F(BitmapsTest, GradientFillInterpolatesBetweenTheCorners) {
  TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0}, {kWidth, 40, 0, 0, 0xFF00, 0}};
  GRADIENT_RECT mesh{0, 1};
  ASSERT_TRUE(GradientFill(dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
  EXPECT_EQ(GetPixel(dc, 5, 0), RGB(255, 0, 0));
  COLORREF mid = GetPixel(dc, 5, 20);
  EXPECT_NEAR(GetRValue(mid), 127, 2);
  EXPECT_NEAR(GetBValue(mid), 127, 2);
  COLORREF last = GetPixel(dc, 5, 39);
  EXPECT_LT(GetRValue(last), 10);
  EXPECT_EQ(GetPixel(dc, 5, 40), kWhite);  // the lower edge is exclusive
  // Horizontal: the same along x, constant along y.
  ASSERT_TRUE(GradientFill(dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
  EXPECT_EQ(GetPixel(dc, 32, 3), GetPixel(dc, 32, 30));
  GRADIENT_RECT bad{0, 5};
  EXPECT_FALSE(GradientFill(dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
}

TEST_F(BitmapsTest, BlitsCombineSourcePatternAndDestination) {
  Sprite sprite(4, 4, RGB(0x0F, 0xF0, 0x33));
  SetPixel(dc, 1, 1, RGB(0xF0, 0x0F, 0x55));
  struct Case {
    DWORD rop;
    COLORREF expected;
  } cases[] = {
      {SRCCOPY, RGB(0x0F, 0xF0, 0x33)},
      {SRCINVERT, RGB(0xFF, 0xFF, 0x66)},
      {SRCAND, RGB(0x00, 0x00, 0x11)},
      {SRCPAINT, RGB(0xFF, 0xFF, 0x77)},
      {NOTSRCCOPY, RGB(0xF0, 0x0F, 0xCC)},
      {DSTINVERT, RGB(0x0F, 0xF0, 0xAA)},
      {BLACKNESS, 0},
      {WHITENESS, kWhite},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rop);
    SetPixel(dc, 1, 1, RGB(0xF0, 0x0F, 0x55));
    ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 4, sprite.dc, 0, 0, c.rop));
    EXPECT_EQ(GetPixel(dc, 1, 1), c.expected);
    EXPECT_EQ(GetPixel(dc, 5, 5), kWhite);
  }
  // PatBlt with the selected brush, and a source that is needed but missing.
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(PatBlt(dc, 10, 10, 2, 2, PATCOPY));
  EXPECT_EQ(GetPixel(dc, 11, 11), kBlack);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
}

TEST_F(BitmapsTest, StretchBltScalesAndCopiesOnlyWhatTheSourceHas) {
  Sprite sprite(2, 2, kBlue);
  SetPixel(sprite.dc, 1, 1, kRed);
  ASSERT_TRUE(StretchBlt(dc, 0, 0, 8, 8, sprite.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(CountColor({0, 0, 8, 8}, kBlue), 48);
  EXPECT_EQ(CountColor({4, 4, 8, 8}, kRed), 16);
  // A source rectangle running past the bitmap leaves the rest of the destination alone.
  ASSERT_TRUE(BitBlt(dc, 20, 20, 6, 6, sprite.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(CountColor({20, 20, 26, 26}, kWhite), 32);
  // Copying a DC onto itself with overlap (scrolling).
  ASSERT_TRUE(BitBlt(dc, 1, 0, 8, 8, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(CountColor({1, 0, 5, 4}, kBlue), 16);
}

TEST_F(BitmapsTest, AlphaBlendMixesWithConstantAndPerPixelAlpha) {
  Sprite sprite(4, 4, RGB(0, 0, 200));
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  ASSERT_TRUE(AlphaBlend(dc, 0, 0, 4, 4, sprite.dc, 0, 0, 4, 4, half));
  COLORREF p = GetPixel(dc, 1, 1);
  EXPECT_NEAR(GetRValue(p), 127, 2);
  EXPECT_NEAR(GetBValue(p), 227, 2);

  // A 32-bit DIB section with premultiplied alpha written by the program.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  auto* px = static_cast<std::uint32_t*>(bits);
  px[0] = 0x00000000;  // fully transparent
  px[1] = 0xFF00FF00;  // opaque green
  px[2] = 0x80800000;  // half red, premultiplied
  px[3] = 0xFF0000FF;
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, dib);
  BLENDFUNCTION per_pixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ASSERT_TRUE(AlphaBlend(dc, 10, 10, 2, 2, mem, 0, 0, 2, 2, per_pixel));
  EXPECT_EQ(GetPixel(dc, 10, 10), kWhite);
  EXPECT_EQ(GetPixel(dc, 11, 10), kGreen);
  p = GetPixel(dc, 10, 11);
  EXPECT_EQ(GetRValue(p), 255);
  EXPECT_NEAR(GetGValue(p), 127, 2);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);
}

TEST_F(BitmapsTest, DibSectionBitsFollowTheDrawingBothWays) {
  // 16 bits a pixel, 5-6-5, bottom-up: the bits are converted around every operation.
  struct {
    BITMAPINFOHEADER h;
    DWORD masks[3];
  } info{{sizeof(BITMAPINFOHEADER), 4, 2, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, {0xF800, 0x07E0, 0x001F}};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  BITMAP bm;
  ASSERT_EQ(GetObjectW(dib, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 16);
  EXPECT_EQ(bm.bmBits, bits);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, dib);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT top_row{0, 0, 4, 1};
  FillRect(mem, &top_row, red);
  auto* words = static_cast<std::uint16_t*>(bits);
  EXPECT_EQ(words[4], 0xF800);  // the top row is the second in memory
  EXPECT_EQ(words[0], 0x0000);
  words[1] = 0x001F;  // blue, written by the program
  EXPECT_EQ(GetPixel(mem, 1, 1), kBlue);
  SelectObject(mem, old);
  DeleteObject(red);
  DeleteDC(mem);
  DeleteObject(dib);
  // A block that lies about its format is refused.
  info.h.biBitCount = 7;
  EXPECT_EQ(CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

class ImageFilesTest : public ce::testing::DeviceTest {
 protected:
  std::filesystem::path Write(const std::string& name, const std::vector<unsigned char>& bytes) {
    auto path = device_folder() / "root" / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // A 3 x 2 24-bit BMP file, bottom-up: first row red, green, blue; second row white.
  static std::vector<unsigned char> Bmp() {
    ce::wire::Writer w;
    const int stride = 12;  // 9 bytes of pixels padded to 4
    w.U8('B'), w.U8('M'), w.U32(54 + 2 * stride), w.U32(0), w.U32(54);
    w.U32(40), w.I32(3), w.I32(2), w.U16(1), w.U16(24), w.U32(0), w.U32(2 * stride), w.U32(0), w.U32(0), w.U32(0), w.U32(0);
    for (int i = 0; i < 9; ++i) w.U8(255);
    w.U8(0), w.U8(0), w.U8(0);
    const unsigned char row[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    for (unsigned char b : row) w.U8(b);
    return w.Take();
  }
};

TEST_F(ImageFilesTest, BmpAndPngFilesLoadAsBitmaps) {
  Write("Themes/Pic.bmp", Bmp());
  HBITMAP bmp = SHLoadImageFile(u"\\themes\\pic.BMP");
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(ce::gdi::BitmapSize(bmp).cx, 3);
  EXPECT_EQ(ce::gdi::BitmapPixel(bmp, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(ce::gdi::BitmapPixel(bmp, 2, 0), RGB(0, 0, 255));
  EXPECT_EQ(ce::gdi::BitmapPixel(bmp, 1, 1), RGB(255, 255, 255));

  // The same picture through PNG: saved by the screenshot seam, loaded back.
  auto png = device_folder() / "root" / "pic.png";
  ASSERT_TRUE(ce::gdi::SaveBitmapPng(bmp, png));
  HBITMAP back = static_cast<HBITMAP>(LoadImageW(nullptr, u"\\pic.png", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(ce::gdi::BitmapPixel(back, 1, 0), RGB(0, 255, 0));
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, u"\\pic.png", IMAGE_ICON, 6, 4, LR_LOADFROMFILE));
  ASSERT_NE(icon, nullptr);
  DestroyIcon(icon);
  DeleteObject(back);
  DeleteObject(bmp);
}

// Images larger than the device takes (4096 x 4096 pixels) are refused from their header, before
// anything is decoded or reserved (the PNG fixtures came from fuzzing the loader).
TEST_F(ImageFilesTest, ImagesLargerThanTheDeviceTakesAreRefusedFromTheirHeader) {
  auto fixture = [](const char* name) {
    std::ifstream in(std::filesystem::path(GDI_IMAGE_FIXTURES) / name, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
  };
  // A complete one-bit BMP of 4097 x 4096 pixels: every byte is there, it is only too large.
  const int width = 4097, height = 4096, stride = (width + 31) / 32 * 4;
  ce::wire::Writer w;
  w.U8('B'), w.U8('M'), w.U32(62 + stride * height), w.U32(0), w.U32(62);
  w.U32(40), w.I32(width), w.I32(height), w.U16(1), w.U16(1), w.U32(0), w.U32(stride * height), w.U32(0), w.U32(0);
  w.U32(2), w.U32(0), w.U32(0), w.U32(0x00FFFFFF);
  std::vector<unsigned char> bmp = w.Take();
  bmp.resize(bmp.size() + static_cast<std::size_t>(stride) * height);

  Write("huge_header.png", fixture("huge_header.png"));
  Write("inflating_zeros.png", fixture("inflating_zeros.png"));
  Write("wide.bmp", bmp);
  for (const char16_t* name : {u"\\huge_header.png", u"\\inflating_zeros.png", u"\\wide.bmp"}) {
    SCOPED_TRACE(ce::text::ToUtf8(name));
    EXPECT_EQ(SHLoadImageFile(name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(LoadImageW(nullptr, name, IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  }

  // The largest image taken loads whole; a small one is not scaled past the limit either.
  Write("largest_allowed.png", fixture("largest_allowed.png"));
  HBITMAP largest = SHLoadImageFile(u"\\largest_allowed.png");
  ASSERT_NE(largest, nullptr);
  EXPECT_EQ(ce::gdi::BitmapSize(largest).cx, 4096);
  EXPECT_EQ(ce::gdi::BitmapSize(largest).cy, 4096);
  DeleteObject(largest);
  Write("small.bmp", Bmp());
  EXPECT_EQ(LoadImageW(nullptr, u"\\small.bmp", IMAGE_BITMAP, 4097, 4096, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(ImageFilesTest, DamagedOrMissingFilesGiveNoBitmap) {
  auto bytes = Bmp();
  Write("short.bmp", std::vector<unsigned char>(bytes.begin(), bytes.end() - 5));
  auto lying = bytes;
  lying[18] = 0xFF, lying[19] = 0x7F;  // width far beyond the pixels present
  Write("lying.bmp", lying);
  Write("empty.png", {});
  Write("junk.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3});
  for (const char16_t* name : {u"\\short.bmp", u"\\lying.bmp", u"\\empty.png", u"\\junk.png"}) {
    SCOPED_TRACE(std::string(name, name + 10));
    EXPECT_EQ(SHLoadImageFile(name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));
  }
  EXPECT_EQ(SHLoadImageFile(u"\\missing.png"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // Resource images come through the seam; without a source the load fails.
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(101)), nullptr);
  ce::gdi::SetResourceImageSource([](HINSTANCE, LPCWSTR name, UINT) -> std::optional<std::vector<unsigned char>> {
    if (name == MAKEINTRESOURCEW(101)) return Bmp();
    return std::nullopt;
  });
  HBITMAP res = LoadBitmapW(nullptr, MAKEINTRESOURCEW(101));
  EXPECT_NE(res, nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(102)), nullptr);
  ce::gdi::SetResourceImageSource(nullptr);
  DeleteObject(res);
}
