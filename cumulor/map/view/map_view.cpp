#include "cumulor/map/view/map_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include "cumulor/map/view/map_fonts.h"
#include "platform/kernel/system_info.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr double kDegToRad = 0.01745329251994328;
constexpr std::int32_t kInitialPolyline = 16;

std::int32_t ClampTo(std::int64_t v, std::int64_t limit) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -limit, limit));
}

std::int32_t ClampInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

std::int32_t TruncToInt(double v) {
  if (!(v == v)) return 0;
  return ClampInt32(static_cast<std::int64_t>(std::clamp(v, -9.0e18, 9.0e18)));
}

// Scaled coordinates (pixels before rotation).
std::int64_t ScaledX(const MapView& v, std::int32_t lon) {
  return ((static_cast<std::int64_t>(lon) + v.originOffsetX) * v.xFactor) / 10000;
}
std::int64_t ScaledY(const MapView& v, std::int32_t lat) {
  return ((static_cast<std::int64_t>(lat) + v.originOffsetY) * v.yFactor) / 10000;
}

void ProjectRaw(const MapView& v, std::int64_t& sx, std::int64_t& sy, const GeoPoint& p) {
  const std::int64_t dx = ScaledX(v, p.lon) - v.centreX;
  const std::int64_t dy = ScaledY(v, p.lat) - v.centreY;
  const std::int64_t a = (v.sine * dx + v.cosine * dy) / 1000;
  const std::int64_t b = (v.cosine * dx - v.sine * dy) / 1000;
  sx = b + v.centreX + v.shiftX;
  sy = static_cast<std::int64_t>(v.screen.bottom) - (a + v.centreY) + v.shiftY;
}

bool ReadVersionFlag() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return false;
  return info.dwMajorVersion >= 2 && info.dwMinorVersion >= 11;
}

// Sets rotation, sine and cosine, and the centre and shifts that put the centre position at
// (screen width / 2, placeY).
void PlaceCentre(MapView& v, std::int32_t lon, std::int32_t lat, std::int32_t rotation, std::int64_t placeY) {
  v.sine = 0;
  v.cosine = 1000;
  v.rotation = 0;
  v.shiftX = 0;
  v.shiftY = 0;
  const std::int64_t cx = ScaledX(v, lon);
  const std::int64_t cy = static_cast<std::int64_t>(v.screen.bottom) - ScaledY(v, lat);
  const double radians = rotation * kDegToRad;
  v.sine = TruncToInt(std::sin(radians) * 1000);
  v.cosine = TruncToInt(std::cos(radians) * 1000);
  v.rotation = rotation;
  v.shiftY = ClampInt32(placeY - cy);
  v.shiftX = ClampInt32(v.screenWidth / 2 - cx);
  v.centreY = ClampInt32(v.screen.bottom - cy);
  v.centreX = ClampInt32(cx);
}

}  // namespace

std::int32_t MapMetresToPixels(const MapView& view, std::int64_t metres) {
  return TruncToInt(static_cast<double>(metres) * view.yFactor * 0.3233935023437) / 10000;
}

void MapInit(MapView& view) {
  view.view = {};
  view.screenWidth = view.screenHeight = 0;
  view.xFactor = view.yFactor = 0;
  view.originOffsetX = view.originOffsetY = 0;
  view.centreX = view.centreY = 0;
  view.shiftX = 0;
  view.panX = view.panY = 0;
  view.centreFraction = 2.0f / 3.0f;
  view.blackPen1 = CreatePen(PS_SOLID, 1, 0x000000);
  view.blackPen2 = CreatePen(PS_SOLID, 2, 0x000000);
  view.blackPen4 = CreatePen(PS_SOLID, 4, 0x000000);
  view.greyPen1 = CreatePen(PS_SOLID, 1, 0x808080);
  view.blackBrush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  view.lightGreyBrush = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  view.whiteBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  view.hollowBrush = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  view.firstDistance = 2000;
  view.ringDistance = 500;
  view.angleLimit = 360;
  view.altitudeStalk = 0;
  view.popup = {};
  view.polyline = new (std::nothrow) POINT[kInitialPolyline];
  view.polylineCapacity = view.polyline ? kInitialPolyline : 0;
  view.versionFlag = ReadVersionFlag() ? 1 : 0;
}

