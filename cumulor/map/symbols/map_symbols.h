// Map symbols: the three aircraft outlines and the final-glide line, each with a size factor, a
// colour and (for the aircraft) the height of the screen at which the map centre is placed.
//
// Module state, built by MapSymbolsInit and used under the application's main lock (the dialog runs
// on the UI thread while the frame renderer draws the current symbol). Indexes outside 0..3 are
// ignored by every setter and answer an empty or default value from every getter.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;
class XmlNode;

inline constexpr int kMapSymbolCount = 4;
inline constexpr int kFinalGlideSymbol = 3;

struct SymbolEntry {
  DynArray<POINT> points;
  double Scale = 1.0;
  float Pos = 2.0f / 3.0f;
  COLORREF Rgb = 0;
  std::uint8_t filled = 0;
  std::int32_t penWidth = 1;
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
};

// Builds the four symbols (outlines, the high-resolution Scales, pens and brushes); the current
// aircraft symbol becomes 1 with the flag, else 0. Running it again starts over.
void MapSymbolsInit(bool highResolution);
// Deletes the pens and brushes and frees the outlines.
void MapSymbolsTerm();
// The map view whose vertical centre fraction follows the current symbol's Pos (null: none).
void MapSymbolsAttachView(MapView* view);

// The outline of the last MapSymbolTransform; count 0 for a bad index.
const POINT* MapSymbolScreenPoints(int index, std::int32_t* count);
// The current aircraft symbol (0..2).
int MapSymbolCurrent();
// 0..2 (others ignored); the map view takes its Pos.
void MapSymbolSetCurrent(int index);
// Turns the scaled outline by `angle` degrees and moves it to `at`.
void MapSymbolTransform(int index, double angle, POINT at);
void MapSymbolRescale(int index);
void MapSymbolSetScale(int index, double scale);
double MapSymbolScale(int index);
// Stores Pos; for the current symbol also the map view's vertical centre fraction.
void MapSymbolSetPos(int index, float pos);
float MapSymbolPos(int index);
// The stored Pos itself (a dummy for a bad index); setting it does not move the map.
float& SymbolEntryPos(int index);
COLORREF MapSymbolColour(int index);
// Stores the colour and recreates the pen and brush.
void MapSymbolSetColour(int index, COLORREF colour);
bool MapSymbolFilled(int index);
HPEN MapSymbolPen(int index);
HBRUSH MapSymbolBrush(int index);
void MapSymbolRecreateObjects(int index);
// Draws the symbol at angle 0 at (70, 40), or at (0, 40) for the final-glide line.
void MapSymbolPreview(HDC dc, int index);

// The settings element "MapSymbols": written as a child of `root`; read from the element itself.
// Symbols whose "nr" or Plane lies outside the accepted values are ignored; so are a "Scale"
// outside 1..1000 (0.01 to 10 times) and a "Pos" outside 0..100.
void MapSymbolsSave(XmlNode& root);
void MapSymbolsLoad(const XmlNode& element);

}  // namespace cumulor
