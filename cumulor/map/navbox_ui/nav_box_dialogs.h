// The dialogs that edit the navigation boxes: the box list (template 124: which boxes are shown,
// ten to a tab page), the bar settings (198: visible, drag, lock, arrange, reset) and the
// appearance of one box (202, modeless over the map: lines, fonts, colour, with a live preview).
// They edit the set NavBoxSetGlobal() points to.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kNavBoxListDialog = 124;
inline constexpr int kNavBoxBarDialog = 198;
inline constexpr int kNavBoxAppearanceDialog = 202;

// What the dialogs need of the application; unset members do nothing (false).
struct NavBoxDialogHooks {
  std::function<bool()> requiredAltitude;    // the box list names box 3 "Altitude Required"
  std::function<void()> startSwitchedOff;    // box 21 off: the start is no longer armed
  std::function<void()> refreshMap;
  std::function<bool()> highResolution;      // larger tabs
};
NavBoxDialogHooks& NavBoxDialogHooksInstalled();

// The box list, and the bar settings when its "..." button ended it. The caller repairs the links
// and refreshes the map afterwards.
void RunNavBoxListDialog(HWND owner);
INT_PTR NavBoxListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR NavBoxBarDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Creates the appearance dialog for a box (parent: the main window); null when it cannot.
HWND OpenNavBoxAppearanceDialog(HWND parent, std::int32_t box);
// The appearance dialog while it is open, else null.
HWND NavBoxAppearanceWindow();
INT_PTR NavBoxAppearanceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
