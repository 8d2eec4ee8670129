#include "cumulor/map/draw/map_aircraft.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "cumulor/map/draw/map_draw_util.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "platform/text/format.h"

namespace cumulor {

using mapdraw::Line;
using mapdraw::Project;
using mapdraw::Selection;
using mapdraw::ShadowText;

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kKnotsPerKmh = 0.5399568034557235;

// x' = x cos - y sin, y' = x sin + y cos, then moved to `at`.
POINT Turn(double x, double y, double c, double s, POINT at) {
  return POINT{static_cast<LONG>(x * c - y * s) + at.x, static_cast<LONG>(x * s + y * c) + at.y};
}

std::u16string SpeedText(float speed, bool unitKmh) {
  const double v = unitKmh ? speed : speed * kKnotsPerKmh;
  const double t = std::clamp(v, -1.0e9, 1.0e9);
  return ce::text::Format(u"%d", static_cast<int>(t));
}

}  // namespace

void MapDrawGlider(MapView& view, HDC dc, double angle, const GpsFix& fix, POINT* screen, const MapWind& wind,
                   bool unitKmh, RECT* out, HBRUSH ringBrush) {
  const MapPalette& p = MapPens();
  POINT at = Project(view, fix.position);
  if (view.altitudeStalk) {
    const LONG length = std::max(0, (fix.pressureAltitude - view.stalkBase) / 60);
    Line(dc, at.x, at.y, at.x, at.y - length);
    at.y -= length;
  }
  if (screen) *screen = at;
  {
    Selection sel(dc);
    if (ringBrush) {
      sel.Pen(p.nullPen);
      sel.Brush(ringBrush);
      Ellipse(dc, at.x - 20, at.y - 20, at.x + 20, at.y + 20);
    }
    const int symbol = MapSymbolCurrent();
    MapSymbolTransform(symbol, angle, at);
    std::int32_t count = 0;
    const POINT* outline = MapSymbolScreenPoints(symbol, &count);
    if (count > 1) {
      if (symbol == 0) {
        sel.Pen(view.largeScreen ? p.white[6] : p.white[4]);
        Polyline(dc, outline, count);
        sel.Pen(MapSymbolPen(symbol));
        Polyline(dc, outline, count);
      } else {
        sel.Pen(p.white[2]);
        Polyline(dc, outline, count);
        sel.Pen(MapSymbolPen(symbol));
        sel.Brush(MapSymbolBrush(symbol));
        Polygon(dc, outline, count);
      }
    }
  }
  SelectObject(dc, p.black[1]);

  const double speed = std::clamp(static_cast<double>(wind.speed), -1.0e6, 1.0e6);
  const LONG s = static_cast<LONG>(speed);
  const double a = wind.direction * kDegToRad;
  const double c = std::cos(a);
  const double sn = std::sin(a);
  const bool hi = view.largeScreen != 0;
  const POINT textAt = hi ? Turn(0, -48 - 2.0 * s, c, sn, at) : Turn(0, -25.0 - s, c, sn, at);
  RECT textBox{textAt.x - 15, textAt.y - 4, textAt.x + 15, textAt.y + 4};
  if (s != 0) {
    POINT arrow[4];
    if (hi) {
      arrow[0] = Turn(0, -30, c, sn, at);
      arrow[1] = Turn(-8, -30 - 2.0 * s, c, sn, at);
      arrow[2] = Turn(0, -27 - 2.0 * s, c, sn, at);
      arrow[3] = Turn(8, -30 - 2.0 * s, c, sn, at);
    } else {
      arrow[0] = Turn(0, -15, c, sn, at);
      arrow[1] = Turn(-4, -15.0 - s, c, sn, at);
      arrow[2] = Turn(0, -12.0 - s, c, sn, at);
      arrow[3] = Turn(4, -15.0 - s, c, sn, at);
    }
    Selection sel(dc);
    POINT shadow[4];
    for (int i = 0; i < 4; ++i) shadow[i] = POINT{arrow[i].x + 1, arrow[i].y + 1};
    sel.Brush(p.stockWhite);
    Polygon(dc, shadow, 4);
    sel.Brush(p.stockBlack);
    Polygon(dc, arrow, 4);
    if (hi) sel.Font(MapFont(5));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    ShadowText(dc, SpeedText(wind.speed, unitKmh), textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    SetBkMode(dc, oldMode);
  }
  if (out) *out = RECT{textBox.left - 10, textBox.top - 10, textBox.right + 10, textBox.bottom + 10};
}

void MapDrawWindArrow(MapView& /*view*/, HDC dc, POINT origin, const MapWind& wind, bool unitKmh) {
  const MapPalette& p = MapPens();
  const double a = wind.direction * kDegToRad;
  const double c = std::cos(a);
  const double sn = std::sin(a);
  const double s = static_cast<LONG>(std::clamp(static_cast<double>(wind.speed), -1.0e6, 1.0e6));
  const POINT arrow[5] = {Turn(0, 0, c, sn, origin), Turn(-6, -10, c, sn, origin), Turn(0, s, c, sn, origin),
                          Turn(6, -10, c, sn, origin), Turn(0, 0, c, sn, origin)};
  const POINT textAt = Turn(0, -18, c, sn, origin);
  Selection sel(dc);
  sel.Pen(p.white[3]);
  Polyline(dc, arrow, 5);
  sel.Pen(p.black[1]);
  sel.Brush(p.stockBlack);
  Polygon(dc, arrow, 5);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  ShadowText(dc, SpeedText(wind.speed, unitKmh), RECT{textAt.x - 20, textAt.y - 4, textAt.x + 20, textAt.y + 4},
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  SetBkMode(dc, oldMode);
}

void MapDrawCompass(MapView& view, HDC dc, double angle) {
  const MapPalette& p = MapPens();
  const bool hi = view.largeScreen != 0;
  const LONG k = hi ? 2 : 1;
  const POINT centre{view.screen.left + (hi ? 80 : 55), view.screen.top + (hi ? 40 : 20)};
  const double a = angle * kDegToRad;
  const double c = std::cos(a);
  const double s = std::sin(a);
  const POINT base[5] = {{0, 6}, {-9, 15}, {0, -21}, {9, 15}, {0, 6}};
  POINT arrow[5];
  for (int i = 0; i < 5; ++i) {
    const double x = base[i].x * k;
    const double y = base[i].y * k;
    arrow[i] = POINT{static_cast<LONG>(x * c - y * s) + centre.x, static_cast<LONG>(y * c + x * s) + centre.y};
  }
  Selection sel(dc);
  sel.Pen(p.black[1]);
  Polyline(dc, arrow, 5);
  const LONG h = 2 * k;
  const POINT letter[4] = {{centre.x - h, centre.y + h}, {centre.x - h, centre.y - h}, {centre.x + h, centre.y + h},
                           {centre.x + h, centre.y - h}};
  Polyline(dc, letter, 4);
}

}  // namespace cumulor
