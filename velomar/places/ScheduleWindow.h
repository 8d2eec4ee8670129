// What the schedule engine tells the main window (the window code implements these; without a
// main window they do nothing). Any thread; neither waits for the window's thread.
#pragma once

#include <string>

namespace velomar::schedule {

// A period started or ended: the place and the frame text become the settings "current_place"
// and "current_frame", and the Today item is told.
void PlaceChanged(const std::u16string& place, const std::u16string& frame);
// The current-location display is drawn again.
void RefreshLocationDisplay();

}  // namespace velomar::schedule
