// A memory DC on a white bitmap for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"

class Canvas : public ::testing::Test {
 protected:
  void SetUp() override {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
    old_bitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  void TearDown() override {
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Every pixel of the canvas, row by row.
  std::vector<COLORREF> Snapshot() const {
    std::vector<COLORREF> out;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) out.push_back(GetPixel(dc, x, y));
    return out;
  }
  int CountColor(const RECT& r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) == c;
    return n;
  }
  static constexpr int kWidth = 64, kHeight = 48;
  static constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = 0, kRed = RGB(255, 0, 0);
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old_bitmap = nullptr;
};
