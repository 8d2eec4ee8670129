#include "cumulor/map/draw/map_overlays.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "cumulor/map/draw/map_draw_util.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/view/map_fonts.h"

namespace cumulor {

using mapdraw::Selection;
using mapdraw::ShadowText;

namespace {

struct ScaleStep {
  std::int32_t scale;
  const WCHAR* metric;
  std::int32_t metricPixels;
  const WCHAR* miles;
  std::int32_t milesPixels;
};

constexpr ScaleStep kSteps[] = {
    {1, u"250m", 60, u"1000ft", 73},  {2, u"500m", 60, u"2000ft", 73},   {5, u"1km", 48, u"1sm", 77},
    {10, u"2km", 48, u"1sm", 39},     {20, u"5km", 60, u"2sm", 39},      {50, u"10km", 48, u"5sm", 39},
    {100, u"20km", 48, u"10sm", 39},  {150, u"30km", 48, u"20sm", 51},   {200, u"50km", 60, u"25sm", 48},
    {500, u"100km", 48, u"50sm", 39}, {1000, u"200km", 48, u"100sm", 39}, {2000, u"500km", 60, u"200sm", 39},
};

// The bar as last laid out; recomputed only when its inputs change.
struct ScaleBarCache {
  std::int32_t length = -1;
  const WCHAR* text = nullptr;
  LONG right = 0;
  LONG top = 0;
  bool large = false;
  POINT line[6] = {};
  RECT textBox = {};
};

std::mutex g_scaleBarLock;
ScaleBarCache g_scaleBar;

void Button(HDC dc, const RECT& r, const WCHAR* text) {
  RoundRect(dc, r.left, r.top, r.right, r.bottom, 10, 10);
  RECT box = r;
  DrawTextW(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void MapFillBackground(MapView& view, HDC dc) { FillRect(dc, &view.screen, view.whiteBrush); }

bool MapScaleBarStep(std::int32_t scale, std::int32_t distanceUnit, std::int32_t* pixels, const WCHAR** text) {
  for (const ScaleStep& s : kSteps) {
    if (s.scale != scale) continue;
    const bool metric = distanceUnit == kDistanceUnitKm;
    if (pixels) *pixels = metric ? s.metricPixels : s.milesPixels;
    if (text) *text = metric ? s.metric : s.miles;
    return true;
  }
  return false;
}

bool MapDrawScaleBar(MapView& view, HDC dc, std::int32_t scale, const RECT& rect, std::int32_t distanceUnit) {
  std::int32_t length = 0;
  const WCHAR* text = nullptr;
  if (!MapScaleBarStep(scale, distanceUnit, &length, &text)) return false;
  Selection sel(dc);
  sel.Font(MapFont(12));
  ScaleBarCache bar;
  {
    std::lock_guard<std::mutex> guard(g_scaleBarLock);
    ScaleBarCache& c = g_scaleBar;
    const bool large = view.largeScreen != 0;
    if (c.length != length || c.text != text || c.right != rect.right || c.top != rect.top || c.large != large) {
      c.length = length;
      c.text = text;
      c.right = rect.right;
      c.top = rect.top;
      c.large = large;
      const LONG x0 = rect.right - length - 5;
      const LONG y0 = (large || rect.top != 0) ? 30 : 15;
      c.line[0] = {x0, y0 + 5};
      c.line[1] = {x0, y0 - 5};
      c.line[2] = {x0, y0};
      c.line[3] = {x0 + length, y0};
      c.line[4] = {x0 + length, y0 + 5};
      c.line[5] = {x0 + length, y0 - 6};
      SIZE extent{};
      GetTextExtentPoint32W(dc, text, static_cast<int>(std::char_traits<char16_t>::length(text)), &extent);
      const LONG mid = x0 + length / 2;
      const LONG top = y0 - 12 - (large ? 6 : 0);
      c.textBox = RECT{mid - extent.cx / 2, top, mid + extent.cx / 2, top + 10};
    }
    bar = c;
  }
  sel.Pen(MapPens().black[1]);
  Polyline(dc, bar.line, 6);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  ShadowText(dc, text, bar.textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  SetBkMode(dc, oldMode);
  return true;
}

void MapDrawRestoreButton(MapView& view, HDC dc, const RECT& rect) {
  RECT r = rect;
  FillRect(dc, &r, view.lightGreyBrush);
  DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, u"RESTORE", 7, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetBkMode(dc, oldMode);
}

void MapDrawPointPopup(MapView& view, HDC dc) {
  MapPopup& pop = view.popup;
  const MapPalette& p = MapPens();
  const LONG lineHeight = view.metrics.popupHeight;
  RECT box{};
  if (pop.x != 0) {
    const std::int64_t width = static_cast<std::int64_t>(std::clamp(pop.width, 0, 1000)) * view.metrics.popupCharWidth;
    const std::int64_t height = static_cast<std::int64_t>(std::clamp(pop.lines, 0, 1000)) * lineHeight;
    box = RECT{mapdraw::Clamp(pop.x), mapdraw::Clamp(pop.y), mapdraw::Clamp(pop.x + width), mapdraw::Clamp(pop.y + height)};
    if (box.right > view.screen.right) {
      box.left -= box.right - view.screen.right;
      box.right = view.screen.right;
    }
    if (box.bottom > view.screen.bottom) {
      box.top = std::max<LONG>(0, mapdraw::Clamp(static_cast<std::int64_t>(view.screen.bottom) - height - 64));
      box.bottom = mapdraw::Clamp(box.top + height);
    }
  } else {
    box = RECT{view.screen.left + 5, view.screen.top + 50, view.screen.right - 5, view.screen.bottom - 30};
  }
  Selection sel(dc);
  sel.Pen(p.black[1]);
  sel.Brush(p.solid[kBrushPanel]);
  RoundRect(dc, box.left, box.top - 3, box.right, box.bottom + 3, 10, 10);
  view.popupBox = box;

  sel.Font(MapFont(13));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const WCHAR* text = pop.text ? pop.text : u"";
  if (pop.x != 0) {
    RECT line{box.left, box.top, box.right, box.top + lineHeight};
    const WCHAR* start = text;
    for (const WCHAR* q = text;; ++q) {
      if (*q == u'\n' || *q == 0) {
        DrawTextW(dc, start, static_cast<int>(q - start), &line, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        OffsetRect(&line, 0, lineHeight);
        if (*q == 0) break;
        start = q + 1;
      }
    }
  } else if (*text) {
    RECT measure{box.left, box.top, box.right, box.top};
    DrawTextW(dc, text, -1, &measure, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    const LONG height = measure.bottom - measure.top;
    RECT area{box.left, box.top + (box.bottom - box.top - height) / 2, box.right, 0};
    area.bottom = area.top + height;
    DrawTextW(dc, text, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  }

  if (pop.kind == 1 || pop.kind == 2) {
    sel.Brush(p.stockWhite);
    const RECT band{box.left, box.bottom + 3, box.right, box.bottom + 3 + lineHeight + 40};
    auto hit = [](const RECT& r) { return RECT{r.left, r.top - 20, r.right, r.bottom + 20}; };
    if (pop.kind == 1) {
      Button(dc, band, pop.state == 1 ? u"Enable" : u"Disable");
      pop.buttons[0] = hit(band);
    } else {
      const LONG mid = band.left + (band.right - band.left) / 2;
      const RECT left{band.left, band.top, mid, band.bottom};
      const RECT right{mid, band.top, band.right, band.bottom};
      Button(dc, left, pop.state == 3 ? u"GoTo" : u"Un-GoTo");
      Button(dc, right, u"->Task");
      pop.buttons[0] = hit(left);
      pop.buttons[1] = hit(right);
    }
  }
  SetBkMode(dc, oldMode);
}

}  // namespace cumulor
