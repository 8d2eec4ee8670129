// The map-symbols dialog (template 200): the symbol, its size, colour and, for the aircraft
// symbols, the height of the screen at which the map centre is placed. Changes apply at once;
// OK, the close button 1355 and the hardware keys 193..196 end it with 1, Cancel with 0.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kMapSymbolsDialog = 200;
inline constexpr int kIdSymbolCombo = 1446;
inline constexpr int kIdSymbolSize = 1253;
inline constexpr int kIdSymbolPosition = 1457;
inline constexpr int kIdSymbolPositionLabel = 1442;
inline constexpr int kIdSymbolColour = 1455;
inline constexpr int kIdSymbolOkIcon = 1355;
inline constexpr int kIdSymbolCancelAlt = 193;

INT_PTR MapSymbolsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Forgets the symbol being edited, so that the next dialog starts with the current symbol again
// (the dialog takes it once per process).
void MapSymbolsDialogReset();

}  // namespace cumulor
