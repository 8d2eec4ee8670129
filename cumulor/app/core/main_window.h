// The main window procedure and the handlers of the application core: keys, the GPS watchdog
// timer, the menu loop, the desktop requests and window placement. Painting and sizing are in
// map_paint.h; the pen keeps to its least form here; the new-fix handling is gps_update.h.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/gps/gps_port.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr UINT kMsgOptimize = WM_USER + 50;      // 1074
inline constexpr UINT kMsgGpsUpdate = WM_USER + 78;     // 1102
inline constexpr UINT kMsgDesktop = WM_USER + 80;       // 1104
inline constexpr UINT_PTR kWatchdogTimer = 556;
inline constexpr UINT kWatchdogMs = 20000;
inline constexpr WPARAM kDesktopInstall = 2000;
inline constexpr WPARAM kDesktopIdentify = 2001;
inline constexpr LRESULT kDesktopIdentity = 0x4384;

LRESULT MainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void OnKeyDown(AppContext& app, std::uint32_t key, LPARAM lparam);
void OnTimer(AppContext& app, UINT_PTR id);
void OnMenuLoop(AppContext& app, UINT message);
LRESULT OnDesktopMessage(AppContext& app, WPARAM code, LPARAM argument);
// The GPS notify thread's callback: the new-fix handling on the record; 1.
int GpsDataCallback(HRESULT status, const GpsStatus* fix);
// Renders the map screen into the back buffer and copies it to the window (map_paint.h).
void PaintMapScreen(AppContext& app);
// Frees the back buffer built at window creation.
void MainWindowFreeScreen(AppContext& app);
// The radial range check of area targets: equal start and end accept every radial; a range whose
// end is above its start is inclusive; otherwise it wraps through north.
bool RadialInRange(std::int32_t radial, std::int32_t start, std::int32_t end);

// Runs around the desktop install request's file synchronisation, inside MainLock (the
// synchronisation itself comes with the data-file module). Empty: nothing.
void SetDesktopInstallHook(void (*hook)(AppContext& app, LPARAM argument));

}  // namespace cumulor
