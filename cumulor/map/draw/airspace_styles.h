// The brushes and pens of the airspace class groups' fills and outlines. Each is made on first
// use and kept for the life of the program, so a frame that selected one never holds a deleted
// object; equal styles share one object.
#pragma once

#include "cumulor/data/airspace/airspace_module.h"
#include "platform/base/types.h"

namespace cumulor {

// Null for a fill that keeps the brush the frame holds.
HBRUSH AirspaceFillBrush(const AirspaceFill& fill);
// Null for the map's default pen, and for a style no pen can take (the frame then draws with its
// default pen too).
HPEN AirspaceOutlinePen(const AirspaceOutline& outline);

}  // namespace cumulor
