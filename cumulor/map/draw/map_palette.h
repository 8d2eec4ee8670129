// The map palette: the pens and brushes every map drawing shares, built once by CreateMapPens and
// kept to the end of the process. Colours are 0x00BBGGRR.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace cumulor {

inline constexpr int kTerrainSlots = 40;

struct MapPalette {
  HPEN nullPen = nullptr;
  HPEN black[5] = {};          // index = width 1..4
  HPEN white[7] = {};          // widths 1, 2, 3, 4, 6
  HPEN red[4] = {};            // widths 1..3
  HPEN classColour[8] = {};    // width 2
  HPEN orange[3] = {};         // widths 1, 2
  HPEN lightGrey1 = nullptr;
  HPEN lightGrey3 = nullptr;
  HPEN grey[3] = {};           // widths 1, 2
  HPEN blue[5] = {};           // widths 1, 2, 4
  HPEN lightBlue[3] = {};      // 0xFF5A5A, widths 1, 2
  HPEN dashedBlack = nullptr;
  HPEN dashedWhite = nullptr;
  HPEN dashedWater = nullptr;  // 0xFFCC66
  HPEN water = nullptr;        // 0xFFCC66
  HPEN lake = nullptr;         // 0xFF9966
  HPEN marsh = nullptr;        // 0x33CCCC
  HPEN rail = nullptr;         // 0xB5B7CD
  HPEN spotHeight = nullptr;   // 0x2D52A0
  HPEN green[3] = {};          // widths 1, 2
  HPEN purple[5] = {};         // widths 1..4

  HBRUSH stockBlack = nullptr;
  HBRUSH stockLightGrey = nullptr;
  HBRUSH stockGrey = nullptr;
  HBRUSH stockWhite = nullptr;
  HBRUSH hollow = nullptr;
  // 0xDFDFDF, 0xFEECCD, 0xF7CAAF, 0xFFFF99, 0xFF0000, 0xDCF8FF, 0x00C4FF, 0x66FFFF, 0x009999,
  // 0x66CCFF, 0x00FF00, 0x339966, 0x0000FF, 0xB400B4, 0xFF00FF
  HBRUSH solid[15] = {};
  // 8 x 8 checkerboards of black and 0xFFFF00, 0x4BFF4B, 0x808080, 0x3F3F3F.
  HBRUSH pattern[4] = {};
  HBRUSH terrain[kTerrainSlots] = {};
};

// Indexes into MapPalette::solid.
enum MapSolidBrush {
  kBrushPanel = 0,      // 0xDFDFDF
  kBrushWater = 3,      // 0xFFFF99
  kBrushBlue = 4,       // 0xFF0000
  kBrushGlacier = 5,    // 0xDCF8FF
  kBrushReach = 6,      // 0x00C4FF
  kBrushYellow = 7,     // 0x66FFFF
  kBrushTown = 9,       // 0x66CCFF
  kBrushGreen = 10,     // 0x00FF00
  kBrushRed = 12,       // 0x0000FF
  kBrushPurple = 13,    // 0xB400B4
};
extern const COLORREF kMapSolidColours[15];
extern const COLORREF kMapPatternColours[4];
extern const COLORREF kMapTerrainColours[31];

// Builds the palette on the first call; later calls do nothing.
void CreateMapPens();
// The palette (CreateMapPens is run first when it has not been).
const MapPalette& MapPens();
// A terrain brush by slot; slots outside 0..39 are clamped into that range.
HBRUSH MapTerrainBrush(int slot);
// An 8 x 8 two-colour checkerboard brush (index 0 black, index 1 `colour`); the caller owns it.
HBRUSH CreateCheckerBrush(COLORREF colour);

// Rectangle helpers on boxes {west, north, east, south} (north above south).
struct GeoRect;
bool BoxContains(const GeoRect& box, std::int32_t x, std::int32_t y);  // strictly inside
bool RectsIntersect(const GeoRect& a, const GeoRect& b);
bool IntersectBounds(GeoRect& out, const GeoRect& a, const GeoRect& b);
void ExtendBounds(GeoRect& box, std::int32_t x, std::int32_t y);
void InitBounds(GeoRect& box, std::int32_t x, std::int32_t y);
// A colour split into a bitmap colour-table entry (blue, green, red, 0).
RGBQUAD ColourToRgbQuad(COLORREF colour);

}  // namespace cumulor
