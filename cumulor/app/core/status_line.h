// The status line over the map (the map's point popup in its text form), the framed message box
// over the map, the zoom popup menu, closing a menu loop, the modeless dialog over the map.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"

namespace cumulor {

// Shows string-table text `id` unless a message is held and it is the id shown last. An id
// without a text is remembered and changes nothing else.
void ShowStatusStringId(AppContext& app, UINT id);
void ShowStatusText(AppContext& app, const WCHAR* text);        // held, drawn at once
void ShowStatusTextPlain(AppContext& app, const WCHAR* text);   // drawn at once, hold unchanged
void ShowStatusTextSticky(AppContext& app, const WCHAR* text);  // held through unforced clears
// A forced clear ends held and sticky messages; an unforced one only a held message that is not
// sticky.
void ClearStatusText(AppContext& app, bool force);
// The id of the string-table text shown last (0 none).
UINT LastStatusId();
// A framed text over the map (string-table text `id`), then the buffer is emptied.
void ShowStatusBox(AppContext& app, UINT id);
// Menu resource 103's submenu at `position`; position 0 is opened as the zoom popup.
void ShowZoomMenu(AppContext& app, int position);
// Ends an open menu loop (posts WM_KEYUP VK_ESCAPE and dispatches what is pending).
void CloseMenuLoop(AppContext& app);
void SetActiveDialog(AppContext& app, HWND dialog, std::uint8_t clear);
void CloseModelessDialogs(AppContext& app);
// Draws the status popup on the window now (also used after the banner).
void DrawStatusNow(AppContext& app);

}  // namespace cumulor
