// Connects the map layers to the application: the label list of the frame, the task drawing the
// label drawing calls, the drag-and-drop editing's window, flags and cone settings, the trail's
// view on every re-centre, and the dialogs 161 and 191.
#pragma once

#include "cumulor/app/app_context.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/labels/label_text.h"

namespace cumulor {

// The frame's label list, read by the pen's hit tests between frames (main lock).
LabelList& FrameLabels();
// The label settings of the application record.
LabelTextSettings AppLabelSettings(AppContext& app);
// Installs the hooks; run once at start-up after the task hooks.
void InstallMapLayerHooks(AppContext& app);
// The active task on the map, into the frame's label list (called by the label drawing).
void DrawTaskOnMap(AppContext& app);
// The trail's drawn list for the visible box at the current zoom level.
void SetTrailView(AppContext& app, const GeoRect& view);
// The aeronautical objects in view, collected on every re-centre (main lock held).
VisibleAeroObjects& FrameVisible();
void UpdateVisibleObjects(AppContext& app, const GeoRect& view);
// The frame's points, airspace labels and task under the point-table lock (main lock held).
void DrawPointLabelsLocked(AppContext& app);

}  // namespace cumulor
