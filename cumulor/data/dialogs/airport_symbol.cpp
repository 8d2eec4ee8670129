#include "cumulor/data/dialogs/airport_symbol.h"

#include <cmath>
#include <string>

#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/runway_in_use.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

constexpr double kFeetToMetres = 0.3048;

POINT Project(const MapView& view, const GeoPoint& p) {
  POINT s{};
  MapWorldToScreen(view, s, p);
  return s;
}

// A pen or brush made for one drawing and deleted after it.
struct Owned {
  explicit Owned(HGDIOBJ o) : object(o) {}
  ~Owned() {
    if (object) DeleteObject(object);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  HGDIOBJ object;
};

// GeoDestination turns towards the west: a compass course is passed negated.
GeoPoint Along(const GeoPoint& from, double course, double metres) {
  GeoPoint out;
  GeoDestination(from.lon, from.lat, static_cast<std::uint32_t>(metres), -course, out);
  return out;
}

void Line(HDC dc, POINT a, POINT b, int dx = 0, int dy = 0) {
  MoveToEx(dc, a.x + dx, a.y + dy, nullptr);
  LineTo(dc, b.x + dx, b.y + dy);
}

COLORREF SurfaceColour(std::uint8_t surface) {
  if (surface == 12) return RGB(0, 255, 0);
  if (surface >= 8) return RGB(128, 128, 128);
  return RGB(0, 0, 0);
}

}  // namespace

std::int32_t AirportIconFor(std::uint32_t flags, std::int32_t rotation) {
  if (!(flags & kAirportSymbolValid)) return 5;
  std::int32_t turned = static_cast<std::int32_t>((flags >> 7) & 7) - (rotation & 7);
  if (turned < 0) turned += 8;
  return 7 + turned;
}

void DrawRunwayEnds(const RunwayRecord& runway, HDC dc, const MapView& view, double course, std::uint32_t distance,
                    std::int32_t highlight) {
  for (int end = 0; end < 2; ++end) {
    // End 1's designator lies beyond end 1 (against the course), end 2's beyond end 2.
    const GeoPoint at = Along(runway.end[end].position, end == 0 ? course + M_PI : course, distance);
    const POINT p = Project(view, at);
    RECT box{p.x - 5, p.y - 5, p.x + 5, p.y + 5};
    std::u16string text;
    for (const char* c = runway.end[end].designator; *c; ++c) text += static_cast<char16_t>(static_cast<unsigned char>(*c));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    if (highlight == end + 1) {
      Owned pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
      HGDIOBJ oldPen = SelectObject(dc, pen.object);
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, box.left - 5, box.top - 2, box.right + 5, box.bottom + 2);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
    }
  }
}

