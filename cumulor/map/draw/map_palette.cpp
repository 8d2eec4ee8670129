#include "cumulor/map/draw/map_palette.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "cumulor/map/view/map_view.h"

namespace cumulor {

const COLORREF kMapSolidColours[15] = {0xDFDFDF, 0xFEECCD, 0xF7CAAF, 0xFFFF99, 0xFF0000, 0xDCF8FF, 0x00C4FF, 0x66FFFF,
                                       0x009999, 0x66CCFF, 0x00FF00, 0x339966, 0x0000FF, 0xB400B4, 0xFF00FF};
const COLORREF kMapPatternColours[4] = {0xFFFF00, 0x4BFF4B, 0x808080, 0x3F3F3F};
const COLORREF kMapTerrainColours[31] = {
    0x5AA686, 0x67B89E, 0x74C9B6, 0x81DBCE, 0x8EEDE6, 0x9CFFFF, 0x90ECF3, 0x84D9E7, 0x78C6DB, 0x6DB4CF, 0x60A1C3,
    0x548FB7, 0x487CAB, 0x3D6A9F, 0x4C74A2, 0x5C7EA6, 0x6D88A9, 0x7D93AD, 0x8D9DB0, 0x9EA7B4, 0xAEB1B7, 0xBFBCBB,
    0xC6C4C4, 0xCDCDCD, 0xD4D4D4, 0xDCDCDC, 0xE1E1E1, 0xE6E6E6, 0xEBEBEB, 0xF0F0F0, 0xF5F5F5};

namespace {

constexpr COLORREF kClassColours[8] = {0x4C15D9, 0x15D0AD, 0xAA00AA, 0xAA5515, 0xB5FC15, 0x15C9F7, 0x15F9C1, 0x5070D2};

MapPalette g_palette;
std::once_flag g_built;

HPEN Solid(int width, COLORREF colour) { return CreatePen(PS_SOLID, width, colour); }

void Build() {
  MapPalette& p = g_palette;
  p.nullPen = static_cast<HPEN>(GetStockObject(NULL_PEN));
  for (int w = 1; w <= 4; ++w) p.black[w] = Solid(w, 0x000000);
  for (int w : {1, 2, 3, 4, 6}) p.white[w] = Solid(w, 0xFFFFFF);
  for (int w = 1; w <= 3; ++w) p.red[w] = Solid(w, 0x0000FF);
  for (int i = 0; i < 8; ++i) p.classColour[i] = Solid(2, kClassColours[i]);
  for (int w = 1; w <= 2; ++w) p.orange[w] = Solid(w, 0x0099FF);
  p.lightGrey1 = Solid(1, 0xC0C0C0);
  p.lightGrey3 = Solid(3, 0xC0C0C0);
  for (int w = 1; w <= 2; ++w) p.grey[w] = Solid(w, 0x808080);
  for (int w : {1, 2, 4}) p.blue[w] = Solid(w, 0xFF0000);
  for (int w = 1; w <= 2; ++w) p.lightBlue[w] = Solid(w, 0xFF5A5A);
  p.dashedBlack = CreatePen(PS_DASH, 1, 0x000000);
  p.dashedWhite = CreatePen(PS_DASH, 1, 0xFFFFFF);
  p.dashedWater = CreatePen(PS_DASH, 1, 0xFFCC66);
  p.water = Solid(1, 0xFFCC66);
  p.lake = Solid(1, 0xFF9966);
  p.marsh = Solid(1, 0x33CCCC);
  p.rail = Solid(1, 0xB5B7CD);
  p.spotHeight = Solid(1, 0x2D52A0);
  p.green[2] = Solid(2, 0x00FF00);
  p.green[1] = Solid(1, 0x00FF00);
  for (int w = 1; w <= 4; ++w) p.purple[w] = Solid(w, 0xB400B4);

  p.stockBlack = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  p.stockLightGrey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  p.stockGrey = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  p.stockWhite = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  p.hollow = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  for (int i = 0; i < 15; ++i) p.solid[i] = CreateSolidBrush(kMapSolidColours[i]);
  for (int i = 0; i < 4; ++i) p.pattern[i] = CreateCheckerBrush(kMapPatternColours[i]);
  for (int i = 0; i < 31; ++i) p.terrain[i] = CreateSolidBrush(kMapTerrainColours[i]);
  for (int i = 31; i < kTerrainSlots; ++i) p.terrain[i] = p.stockWhite;
}

}  // namespace

HBRUSH CreateCheckerBrush(COLORREF colour) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
    BYTE bits[8][8];
  } dib{};
  dib.header.biSize = sizeof(BITMAPINFOHEADER);
  dib.header.biWidth = 8;
  dib.header.biHeight = 8;
  dib.header.biPlanes = 1;
  dib.header.biBitCount = 8;
  dib.header.biClrUsed = 2;
  dib.colours[0] = ColourToRgbQuad(0x000000);
  dib.colours[1] = ColourToRgbQuad(colour);
  for (int row = 0; row < 8; ++row)
    for (int col = 0; col < 8; ++col) dib.bits[row][col] = static_cast<BYTE>((row + col + 1) % 2);
  return CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS);
}

void CreateMapPens() { std::call_once(g_built, Build); }

const MapPalette& MapPens() {
  CreateMapPens();
  return g_palette;
}

HBRUSH MapTerrainBrush(int slot) { return MapPens().terrain[std::clamp(slot, 0, kTerrainSlots - 1)]; }

bool BoxContains(const GeoRect& box, std::int32_t x, std::int32_t y) {
  return box.left < x && x < box.right && box.bottom < y && y < box.top;
}

bool RectsIntersect(const GeoRect& a, const GeoRect& b) {
  return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

bool IntersectBounds(GeoRect& out, const GeoRect& a, const GeoRect& b) {
  if (!RectsIntersect(a, b)) return false;
  out.left = std::max(a.left, b.left);
  out.right = std::min(a.right, b.right);
  out.top = std::min(a.top, b.top);
  out.bottom = std::max(a.bottom, b.bottom);
  return true;
}

void ExtendBounds(GeoRect& box, std::int32_t x, std::int32_t y) {
  box.left = std::min(box.left, x);
  box.right = std::max(box.right, x);
  box.top = std::max(box.top, y);
  box.bottom = std::min(box.bottom, y);
}

void InitBounds(GeoRect& box, std::int32_t x, std::int32_t y) { box = GeoRect{x, y, x, y}; }

RGBQUAD ColourToRgbQuad(COLORREF colour) {
  RGBQUAD q{};
  q.rgbRed = static_cast<BYTE>(colour & 0xFF);
  q.rgbGreen = static_cast<BYTE>((colour >> 8) & 0xFF);
  q.rgbBlue = static_cast<BYTE>((colour >> 16) & 0xFF);
  q.rgbReserved = 0;
  return q;
}

}  // namespace cumulor
