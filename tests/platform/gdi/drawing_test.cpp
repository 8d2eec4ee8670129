// Shapes, raster operations, clipping and text on a memory DC, checked on the pixels.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/gdi/gdi_fixture.h"

using DrawingTest = Canvas;

TEST_F(DrawingTest, RectangleFillsInsideWithBrushAndOutlinesWithPen) {
  HBRUSH red = CreateSolidBrush(kRed);
  HGDIOBJ old = SelectObject(dc, red);
  ASSERT_TRUE(Rectangle(dc, 10, 10, 30, 20));
  EXPECT_EQ(GetPixel(dc, 10, 10), kBlack);  // outline on the inside edge
  EXPECT_EQ(GetPixel(dc, 29, 19), kBlack);
  EXPECT_EQ(GetPixel(dc, 11, 11), kRed);
  EXPECT_EQ(GetPixel(dc, 28, 18), kRed);
  EXPECT_EQ(GetPixel(dc, 30, 15), kWhite);  // right and bottom are exclusive
  EXPECT_EQ(GetPixel(dc, 15, 20), kWhite);
  EXPECT_EQ(CountColor({0, 0, kWidth, kHeight}, kRed), 18 * 8);

  // With the null pen the shape is one pixel smaller to the right and bottom.
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 40, 10, 50, 20);
  EXPECT_EQ(CountColor({38, 8, 52, 22}, kRed), 9 * 9);
  SelectObject(dc, old);
  DeleteObject(red);
}

TEST_F(DrawingTest, XorAndNotXorDrawnTwiceLeaveThePixelsAsTheyWere) {
  // A background with several colours, so that a wrong combination shows.
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) SetPixel(dc, x, y, RGB(x * 4, y * 5, (x ^ y) * 3));
  const auto before = Snapshot();
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0x12, 0xF0, 0x0F));
  HBRUSH brush = CreateSolidBrush(RGB(0x80, 0x40, 0xFF));
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  const POINT poly[] = {{5, 5}, {50, 8}, {40, 40}, {8, 30}};
  for (int rop : {R2_XORPEN, R2_NOTXORPEN, R2_NOT}) {
    SCOPED_TRACE(rop);
    SetROP2(dc, rop);
    MoveToEx(dc, 2, 3, nullptr);
    LineTo(dc, 60, 44);
    Polygon(dc, poly, 4);
    EXPECT_NE(Snapshot(), before);
    MoveToEx(dc, 2, 3, nullptr);
    LineTo(dc, 60, 44);
    Polygon(dc, poly, 4);
    EXPECT_EQ(Snapshot(), before);
  }
  // One XOR pass combines each touched pixel once with the pen colour.
  SetROP2(dc, R2_XORPEN);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  COLORREF under = GetPixel(dc, 20, 40);
  MoveToEx(dc, 10, 40, nullptr);
  LineTo(dc, 30, 40);
  EXPECT_EQ(GetPixel(dc, 20, 40), under ^ 0xFFFFFF);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST_F(DrawingTest, LinesLeaveOutTheirLastPointAndMoveThePosition) {
  MoveToEx(dc, 5, 5, nullptr);
  LineTo(dc, 15, 5);
  EXPECT_EQ(GetPixel(dc, 5, 5), kBlack);
  EXPECT_EQ(GetPixel(dc, 14, 5), kBlack);
  EXPECT_EQ(GetPixel(dc, 15, 5), kWhite);
  POINT p;
  MoveToEx(dc, 0, 0, &p);
  EXPECT_EQ(p.x, 15);
  EXPECT_EQ(p.y, 5);
}

