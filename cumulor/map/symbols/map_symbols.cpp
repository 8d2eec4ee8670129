#include "cumulor/map/symbols/map_symbols.h"

#include <algorithm>
#include <cmath>

#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {
namespace {

struct Outline {
  const POINT* points;
  int count;
  bool filled;
  int penWidth;
  int penWidthHigh;
  double scaleHigh;
};

constexpr POINT kGlider1[] = {{0, 12}, {0, 10}, {-3, 10}, {3, 10}, {0, 10}, {0, -5}, {0, 0}, {15, 0}, {-16, 0}};
constexpr POINT kGlider2[] = {{0, -6}, {1, -2},  {7, -2},   {13, 0},  {13, 1},  {1, 1},   {1, 8},  {4, 9},
                              {-4, 9}, {-1, 8}, {-1, 1}, {-13, 1}, {-13, 0}, {-7, -2}, {-1, -2}};
constexpr POINT kAirplane[] = {{1, -12}, {3, -3},   {20, -3},  {20, 0},   {18, 3}, {3, 3},
                               {1, 17},  {7, 17},   {7, 20},   {-7, 20},  {-7, 17}, {-1, 17},
                               {-3, 3},  {-18, 3},  {-20, 0},  {-20, -3}, {-3, -3}, {-1, -12}};
constexpr POINT kFinalGlide[] = {{0, 0}, {38, 0}};

constexpr Outline kOutlines[kMapSymbolCount] = {
    {kGlider1, 9, false, 2, 4, 2.03},
    {kGlider2, 15, true, 1, 1, 2.53},
    {kAirplane, 18, true, 1, 1, 3.0},
    {kFinalGlide, 2, false, 2, 2, 2.63},
};

struct Symbols {
  SymbolEntry base[kMapSymbolCount];
  SymbolEntry scaled[kMapSymbolCount];
  SymbolEntry transformed[kMapSymbolCount];
  int plane = 0;
  MapView* view = nullptr;
};

Symbols& S() {
  static Symbols symbols;
  return symbols;
}

bool Valid(int index) { return index >= 0 && index < kMapSymbolCount; }

void DeleteObjects(SymbolEntry& e) {
  if (e.pen) DeleteObject(e.pen);
  if (e.brush) DeleteObject(e.brush);
  e.pen = nullptr;
  e.brush = nullptr;
}

// base x scale, truncated toward zero, plus 1 when the dropped fraction exceeds 0.5.
LONG ScaleCoordinate(LONG v, double scale) {
  const double x = std::clamp(v * scale, -1.0e8, 1.0e8);
  return RoundToInt(x);
}

}  // namespace

void MapSymbolsInit(bool highResolution) {
  MapSymbolsTerm();
  Symbols& s = S();
  for (int i = 0; i < kMapSymbolCount; ++i) {
    const Outline& o = kOutlines[i];
    SymbolEntry& e = s.base[i];
    e.points.SetSize(0);
    e.points.Append(o.points, o.count);
    e.Scale = highResolution ? o.scaleHigh : 1.0;
    e.Pos = 2.0f / 3.0f;
    e.Rgb = 0;
    e.filled = o.filled ? 1 : 0;
    e.penWidth = highResolution ? o.penWidthHigh : o.penWidth;
    s.scaled[i].points.SetSize(o.count);
    s.transformed[i].points.SetSize(o.count);
    MapSymbolRescale(i);
    MapSymbolRecreateObjects(i);
  }
  s.plane = highResolution ? 1 : 0;
}

void MapSymbolsTerm() {
  Symbols& s = S();
  for (int i = 0; i < kMapSymbolCount; ++i) {
    DeleteObjects(s.base[i]);
    s.base[i].points.FreeData();
    s.scaled[i].points.FreeData();
    s.transformed[i].points.FreeData();
  }
}

void MapSymbolsAttachView(MapView* view) { S().view = view; }

const POINT* MapSymbolScreenPoints(int index, std::int32_t* count) {
  if (!Valid(index)) {
    if (count) *count = 0;
    return nullptr;
  }
  const DynArray<POINT>& points = S().transformed[index].points;
  if (count) *count = points.Size();
  return points.Data();
}

