// One-tap actions on the map: the tap-mode chooser (template 189, command 40147) arms an action
// and the kind of point it applies to; the next tap on the map performs it (`MapTapAction`) on the
// tapped position or on the labelled point nearest to the tap. While armed, a coloured ring
// around the aircraft symbol shows the action (`GetTapModeValue`).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/airspace/airspace_module.h"
#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct LabelList;

inline constexpr int kTapChooserDialog = 189;
inline constexpr int kIdTapAirport = 1244;      // .. 1249: point types 0..5
inline constexpr int kIdTapIntersection = 1249;
inline constexpr int kIdTapCreate = 1000;       // .. 1004: modes 1..5
inline constexpr int kIdTapInfo = 1004;

enum TapMode : std::int32_t { kTapNone = 0, kTapCreate = 1, kTapGoto = 2, kTapAddToTask = 3, kTapAirspace = 4, kTapInfo = 5 };

struct MapTapState {
  std::uint8_t armed = 0;
  std::int32_t mode = kTapNone;
  std::int32_t pointType = 0;   // 0 airport, 1 user waypoint; 2..5 select nothing
};
MapTapState& MapTap();

// The airspace the last airspace tap found: a shape of the airspace files, else a database
// airspace (-1 none).
struct TapAirspaceSelection {
  std::optional<AirspaceShapeRef> file;
  std::int32_t database = -1;
};
TapAirspaceSelection& TapSelectedAirspace();

// What a tap action does in the rest of the program; unset functions do nothing.
struct MapTapHooks {
  // The frame's label list the nearest point is taken from.
  std::function<const LabelList*()> labels;
  // A new user waypoint at the position (the waypoint dialog, then the commit).
  std::function<void(const GeoPoint&)> createWaypoint;
  // The airspace containing the position becomes the selected one (file, else database airspace).
  std::function<void(const GeoPoint&)> selectAirspace;
  // The point becomes the go-to target.
  std::function<void(const TaskPoint&)> gotoPoint;
  // The insertion chooser of the waypoint lists for the point, then navigation from the first
  // task point.
  std::function<void(const TaskPoint&)> insertIntoTask;
  // The waypoint browser opened with the point (the map is re-centred afterwards).
  std::function<void(const TaskPoint&)> openBrowser;
};
void SetMapTapHooks(MapTapHooks hooks);

INT_PTR TapChooserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Performs the armed action for a tap at `tap`; `glider` is the aircraft symbol's screen point,
// `world` the tap's position. Disarms first; a tap within 20 pixels of the aircraft does nothing.
void MapTapAction(POINT tap, POINT glider, const GeoPoint& world);

// The ring colour of the armed action: green (create), red (airspace), 0x00C4FF (information);
// for go-to and "+Task" magenta for airports, grey for user waypoints. 0 when nothing is armed.
COLORREF GetTapModeValue();

}  // namespace cumulor
