// Bad input to the drawing calls: dead handles, extreme coordinates and sizes, lying headers and
// text counts. Each must fail cleanly or draw within the bitmap, never crash or read out of bounds.
#include <climits>
#include <cstring>
#include <vector>

#include "platform/gdi/images.h"
#include "tests/platform/gdi/gdi_fixture.h"

using OddInputTest = Canvas;

TEST_F(OddInputTest, DeadAndWrongHandlesAreRefused) {
  HDC dead = CreateCompatibleDC(nullptr);
  DeleteDC(dead);
  HBRUSH brush = CreateSolidBrush(kRed);
  RECT r{0, 0, 4, 4};
  POINT pts[3] = {{0, 0}, {4, 0}, {0, 4}};
  // A brush where a DC belongs, and a DC that has ended.
  for (HDC bad : {dead, reinterpret_cast<HDC>(brush), static_cast<HDC>(nullptr)}) {
    EXPECT_FALSE(Rectangle(bad, 0, 0, 4, 4));
    EXPECT_FALSE(Polygon(bad, pts, 3));
    EXPECT_EQ(FillRect(bad, &r, brush), 0);
    EXPECT_FALSE(BitBlt(bad, 0, 0, 4, 4, dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dc, 0, 0, 4, 4, bad, 0, 0, SRCCOPY));
    EXPECT_FALSE(TextOutW(bad, 0, 0, u"x", 1));
    EXPECT_EQ(DrawTextW(bad, u"x", 1, &r, 0), 0);
    EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(bad, brush), nullptr);
    EXPECT_FALSE(DeleteDC(bad));
  }
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(dead)), nullptr);
  EXPECT_EQ(FillRect(dc, &r, reinterpret_cast<HBRUSH>(dead)), 0);
  DeleteObject(brush);
  EXPECT_FALSE(DeleteObject(brush));
}

