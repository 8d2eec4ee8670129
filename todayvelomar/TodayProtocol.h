// The window-message protocol between Velomar's main window and its Today item, and the settings
// they share. Both sides include this header and nothing else of each other: the item finds the
// main window by its class, registers with it, and each side posts to the other (never sends), so
// that neither waits for the other's thread.
#pragma once

#include "platform/base/types.h"

// The main window's class, which the item looks for.
inline constexpr const WCHAR* kVelomarMainWindowClass = u"MainWindow";

// Item -> main window, wParam the item's window: keep it and post every status to it.
#define WM_TODAY_REGISTER (0x0400u + 203)
// Main window -> item: wParam the cell id, lParam the location area code.
#define WM_TODAY_STATE (0x0400u + 204)
// Main window -> item: wParam the manager id (0..5 are the item's icon slots), lParam its status.
#define WM_TODAY_MGR_STATUS (0x0400u + 205)
// Main window -> item: the place and period in force changed ("current_place", "current_frame").
#define WM_TODAY_PLACE_CHANGED (0x0400u + 206)
// Item -> main window, wParam the item's window: a tap on the text, or on icon 0..5.
#define WM_TODAY_TAP_TEXT (0x0400u + 207)
#define WM_TODAY_TAP_ICON0 (0x0400u + 208)
#define WM_TODAY_TAP_ICON1 (0x0400u + 209)
#define WM_TODAY_TAP_ICON2 (0x0400u + 210)
#define WM_TODAY_TAP_ICON3 (0x0400u + 211)
#define WM_TODAY_TAP_ICON4 (0x0400u + 212)
#define WM_TODAY_TAP_ICON5 (0x0400u + 213)

// The icon slots: the ids of the managers they show.
inline constexpr int kTodayIconSlots = 6;
// The phone manager's slot (its status 0: the radio is on).
inline constexpr int kPhoneSlot = 3;

// Velomar's settings key (HKEY_LOCAL_MACHINE) and the values the item reads.
inline constexpr const WCHAR* kVelomarSettingsKey = u"\\SOFTWARE\\Morvane\\Velomar";
inline constexpr const WCHAR* kTodaySettingTheme = u"theme";
inline constexpr const WCHAR* kTodaySettingPrintPlace = u"today_print_place";
inline constexpr const WCHAR* kTodaySettingPlace = u"current_place";
inline constexpr const WCHAR* kTodaySettingFrame = u"current_frame";
