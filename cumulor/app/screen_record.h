// The main window's screen: the back buffer every frame is composed in, the layout rectangles
// computed at each size change, the screen facts read at window creation and the flags of the
// frame renderer. Part of the application record (`AppContext::screen`).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

// Rectangles are {left, top, right, bottom}.
struct ScreenLayoutRects {
  std::int32_t titleHeight = 26;       // the global title-bar height
  // The pen banner.
  RECT bannerTitle{};
  RECT bannerHint{};
  RECT bannerArea{};
  // Corner boxes.
  RECT markBox{};
  RECT orientationBox{};
  RECT orientationTextBox{};
  RECT faiBox{};
  RECT scaleBar{};
  RECT restoreButton{};
  RECT simulatorLabel{};
  RECT airspaceInfoBox{};
  RECT startGateBox{};
  RECT hintLine{};
  RECT cornerBox{};
  // The map's reference point and the unit the pen target rectangles are sized from.
  POINT mapReference{};
  std::int32_t penUnit = 0;
  std::int32_t iconBox = 20;           // 33 on a high-resolution screen
  std::int32_t menuIcon = 32;          // 64 on a high-resolution screen
};

struct MainScreen {
  HDC backBuffer = nullptr;            // created once at window creation
  HBITMAP bitmap = nullptr;            // replaced at every size change
  HGDIOBJ replacedBitmap = nullptr;    // the bitmap the DC came with
  std::int32_t width = 0;              // the client size the bitmap was made for
  std::int32_t height = 0;
  ScreenLayoutRects layout;

  // Screen facts from window creation.
  std::int32_t horzRes = 0;
  std::int32_t vertRes = 0;
  RECT windowRect{};
  std::uint8_t colourScreen = 1;
  std::uint8_t highResolution = 0;

  // Frame state.
  std::int32_t passCount = 0;          // every fifth pass re-arranges the navigation boxes
  std::uint8_t navBoxBar = 0;          // the navigation-box bar is shown
  std::uint8_t overlaysSuppressed = 0;
  std::uint8_t startGateShown = 0;     // the start-gate box is on screen (the pen tests it)
  std::uint8_t fewPoints = 1;          // the active task has fewer than 2 points
  std::uint8_t markFlag = 0;           // the corner letter shows "G" (else "P"); the pen toggles it
  std::uint8_t sectorEditHint = 0;     // "Radius<>, Distance^v" is shown
  std::int32_t iconRow = 40;           // top of the cone icon at the left edge
  RECT gliderRect{};                   // the aircraft's wind text box as last drawn
  // The final-glide box as last drawn: MacCready, altitude, clearance and time texts.
  RECT glideMacCready{};
  RECT glideAltitude{};
  RECT glideClearance{};
  RECT glideTime{};
  POINT gliderPoint{};                 // the aircraft symbol's screen point

  // The see-through airspace notice: the airspace load it was shown for (0: none yet).
  std::atomic<std::uint32_t> transparentNoticeLoad{0};
};

}  // namespace cumulor