TEST_F(OddInputTest, ExtremeCoordinatesDrawOnlyInsideTheBitmap) {
  HBRUSH red = CreateSolidBrush(kRed);
  HGDIOBJ old = SelectObject(dc, red);
  HPEN wide = CreatePen(PS_SOLID, INT_MAX, kRed);
  HGDIOBJ old_pen = SelectObject(dc, wide);
  const int far[] = {INT_MIN, INT_MIN + 1, -(1 << 30), 1 << 30, INT_MAX - 1, INT_MAX};
  for (int a : far) {
    for (int b : far) {
      Rectangle(dc, a, a, b, b);
      Ellipse(dc, a, 0, b, 10);
      RoundRect(dc, a, a, b, b, a, b);
      Arc(dc, a, a, b, b, a, b, b, a);
      Pie(dc, a, a, b, b, a, b, b, a);
      MoveToEx(dc, a, b, nullptr);
      LineTo(dc, b, a);
      POINT pts[3] = {{a, a}, {b, a}, {a, b}};
      Polygon(dc, pts, 3);
      Polyline(dc, pts, 3);
      RECT r{a, a, b, b};
      FillRect(dc, &r, red);
      FrameRect(dc, &r, red);
      DrawFocusRect(dc, &r);
      DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
      SetROP2(dc, R2_XORPEN);
      Rectangle(dc, a, a, b, b);
      LineTo(dc, a, b);
      SetROP2(dc, R2_COPYPEN);
      SetPixel(dc, a, b, kRed);
      GetPixel(dc, a, b);
      PatBlt(dc, a, a, b, b, DSTINVERT);
      BitBlt(dc, a, b, b, a, dc, b, a, SRCCOPY);
      BitBlt(dc, a, b, 8, 8, dc, b, a, SRCINVERT);
      StretchBlt(dc, a, a, b, b, dc, b, b, a, a, SRCCOPY);
      StretchBlt(dc, 0, 0, 8, 8, dc, a, b, b, a, SRCINVERT);
      TransparentImage(dc, a, a, b, b, dc, a, b, b, a, kRed);
      IntersectClipRect(dc, a, a, b, b);
      ExcludeClipRect(dc, a, a, b, b);
      SelectClipRgn(dc, nullptr);
      HRGN rgn = CreateRectRgn(a, a, b, b);
      OffsetRgn(rgn, a, b);
      FillRgn(dc, rgn, red);
      DeleteObject(rgn);
      TRIVERTEX v[3] = {{a, a, 0xFF00, 0, 0, 0}, {b, b, 0, 0, 0xFF00, 0}, {a, b, 0, 0xFF00, 0, 0}};
      GRADIENT_RECT gr{0, 1};
      GradientFill(dc, v, 3, &gr, 1, GRADIENT_FILL_RECT_H);
      GRADIENT_TRIANGLE tri{0, 1, 2};
      GradientFill(dc, v, 3, &tri, 1, GRADIENT_FILL_TRIANGLE);
      TextOutW(dc, a, b, u"Far", 3);
      RECT t{a, a, b, b};
      DrawTextW(dc, u"Far away", -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      DrawTextW(dc, u"Far away", -1, &t, DT_CALCRECT | DT_WORDBREAK);
    }
  }
  SelectObject(dc, old);
  SelectObject(dc, old_pen);
  DeleteObject(red);
  DeleteObject(wide);
  EXPECT_EQ(GetPixel(dc, kWidth, 0), CLR_INVALID);
}

// A pen wider than 65,536 draws as one of that width, with either raster operation: a line whose
// round ends reach 30,000 pixels to the canvas covers it, one 40,000 pixels away does not.
TEST_F(OddInputTest, PensWiderThanTheBoundDrawAsTheBound) {
  const RECT all{0, 0, kWidth, kHeight};
  for (int rop : {R2_COPYPEN, R2_XORPEN}) {
    for (int away : {30000, 40000}) {
      SCOPED_TRACE(testing::Message() << "rop " << rop << ", " << away << " pixels away");
      std::vector<std::vector<COLORREF>> drawn;
      for (int width : {INT_MAX, 1 << 16}) {
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HPEN pen = CreatePen(PS_SOLID, width, kRed);
        HGDIOBJ old = SelectObject(dc, pen);
        SetROP2(dc, rop);
        MoveToEx(dc, -away, 10, nullptr);
        LineTo(dc, -away, 20);
        SetROP2(dc, R2_COPYPEN);
        SelectObject(dc, old);
        DeleteObject(pen);
        drawn.push_back(Snapshot());
      }
      EXPECT_EQ(drawn[0], drawn[1]);
      const COLORREF expected = away + kWidth < (1 << 15) ? (rop == R2_XORPEN ? RGB(0, 255, 255) : kRed) : kWhite;
      EXPECT_EQ(CountColor(all, expected), kWidth * kHeight);
    }
  }
}

TEST_F(OddInputTest, PolygonCountsAndBitmapSizes) {
  POINT pts[2] = {{1, 1}, {5, 5}};
  for (int count : {0, -1, INT_MIN, 1}) {
    EXPECT_FALSE(Polygon(dc, pts, count)) << count;
    EXPECT_FALSE(Polyline(dc, pts, count)) << count;
  }
  EXPECT_FALSE(Polygon(dc, nullptr, 3));
  for (auto [w, h] : std::vector<std::pair<int, int>>{{-1, 4}, {4, -1}, {INT_MAX, 4}, {4, INT_MAX}, {INT_MIN, INT_MIN}}) {
    EXPECT_EQ(CreateCompatibleBitmap(dc, w, h), nullptr) << w << "x" << h;
    EXPECT_EQ(CreateBitmap(w, h, 1, 32, nullptr), nullptr) << w << "x" << h;
  }
}

TEST_F(OddInputTest, DibHeadersThatLieAreRefused) {
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } info{};
  void* bits = nullptr;
  auto make = [&](LONG w, LONG h, WORD bpp, DWORD size, DWORD compression, DWORD used) {
    std::memset(&info, 0, sizeof info);
    info.h.biSize = size;
    info.h.biWidth = w;
    info.h.biHeight = h;
    info.h.biPlanes = 1;
    info.h.biBitCount = bpp;
    info.h.biCompression = compression;
    info.h.biClrUsed = used;
    return reinterpret_cast<BITMAPINFO*>(&info);
  };
  struct Case {
    LONG w, h;
    WORD bpp;
    DWORD size, compression, used;
  } bad[] = {
      {0, 4, 32, 40, BI_RGB, 0},       {-4, 4, 32, 40, BI_RGB, 0},      {4, 0, 32, 40, BI_RGB, 0},
      {4, INT_MIN, 32, 40, BI_RGB, 0}, {INT_MAX, 4, 32, 40, BI_RGB, 0}, {4, 4, 3, 40, BI_RGB, 0},
      {4, 4, 8, 40, BI_RGB, 257},      {4, 4, 8, 39, BI_RGB, 0},        {4, 4, 8, 0xFFFFFFF0u, BI_RGB, 0},
      {4, 4, 8, 0x100000, BI_RGB, 0},  {4, 4, 24, 40, BI_BITFIELDS, 0}, {4, 4, 8, 40, 1 /* RLE8 */, 0},
  };
  for (const Case& c : bad) {
    HBITMAP b = CreateDIBSection(nullptr, make(c.w, c.h, c.bpp, c.size, c.compression, c.used), DIB_RGB_COLORS, &bits, nullptr, 0);
    EXPECT_EQ(b, nullptr) << c.w << "x" << c.h << " bpp " << c.bpp << " size " << c.size;
    EXPECT_EQ(bits, nullptr);
    if (b) DeleteObject(b);
    EXPECT_EQ(CreateDIBPatternBrushPt(&info, DIB_RGB_COLORS), nullptr);
  }
  // Masks whose bits are not contiguous: a channel stays within its own byte.
  BITMAPINFO* bi = make(1, 1, 16, 40, BI_BITFIELDS, 0);
  DWORD masks[3] = {0x8001, 0x0FF0, 0x0000};
  std::memcpy(info.colors, masks, sizeof masks);
  HBITMAP b = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(b, nullptr);
  std::memset(bits, 0xFF, 2);
  EXPECT_EQ(ce::gdi::BitmapPixel(b, 0, 0), RGB(255, 255, 0));
  DeleteObject(b);
}

