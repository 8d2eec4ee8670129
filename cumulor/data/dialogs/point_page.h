// The point page (template 167), a page of the waypoint browser: the point chosen in the waypoint
// lists (the go-to target) with its code, name, icon, information lines and a small map of its
// surroundings, and the "Action" menu: fly direct to it or back to the task, jump to it in the
// simulator, add it to the task, make it the home airport.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/points/point_texts.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kPointPageTemplate = 167;

inline constexpr int kIdPointInfo = 1344;
inline constexpr int kIdPointAction = 3;

// Entries of the "Action" menu.
inline constexpr UINT kCmdPointFlyDirect = 10;
inline constexpr UINT kCmdPointUnGoto = 13;
inline constexpr UINT kCmdPointJump = 11;
inline constexpr UINT kCmdPointAddToTask = 20;
inline constexpr UINT kCmdPointSetHome = 14;

// What the page needs of the application; unset hooks do nothing (no simulator, default texts,
// the map rectangle only framed).
struct PointPageHooks {
  bool (*simulator)() = nullptr;
  // The application's reference position (where the simulated glider is put).
  void (*setReferencePosition)(const GeoPoint& position) = nullptr;
  // The information texts' units and arrival values.
  PointInfoEnv (*infoEnv)() = nullptr;
  // The map centred on the position at zoom step 3 with its scale bar, into the rectangle of the
  // page's context; the previous zoom step restored afterwards.
  void (*drawMap)(HDC dc, const RECT& rect, const GeoPoint& centre) = nullptr;
};
PointPageHooks& PointPageHooksInstalled();

// The point the simulator last jumped to (JUMP TO and SET HOME AIRPORT).
TaskPoint& JumpPoint();

INT_PTR PointPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