TEST_F(DrawingTest, ClipRegionsLimitEveryDrawing) {
  HBRUSH red = CreateSolidBrush(kRed);
  HRGN region = CreateRectRgn(10, 10, 20, 20);
  EXPECT_EQ(SelectClipRgn(dc, region), SIMPLEREGION);
  DeleteObject(region);  // the DC keeps its own copy
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc, &all, red);
  EXPECT_EQ(CountColor(all, kRed), 100);
  ExcludeClipRect(dc, 10, 10, 15, 20);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 15);
  SelectClipRgn(dc, nullptr);
  IntersectClipRect(dc, 40, 0, 50, 5);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  MoveToEx(dc, 0, 2, nullptr);
  LineTo(dc, kWidth, 2);
  EXPECT_EQ(CountColor({0, 2, kWidth, 3}, kBlack), 10);
  // A saved DC state brings the clip back.
  int saved = SaveDC(dc);
  SelectClipRgn(dc, nullptr);
  RestoreDC(dc, saved);
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right - box.left, 10);
  DeleteObject(red);
}

TEST_F(DrawingTest, TextDrawsInItsColourInsideTheRectangleAndMeasures) {
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfWeight = FW_BOLD;
  std::u16string face = u"Tahoma";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  ASSERT_NE(font, nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, kRed);
  SetBkMode(dc, TRANSPARENT);
  RECT r{4, 4, 60, 24};
  int height = DrawTextW(dc, u"Hello", -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  EXPECT_GT(height, 0);
  EXPECT_GT(CountColor(r, kRed), 10);
  EXPECT_EQ(CountColor({0, 26, kWidth, kHeight}, kRed), 0);

  SIZE one, two;
  ASSERT_TRUE(GetTextExtentPoint32W(dc, u"Hello", 5, &one));
  ASSERT_TRUE(GetTextExtentPoint32W(dc, u"HelloHello", 10, &two));
  EXPECT_NEAR(two.cx, 2 * one.cx, 2);
  TEXTMETRICW tm;
  ASSERT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(one.cy, tm.tmHeight);
  EXPECT_GE(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);

  // Ellipsis: the text is cut to the width with "..." and draws nothing past it.
  RECT narrow{0, 30, 20, 46};
  DrawTextW(dc, u"A long caption", -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(CountColor({20, 30, kWidth, 46}, kRed), 0);
  RECT calc{0, 0, 200, 0};
  DrawTextW(dc, u"two\nlines", -1, &calc, DT_CALCRECT);
  EXPECT_EQ(calc.bottom, 2 * tm.tmHeight);
  SelectObject(dc, old);
  DeleteObject(font);
}

TEST_F(DrawingTest, OpaqueTextFillsItsCellWithTheBackgroundColour) {
  SetBkColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, OPAQUE);
  TextOutW(dc, 2, 2, u"ii", 2);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 255));
  SetTextAlign(dc, TA_RIGHT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kRed);
  TextOutW(dc, 60, 30, u"WW", 2);
  EXPECT_GT(CountColor({30, 30, 60, 48}, kRed), 0);
  EXPECT_EQ(CountColor({60, 30, kWidth, 48}, kRed), 0);
}

TEST_F(DrawingTest, EscapementTurnsTheText) {
  LOGFONTW lf{};
  lf.lfHeight = -14;
  lf.lfEscapement = 900;  // a quarter turn, reading upwards
  HFONT up = CreateFontIndirectW(&lf);
  SelectObject(dc, up);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kRed);
  TextOutW(dc, 20, 46, u"WWWW", 4);
  // The text runs up from (20, 46): tall and narrow, to the right of x = 20.
  int top = kHeight, left = kWidth, right = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (GetPixel(dc, x, y) != kWhite) top = std::min(top, y), left = std::min(left, x), right = std::max(right, x);
  EXPECT_LT(top, 20);
  EXPECT_GE(left, 19);
  EXPECT_LT(right - left, 20);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(up);
}

