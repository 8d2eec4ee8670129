// Pen input on the map: a tap is offered in a fixed order to the menu bar, the on-map buttons and
// panels, the navigation boxes, the tap modes and the task editor; a tap on free map starts an
// arrow that the pen extends. Released, the arrow pans the map, searches points in its direction
// or, in the simulator, sets the glider's speed and track (during a replay: the replay's pace).
// The pen also drags the target point inside an area turnpoint. UI thread only.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "platform/base/types.h"

namespace cumulor {

// Arrow lengths (pixels from the pen-down point) that decide what a released arrow does.
inline constexpr std::int32_t kArrowDeadZone = 41;     // up to this a release does nothing
inline constexpr std::int32_t kArrowAllFrom = 110;     // a search arrow from here searches all
inline constexpr std::uint32_t kNearSearchRange = 75000;  // metres
inline constexpr std::uint32_t kAllSearchRange = 0x7FFFFFFF;
inline constexpr float kSimulatorMaxSpeed = 150.0f;
inline constexpr WORD kCmdPointSearch = 40102;

// Pen-mode banners.
enum PenBanner : std::int32_t { kBannerNone = 0, kBannerSim, kBannerPan, kBannerNear, kBannerAll, kBannerGoto };

// The on-map rectangles the pen tests. The frame keeps the glider rectangle, the task-status box
// and the flags current; the corner boxes come from the window size (LayoutPenTargets).
struct PenTargets {
  RECT markBox{};
  RECT orientationBox{};
  RECT faiBox{};
  RECT scaleBar{};
  RECT restoreButton{};
  RECT infoBox{};
  RECT startGateBox{};
  RECT bannerArea{};
  RECT bannerTitle{};
  RECT bannerHint{};
  RECT taskStatusBox{};                // the final-glide box as drawn
  RECT gliderRect{};                   // the glider symbol with its wind text as drawn
  POINT gliderPoint{};                 // the glider's screen point
  std::uint8_t startGateShown = 0;     // the start-gate box was drawn
};
PenTargets& PenTargetRects();
// The corner boxes, scale bar, restore button, info and start-gate boxes and the banner from the
// client rectangle, the title-bar height and the high-resolution flag.
void LayoutPenTargets(PenTargets& targets, const RECT& client, std::int32_t titleBar, bool highResolution);

// Where the pen is, what it drags and the choices it keeps.
struct PenState {
  bool arrowDrag = false;
  bool simulatorArrow = false;
  bool arrowDrawn = false;
  POINT down{};
  POINT tip{};
  double angle = 0.0;                  // radians: atan2(dy, dx) + pi / 2
  POINT segments[3][2] = {};           // the shaft and the two heads last drawn
  bool areaDrag = false;               // an area target follows the pen
  TaskPoint areaPoint;                 // the area turnpoint being dragged
  GeoPoint areaCentre;
  std::int32_t banner = kBannerNone;   // the banner drawn last
  std::uint8_t markFlag = 0;           // set: the arrow searches points ("GO TO"); clear: it pans
  std::uint8_t nearSearch = 0;         // the search arrow is short: near points only
  std::uint8_t taskEditOnMap = 0;      // the task's points are dragged on the map
  std::uint8_t tapInfo = 0;            // a tap at close zoom shows what lies under the pen
  HDC penDc = nullptr;                 // a window DC held during a drag
  int oldRop = 0;
  // The task-point buttons of the last pan arrow: their rectangles and points.
  std::int32_t buttonCount = 0;
  RECT buttonRect[5] = {};
  GeoPoint buttonPoint[5] = {};
};
PenState& Pen();
// Back to idle with the choices cleared (a new run).
void PenReset();

// WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP and WM_LBUTTONDBLCLK of the main window.
void OnMouse(AppContext& app, UINT message, WPARAM wparam, LPARAM lparam);

// The banner of a mode (drawn only when the mode changed; 0 draws nothing).
void ShowPenModeBanner(AppContext& app, std::int32_t mode);
// Buttons "TP1".. for the first points of the active task (at most 5) along the banner's bottom.
void DrawTaskPointButtons(AppContext& app);
// Whether a radial (degrees) lies in the area's radial range: equal radials take every angle;
// a range across north wraps; negative angles are outside.
bool AngleInRadialRange(const TaskPoint& point, std::int32_t angle);
// A tap that shows what lies under the pen; 1 when it acted.
std::int32_t MapTapInfo(AppContext& app, POINT at);
// "Navigate to NEXT Waypoint?": arms a manual start, starts the task or advances it.
void ConfirmNextWaypoint(AppContext& app);

// The pure rules of the arrow, shared by the handlers and their tests.
std::int32_t ArrowLength(POINT from, POINT to);
// The banner a search arrow of that length shows, and whether it searches near points only.
std::int32_t SearchArrowBanner(std::int32_t length, std::uint8_t& nearSearch);
// The simulated speed for an arrow length: 5 per pixel, the length doubled above 75, at most 150.
float SimulatorArrowSpeed(std::int32_t length);
// The replay's step time in ms for an arrow length: 2000 below 10, (100 - d) x 20 below 100,
// else 100.
std::int32_t ReplayArrowDelay(std::int32_t length);
// Map rotation - angle in degrees + 180, in 0..359.
std::int32_t ArrowDirection(std::int32_t rotation, double angle);

}  // namespace cumulor
