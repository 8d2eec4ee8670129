// The task on the map: its legs and area zones, the labels of its points (kept in the task's own
// label list for the drag-and-drop editing), its length and the FAI mark.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/data/task/task_fai.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/labels/label_text.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

inline constexpr int kTaskConeImage = 200;

struct TaskDrawState {
  FaiTask fai;
  bool faiSectorsShown = false;
  // One rectangle per active task point as last drawn (empty for area points); index = task row.
  std::vector<RECT> labels;
  RECT lengthRect{0, 60, 150, 80};
  RECT faiRect{0, 80, 150, 100};
  HICON coneImage = nullptr;
};
TaskDrawState& TaskDrawing();

// Loads image 200 (32 x 32) and places the length and "FAI" texts (the "FAI" text 20 pixels high
// from faiTop).
void InitTaskDrawing(HINSTANCE module, std::int32_t faiTop = 80);
void ComputeFaiSectors();
// Switches the FAI display, clicks, and recomputes when switched on.
void ToggleFaiSectors();
// With two active points or more: the label of every point without an area (its rectangle kept),
// "Task:%dkm" and, for an FAI triangle, "FAI". With fewer, the task's label list is emptied.
void DrawFaiTaskLabel(MapView& view, HDC dc, const LabelTextSettings& text);
// The active task: legs, area zones with their markers (appended to `list` when the view's labels
// flag is set), the start and finish zones and DrawFaiTaskLabel.
void DrawActiveTask(MapView& view, HDC dc, LabelList* list, const LabelTextSettings& text);

}  // namespace cumulor
