// The terrain colour dialog (template 155): a modeless dialog over the map, opened for one zoom
// layer, that moves where the contour areas take their colours in the terrain palette (the offset,
// the step of 1 or 2 slots) and from which contour group the tiles list them. The map is redrawn
// after each change.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/data/vector/vector_store.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kTerrainColourDialog = 155;
inline constexpr int kTerrainZoomText = 1550;      // "Zoom %d"
inline constexpr int kTerrainOffsetText = 1551;
inline constexpr int kTerrainOffsetDown = 1552;
inline constexpr int kTerrainOffsetUp = 1553;
inline constexpr int kTerrainStartText = 1554;
inline constexpr int kTerrainStartDown = 1555;
inline constexpr int kTerrainStartUp = 1556;
inline constexpr int kTerrainStepOne = 1557;
inline constexpr int kTerrainStepTwo = 1558;
inline constexpr int kTerrainClose = 1355;

// What the dialog changes and whom it tells.
struct TerrainColourHooks {
  VectorMapStore* store = nullptr;
  std::function<void(bool on)> setDialogActive;  // cleared for each redraw and set again
  std::function<void()> redraw;                  // rebuilds and repaints the map at once
  std::function<void()> closed;                  // the dialog ended: its handle is cleared
};
void SetTerrainColourHooks(const TerrainColourHooks& hooks);

// The dialog procedure; the creation parameter is the zoom layer (0..11).
INT_PTR TerrainColourDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
