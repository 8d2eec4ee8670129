// The frame's points: database airspaces, airports and user waypoints with their symbols and label
// texts, and the thermal records, drawn from the visible-object list while the label list is
// filled for the pen's hit tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/dialogs/airport_symbol.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/labels/label_text.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct FlightState;

// Map display bit of the database airspaces.
inline constexpr std::uint32_t kShowAeroAirspace = 0x20;

// What the label drawing reads besides the view and the list.
struct PointLabelSources {
  const VisibleAeroObjects* visible = nullptr;
  const FlightState* flight = nullptr;
  LabelTextSettings text;
  GeoPoint own;                        // the map centre
  std::int32_t rotation = 0;           // degrees
  bool showAirports = true;
  bool showUserWaypoints = true;
  bool hideThermals = false;
  std::uint32_t displayFlags = 0;      // bit 0x20: database airspaces
  bool airspaceShortNames = false;
  std::int32_t selectedAirspace = -1;  // highlighted database airspaces
  std::int32_t airspaceUnderPen = -1;
  // Whether a database airspace class is drawn (unset: every class).
  std::function<bool(std::int32_t airspaceClass)> classEnabled;
  AirportSymbolStyle airportStyle;
  // Draws one vector map object of the visible list (unset: the objects are not drawn).
  std::function<void(HDC, const kv3::MapObject&)> drawMapObject;
  // The task drawing (after the label list is emptied) and the overlay (last); unset: none.
  std::function<void(HDC)> drawTask;
  std::function<void(HDC)> drawOverlay;
};

// Draws the frame's points at scale s and fills the list; allLabels draws every label plain.
void DrawPointLabels(LabelList& list, MapView& view, HDC dc, std::int32_t s, bool allLabels,
                     const PointLabelSources& sources);

}  // namespace cumulor
