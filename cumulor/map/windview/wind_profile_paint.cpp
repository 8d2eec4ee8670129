// Drawing of the wind profile view: buttons on the left, one row per altitude slice from the
// ground up with the mean wind as an arrow in a simple perspective, the pilot's altitude as a line
// and the current wind at the bottom.
#include <cmath>
#include <string>

#include "cumulor/map/windview/wind_profile.h"
#include "platform/gdi/gdi.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr double kPi = 3.141592653589793;

// The ring and the arrow lie in the horizontal plane: x to the east, z to the north (away from the
// viewer). Far points shrink and rise on the screen.
POINT Project(double x, double z, LONG centreX, LONG rowY) {
  const double f = 900.0 / (z + 700.0);
  return POINT{centreX + static_cast<LONG>(std::lround(x * f)), rowY - static_cast<LONG>(std::lround(z * f * 0.4))};
}

void DrawButton(HDC dc, const RECT& rect, const WCHAR* text, bool sunken) {
  RECT r = rect;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawSlice(WindProfileView& view, HDC dc, const WindSlice& slice, LONG rowY, std::int32_t middle, bool knots) {
  const LONG cx = view.centre.x;
  POINT ring[kWindCirclePoints];
  for (std::int32_t i = 0; i < kWindCirclePoints; ++i) ring[i] = Project(view.circle[i][0], view.circle[i][1], cx, rowY);
  Polyline(dc, ring, kWindCirclePoints);

  // The arrow points where the wind blows and grows with its speed.
  const double s = view.highResolution ? 60 : 30;
  const double t = view.highResolution ? 80 : 40;
  const double outline[8][2] = {{0, 0}, {-4, 0}, {-4, s}, {-8, s}, {0, t}, {8, s}, {4, s}, {4, 0}};
  const double length = 0.01 * 6 * static_cast<std::int32_t>(slice.count ? slice.speedSum / slice.count : 0);
  const double turn = (180.0 - slice.direction) * kPi / 180.0;
  POINT arrow[8];
  for (int i = 0; i < 8; ++i) {
    const double x = outline[i][0];
    const double z = outline[i][1] * length;
    arrow[i] = Project(x * std::cos(turn) - z * std::sin(turn), x * std::sin(turn) + z * std::cos(turn), cx, rowY);
  }
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Polygon(dc, arrow, 8);
  SelectObject(dc, oldBrush);

  const std::u16string wind = ce::text::Format(u"%d\u00B0 %d", static_cast<int>(slice.direction),
                                               static_cast<int>(WindSliceSpeed(slice, knots)));
  RECT windBox{view.view.right - 60, rowY - 16, view.view.right, rowY};
  DrawTextW(dc, wind.c_str(), -1, &windBox, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
  const std::u16string altitude = ce::text::Format(u"%d", static_cast<int>(middle));
  RECT altitudeBox{view.view.right - 40, rowY, view.view.right, rowY + 16};
  DrawTextW(dc, altitude.c_str(), -1, &altitudeBox, DT_RIGHT | DT_TOP | DT_SINGLELINE);
}

}  // namespace

bool PaintWindProfileView(WindProfileView& view, HDC dc, const WindProfileUnits& units) {
  if (view.held) {
    const POINT at = view.heldPoint;
    WindProfileTap(view, at.x, at.y, 513);
  }
  const bool feet = units.altitudeFeet;
  FillWindSlices(view, feet);
  const std::int32_t height = WindSliceHeight(view, feet);

  RECT all = view.view;
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  DrawButton(dc, view.button[kWindOk], u"OK", false);
  if (view.step < 3) DrawButton(dc, view.button[kWindSliceUp], u"Slice +", false);
  if (view.step > 0) DrawButton(dc, view.button[kWindSliceDown], u"--", false);
  const std::u16string label = ce::text::Format(u"%d%s", static_cast<int>(height), units.altitudeUnitText);
  RECT labelBox = view.button[kWindLabel];
  DrawTextW(dc, label.c_str(), -1, &labelBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (view.moreAbove) DrawButton(dc, view.button[kWindUp], u"Up", view.held && view.heldButton == kWindUp);
  if (view.scroll > 0) DrawButton(dc, view.button[kWindDown], u"Down", view.held && view.heldButton == kWindDown);

  const double pilot = feet ? units.altitude * 3.2808 : units.altitude;
  const std::int32_t buttonWidth = view.button[kWindOk].right - view.button[kWindOk].left;
  std::int32_t base = -1;
  std::int32_t skipped = 0;
  bool any = false;
  bool above = false;
  for (std::int32_t i = 0; i < kWindSliceCount; ++i) {
    const WindSlice& slice = view.slices[i];
    if (slice.count == 0) continue;
    any = true;
    if (base < 0) base = i;
    if (skipped < view.scroll) {
      ++skipped;
      continue;
    }
    const std::int32_t row = (i - view.scroll - base) * view.rowHeight;
    if (row > (view.view.bottom - view.view.top) - 80) {
      above = true;
      break;
    }
    const LONG rowY = view.view.bottom - row - view.rowUnit;
    const std::int32_t bottom = i * height;
    const std::int32_t middle = bottom + height / 2;
    DrawSlice(view, dc, slice, rowY, middle, units.speedKnots);
    if (bottom < pilot && pilot < middle + height) {
      const LONG y = rowY - 20 - static_cast<LONG>((static_cast<std::int32_t>(pilot) - middle) * 40 / height);
      MoveToEx(dc, 2 * buttonWidth, y, nullptr);
      LineTo(dc, view.view.right - 2 * buttonWidth, y);
      Ellipse(dc, view.centre.x - 3, y - 3, view.centre.x + 3, y + 3);
    }
  }
  view.moreAbove = above;

  if (!any) {
    RECT box = view.view;
    DrawTextW(dc, u"No Data Yet.", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (++view.emptyPaints >= 4) {
      view.emptyPaints = 0;
      WindProfileTap(view, 0, 0, 16);
    }
  } else {
    view.emptyPaints = 0;
  }

  const double speed = units.speedKnots ? view.last.speed * 0.539968 : view.last.speed;
  const std::u16string now = ce::text::Format(u"Now:%d\u00B0 %d%s", static_cast<int>(view.last.direction),
                                              static_cast<int>(speed), units.speedKnots ? u"kts" : u"km/h");
  RECT nowBox{view.view.left, view.view.bottom - 16, view.view.right, view.view.bottom};
  DrawTextW(dc, now.c_str(), -1, &nowBox, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
  return view.held;
}

}  // namespace cumulor