int MapSymbolCurrent() { return S().plane; }

void MapSymbolSetCurrent(int index) {
  if (index < 0 || index >= kFinalGlideSymbol) return;
  Symbols& s = S();
  s.plane = index;
  if (s.view) s.view->centreFraction = s.base[index].Pos;
}

void MapSymbolTransform(int index, double angle, POINT at) {
  if (!Valid(index)) return;
  Symbols& s = S();
  const double a = angle * 0.017453292519943295;
  const double c = std::cos(a);
  const double sn = std::sin(a);
  const DynArray<POINT>& in = s.scaled[index].points;
  DynArray<POINT>& out = s.transformed[index].points;
  if (out.SetSize(in.Size()) != S_OK) return;
  for (std::int32_t k = 0; k < in.Size(); ++k) {
    const double x = in[k].x;
    const double y = in[k].y;
    out[k].x = static_cast<LONG>(std::trunc(x * c - y * sn)) + at.x;
    out[k].y = static_cast<LONG>(std::trunc(y * c + x * sn)) + at.y;
  }
}

void MapSymbolRescale(int index) {
  if (!Valid(index)) return;
  Symbols& s = S();
  const SymbolEntry& b = s.base[index];
  DynArray<POINT>& out = s.scaled[index].points;
  if (out.SetSize(b.points.Size()) != S_OK) return;
  for (std::int32_t k = 0; k < b.points.Size(); ++k) {
    out[k].x = ScaleCoordinate(b.points[k].x, b.Scale);
    out[k].y = ScaleCoordinate(b.points[k].y, b.Scale);
  }
}

void MapSymbolSetScale(int index, double scale) {
  if (!Valid(index)) return;
  S().base[index].Scale = scale;
  MapSymbolRescale(index);
}

double MapSymbolScale(int index) { return Valid(index) ? S().base[index].Scale : 1.0; }

void MapSymbolSetPos(int index, float pos) {
  if (!Valid(index)) return;
  Symbols& s = S();
  s.base[index].Pos = pos;
  if (s.view && index == s.plane) s.view->centreFraction = pos;
}

float MapSymbolPos(int index) { return Valid(index) ? S().base[index].Pos : 2.0f / 3.0f; }

float& SymbolEntryPos(int index) {
  static float dummy = 0.0f;
  if (!Valid(index)) return dummy = 2.0f / 3.0f;
  return S().base[index].Pos;
}

COLORREF MapSymbolColour(int index) { return Valid(index) ? S().base[index].Rgb : 0; }

void MapSymbolSetColour(int index, COLORREF colour) {
  if (!Valid(index)) return;
  S().base[index].Rgb = colour;
  MapSymbolRecreateObjects(index);
}

bool MapSymbolFilled(int index) { return Valid(index) && S().base[index].filled != 0; }
HPEN MapSymbolPen(int index) { return Valid(index) ? S().base[index].pen : nullptr; }
HBRUSH MapSymbolBrush(int index) { return Valid(index) ? S().base[index].brush : nullptr; }

void MapSymbolRecreateObjects(int index) {
  if (!Valid(index)) return;
  SymbolEntry& e = S().base[index];
  DeleteObjects(e);
  e.pen = CreatePen(PS_SOLID, e.penWidth, e.Rgb);
  e.brush = CreateSolidBrush(e.Rgb);
}

void MapSymbolPreview(HDC dc, int index) {
  if (!Valid(index) || !dc) return;
  MapSymbolTransform(index, 0.0, index == kFinalGlideSymbol ? POINT{0, 40} : POINT{70, 40});
  std::int32_t count = 0;
  const POINT* points = MapSymbolScreenPoints(index, &count);
  if (count < 1) return;
  HGDIOBJ oldPen = SelectObject(dc, MapSymbolPen(index));
  if (MapSymbolFilled(index)) {
    HGDIOBJ oldBrush = SelectObject(dc, MapSymbolBrush(index));
    Polygon(dc, points, count);
    SelectObject(dc, oldBrush);
  } else {
    Polyline(dc, points, count);
  }
  SelectObject(dc, oldPen);
}

}  // namespace cumulor
