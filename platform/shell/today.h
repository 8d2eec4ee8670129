// The Today screen's contract with its item libraries: the item record the host hands to an
// item's creation export (ordinal 240), the two messages the host sends to each item window, the
// two requests an item sends to its parent (the host's window) and the colour index it asks for.
// Header only: the host (tools/todayhost) and every item library include it.
#pragma once

#include "platform/base/types.h"

// Host -> item: forget what was drawn; the host asks for a refresh right after.
#define WM_TODAYCUSTOM_CLEARCACHE (0x0400u + 242)
// Host -> item, lParam the item's TODAYLISTITEM: the item sets its height (cyp) and answers 1
// when it must be drawn again, 0 otherwise.
#define WM_TODAYCUSTOM_QUERYREFRESHCACHE (0x0400u + 243)
// Item -> host window, wParam a colour index: the colour (COLORREF) the Today screen uses for it.
#define TODAYM_GETCOLOR (0x0400u + 100)
// Item -> host window, lParam a TODAYDRAWWATERMARKINFO: the host draws its background into it.
#define TODAYM_DRAWWATERMARK (0x0400u + 101)
// Colour index of the Today screen's text.
#define TODAYCOLOR_TEXT 0x10000004u

// The export every item library has: ordinal 240, named TodayItemInit in ours.
inline constexpr WORD kTodayItemInitOrdinal = 240;

// What the host knows of one item; the item keeps the pointer and sets cyp from its refresh
// answers.
struct TODAYLISTITEM {
  WCHAR szName[32];         // the registration's key name
  DWORD dwOrder;            // "Order": items are stacked by it
  DWORD cyp;                // the item's height in pixels, set by the item
  BOOL fEnabled;            // "Enabled"
  WCHAR szDLLPath[MAX_PATH];  // "DLL": the library's CE path
  HINSTANCE hinstDLL;       // the loaded library
  HWND hwndCustom;          // the item window the creation export returned
};

// The background request: draw the Today background of rectangle rc (item coordinates) of
// window hwnd into hdc.
struct TODAYDRAWWATERMARKINFO {
  HDC hdc;
  RECT rc;
  HWND hwnd;
};

// The creation export: (item record, parent window) -> the item window, or null.
using PFNCUSTOMINITIALIZEITEM = HWND (*)(TODAYLISTITEM* item, HWND parent);
