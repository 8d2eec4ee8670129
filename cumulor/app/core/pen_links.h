// Where the pen hands a tap to the modules beside the map: the menu bar, the navigation boxes,
// the point popup, the tap modes, the task-status dialog, the point search and the information
// tap. Each is one call site; a module that takes the pen itself puts its handler here.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "platform/base/types.h"

namespace cumulor {

// True when the menu bar took the pen message.
bool PenToMenuBar(AppContext& app, UINT message, POINT at);
// True when a navigation box took the pen message.
bool PenToNavBoxes(AppContext& app, UINT message, POINT at);
// A tap while the point popup is open (the caller closes it afterwards).
void PenToPointPopup(AppContext& app, POINT at);
// True when an active map tap mode took the tap.
bool PenToTapMode(AppContext& app, POINT at);
// The task-status dialog (146).
void PenToTaskStatus(AppContext& app);
// The final-glide texts after the area target moved.
void PenTaskTimeTexts(AppContext& app);
// 1 when the information tap found something under the pen and showed it.
std::int32_t PenToMapTapInfo(AppContext& app, POINT at);

// The search arrow's direction search (degrees, range in metres) for the point list that command
// 40102 opens, which then hands the chosen point to the navigation.
void PenDirectionSearch(std::int32_t direction, std::uint32_t range);

}  // namespace cumulor