TEST_F(OddInputTest, TextCountsStopAtTheEndOfTheText) {
  // A count longer than the text: drawing and measuring stop at its terminating zero.
  const char16_t text[] = u"Hi";
  SIZE exact{}, longer{};
  ASSERT_TRUE(GetTextExtentPoint32W(dc, text, 2, &exact));
  ASSERT_TRUE(GetTextExtentPoint32W(dc, text, 1 << 20, &longer));
  EXPECT_EQ(longer.cx, exact.cx);
  EXPECT_TRUE(TextOutW(dc, 0, 0, text, 1 << 20));
  EXPECT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, text, 0xFFFFFFF0u, nullptr));
  RECT r{0, 0, kWidth, kHeight};
  EXPECT_GT(DrawTextW(dc, text, 1 << 20, &r, DT_CALCRECT), 0);
  int fit = -1;
  int dx[2] = {};
  ASSERT_TRUE(GetTextExtentExPointW(dc, text, 1 << 20, 1000, &fit, dx, &longer));
  EXPECT_EQ(fit, 2);
}

TEST_F(OddInputTest, AbsurdFontHeightsStillMeasure) {
  for (LONG height : {LONG{INT_MIN}, LONG{-1}, LONG{0}, LONG{1}, LONG{INT_MAX}}) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = height;
    lf.lfEscapement = height;
    HFONT font = CreateFontIndirectW(&lf);
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(dc, &tm));
    EXPECT_GT(tm.tmHeight, 0);
    EXPECT_TRUE(TextOutW(dc, 1, 1, u"Wide", 4));
    SelectObject(dc, old);
    DeleteObject(font);
  }
}

TEST_F(OddInputTest, DamagedImagesAreRefused) {
  // A BMP whose pixels are cut short, and a PNG cut after its header.
  std::vector<unsigned char> bmp(14 + 40 + 8, 0);
  bmp[0] = 'B', bmp[1] = 'M';
  bmp[10] = 54;
  bmp[14] = 40;
  bmp[18] = 100;  // 100 x 100 at 24 bits, 8 bytes of pixels
  bmp[22] = 100;
  bmp[26] = 1;
  bmp[28] = 24;
  EXPECT_EQ(ce::gdi::BitmapFromImageData(bmp.data(), bmp.size()), nullptr);
  bmp[10] = 0xFF, bmp[11] = 0xFF, bmp[12] = 0xFF, bmp[13] = 0xFF;
  EXPECT_EQ(ce::gdi::BitmapFromImageData(bmp.data(), bmp.size()), nullptr);
  for (std::size_t n : {std::size_t{0}, std::size_t{13}, std::size_t{14}, std::size_t{20}})
    EXPECT_EQ(ce::gdi::BitmapFromImageData(bmp.data(), n), nullptr) << n;
  const unsigned char png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0x7F, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ce::gdi::BitmapFromImageData(png, sizeof png), nullptr);
  EXPECT_EQ(ce::gdi::IconFromImageData(png, sizeof png), nullptr);
  EXPECT_EQ(ce::gdi::BitmapFromImageData(nullptr, 100), nullptr);
}
