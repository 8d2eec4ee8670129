// The map settings dialogs: map options (template 110, command 40116), "Units" (127, 40108),
// "Map" (168, 40109) and "Waypoint Labels" (179, 40111). They edit the application record
// (`AppRecord()`) and the settings reached through the map settings link.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kMapOptionsDialog = 110;
inline constexpr int kUnitsDialog = 127;
inline constexpr int kMapLayersDialog = 168;
inline constexpr int kLabelsDialog = 179;

// Dialog 110.
inline constexpr int kIdNorthUp = 1029;
inline constexpr int kIdTrackUp = 1030;
inline constexpr int kIdGoalUp = 1031;
inline constexpr int kIdAutoZoom = 1124;
inline constexpr int kIdAutoAdvance = 1123;
inline constexpr int kIdTrueNorth = 1127;
inline constexpr int kIdAutoMc = 1263;
inline constexpr int kIdNorthUpCircling = 1126;
inline constexpr int kIdSimSpeedZero = 1129;
inline constexpr int kIdSetGpsTime = 1308;
inline constexpr int kIdArmStart = 1309;
inline constexpr int kIdElevations = 1280;
inline constexpr int kIdEditOptions = 1006;
inline constexpr int kIdFinalGlide = 1000;

// Dialog 127: the radio buttons of each unit.
inline constexpr int kIdHeightM = 1080, kIdHeightFt = 1081;
inline constexpr int kIdClimbMs = 1102, kIdClimbKts = 1103;
inline constexpr int kIdSpeedKmh = 1170, kIdSpeedKts = 1171;
inline constexpr int kIdTaskSpeedKmh = 1261, kIdTaskSpeedMph = 1262;
inline constexpr int kIdDistanceKm = 1104, kIdDistanceNm = 1105, kIdDistanceSm = 1106;

// Dialog 168.
inline constexpr int kIdShowAirports = 1353;
inline constexpr int kIdShowDbAirspace = 1354;
inline constexpr int kIdShowUserWaypoints = 1309;
inline constexpr int kIdShowFileAirspace = 1356;
inline constexpr int kIdShowVors = 1182;
inline constexpr int kIdShowIntersections = 1183;
inline constexpr int kIdSymbols = 1000;

// Dialog 179.
inline constexpr int kIdOneClick = 1246, kIdTwoClicks = 1247;
inline constexpr int kIdShowAltitude = 1248, kIdShowGlideRatio = 1249;
inline constexpr int kIdGreenLabels = 1244, kIdCircles = 1245;
inline constexpr int kIdLabelByName = 1357, kIdLabelById = 1358;
inline constexpr int kIdLabelLength = 1000;

// The label length the entry stores for a value outside 0..50.
inline constexpr int kDefaultLabelLength = 12;

INT_PTR MapOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR UnitsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR MapLayersDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR LabelsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The label length an entered value gives: 0..50 itself (truncated), anything else 12.
int LabelLengthFromEntry(double value);

}  // namespace cumulor