TEST_F(DrawingTest, WhatOneDrawingSetsDoesNotReachTheNext) {
  // A five-pointed star: its centre is inside it twice, so the fill mode decides it; its arms
  // are filled either way.
  const POINT star[5] = {{32, 4}, {44, 40}, {13, 18}, {51, 18}, {20, 40}};
  HBRUSH red = CreateSolidBrush(kRed);
  HGDIOBJ old_brush = SelectObject(dc, red);
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  const RECT all{0, 0, kWidth, kHeight};
  const struct {
    int mode;
    COLORREF centre;
  } fills[] = {{ALTERNATE, kWhite}, {WINDING, kRed}, {ALTERNATE, kWhite}, {WINDING, kRed}};
  for (const auto& f : fills) {
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetPolyFillMode(dc, f.mode);
    Polygon(dc, star, 5);
    EXPECT_EQ(GetPixel(dc, 32, 24), f.centre) << f.mode;
    EXPECT_EQ(GetPixel(dc, 32, 10), kRed) << f.mode;
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(red);

  // A text clipped to its rectangle and a turned text, then a straight one: the last one is
  // neither clipped nor turned.
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  RECT corner{0, 0, 4, 4};
  DrawTextW(dc, u"WWWW", 4, &corner, 0);
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfEscapement = 900;
  HFONT up = CreateFontIndirectW(&lf);
  HGDIOBJ old_font = SelectObject(dc, up);
  TextOutW(dc, 2, 46, u"W", 1);
  SelectObject(dc, old_font);
  DeleteObject(up);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TextOutW(dc, 30, 20, u"WWW", 3);
  int top = kHeight, bottom = 0, left = kWidth, right = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (GetPixel(dc, x, y) != kWhite) {
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
  ASSERT_LT(left, right) << "no text drawn";
  EXPECT_GE(left, 30);
  EXPECT_GE(top, 20);
  EXPECT_GT(right - left, 2 * (bottom - top));  // wide, not tall
}

// Ellipses drawn from the curves and outlines kept by size come out pixel for pixel as those whose
// arc is worked out and stroked each time: every size up to 24 pixels, round and flattened, at
// neighbouring places and across every edge of the surface, with pens of odd and even widths (solid,
// dashed) and with none, in copy and XOR mode, and through a clip region.
TEST_F(DrawingTest, EllipsesFromKeptCurvesMatchThoseWorkedOutEachTime) {
  HBRUSH red = CreateSolidBrush(kRed);
  HGDIOBJ old_brush = SelectObject(dc, red);
  auto draw_all = [&] {
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HRGN clip = CreateRectRgn(5, 7, kWidth - 9, kHeight - 4);
    for (int pass = 0; pass < 3; ++pass) {
      SetROP2(dc, pass == 1 ? R2_XORPEN : R2_COPYPEN);
      SelectClipRgn(dc, pass == 2 ? clip : nullptr);
      for (int size = 1; size <= 24; ++size) {
        const int x = (size * 7 + pass * 5) % (kWidth - 26), y = (size * 5 + pass * 3) % (kHeight - 26);
        Ellipse(dc, x, y, x + size, y + size);
        Ellipse(dc, x + 1, y + 2, x + 1 + size + 3, y + 2 + size);
        Ellipse(dc, x + 2, y + 1, x + 2 + size, y + 1 + size / 2 + 1);
        // Across the left and top, and the right and bottom edges.
        Ellipse(dc, -size / 2 - 1, y, size / 2 + size % 3, y + size);
        Ellipse(dc, x, -size / 2, x + size + 1, size / 2 + 2);
        Ellipse(dc, kWidth - size / 2, kHeight - size / 3 - 1, kWidth - size / 2 + size, kHeight - size / 3 + size);
      }
    }
    SetROP2(dc, R2_COPYPEN);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    return Snapshot();
  };
  for (int width : {0, 1, 2, 3, 4, 5, -1}) {
    SCOPED_TRACE(width);
    HPEN pen = width == 0   ? static_cast<HPEN>(GetStockObject(NULL_PEN))
               : width < 0 ? CreatePen(PS_DASH, 1, kBlack)
                           : CreatePen(PS_SOLID, width, kBlack);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    ce::gdi::KeepEllipseShapes(false);
    const std::vector<COLORREF> worked_out = draw_all();
    ce::gdi::KeepEllipseShapes(true);
    const std::vector<COLORREF> first = draw_all();
    const std::vector<COLORREF> again = draw_all();  // every size kept by now
    EXPECT_EQ(std::count(worked_out.begin(), worked_out.end(), kWhite) < kWidth * kHeight / 2, true);
    EXPECT_EQ(worked_out, first);
    EXPECT_EQ(worked_out, again);
    SelectObject(dc, old_pen);
    if (width != 0) DeleteObject(pen);
  }
  SelectObject(dc, old_brush);
  DeleteObject(red);
}

// A pattern brush's tile lies from the brush origin on, whole and repeated, wherever a shape is
// filled with it: a tile of an odd size and all different colours, in copy mode and in XOR mode
// over black, and across more than one fill (the later fills reuse what the first prepared).
TEST_F(DrawingTest, PatternBrushTilesFromTheBrushOrigin) {
  constexpr int kTw = 3, kTh = 5;
  std::uint32_t bits[kTw * kTh];
  for (int i = 0; i < kTw * kTh; ++i) bits[i] = 0x101010u * static_cast<std::uint32_t>(i + 1) ^ 0x0000F0u * (i & 1);
  HBITMAP tile = CreateBitmap(kTw, kTh, 1, 32, bits);
  HBRUSH brush = CreatePatternBrush(tile);
  ASSERT_NE(brush, nullptr);
  SelectObject(dc, brush);
  SelectObject(dc, GetStockObject(NULL_PEN));
  SetBrushOrgEx(dc, 2, 4, nullptr);
  auto expected = [&](int x, int y) {
    const std::uint32_t p = bits[((y - 4) % kTh + kTh) % kTh * kTw + ((x - 2) % kTw + kTw) % kTw];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  };
  for (int rop : {R2_COPYPEN, R2_XORPEN, R2_COPYPEN}) {
    SCOPED_TRACE(rop);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetROP2(dc, rop);
    const POINT poly[] = {{-10, -10}, {kWidth + 10, -10}, {kWidth + 10, kHeight + 10}, {-10, kHeight + 10}};
    Polygon(dc, poly, 4);
    SetROP2(dc, R2_COPYPEN);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) wrong += GetPixel(dc, x, y) != expected(x, y);
    EXPECT_EQ(wrong, 0);
  }
  SetBrushOrgEx(dc, 0, 0, nullptr);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(brush);
  DeleteObject(tile);
}

TEST_F(DrawingTest, PieFillsItsWedgeCounterClockwise) {
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(dc, red);
  SelectObject(dc, GetStockObject(NULL_PEN));
  // From the right (3 o'clock) to the top (12 o'clock): the upper right quarter.
  Pie(dc, 0, 0, 40, 40, 40, 20, 20, 0);
  EXPECT_EQ(GetPixel(dc, 30, 10), kRed);
  EXPECT_EQ(GetPixel(dc, 10, 10), kWhite);
  EXPECT_EQ(GetPixel(dc, 30, 30), kWhite);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  Arc(dc, 0, 0, 40, 40, 0, 20, 40, 20);  // the lower half of the circle's outline
  EXPECT_EQ(CountColor({0, 21, 40, 40}, kBlack) > 0, true);
  EXPECT_EQ(CountColor({0, 0, 40, 19}, kBlack), 0);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST_F(DrawingTest, FontFacesMapToInstalledFamilies) {
  LOGFONTW lf{};
  lf.lfHeight = 20;  // cell height
  std::u16string face = u"Courier New";
  face.copy(lf.lfFaceName, face.size());
  HFONT mono = CreateFontIndirectW(&lf);
  SelectObject(dc, mono);
  SIZE narrow, wide;
  GetTextExtentPoint32W(dc, u"iiii", 4, &narrow);
  GetTextExtentPoint32W(dc, u"WWWW", 4, &wide);
  EXPECT_EQ(narrow.cx, wide.cx);  // a fixed-pitch face
  EXPECT_NEAR(narrow.cy, 20, 1);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(mono);

  // A given width is honoured.
  LOGFONTW narrow_font{};
  narrow_font.lfHeight = 26;
  narrow_font.lfWidth = 9;
  narrow_font.lfWeight = FW_HEAVY;
  HFONT condensed = CreateFontIndirectW(&narrow_font);
  SelectObject(dc, condensed);
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  EXPECT_NEAR(tm.tmAveCharWidth, 9, 1);
  EXPECT_NEAR(tm.tmHeight, 26, 1);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(condensed);

  // The device's faces are listed, never the host's families behind them.
  auto faces = [&](LPCWSTR face) {
    std::vector<std::u16string> names;
    EnumFontsW(dc, face, [](const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD, LPARAM out) {
      EXPECT_GT(tm->tmHeight, 0);
      reinterpret_cast<std::vector<std::u16string>*>(out)->emplace_back(lf->lfFaceName);
      return 1;
    }, reinterpret_cast<LPARAM>(&names));
    return names;
  };
  EXPECT_EQ(faces(nullptr), (std::vector<std::u16string>{u"Courier New", u"Tahoma"}));
  EXPECT_EQ(faces(u"tahoma"), (std::vector<std::u16string>{u"Tahoma"}));
  EXPECT_TRUE(faces(u"DejaVu Sans").empty());
}

TEST_F(DrawingTest, DeletingASelectedObjectWaitsUntilItIsDeselected) {
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(dc, red);
  EXPECT_TRUE(DeleteObject(red));
  RECT r{0, 0, 4, 4};
  Rectangle(dc, 0, 0, 4, 4);
  EXPECT_EQ(GetPixel(dc, 1, 1), kRed);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetObjectType(red), 0u);  // gone now
  EXPECT_EQ(SelectObject(dc, red), nullptr);
  EXPECT_EQ(FillRect(dc, &r, red), 0);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects stay
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
}

TEST_F(DrawingTest, PatternBrushFromDibTilesFromTheBrushOrigin) {
  // 8 x 8 one byte a pixel, index 0 black, index 1 the colour, alternating rows.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
    BYTE pixels[64];
  } dib{};
  dib.h = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
  dib.colors[1] = {0, 255, 255, 0};  // yellow
  for (int y = 0; y < 8; ++y)  // bottom-up: image row y is memory row 7 - y
    for (int x = 0; x < 8; ++x) dib.pixels[(7 - y) * 8 + x] = static_cast<BYTE>((x + y) % 2 == 0);
  HBRUSH checker = CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS);
  ASSERT_NE(checker, nullptr);
  RECT r{0, 0, 16, 16};
  FillRect(dc, &r, checker);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 0));
  EXPECT_EQ(GetPixel(dc, 1, 0), kBlack);
  EXPECT_EQ(GetPixel(dc, 9, 1), RGB(255, 255, 0));
  DeleteObject(checker);
}

