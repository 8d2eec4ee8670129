#include "cumulor/map/draw/map_flarm_draw.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "cumulor/map/draw/map_draw_util.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/draw/map_shapes.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "platform/text/format.h"

namespace cumulor {

using mapdraw::Project;
using mapdraw::Selection;

namespace {

// Draws the marker of an alarm level at (x, y); returns its size.
LONG Marker(HDC dc, LONG x, LONG y, int level, bool square) {
  const MapPalette& p = MapPens();
  Selection sel(dc);
  LONG r = 6;
  switch (level) {
    case 0: r = 4; sel.Brush(p.solid[kBrushGreen]); break;
    case 1: r = 6; sel.Brush(p.solid[kBrushYellow]); break;
    case 2: r = 8; sel.Brush(p.solid[kBrushRed]); sel.Pen(p.black[2]); break;
    case 3: r = 10; sel.Brush(p.solid[kBrushRed]); sel.Pen(p.black[3]); break;
    default: r = 6; sel.Pen(p.black[1]); break;
  }
  if (square) Rectangle(dc, x - r, y - r, x + r, y + r);
  else Ellipse(dc, x - r, y - r, x + r, y + r);
  return r;
}

WCHAR Sign(std::int32_t v) { return v >= 0 ? u'+' : u'-'; }

std::int32_t Magnitude(std::int32_t v) { return v == INT32_MIN ? INT32_MAX : std::abs(v); }

}  // namespace

void MapDrawFlarmTarget(MapView& view, HDC dc, const FlarmStatus& status) {
  const POINT c = Project(view, status.position);
  const LONG size = Marker(dc, c.x, c.y, status.alarmLevel, status.alarmType == 3);
  const std::u16string text = ce::text::Format(u"%c%d/%dm", Sign(status.relativeVertical),
                                               Magnitude(status.relativeVertical), status.relativeDistance);
  RECT box{};
  UINT format = DT_SINGLELINE | DT_NOCLIP;
  if (status.relativeBearing < 0) {
    box.right = c.x - size;
    box.left = box.right - 100;
    format |= DT_RIGHT;
  } else {
    box.left = c.x + size;
    box.right = box.left + 100;
  }
  if (status.relativeVertical >= 0) {
    box.bottom = c.y;
    box.top = c.y - 50;
    format |= DT_BOTTOM;
  } else {
    box.top = c.y;
    box.bottom = c.y + 50;
  }
  Selection sel(dc);
  sel.Font(MapFont(13));
  const int oldMode = SetBkMode(dc, OPAQUE);
  const COLORREF oldBk = SetBkColor(dc, 0xFFFFFF);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
  SetBkColor(dc, oldBk);
  SetBkMode(dc, oldMode);
}

void MapDrawFlarmInfo(MapView& view, HDC dc, const FlarmTarget& target, int side) {
  const MapPalette& p = MapPens();
  const int count = std::clamp(target.positionCount, 0, kFlarmTrackPoints);
  if (count < 1) return;
  const POINT c{mapdraw::Clamp(target.screen[0].x), mapdraw::Clamp(target.screen[0].y)};
  const bool climbing = target.turnRate > 6.0f;
  const std::u16string text =
      climbing ? ce::text::Format(u"%c%d/%.1fm/s", Sign(target.relativeVertical), Magnitude(target.relativeVertical),
                                  static_cast<double>(target.climbRate))
               : ce::text::Format(u"%c%d", Sign(target.relativeVertical), Magnitude(target.relativeVertical));
  RECT box{c.x + 6, c.y + 6, c.x + 106, c.y + 21};
  UINT format = DT_SINGLELINE | DT_TOP | DT_NOCLIP;
  if (side < 0) {
    box.left = c.x - 106;
    box.right = c.x - 6;
    format |= DT_RIGHT;
  }
  {
    Selection sel(dc);
    sel.Font(MapFont(12));
    const int oldMode = SetBkMode(dc, OPAQUE);
    const COLORREF oldBk = SetBkColor(dc, 0xFFFFFF);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    SetBkColor(dc, oldBk);
    sel.Font(MapFont(11));
    SetBkMode(dc, TRANSPARENT);
    WCHAR id[7] = {};
    for (int i = 0; i < 6 && target.id[i]; ++i) id[i] = static_cast<unsigned char>(target.id[i]);
    const COLORREF oldColour = SetTextColor(dc, 0x808080);
    RECT idBox{box.left, box.bottom, box.right, box.bottom + 15};
    DrawTextW(dc, id, -1, &idBox, format);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
  }
  if (count > 1) {
    POINT track[kFlarmTrackPoints];
    for (int i = 0; i < count; ++i)
      track[i] = POINT{mapdraw::Clamp(target.screen[i].x), mapdraw::Clamp(target.screen[i].y)};
    Polyline(dc, track, count);
  }
  if (climbing) {
    Selection sel(dc);
    sel.Pen(p.lightBlue[2]);
    sel.Brush(p.hollow);
    Ellipse(dc, c.x - 10, c.y - 10, c.x + 10, c.y + 10);
  }
  Marker(dc, c.x, c.y, target.alarmLevel, false);
  if (!climbing) MapDrawDirectionLine(view, dc, c.x, c.y, target.track, 20, p.blue[2]);
}

}  // namespace cumulor
