// Menu commands: every user action ends as WM_COMMAND to the main window; OnCommand dispatches on
// the low 16 bits of wParam. The start-up sequence is command 40029, which posts 40028.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "platform/dialogs/dialogs.h"

namespace cumulor {

inline constexpr WORD kCmdZoomLayers = 1006;
inline constexpr WORD kCmdZoomFirst = 40005;   // .. 40016: zoom table entries 0..11
inline constexpr WORD kCmdZoomLast = 40016;
inline constexpr WORD kCmdLoadUserWaypoints = 40017;
inline constexpr WORD kCmdShowPosition = 40025;
inline constexpr WORD kCmdStartGps = 40028;
inline constexpr WORD kCmdStartup = 40029;
inline constexpr WORD kCmdRecentre = 40030;
inline constexpr WORD kCmdZoomCloser = 40031;
inline constexpr WORD kCmdQuit = 40034;
inline constexpr WORD kCmdNewGoto = 40044;
inline constexpr WORD kCmdVlDeclaration = 40047;
inline constexpr WORD kCmdTaskStart = 40045;
inline constexpr WORD kCmdMark = 40046;
inline constexpr WORD kCmdThermalView = 40048;
inline constexpr WORD kCmdMenu = 40049;
inline constexpr WORD kCmdAbout = 40051;
inline constexpr WORD kCmdVlDownload = 40052;
inline constexpr WORD kCmdReplayEnded = 40054;
inline constexpr WORD kCmdDisabledAirspace = 40057;
inline constexpr WORD kCmdReload = 40058;
inline constexpr WORD kCmdTeamGrid = 40059;
inline constexpr WORD kCmdSimDeclaration = 40066;
inline constexpr WORD kCmdExplorer = 40067;
inline constexpr WORD kCmdDialogDone = 40083;
inline constexpr WORD kCmdZoomWider = 40099;
inline constexpr WORD kCmdPort = 40100;
inline constexpr WORD kCmdFonts = 40118;
inline constexpr WORD kCmdThermalQuery = 40139;
inline constexpr WORD kCmdTerrain = 40143;
inline constexpr WORD kCmdThermals = 40148;
inline constexpr WORD kCmdTeamMarkFirst = 40149;  // .. 40151
inline constexpr WORD kCmdLabels = 40153;
inline constexpr WORD kCmdLxDownload = 40154;
inline constexpr WORD kCmdProfileFirst = 40158;  // .. 40160: apply profile 1..3
inline constexpr WORD kCmdCloseMenu = 50555;

void OnCommand(AppContext& app, WPARAM wparam, LPARAM lparam);
// The start-up sequence (40029).
void StartupSequence(AppContext& app);

// The procedure of a dialog template the commands open; a template without one is not built yet
// and its command does nothing. Modules register their procedures before the window exists.
void SetDialogProcedure(int templateId, DLGPROC procedure);
DLGPROC DialogProcedure(int templateId);

// The text of the toggles' confirmation: "Terrain is %hs", "Thermals are  %hs", "Labels %hs".
void ToggleText(WORD command, bool on, WCHAR* buffer, std::size_t size);
// Draws the text in a rounded box at rect on the main window (font role 12); kinds 1, 2 and 3 play
// "infbeg.wav", "infend.wav" and "Exclam.wav".
void ShowInfoBox(AppContext& app, const WCHAR* text, const RECT& rect, std::int32_t kind);
// The program "\Program Files\CumulorRun.txt" names in its first line (at most 64 characters, a
// trailing carriage return removed), else "\Windows\fexplore.exe".
void ExplorerProgram(WCHAR* out, std::size_t size);

}  // namespace cumulor
