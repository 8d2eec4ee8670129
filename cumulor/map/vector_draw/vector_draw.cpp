#include "cumulor/map/vector_draw/vector_draw.h"

#include <algorithm>
#include <mutex>

#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/view/map_fonts.h"

namespace cumulor {
namespace {

constexpr COLORREF kPlaceText = 0x808080;
constexpr COLORREF kSpotHeight = 0x2D52A0;
constexpr COLORREF kNamedPoint = 0xFF9966;
constexpr int kPointFontRole = 11;

// Pixels beyond an object's points that its drawing may reach: the 2-pixel pens and the marks of
// category 14.
constexpr LONG kLineMargin = 8;

// Whether a drawing within the box (right and bottom included) may leave a pixel on the screen.
bool Reaches(const MapView& view, LONG left, LONG top, LONG right, LONG bottom) {
  const RECT& s = view.screen;
  return right >= s.left && left < s.right && bottom >= s.top && top < s.bottom;
}

// A point object's dot lies within 2 pixels of its point; its label starts at most 4 pixels left
// and 10 above it and runs right and down within the label size.
bool LabelReaches(const MapView& view, const VectorDrawContext& c, LONG x, LONG y) {
  return Reaches(view, x - 8, y - 16 - c.labelHeight, x + 8 + c.labelWidth, y + 24 + c.labelHeight);
}

// Screen points of the object; a vertex on the same pixel as the one before it is left out, as it
// would add nothing to the line or the area (zoomed out, most of them do).
void Project(const MapView& view, const kv3::MapObject& o, VectorDrawContext& c) {
  c.points.resize(o.points.size());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < o.points.size(); ++i) {
    MapWorldToScreen(view, c.points[kept], o.points[i]);
    if (kept == 0 || c.points[kept].x != c.points[kept - 1].x || c.points[kept].y != c.points[kept - 1].y) ++kept;
  }
  c.points.resize(kept);
}

HPEN LinePen(const MapPalette& p, std::int32_t category, std::int32_t value) {
  switch (category) {
    case 3:
      if (value == 1 || value == 3 || value == 4) return p.water;
      if (value == 2) return p.dashedWater;
      break;
    case 4: return p.water;
    case 5:
      if (value == 1) return p.orange[2];
      if (value == 2) return p.orange[1];
      break;
    case 14: return p.rail;
    default: break;
  }
  return p.grey[1];
}

void AreaStyle(const MapPalette& p, const kv3::MapObject& o, const ContourSettings& contours, HPEN& pen, HBRUSH& brush) {
  pen = p.grey[1];
  brush = p.hollow;
  switch (o.category) {
    case 1:
      if (o.value == 2 || o.value == 3) {
        brush = p.solid[kBrushWater];
        pen = p.lake;
      } else if (o.value == 4) {
        brush = p.solid[kBrushWater];
        pen = p.dashedWater;
      } else if (o.value == 5) {
        brush = p.solid[kBrushGlacier];
        pen = p.dashedWater;
      }
      break;
    case 2:
      brush = p.solid[kBrushWater];
      pen = p.lake;
      break;
    case 9:
      brush = p.solid[kBrushTown];
      pen = p.marsh;
      break;
    case 10:
    case 11:
      brush = MapTerrainBrush(ContourSlot(contours, o.value));
      pen = p.nullPen;
      break;
    case 12: pen = p.red[1]; break;
    case 17: brush = p.solid[kBrushPanel]; break;
    default: break;
  }
}

void DrawLine(const MapView& view, HDC dc, const kv3::MapObject& o, VectorDrawContext& c) {
  if (o.points.empty()) return;
  Project(view, o, c);
  // Much of the list lies beyond the screen (the view box is larger): nothing of it would show.
  if (!MapPointsReach(view.screen, c.points.data(), c.points.size(), kLineMargin)) return;
  const MapPalette& p = MapPens();
  const int n = static_cast<int>(c.points.size());
  if (o.kind != 5) {
    HGDIOBJ oldPen = SelectObject(dc, LinePen(p, o.category, o.value));
    Polyline(dc, c.points.data(), n);
    if (o.category == 14) {
      for (const POINT& pt : c.points) {
        const POINT mark[4] = {{pt.x - 2, pt.y}, {pt.x + 2, pt.y}, {pt.x, pt.y}, {pt.x, pt.y + 5}};
        Polyline(dc, mark, 4);
      }
    }
    SelectObject(dc, oldPen);
    return;
  }
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  AreaStyle(p, o, c.contours, pen, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Polygon(dc, c.points.data(), n);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

std::size_t LabelLength(const char16_t* text, std::size_t max) {
  std::size_t length = 0;
  while (length < max && text[length]) ++length;
  return length;
}

void DrawLabel(HDC dc, const char16_t* text, std::size_t max, RECT box, UINT format, COLORREF colour) {
  const std::size_t length = LabelLength(text, max);
  if (length == 0) return;
  SetTextColor(dc, colour);
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text), static_cast<int>(length), &box, format);
}

// With the frame's label places: the label's place beside the point at (x, y), whose usual top
// left is `dx`, `dy` from it (right of the point); then mirrored to the left, then centred above
// and below. False when the label is empty, the point itself is covered or none of the places is
// free (the object is then left out).
bool PlacePointLabel(const MapView& view, HDC dc, const char16_t* text, std::size_t max, LONG x, LONG y, LONG dx,
                     LONG dy, RECT& placed) {
  const std::size_t length = LabelLength(text, max);
  if (length == 0) return false;
  // The point's dot must be clear too: a point under another label or symbol is left out (before
  // the text is measured: many are).
  const RECT dot{x - 2, y - 2, x + 3, y + 3};
  LabelPlacer& placer = *view.labelPlacer;
  if (!LabelPlacerFree(placer, dot)) return false;
  SIZE e{};
  GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(text), static_cast<int>(length), &e);
  if (e.cx <= 0 || e.cy <= 0) return false;
  const RECT candidates[4] = {
      {x + dx, y + dy, x + dx + e.cx, y + dy + e.cy},
      {x - dx - e.cx, y + dy, x - dx, y + dy + e.cy},
      {x - e.cx / 2, y - 4 - e.cy, x - e.cx / 2 + e.cx, y - 4},
      {x - e.cx / 2, y + 4, x - e.cx / 2 + e.cx, y + 4 + e.cy},
  };
  if (!LabelPlacerPlace(placer, candidates, 4, placed)) return false;
  LabelPlacerTake(placer, dot);
  return true;
}

