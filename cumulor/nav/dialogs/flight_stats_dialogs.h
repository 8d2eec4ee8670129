// Window-side dialogs of the flight statistics, the thermal query, the on-line contest options and
// the safety margins (templates 138, 184, 188 and 195 in cumulor/res/dialog-flightstats.txt), and
// the terrain clearance mark on the map.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

struct MapView;

inline constexpr int kStatsDialogTemplate = 138;
inline constexpr int kThermalQueryTemplate = 184;
inline constexpr int kContestDialogTemplate = 188;
inline constexpr int kMarginsDialogTemplate = 195;

inline constexpr int kIdStatsList = 1156;
inline constexpr int kIdStatsReset = 1006;
inline constexpr int kIdStatsClearClimb = 1007;
inline constexpr int kIdDialogClose = 1355;

// The statistics of the application record's StatsBlock: the achieved points with their leg
// speeds and the total ("No TPs achieved" without a record). Reset, Clear Climb, OK; the hardware
// keys 0xC1..0xC4 are ignored.
INT_PTR StatsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The thermal query: time mode (1247..1249), wind mode (1244..1246), hours (1000, 1001) and wind
// directions (1004, 1005) through the number pad. OK stores the query.
INT_PTR ThermalQueryDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Runs the query dialog over parent, then ThermalUpdate with the current wind.
void ThermalQueryDialog(HWND parent);

// The contest options: 4 or 6 legs at once (1244, 1245), "Show Longest Task" (1101) on OK.
INT_PTR ContestDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The safety margins: final-glide margin (1000) and terrain margin (1001) in the altitude unit,
// required altitude or arrival (1172, 1173), final glide on (1101), terrain clearance on (1102).
INT_PTR MarginsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Marks the profile's least-clearance sample on the map when its clearance less the margin is
// below 1: a red disc of radius 5 and the clearance in red beside it ("%d m" or "%d ft").
void DrawClearanceMark(HDC dc, const MapView& view);

}  // namespace cumulor
