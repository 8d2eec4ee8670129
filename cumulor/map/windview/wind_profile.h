// The wind history and the wind profile view: every change of the wind estimate is kept in a ring
// of 512 samples; the view, drawn in place of the map while it is shown, groups the recent samples
// into altitude slices and shows each slice's mean wind, the pilot's altitude and the current wind.
//
// The record has no lock of its own: pushes and paints are serialised by the application's main
// lock. Everything but `PaintWindProfileView` is window-free.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

struct WindSample {
  std::uint32_t time = 0;       // tick count, ms
  std::uint16_t altitude = 0;   // metres
  std::int16_t direction = 0;   // degrees the wind comes from, 0..359
  float speed = 0.0f;           // km/h
};

struct WindSlice {
  std::uint32_t unused = 0;
  std::uint16_t count = 0;      // 0..4
  std::int16_t direction = 0;   // mean direction
  float speedSum = 0.0f;
};

inline constexpr std::int32_t kWindRingSize = 512;
inline constexpr std::int32_t kWindSliceCount = 128;
inline constexpr std::int32_t kWindMaxScroll = 25;
inline constexpr std::int32_t kWindCirclePoints = 37;

// The view's buttons, in tap order.
enum WindButton : std::int32_t { kWindNone = 0, kWindUp, kWindSliceUp, kWindLabel, kWindSliceDown, kWindOk, kWindDown };

// What the view shows in: the units and the pilot's current altitude (in metres).
struct WindProfileUnits {
  bool altitudeFeet = false;
  bool speedKnots = false;
  const WCHAR* altitudeUnitText = u"m";
  double altitude = 0.0;
};

struct WindProfileView {
  WindSample last;
  WindSample lastCopy;
  WindSample ring[kWindRingSize];
  std::int32_t sampleCount = 0;            // pushed so far; the write position is count mod 512
  WindSlice slices[kWindSliceCount];
  std::int32_t sliceMetres[4] = {100, 200, 500, 1000};
  std::int32_t sliceFeet[4] = {300, 600, 1500, 3000};
  std::int32_t step = 1;
  std::int32_t scroll = 0;                 // in slices, 0..25
  RECT view{};
  POINT centre{};
  RECT button[7]{};                        // by WindButton
  std::int32_t heldButton = kWindNone;
  POINT heldPoint{};
  bool held = false;
  bool moreAbove = false;
  double circle[kWindCirclePoints][2] = {};  // {r sin t, r cos t}
  std::int32_t radius = 40;
  std::int32_t rowUnit = 30;
  std::int32_t rowHeight = 40;
  bool highResolution = false;
  std::int32_t emptyPaints = 0;
  std::int32_t* shown = nullptr;           // the application's shown flag, cleared on close
  void (*onClose)() = nullptr;             // gives the navigation boxes back
};

// Empties the record: slice tables, step 1, scroll 0.
void InitWindProfileView(WindProfileView& view);
// Start-up: the circle and drawing constants for the screen; with the simulator a demonstration
// history. `shown` is the application's flag the view clears when it closes.
void SetupWindProfileView(WindProfileView& view, bool highResolution, bool simulator, std::int32_t* shown,
                          void (*onClose)());
void PushWindSample(WindProfileView& view, const WindSample& sample);
// A zero sample pushed, then the ring emptied.
void ResetWindHistory(WindProfileView& view);
// The buttons along the left edge; `buttonWidth` is the map's button width setting.
void LayoutWindProfileView(WindProfileView& view, const RECT& rect, std::int32_t buttonWidth);
void CloseWindProfileView(WindProfileView& view);
// A tap (message WM_LBUTTONDOWN or WM_LBUTTONUP; 16 asks the view to close). 1 when consumed.
std::int32_t WindProfileTap(WindProfileView& view, std::int32_t x, std::int32_t y, UINT message);

// The slice height of the current step in the altitude unit.
std::int32_t WindSliceHeight(const WindProfileView& view, bool feet);
// Rebuilds the slices from the newest sample back: each slice keeps its four newest samples.
void FillWindSlices(WindProfileView& view, bool feet);
// Mean speed of a slice in km/h, or knots.
double WindSliceSpeed(const WindSlice& slice, bool knots);

// Paints the view; true while a button is held (the map screen repaints soon).
bool PaintWindProfileView(WindProfileView& view, HDC dc, const WindProfileUnits& units);

}  // namespace cumulor
