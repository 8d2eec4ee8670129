// The point list page of the waypoint browser (template 158): the airports or the user waypoints
// that the table's search finds, with code, bearing, distance and name, sorted by distance; rows
// coloured by the arrival altitude; a header tap sorts by that column and the next tap reverses
// it. A tap on a row makes the point the go-to target; holding it (or tapping below the rows)
// opens the action menu. The search button asks for a text ("*" lists all, "*text" finds the
// text anywhere in the name).
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kPointListTemplate = 158;

inline constexpr int kIdPointList = 1335;
inline constexpr int kIdSearchText = 1313;
inline constexpr int kIdSearchButton = 1332;
inline constexpr int kIdTableTabs = 1312;
inline constexpr int kIdFontLarger = 1384;
inline constexpr int kIdFontSmaller = 1383;
inline constexpr int kIdPointListClose = 1355;

INT_PTR PointListPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// The table the list shows: 1 airports or 4 user waypoints.
std::int32_t PointListKind();
void SetPointListKind(std::int32_t kind);

// The sort directions of the four columns: +1 or -1, the next header tap's order.
std::int32_t PointListSortDirection(std::int32_t column);
void ResetPointListSort();

// The comparator of the list for two points of the shown table: column 0 the codes, 3 the names,
// 1 the bearings, 2 the distances, each times the column's direction.
int ComparePoints(std::int32_t a, std::int32_t b, std::int32_t column);

}  // namespace cumulor
