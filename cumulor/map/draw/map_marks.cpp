#include "cumulor/map/draw/map_marks.h"

#include <algorithm>
#include <string>

#include "cumulor/data/task/task_point.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/draw/map_draw_util.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/draw/map_shapes.h"
#include "cumulor/map/view/map_fonts.h"
#include "platform/text/utf.h"

namespace cumulor {

using mapdraw::Line;
using mapdraw::Project;
using mapdraw::Selection;

void MapDrawMarker(MapView& view, HDC dc, const GeoPoint& position, bool highlight, const char* name) {
  const MapPalette& p = MapPens();
  const POINT c = Project(view, position);
  const LONG r = view.symbolSize;
  Selection sel(dc);
  sel.Pen(highlight ? p.blue[view.largeScreen ? 4 : 2] : p.black[view.largeScreen ? 4 : 2]);
  Line(dc, c.x - r, c.y, c.x + r, c.y);
  Line(dc, c.x, c.y - r, c.x, c.y + r);
  sel.Pen(highlight ? p.blue[view.largeScreen ? 2 : 1] : p.black[view.largeScreen ? 2 : 1]);
  sel.Brush(p.hollow);
  Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
  if (name) {
    std::u16string text = u"M:";
    for (const char* q = name; *q; ++q) text.push_back(static_cast<unsigned char>(*q));
    const COLORREF old = SetTextColor(dc, 0x808080);
    RECT box{c.x + 2, c.y + 2, c.x + 40, c.y + 14};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_TOP | DT_NOCLIP);
    SetTextColor(dc, old);
  }
}

void MapDrawIconMark(MapView& view, HDC dc, const GeoPoint& position, HICON icon, const WCHAR* text) {
  const MapPalette& p = MapPens();
  const POINT c = Project(view, position);
  Selection sel(dc);
  sel.Pen(p.green[1]);
  sel.Brush(p.hollow);
  Ellipse(dc, c.x - 25, c.y - 25, c.x + 25, c.y + 25);
  if (icon) DrawIconEx(dc, c.x - 8, c.y - 8, icon, 16, 16, 0, nullptr, DI_NORMAL);
  if (text) {
    RECT box{c.x + 4, c.y - 1, c.x + 42, c.y + 8};
    DrawTextW(dc, text, -1, &box, DT_LEFT | DT_TOP | DT_NOCLIP);
  }
}

void MapDrawPointIcon(MapView& view, HDC dc, const GeoPoint& position, HICON icon, RECT* out) {
  const POINT c = Project(view, position);
  const RECT box{c.x - 16, c.y - 22, c.x + 16, c.y + 10};
  if (icon) DrawIconEx(dc, box.left, box.top, icon, 32, 32, 0, nullptr, DI_NORMAL);
  if (out) *out = box;
}

void MapDrawThermalMark(MapView& view, HDC dc, std::int32_t type, const GeoPoint& source, const GeoPoint& drifted,
                        const GeoPoint& waveEnd) {
  const MapPalette& p = MapPens();
  const POINT d = Project(view, drifted);
  const bool endValid = waveEnd.lon > -kMapWorldLon && waveEnd.lon < kMapWorldLon && waveEnd.lat > -kMapWorldLat &&
                        waveEnd.lat < kMapWorldLat;
  Selection sel(dc);
  if (type == 2 && endValid) {
    const POINT e = Project(view, waveEnd);
    sel.Pen(p.blue[4]);
    Line(dc, d.x, d.y, e.x, e.y);
    return;
  }
  MapDrawPlusMark(dc, d.x, d.y, p.blue[2]);
  const POINT s = Project(view, source);
  sel.Pen(p.grey[1]);
  Line(dc, d.x, d.y, s.x, s.y);
}

void MapDrawPointLabel(MapView& view, HDC dc, const TaskPoint& point, const char* name, bool highlight,
                       MapLabelSink sink, void* context) {
  if (point.maxRadius == 0) return;
  const GeoPoint position{point.lon, point.lat};
  MapDrawMarker(view, dc, position, highlight, name);
  if (view.labels && sink) {
    const POINT c = Project(view, position);
    const LONG r = view.symbolSize;
    sink(context, point, RECT{c.x - r, c.y - r, c.x + r, c.y + r});
  }
}

