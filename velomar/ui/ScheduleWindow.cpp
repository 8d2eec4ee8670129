// The schedule engine's calls to the main window (velomar/places/ScheduleWindow.h). They run on the
// engine's threads: nothing here waits for the window's thread, and nothing reaches the window
// once the application is shutting down.
#include "velomar/places/ScheduleWindow.h"

#include "platform/window/window.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/WindowMain.h"

namespace velomar::schedule {

void PlaceChanged(const std::u16string& place, const std::u16string& frame) {
  CApp* app = CApp::GetApp();
  if (app == nullptr || !CApp::EnterListenerCalls()) return;
  if (CWindowMain* window = app->GetMainWindow()) window->SetCurrentPlaceAndFrame(place, frame);
  CApp::LeaveListenerCalls();
}

void RefreshLocationDisplay() {
  CApp* app = CApp::GetApp();
  if (app == nullptr) return;
  if (HWND window = app->GetMainWindowHandle()) InvalidateRect(window, nullptr, TRUE);
}

}  // namespace velomar::schedule