void DrawPoint(const MapView& view, HDC dc, const kv3::MapPointObject& o, VectorDrawContext& c) {
  if (o.points.empty()) return;
  if (c.points.empty()) c.points.resize(1);
  MapWorldToScreen(view, c.points[0], o.points.front());
  const LONG x = c.points[0].x, y = c.points[0].y;
  if (!LabelReaches(view, c, x, y)) return;
  const MapPalette& p = MapPens();
  HGDIOBJ oldFont = SelectObject(dc, MapFont(kPointFontRole));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const char16_t* label = o.label.data();
  constexpr std::size_t kHalf = kv3::kLabelChars / 2;
  const bool placing = view.labelPlacer != nullptr;
  RECT placed{};
  constexpr UINT kPlaced = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP;
  switch (o.category) {
    case 7:
      if (label[0]) {
        if (placing && !PlacePointLabel(view, dc, label, kv3::kLabelChars, x, y, 4, -9, placed)) break;
        HGDIOBJ oldPen = SelectObject(dc, p.lightGrey1);
        HGDIOBJ oldBrush = SelectObject(dc, p.stockLightGrey);
        Ellipse(dc, x - 2, y - 2, x + 2, y + 2);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        if (placing)
          DrawLabel(dc, label, kv3::kLabelChars, placed, kPlaced, kPlaceText);
        else
          DrawLabel(dc, label, kv3::kLabelChars, RECT{x + 4, y - 9, x + 200, y + 15}, DT_LEFT | DT_TOP | DT_NOCLIP,
                    kPlaceText);
      }
      break;
    case 15: {
      // Feet in the first half of the label, metres in the second.
      const char16_t* height = c.altitudeUnit == 2 ? label : label + kHalf;
      if (placing && !PlacePointLabel(view, dc, height, kHalf, x, y, 4, 0, placed)) break;
      SetPixel(dc, x, y, kSpotHeight);
      DrawLabel(dc, height, kHalf, placing ? placed : RECT{x + 4, y, x + 200, y + 18},
                placing ? kPlaced : DT_LEFT | DT_TOP | DT_NOCLIP, kSpotHeight);
      break;
    }
    case 16:
      if (placing) {
        SIZE e{};
        GetTextExtentPoint32W(dc, u"X", 1, &e);
        if (PlacePointLabel(view, dc, label, kv3::kLabelChars, x, y, 0, 2 - e.cy / 2, placed))
          DrawLabel(dc, label, kv3::kLabelChars, placed, kPlaced, kNamedPoint);
        break;
      }
      DrawLabel(dc, label, kv3::kLabelChars, RECT{x, y - 10, x + 200, y + 15},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP, kNamedPoint);
      break;
    default: break;
  }
  SetTextColor(dc, 0);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

}  // namespace

void DrawMapObject(const MapView& view, HDC dc, const kv3::MapObject& object, VectorDrawContext& context) {
  if (context.part == (object.pointObject ? VectorPart::kShapes : VectorPart::kPoints)) return;
  if (object.pointObject) {
    DrawPoint(view, dc, static_cast<const kv3::MapPointObject&>(object), context);
  } else {
    DrawLine(view, dc, object, context);
  }
}

void DrawVectorLayers(VectorMapStore& store, std::int32_t zoomValue, const MapView& view, HDC dc,
                      std::int32_t altitudeUnit, VectorPart part) {
  if (!dc) return;
  VectorDrawContext context;
  context.part = part;
  context.altitudeUnit = altitudeUnit;
  // The labels' reach: 19 characters of the widest, or of the height where that is more.
  HGDIOBJ oldFont = SelectObject(dc, MapFont(kPointFontRole));
  TEXTMETRICW tm{};
  if (GetTextMetricsW(dc, &tm) && tm.tmHeight > 0) {
    context.labelWidth = 2 * kv3::kLabelChars * std::max(tm.tmMaxCharWidth, tm.tmHeight);
    context.labelHeight = 2 * tm.tmHeight;
  }
  SelectObject(dc, oldFont);
  HGDIOBJ oldPen = SelectObject(dc, MapPens().grey[1]);
  HGDIOBJ oldBrush = SelectObject(dc, MapPens().hollow);
  std::lock_guard<std::recursive_mutex> guard(store.lock);  // the contours and the draw list of one rebuild
  context.contours = store.contours;
  VisitDrawList(store, zoomValue, [&](const kv3::MapObject& o) { DrawMapObject(view, dc, o, context); });
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

}  // namespace cumulor