RECT MapPointSymbolRect(const MapView& view, POINT c) {
  const LONG half = std::max<LONG>(view.largeScreen ? 8 : 4, view.largeMarker) + 1;
  return RECT{c.x - half, c.y - half, c.x + half + 1, c.y + half + 1};
}

void MapDrawPointSymbol(MapView& view, HDC dc, const GeoPoint& position, std::uint32_t flags, std::int32_t scale,
                        const WCHAR* label, RECT* out, int mode) {
  const MapPalette& p = MapPens();
  const POINT c = Project(view, position);
  Selection sel(dc);
  LONG size = 0;
  if (view.largeScreen) {
    sel.Pen(p.black[2]);
    size = view.detail ? 8 : 4;
  } else {
    sel.Pen(p.black[1]);
    size = view.detail ? 4 : 2;
  }
  bool disc = false;
  if (scale >= 21 && !view.labels && mode > 0) {
    const LONG r = mode == 2 ? view.largeMarker : view.smallMarker;
    Selection discSel(dc);
    discSel.Pen(p.nullPen);
    discSel.Brush(mode == 2 ? p.solid[kBrushGreen] : p.solid[kBrushReach]);
    Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
    disc = true;
  }
  sel.Brush(p.hollow);
  if (flags & 1u) {
    Ellipse(dc, c.x - size, c.y - size, c.x + size, c.y + size);
    if (view.ring && !(flags & 4u) && view.angleLimit == 360) {
      Selection ringSel(dc);
      ringSel.Pen(p.grey[1]);
      const LONG r = view.ringRadius;
      Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
    }
  } else {
    Line(dc, c.x, c.y, c.x + 1, c.y);
  }
  if (flags & (2u | 8u)) {
    const LONG extra = (view.largeScreen ? 3 : 1) + size;
    Selection strokeSel(dc);
    int width = 1;
    if (view.largeScreen) width = (flags & 2u) ? 4 : 2;
    else if (flags & 2u) width = 2;
    strokeSel.Pen(p.black[width]);
    Line(dc, c.x, c.y - extra, c.x, c.y + extra);
  }
  const LONG half = view.largeMarker + 4;
  RECT box{c.x - half, c.y - half, c.x + half, c.y + half};
  if (view.detail && label && *label) {
    const int length = static_cast<int>(std::char_traits<char16_t>::length(label));
    SIZE extent{};
    if (view.labelPlacer || mode == 2) GetTextExtentPoint32W(dc, label, length, &extent);
    // With the frame's label places: the boxed label's frame is 4 pixels wider on each side.
    const LONG frame = mode == 2 ? 4 : 0;
    RECT placed{};
    const RECT own = MapPointSymbolRect(view, c);
    if (view.labelPlacer &&
        !LabelPlaceBeside(*view.labelPlacer, c, SIZE{extent.cx + 2 * frame, extent.cy + 1}, 2, placed, &own)) {
      // No free place: the symbol alone.
    } else if (mode != 2) {
      box = view.labelPlacer ? placed : RECT{c.x + 2, c.y + 2, c.x + 80, c.y + 14};
      DrawTextW(dc, label, -1, &box, DT_LEFT | DT_TOP | DT_NOCLIP);
    } else {
      box = view.labelPlacer ? RECT{placed.left + frame, placed.top, placed.right - frame, placed.bottom - 1}
                             : RECT{c.x + 6, c.y + 1, c.x + 6 + extent.cx, c.y + 1 + extent.cy};
      if (!disc) {
        Selection boxSel(dc);
        boxSel.Brush(view.colourScreen ? p.solid[kBrushGreen] : p.stockWhite);
        RoundRect(dc, box.left - 4, box.top, box.right + 4, box.bottom + 1, 5, 5);
      }
      const int oldMode = SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, label, -1, &box, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
      SetBkMode(dc, oldMode);
    }
  }
  if (out) *out = box;
}

}  // namespace cumulor
