// The Cumulor Today item: two large buttons on the Today screen, "Cumulor" (starts the flight
// computer) above "Cumulor Simulator" (starts it with " /s") below. The Today host loads the
// library ("Cumulor.dll") and calls ordinal 240, CumulorItemInit; the rest happens through the
// item window's messages (platform/shell/today.h). It shares nothing with the flight computer but
// the executable paths it starts.
//
// Everything runs on the host's thread that owns the item window.
#pragma once

#include "platform/base/types.h"
#include "platform/shell/today.h"

#define CUMULOR_TODAY_EXPORT extern "C" __attribute__((visibility("default")))

// Ordinal 240: null when `item` says the item is disabled; otherwise registers the class "KVDLL"
// again with the record's instance, creates the visible child window of `parent` (240 wide, its
// height set by the host from the first refresh answer) and keeps `item`, whose height that
// answer sets.
CUMULOR_TODAY_EXPORT HWND CumulorItemInit(TODAYLISTITEM* item, HWND parent);
CUMULOR_TODAY_EXPORT LRESULT CumulorItemWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// The item's height, given once, at the first refresh query.
inline constexpr DWORD kCumulorItemHeight = 120;
