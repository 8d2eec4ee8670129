#include "cumulor/map/layers/point_labels_draw.h"

#include <cmath>

#include "cumulor/data/dialogs/aero_airspace_draw.h"
#include "cumulor/data/dialogs/airport_symbol.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/draw/map_marks.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/nav/thermal/thermal_db.h"

namespace cumulor {
namespace {

constexpr std::int32_t kFontLabels = 1;
constexpr std::int32_t kFontSmall = 2;

// An empty text for the symbol drawings (which take a wide text, not a length).
const WCHAR kNoText[1] = {0};

void DrawAirspaces(LabelList& list, const MapView& view, HDC dc, std::int32_t s, const PointLabelSources& src) {
  AeroTables& t = AeroData();
  list.airspaceRects.assign(t.airspaces.size(), RECT{});
  if (!(src.displayFlags & kShowAeroAirspace) || s > 500 || !src.visible) return;
  const MapPalette& p = MapPens();
  HGDIOBJ oldBrush = SelectObject(dc, p.hollow);
  HGDIOBJ oldFont = SelectObject(dc, MapFont(kFontSmall));
  std::vector<POINT> points;
  for (std::int32_t index : src.visible->airspaces) {
    if (index < 0 || index >= static_cast<std::int32_t>(t.airspaces.size()) || !t.airspaces[index]) continue;
    const AeroAirspace& a = *t.airspaces[index];
    RECT& label = list.airspaceRects[index];
    if (src.classEnabled && !src.classEnabled(a.airspaceClass)) {
      label = RECT{};
      continue;
    }
    const bool highlight = index == src.selectedAirspace || index == src.airspaceUnderPen;
    DrawAeroAirspace(a, dc, view, points, s, label, highlight, src.airspaceShortNames);
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBrush);
}

void DrawAirports(LabelList& list, const MapView& view, HDC dc, std::int32_t s, bool allLabels,
                  const PointLabelSources& src) {
  AeroTables& t = AeroData();
  const std::int32_t direction = allLabels ? 0 : RunwayDirectionIndex(src.rotation);
  SetTextColor(dc, 0);
  for (std::uint32_t item : src.visible->items[kTileAirports]) {
    const std::int32_t index = static_cast<std::int32_t>(item);
    if (index < 1 || index >= t.airports.Size()) continue;
    AirportRecord& airport = t.airports[index];
    TaskPoint words;
    words.kind = kPointAirport;
    words.index = index;
    LabelEntry* entry = LabelAppend(list, words);
    RECT scratch{};
    RECT& rect = entry ? entry->rect : scratch;
    PointLabelText label;
    if (s < 200 && src.flight) {
      const char* name = index < t.airportNames.Size() ? t.airportNames[index] : nullptr;
      const auto elevation = static_cast<std::int32_t>(airport.elevation * 0.3048);
      label = BuildPointLabelText(src.text, *src.flight, s, airport.position, name, airport.code, src.own, elevation);
    }
    DrawAirportSymbol(airport, dc, view, s, label.text.empty() ? kNoText : label.text.c_str(), rect, direction,
                      allLabels ? 0 : label.mode, false, src.airportStyle);
  }
}

void DrawUserWaypoints(LabelList& list, MapView& view, HDC dc, std::int32_t s, bool allLabels,
                       const PointLabelSources& src) {
  const UserWaypointTable& w = UserWaypoints();
  for (std::uint32_t item : src.visible->items[kTileUserWaypoints]) {
    const std::int32_t index = static_cast<std::int32_t>(item);
    if (index < 1) continue;
    if (index >= w.records.Size()) break;  // the visible list is older than the store
    const WaypointRecord& record = w.records[index];
    TaskPoint words;
    words.kind = kPointUserWaypoint;
    words.index = index;
    LabelEntry* entry = LabelAppend(list, words);
    if (record.zoomLimit != 0 && record.zoomLimit < s) continue;
    const char* name = index < w.names.Size() ? w.names[index].text : nullptr;
    PointLabelText label;
    if (!(record.flags & (2u | 8u))) {
      label.text = LabelName(src.text, name, record.code);
    } else if (s < 200 && src.flight) {
      const auto elevation = static_cast<std::int32_t>(record.elevation * 0.3048);
      label = BuildPointLabelText(src.text, *src.flight, s, record.position, name, record.code, src.own, elevation);
    }
    RECT scratch{};
    MapDrawPointSymbol(view, dc, record.position, record.flags, s, label.text.c_str(), entry ? &entry->rect : &scratch,
                       allLabels ? 0 : label.mode);
  }
}

// With the frame's label places: the squares of the airport and waypoint symbols about to be
// drawn are taken first, so that no label (of an airspace or another point) runs under them, and
// kept, so that no area drawn after them covers them.
void TakeSymbolPlaces(const MapView& view, std::int32_t s, bool allLabels, const PointLabelSources& src) {
  if (!view.labelPlacer || s >= 500 || !src.visible) return;
  LabelPlacer& placer = *view.labelPlacer;
  if (allLabels || src.showAirports) {
    const AeroTables& t = AeroData();
    for (std::uint32_t item : src.visible->items[kTileAirports]) {
      const auto index = static_cast<std::int32_t>(item);
      if (index < 1 || index >= t.airports.Size()) continue;
      POINT at{};
      MapWorldToScreen(view, at, t.airports[index].position);
      LabelPlacerKeep(placer, AirportSymbolRect(at));
    }
  }
  if (src.showUserWaypoints) {
    const UserWaypointTable& w = UserWaypoints();
    for (std::uint32_t item : src.visible->items[kTileUserWaypoints]) {
      const auto index = static_cast<std::int32_t>(item);
      if (index < 1) continue;
      if (index >= w.records.Size()) break;
      const WaypointRecord& record = w.records[index];
      if (record.zoomLimit != 0 && record.zoomLimit < s) continue;
      POINT at{};
      MapWorldToScreen(view, at, record.position);
      LabelPlacerKeep(placer, MapPointSymbolRect(view, at));
    }
  }
}

void DrawThermals(MapView& view, HDC dc, const PointLabelSources& src) {
  const DynArray<ThermalRecord>& records = ThermalRecords();
  HGDIOBJ oldBrush = SelectObject(dc, MapPens().hollow);
  for (std::uint32_t item : src.visible->items[kTileThermals]) {
    const std::int32_t index = static_cast<std::int32_t>(item);
    if (index < 0) continue;
    if (index >= records.Size()) break;
    const ThermalRecord& r = records[index];
    MapDrawThermalMark(view, dc, r.type, r.position, r.drifted, r.waveEnd);
  }
  SelectObject(dc, oldBrush);
}

}  // namespace

void DrawPointLabels(LabelList& list, MapView& view, HDC dc, std::int32_t s, bool allLabels,
                     const PointLabelSources& src) {
  list.scale = s;
  // The map objects in view whose threshold is at least the scale draw themselves.
  if (src.visible && src.drawMapObject)
    for (const kv3::MapObject* o : src.visible->mapObjects)
      if (o->threshold >= s) src.drawMapObject(dc, *o);
  list.entries.SetSize(0);
  TakeSymbolPlaces(view, s, allLabels, src);
  if (src.drawTask) {
    // The task's point labels in the waypoint labels' font: a task point is labelled once, by the
    // task, and reads as every other point label.
    HFONT labels = MapFont(kFontLabels);
    HGDIOBJ oldFont = labels ? SelectObject(dc, labels) : nullptr;
    src.drawTask(dc);
    if (oldFont) SelectObject(dc, oldFont);
  }
  DrawAirspaces(list, view, dc, s, src);
  const MapPalette& p = MapPens();
  HGDIOBJ oldPen = SelectObject(dc, p.black[1]);
  HGDIOBJ oldFont = SelectObject(dc, MapFont(kFontLabels));
  if (s < 500 && src.visible) {
    if (allLabels || src.showAirports) DrawAirports(list, view, dc, s, allLabels, src);
    if (src.showUserWaypoints) DrawUserWaypoints(list, view, dc, s, allLabels, src);
  }
  if (s < 100 && !src.hideThermals && src.visible) DrawThermals(view, dc, src);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  if (src.drawOverlay) src.drawOverlay(dc);
}

}  // namespace cumulor
