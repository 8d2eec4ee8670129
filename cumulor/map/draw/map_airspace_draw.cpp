#include "cumulor/map/draw/map_airspace_draw.h"

#include <algorithm>

#include "cumulor/data/airspace/airspace_shape.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/draw/map_draw_util.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/view/map_fonts.h"

namespace cumulor {

using mapdraw::Project;
using mapdraw::Selection;

namespace {

constexpr LONG kOutlineMargin = 8;  // pixels beyond the points that the thick pen may reach

int NameLength(const AirspaceShape& shape) {
  int n = 0;
  while (n < 48 && shape.name[n]) ++n;
  return n;
}

// The name centred on the point; with the frame's label places, where it meets no other label or
// symbol (an empty rectangle, nothing drawn, when there is no such place).
RECT LabelAt(HDC dc, const MapView& view, const AirspaceShape& shape, int length, POINT at, COLORREF colour) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, shape.name, length, &extent);
  RECT box{at.x - extent.cx / 2, at.y - extent.cy / 2, at.x - extent.cx / 2 + extent.cx,
           at.y - extent.cy / 2 + extent.cy};
  if (view.labelPlacer && !LabelPlaceAround(*view.labelPlacer, at, extent, box)) return RECT{};
  const COLORREF old = SetTextColor(dc, colour);
  DrawTextW(dc, shape.name, length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  SetTextColor(dc, old);
  return box;
}

// The shape's area and outline (a switched-off shape hollow with the grey pen, the alarmed one with
// the thick pen); in a mode other than copy the outline is drawn again in copy mode.
void DrawShape(Selection& sel, HDC dc, const POINT* points, std::int32_t n, int classNumber, bool off, bool outline,
               bool thick) {
  const MapPalette& p = MapPens();
  if (off) {
    sel.Brush(p.hollow);
    sel.Pen(p.grey[1]);
  } else if (thick) {
    sel.Pen(p.black[2]);
  }
  if (classNumber == kAirspaceOutlineOnlyClass) {
    const int rop = SetROP2(dc, R2_COPYPEN);
    Polyline(dc, points, n);
    SetROP2(dc, rop);
    return;
  }
  Polygon(dc, points, n);
  // In copy mode the polygon's own outline is already the copy-mode outline.
  if (outline && GetROP2(dc) != R2_COPYPEN) {
    const int rop = SetROP2(dc, R2_COPYPEN);
    Polyline(dc, points, n);
    if (n > 2) {
      const POINT closing[2] = {points[n - 1], points[0]};
      Polyline(dc, closing, 2);
    }
    SetROP2(dc, rop);
  }
}

}  // namespace

void MapDrawLabelledPolygon(MapView& view, HDC dc, int classNumber, AirspaceShape& shape, bool labels, bool outline,
                            bool thick) {
  const std::int32_t available = std::min(shape.pointCount, shape.points.Size());
  if (available < 1) return;
  const std::int32_t n = std::min(available, kMapPointBufferSize);
  for (std::int32_t i = 0; i < n; ++i) view.points[i] = Project(view, shape.points[i]);
  view.pointCount = n;

  const bool off = SwitchedOffUntil(shape) == kAirspaceOffForTheDay;
  Selection sel(dc);
  // A shape wholly beyond the screen (the view box is larger) is not drawn; its labels are still
  // placed for the pen's hit test.
  if (MapPointsReach(view.screen, view.points, static_cast<std::size_t>(n), kOutlineMargin))
    DrawShape(sel, dc, view.points, n, classNumber, off, outline, thick);

  if (labels) MapDrawAirspaceLabels(view, dc, shape);
}

void MapDrawAirspaceLabels(MapView& view, HDC dc, AirspaceShape& shape) {
  if (std::min(shape.pointCount, shape.points.Size()) < 1) return;
  const HFONT labelFont = MapFont(2);  // the role's font of now: the pilot may have changed it
  const bool off = SwitchedOffUntil(shape) == kAirspaceOffForTheDay;
  Selection sel(dc);
  sel.Font(labelFont);
  const int length = NameLength(shape);
  const COLORREF colour = off ? 0x808080 : 0x000000;
  const std::int32_t wanted = std::max<std::int32_t>(1, shape.labelPoints.Size());
  if (shape.labelRects.Size() < wanted && shape.labelRects.SetSize(wanted) != S_OK) return;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  if (shape.labelPoints.Size() > 0) {
    for (std::int32_t i = 0; i < shape.labelPoints.Size(); ++i)
      shape.labelRects[i] = LabelAt(dc, view, shape, length, Project(view, shape.labelPoints[i]), colour);
    shape.labelCount = shape.labelPoints.Size();
  } else {
    const GeoPoint middle{static_cast<std::int32_t>((static_cast<std::int64_t>(shape.bounds.west) + shape.bounds.east) / 2),
                          static_cast<std::int32_t>((static_cast<std::int64_t>(shape.bounds.north) + shape.bounds.south) / 2)};
    shape.labelRects[0] = LabelAt(dc, view, shape, length, Project(view, middle), colour);
    shape.labelCount = 1;
  }
  SetBkMode(dc, oldMode);
}

}  // namespace cumulor