void DrawRunwayPolygon(const RunwayRecord& runway, HDC dc, const MapView& view, std::int32_t zoomScale) {
  // The width is stored in feet; the polygon is laid out in metres.
  const double half = runway.width * kFeetToMetres / 2;
  const GeoPoint e1 = runway.end[0].position, e2 = runway.end[1].position;
  double course = 0;
  GeoBearing(course, e1, e2);
  DrawRunwayEnds(runway, dc, view, course, 110, 0);
  const POINT corners[4] = {
      Project(view, Along(e1, course - M_PI / 2, half)), Project(view, Along(e1, course + M_PI / 2, half)),
      Project(view, Along(e2, course + M_PI / 2, half)), Project(view, Along(e2, course - M_PI / 2, half))};
  HGDIOBJ brush = GetStockObject(BLACK_BRUSH);
  Owned green(runway.surface == 12 ? CreateSolidBrush(RGB(0, 255, 0)) : nullptr);
  if (runway.surface == 12) brush = green.object;
  else if (runway.surface >= 8) brush = GetStockObject(LTGRAY_BRUSH);
  Owned white(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, white.object);
  Polygon(dc, corners, 4);
  if (zoomScale < 10 && runway.surface < 7) {
    Owned dashed(CreatePen(PS_DASH, 1, RGB(255, 255, 255)));
    SelectObject(dc, dashed.object);
    Line(dc, Project(view, Along(e1, course, 50)), Project(view, Along(e2, course + M_PI, 50)));
    SelectObject(dc, white.object);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

RECT AirportSymbolRect(POINT at) { return RECT{at.x - 12, at.y - 11, at.x + 11, at.y + 12}; }

namespace {

// With the frame's label places: the name's place beside the airport (the boxed label's frame 4
// pixels wider on each side), into `label`; false when there is no free place. Without them the
// caller places the name itself (true).
bool PlaceLabel(const MapView& view, HDC dc, HFONT font, const WCHAR* name, POINT at, bool boxed, RECT& label) {
  if (!view.labelPlacer) return true;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  std::int32_t length = 0;
  while (name[length]) ++length;
  SIZE extent{};
  GetTextExtentPoint32W(dc, name, length, &extent);
  if (old) SelectObject(dc, old);
  const LONG frame = boxed ? 4 : 0;
  const RECT own = AirportSymbolRect(at);
  RECT placed{};
  if (!LabelPlaceBeside(*view.labelPlacer, at, SIZE{extent.cx + 2 * frame, extent.cy + 2}, 2, placed, &own)) {
    label = RECT{at.x - 13, at.y - 13, at.x + 13, at.y + 13};
    return false;
  }
  label = RECT{placed.left + frame, placed.top + 1, placed.right - frame, placed.bottom - 1};
  return true;
}

}  // namespace

void DrawAirportSymbol(AirportRecord& airport, HDC dc, const MapView& view, std::int32_t zoomScale,
                       const WCHAR* name, RECT& label, std::int32_t rotation, std::int32_t discMode, bool runwaysOnly,
                       const AirportSymbolStyle& style) {
  const POINT p = Project(view, airport.position);
  const int x = p.x, y = p.y;
  const AeroTables& t = AeroData();
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  HGDIOBJ oldFont = nullptr;

  bool disc = false;
  if (!style.noDisc && zoomScale >= 21 && (discMode == 1 || discMode == 2)) {
    Owned brush(CreateSolidBrush(discMode == 1 ? RGB(255, 196, 0) : RGB(0, 255, 0)));
    SelectObject(dc, brush.object);
    if (discMode == 1) Ellipse(dc, x - 11, y - 10, x + 9, y + 10);
    else Ellipse(dc, x - 12, y - 11, x + 10, y + 11);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    disc = true;
  }

  auto icon = [&](std::int32_t n) {
    if (style.drawIcon) style.drawIcon(dc, n, x - 8, y - 8);
  };
  const bool hasRunways = airport.runwayFirst != 0 && airport.runwayFirst < t.runways.Size();
  const std::int32_t lastRunway = hasRunways ? std::min<std::int32_t>(airport.runwayLast, t.runways.Size() - 1) : -1;
  if (airport.flags & kAirportGermanSupplement) {
    icon(5);
  } else if (zoomScale >= 21 || (airport.flags & kAirportSupplement)) {
    icon(AirportIconFor(airport.flags, rotation));
  } else if (zoomScale >= 6) {
    if (runwaysOnly) SelectRunwayInUse(airport, style.windDirection, style.windSpeed);
    Owned whitePen(CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
    for (std::int32_t i = hasRunways ? airport.runwayFirst : 1; hasRunways && i <= lastRunway; ++i) {
      const RunwayRecord& r = t.runways[i];
      const POINT a = Project(view, r.end[0].position), b = Project(view, r.end[1].position);
      SelectObject(dc, whitePen.object);
      Line(dc, a, b, 1, 1);
      Owned surfacePen(CreatePen(PS_SOLID, 2, SurfaceColour(r.surface)));
      SelectObject(dc, surfacePen.object);
      Line(dc, a, b);
      Line(dc, a, b);
      SelectObject(dc, GetStockObject(NULL_PEN));
      if (zoomScale < 20) {
        std::int32_t highlight = 0;
        const std::int32_t inUse = static_cast<std::int32_t>((airport.flags >> 11) & 7);
        if (runwaysOnly && style.windSpeed != 0 && i - airport.runwayFirst == inUse)
          highlight = (airport.flags & kRunwayEndBit) ? 2 : 1;
        double course = 0;
        GeoBearing(course, r.end[0].position, r.end[1].position);
        DrawRunwayEnds(r, dc, view, course, 300, highlight);
      }
    }
  } else {
    for (std::int32_t i = hasRunways ? airport.runwayFirst : 1; hasRunways && i <= lastRunway; ++i)
      DrawRunwayPolygon(t.runways[i], dc, view, zoomScale);
  }

  if (!runwaysOnly) {
    if (!name || !*name) {
      label = RECT{x - 13, y - 13, x + 13, y + 13};
    } else if (!PlaceLabel(view, dc, discMode == 2 ? style.boxFont : style.labelFont, name, p, discMode == 2,
                           label)) {
      // No free place for the name: the symbol alone (its square for the pen).
    } else if (discMode != 2) {
      if (style.labelFont) oldFont = SelectObject(dc, style.labelFont);
      if (!view.labelPlacer) label = RECT{x + 2, y + 2, x + 80, y + 14};
      RECT box = label;
      DrawTextW(dc, name, -1, &box, DT_LEFT | DT_TOP | DT_NOCLIP);
    } else {
      Owned pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
      SelectObject(dc, pen.object);
      if (style.boxFont) oldFont = SelectObject(dc, style.boxFont);
      SIZE extent{};
      std::int32_t length = 0;
      while (name[length]) ++length;
      GetTextExtentPoint32W(dc, name, length, &extent);
      if (!view.labelPlacer) label = RECT{x + 6, y + 1, x + 6 + extent.cx, y + 1 + extent.cy};
      Owned green(style.highlight ? CreateSolidBrush(RGB(0, 255, 0)) : nullptr);
      if (!disc) {
        SelectObject(dc, style.highlight ? green.object : GetStockObject(WHITE_BRUSH));
        RoundRect(dc, label.left - 4, label.top - 1, label.right + 4, label.bottom + 1, 5, 5);
      }
      RECT box = label;
      DrawTextW(dc, name, length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
      SelectObject(dc, GetStockObject(NULL_PEN));
      SelectObject(dc, GetStockObject(WHITE_BRUSH));
    }
  }
  if (oldFont) SelectObject(dc, oldFont);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

}  // namespace cumulor
