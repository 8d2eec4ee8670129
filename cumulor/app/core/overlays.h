// Two passes of every map frame: the file airspaces with their see-through shapes, and the task
// with its zones, sector symbols, legs and the lines to the targets. The frame renderer calls them
// on the back buffer while it holds MainLock.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"

namespace cumulor {

// The file airspaces of the enabled class groups that are in view and drawn at the current zoom;
// `labels` is handed to the polygon drawing. See-through shapes are drawn last, hollow, in XOR
// mode; at most 200 are collected a frame, and meeting that limit posts the notice to the main
// window once per airspace load. Returns the number of see-through shapes drawn.
std::int32_t DrawFileAirspaces(AppContext& app, bool labels);

// The task: the cone icon, the achieved areas, the active points (areas, sector symbols below
// 51 km), the gates, the FAI label and length, the go-to line, or else the legs and the line to
// the navigation target. A point whose reference is no longer valid empties the active task.
void DrawTaskOverlay(AppContext& app);

}  // namespace cumulor
