// The schedule engine's calls to the main window (velomar/places/ScheduleWindow.h).
#include "velomar/places/ScheduleWindow.h"

#include "velomar/core/app/App.h"

namespace velomar::schedule {

void PlaceChanged(const std::u16string& /*place*/, const std::u16string& /*frame*/) {}

void RefreshLocationDisplay() {}

}  // namespace velomar::schedule