void MapTerm(MapView& view) {
  for (HPEN* pen : {&view.blackPen1, &view.blackPen2, &view.blackPen4, &view.greyPen1}) {
    if (*pen) DeleteObject(*pen);
    *pen = nullptr;
  }
  delete[] view.polyline;
  view.polyline = nullptr;
  view.polylineCapacity = 0;
}

void MapSetScreenRect(MapView& view, const RECT& rect) {
  view.screen = rect;
  view.screenWidth = rect.right - rect.left;
  view.screenHeight = rect.bottom - rect.top;
  view.screenExtent = std::max(view.screenWidth, view.screenHeight);
}

void MapMeasureFont(MapView& view, int /*ignored*/, HWND window) {
  view.window = window;
  HDC dc = GetDC(window);
  if (!dc) return;
  TEXTMETRICW tm{};
  HGDIOBJ old = SelectObject(dc, MapFont(12));
  if (GetTextMetricsW(dc, &tm)) {
    view.metrics.labelCharWidth = tm.tmAveCharWidth;
    view.metrics.labelHeight = tm.tmHeight;
  }
  SelectObject(dc, MapFont(13));
  if (GetTextMetricsW(dc, &tm)) {
    view.metrics.popupCharWidth = tm.tmAveCharWidth + (view.versionFlag ? 2 : 1);
    view.metrics.popupHeight = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
}

void MapSetStyle(MapView& view, int detail, int labels, int ring, int labelLen, const WCHAR* altitudeUnit,
                 int largeScreen, int colourScreen) {
  view.detail = detail;
  view.labels = labels;
  view.ring = ring;
  view.labelLen = labelLen;
  view.altitudeUnit = altitudeUnit;
  view.largeScreen = largeScreen;
  view.colourScreen = colourScreen;
  view.mapFont0 = MapFont(0);
  view.mapFont1 = MapFont(1);
  if (largeScreen) {
    view.smallMarker = 12;
    view.largeMarker = 12;
    view.symbolSize = 40;
  } else {
    view.smallMarker = 6;
    view.largeMarker = 7;
    view.symbolSize = 25;
  }
}

void MapSetRegion(MapView& view, const GeoRect& region, const GeoPoint& centre) {
  view.region = region;
  view.regionCopy = region;
  view.originOffsetX = ClampInt32(-static_cast<std::int64_t>(region.left));
  view.originOffsetY = ClampInt32(-static_cast<std::int64_t>(region.bottom));
  view.gridOriginX = (region.left / 36000) * 36000;
  view.gridOriginY = (region.bottom / 36000) * 36000;
  const double lat = std::fabs(static_cast<double>(centre.lat));
  view.cosLatFactor = TruncToInt(std::cos(lat * 3.141592653589793 / 6480000.0) * 10000);
  // The east-west factor follows the new latitude at once, not only at the next scale change.
  if (view.scale > 0) view.xFactor = TruncToInt(view.cosLatFactor * 0.7421299333333333 / view.scale);
}

void MapSetScale(MapView& view, std::int32_t s) {
  if (s <= 0) return;
  view.yFactor = TruncToInt(7421.299333333333 / s);
  view.xFactor = TruncToInt(view.cosLatFactor * 0.7421299333333333 / s);
  view.ringRadius = MapMetresToPixels(view, view.ringDistance);
  view.scale = s;
  view.arcStep = (s * 0.0196078431372549 + 1) * kDegToRad;
}

void MapProjectDistance(MapView& view, std::int32_t firstDistance, std::int32_t ringDistance) {
  view.firstDistance = firstDistance;
  view.ringDistance = ringDistance;
  view.ringRadius = MapMetresToPixels(view, ringDistance);
}

void MapSetView(MapView& view, std::int32_t lon, std::int32_t lat, std::int32_t rotation) {
  const std::int64_t clon = static_cast<std::int64_t>(lon) + view.panX;
  const std::int64_t clat = static_cast<std::int64_t>(lat) + view.panY;
  const std::int64_t placeY = static_cast<std::int64_t>(view.screenHeight * view.centreFraction);
  PlaceCentre(view, ClampInt32(clon), ClampInt32(clat), rotation, placeY);
  // Half the visible size: 5/6 of the screen extent in pixels, in latitude units for both axes.
  const std::int64_t h = view.yFactor > 0
                             ? (static_cast<std::int64_t>(view.screenExtent) * 50000) / (static_cast<std::int64_t>(view.yFactor) * 6)
                             : std::int64_t{2} * kMapWorldLon;
  view.view.left = static_cast<std::int32_t>(std::max<std::int64_t>(clon - h, -kMapWorldLon));
  view.view.top = static_cast<std::int32_t>(std::min<std::int64_t>(clat + h, kMapWorldLat));
  view.view.right = static_cast<std::int32_t>(std::min<std::int64_t>(clon + h, kMapWorldLon));
  view.view.bottom = static_cast<std::int32_t>(std::max<std::int64_t>(clat - h, -kMapWorldLat));
}

void MapSetViewCentred(MapView& view, std::int32_t lon, std::int32_t lat, std::int32_t rotation, const RECT& rect) {
  MapSetScreenRect(view, rect);
  PlaceCentre(view, lon, lat, rotation, view.screenHeight / 2);
  const std::int64_t h = view.yFactor > 0 ? (static_cast<std::int64_t>(view.screenExtent) * 60000) /
                                                (static_cast<std::int64_t>(view.yFactor) * 5)
                                          : std::int64_t{2} * kMapWorldLon;
  view.view.left = ClampInt32(lon - h);
  view.view.top = ClampInt32(lat + h);
  view.view.right = ClampInt32(lon + h);
  view.view.bottom = ClampInt32(lat - h);
}

void MapWorldToScreen(const MapView& view, POINT& out, const GeoPoint& position) {
  std::int64_t sx = 0, sy = 0;
  ProjectRaw(view, sx, sy, position);
  out.x = ClampTo(sx, kMapCoordLimit);
  out.y = ClampTo(sy, kMapCoordLimit);
}

bool MapPointsReach(const RECT& area, const POINT* points, std::size_t count, LONG margin) {
  if (!points || count == 0) return false;
  LONG left = points[0].x, right = left, top = points[0].y, bottom = top;
  for (std::size_t i = 1; i < count; ++i) {
    left = std::min(left, points[i].x);
    right = std::max(right, points[i].x);
    top = std::min(top, points[i].y);
    bottom = std::max(bottom, points[i].y);
  }
  return right >= area.left - margin && left < area.right + margin && bottom >= area.top - margin &&
         top < area.bottom + margin;
}

int MapScreenToWorld(const MapView& view, GeoPoint& out, const POINT& screen) {
  if (view.xFactor == 0 || view.yFactor == 0) return 0;
  const std::int64_t p = static_cast<std::int64_t>(screen.x) - view.centreX - view.shiftX;
  const std::int64_t q = static_cast<std::int64_t>(view.screen.bottom) - screen.y - view.centreY + view.shiftY;
  const std::int64_t dy = (view.cosine * q - view.sine * p) / 1000;
  const std::int64_t dx = (view.sine * q + view.cosine * p) / 1000;
  out.lon = ClampInt32(((dx + view.centreX) * 10000) / view.xFactor - view.originOffsetX);
  out.lat = ClampInt32(((dy + view.centreY) * 10000) / view.yFactor - view.originOffsetY);
  return 1;
}

void MapPanByPixels(MapView& view, std::int32_t dx, std::int32_t dy) {
  const std::int64_t u = (static_cast<std::int64_t>(view.scale) * view.cosLatFactor) / 5000;
  const std::int64_t v = (static_cast<std::int64_t>(view.scale) * 10000) / 5000;
  view.panX = ClampInt32(view.panX + (view.sine * u * dy + view.cosine * v * dx) / 1000);
  view.panY = ClampInt32(view.panY + (view.cosine * u * dy - view.sine * v * dx) / 1000);
}

void MapSetPopupTarget(MapView& view, const MapPopup& record) {
  view.popup = record;
  if (record.kind == kPopupStatusLine) view.popup.x = 0;
}

}  // namespace cumulor
