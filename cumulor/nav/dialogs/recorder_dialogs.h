// The flight recorder dialogs: "VL IGC Log Transfer" (template 133) and the Volkslogger
// "Declaration Transfer" (128), whose work runs in the recorder session's worker, and the
// Filser/LX procedure on "Filser/LX IGC Log Transfer" (194) and on 128, which requests the GPS
// input's device commands and shows their reports.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kDeclarationDialogTemplate = 128;
inline constexpr int kVlDownloadDialogTemplate = 133;
inline constexpr int kLxDownloadDialogTemplate = 194;

inline constexpr int kIdRecorderStatus = 1148;
inline constexpr int kIdRecorderProgress = 1144;
// Download dialogs.
inline constexpr int kIdFlightList = 1177;
inline constexpr int kIdDownloadAll = 1178;
inline constexpr int kIdEraseLogger = 1179;
inline constexpr int kIdSecure = 1183;
inline constexpr int kIdCopyToCard = 1184;
// Declaration dialog: the five fields, the point list, the task button and its check box.
inline constexpr int kIdDeclPilot = 1138;
inline constexpr int kIdDeclRegistration = 1139;
inline constexpr int kIdDeclType = 1140;
inline constexpr int kIdDeclClass = 1141;
inline constexpr int kIdDeclCompetitionId = 1142;
inline constexpr int kIdDeclPoints = 1147;
inline constexpr int kIdDeclTask = 1000;
inline constexpr int kIdDeclCheck = 1145;

// The dialogs take the application record (AppRecord()); 194 gets the parameter 1 (no read at
// opening).
INT_PTR VlDownloadDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR VlDeclarationDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR LxRecorderDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