TEST_F(DrawingTest, RecorderListsTheCallsMadeOnTheDC) {
  ce::gdi::CallRecorder recorder;
  ce::gdi::AttachRecorder(dc, &recorder);
  Rectangle(dc, 1, 2, 3, 4);
  TextOutW(dc, 5, 6, u"Hi", 2);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 9, 9);
  ce::gdi::AttachRecorder(dc, nullptr);
  Rectangle(dc, 0, 0, 1, 1);
  ASSERT_EQ(recorder.calls.size(), 3u);
  EXPECT_EQ(recorder.calls[0], "Rectangle(1,2,3,4)");
  EXPECT_EQ(recorder.calls[1], "TextOutW(5,6,\"Hi\")");
  EXPECT_EQ(recorder.Count("LineTo"), 1);
  EXPECT_TRUE(recorder.points.empty());
  // Asked to, it keeps the points of polylines and polygons in call order.
  recorder.Clear();
  recorder.keepPoints = true;
  ce::gdi::AttachRecorder(dc, &recorder);
  const POINT line[] = {{1, 1}, {5, 1}, {5, 7}};
  const POINT area[] = {{2, 2}, {9, 2}, {9, 9}, {2, 9}};
  Polyline(dc, line, 3);
  Polygon(dc, area, 4);
  ce::gdi::AttachRecorder(dc, nullptr);
  ASSERT_EQ(recorder.points.size(), 2u);
  EXPECT_EQ(recorder.calls[1], "Polygon(4)");
  EXPECT_EQ(recorder.points[0].size(), 3u);
  EXPECT_EQ(recorder.points[1][2].x, 9);
  EXPECT_EQ(recorder.points[1][3].y, 9);
  // And how each call drew: the pen and brush then selected, FillRect's own brush, the font's
  // height and a DrawTextW's rectangle.
  recorder.Clear();
  ce::gdi::AttachRecorder(dc, &recorder);
  std::uint32_t bits[4] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu};
  HBITMAP tile = CreateBitmap(2, 2, 1, 32, bits);
  HBRUSH pattern = CreatePatternBrush(tile);
  HPEN dashed = CreatePen(PS_DASH, 1, kBlack);
  HPEN wide = CreatePen(PS_SOLID, 3, kBlack);
  LOGFONTW lf{};
  lf.lfHeight = -20;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldBrush = SelectObject(dc, pattern);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldFont = SelectObject(dc, font);
  Polygon(dc, area, 4);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  SelectObject(dc, dashed);
  Polygon(dc, area, 4);
  SelectObject(dc, wide);
  Polyline(dc, line, 3);
  const RECT r{1, 2, 30, 40};
  FillRect(dc, &r, pattern);
  RECT box{3, 4, 50, 60};
  DrawTextW(dc, u"Hi", 2, &box, DT_LEFT | DT_TOP | DT_NOCLIP);
  ce::gdi::AttachRecorder(dc, nullptr);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  ASSERT_EQ(recorder.styles.size(), 5u);
  ASSERT_EQ(recorder.points.size(), 3u);
  const auto& s = recorder.styles;
  EXPECT_EQ(s[0].brushStyle, BS_PATTERN);
  EXPECT_EQ(s[0].penStyle, PS_NULL);
  EXPECT_EQ(s[0].penWidth, 0);
  EXPECT_EQ(s[1].brushStyle, BS_NULL);
  EXPECT_EQ(s[1].penStyle, PS_DASH);
  EXPECT_EQ(s[1].penWidth, 1);
  EXPECT_EQ(s[2].penStyle, PS_SOLID);
  EXPECT_EQ(s[2].penWidth, 3);
  EXPECT_EQ(s[3].brushStyle, BS_PATTERN);  // FillRect's own brush, not the DC's hollow one
  EXPECT_EQ(s[4].fontHeight, 20);
  EXPECT_EQ(s[4].box.left, 3);
  EXPECT_EQ(s[4].box.bottom, 60);
  DeleteObject(font);
  DeleteObject(wide);
  DeleteObject(dashed);
  DeleteObject(pattern);
  DeleteObject(tile);
}

TEST_F(DrawingTest, BadHandlesAndArgumentsFailCleanly) {
  EXPECT_FALSE(Rectangle(nullptr, 0, 0, 1, 1));
  EXPECT_FALSE(Polygon(dc, nullptr, 3));
  EXPECT_FALSE(Polyline(dc, nullptr, 0));
  EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, kWidth, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, 0, kHeight, kRed), CLR_INVALID);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(0x1234)));
  EXPECT_EQ(CreatePen(99, 1, 0), nullptr);
  // Far-away coordinates draw what falls on the bitmap and nothing else.
  POINT far[] = {{-2000000000, 5}, {2000000000, 5}};
  EXPECT_TRUE(Polyline(dc, far, 2));
  EXPECT_EQ(CountColor({0, 5, kWidth, 6}, kBlack), kWidth);
}
