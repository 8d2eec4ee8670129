// The main window's screen: the back buffer and its layout (window creation and size changes),
// the frame renderer, the copies to the screen, WM_PAINT, WM_ACTIVATE, WM_INITMENUPOPUP, the map
// rotation, the current wind, the airspace info box and the default map centre.
//
// Every frame is composed in the back buffer under MainLock, by the GPS notify thread after a new
// fix or by the UI thread after a user action; WM_PAINT only copies the back buffer.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

// Posted to the main window when a frame met the see-through airspace limit: the UI thread shows
// the notice (once per airspace load).
inline constexpr UINT kMsgTransparentNotice = WM_USER + 91;
inline constexpr std::int32_t kMaxTransparentAirspaces = 200;

// WM_CREATE: the screen facts, the back-buffer DC, the point icons and the map scale; 1, or -1
// when no back-buffer DC can be made (the window is then not created).
LRESULT OnMainWindowCreate(AppContext& app, HWND window);
// WM_SIZE: the client rectangle becomes the screen, the layout is computed, the back-buffer
// bitmap is made anew; then the map is refreshed unless the first fix is awaited. A bitmap that
// cannot be made destroys the main window.
void OnMainWindowSize(AppContext& app);
// WM_PAINT: validates the window's update region; the back buffer is copied only when no modal
// dialog runs and the first fix has come.
void OnMainWindowPaint(AppContext& app, HWND window);
// WM_ACTIVATE: greets a return from the explorer; 0 when it acted, else the state.
LRESULT OnMainWindowActivate(AppContext& app, WPARAM state);
// WM_INITMENUPOPUP for the program's own popup menu: a modal loop starts (DialogActive); the
// simulator grays the items it cannot run.
void OnMainWindowInitMenuPopup(AppContext& app, HMENU menu);
// Deletes the back buffer (window destruction and record teardown).
void MainWindowFreeScreen(AppContext& app);

// The layout rectangles of a client area, as WM_SIZE computes them.
void ComputeScreenLayout(AppContext& app, const RECT& client);

// The frame: with a target DC and rectangle (a partial frame) the overlays are left out and the
// middle of the frame is copied into that DC; otherwise the whole frame goes to the main window.
void PaintMapScreen(AppContext& app, std::int32_t orientation, HDC target, const RECT* targetRect);
// A full frame in the map orientation of the settings.
void PaintMapScreen(AppContext& app);
void CopyBackBufferToWindow(AppContext& app);
void CopyBackBufferCentred(AppContext& app, HDC dc, const RECT& rect);
// A small map of a point's surroundings (vector map, points, airspaces and the scale bar) at zoom
// step 3, drawn in the back buffer and copied into `rect` of `target`; the map view, its zoom and
// its visible objects are as before afterwards.
void PaintPointMap(AppContext& app, HDC target, const RECT& rect, const GeoPoint& centre);

// The map rotation of an orientation: 1 north up (0), 2 the track, 3 the bearing to the
// navigation target (the track without a valid target); other values leave it unchanged.
void UpdateMapRotation(AppContext& app, std::int32_t orientation);
void UpdateMapRotation(AppContext& app);

// The warned file airspace (else the shown database airspace) in three lines at the foot of the
// map; nothing when there is neither.
void DrawAirspaceInfoBox(AppContext& app);

// The see-through airspace notice on the UI thread ("Too many transparent airspace segments").
void ShowTransparentAirspaceNotice(AppContext& app);

}  // namespace cumulor
