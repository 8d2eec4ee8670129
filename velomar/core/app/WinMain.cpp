#include "velomar/core/app/WinMain.h"

#include "platform/shell/launch.h"
#include "platform/text/scan.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/WorkerThread.h"
#include "velomar/core/app/AppConnMgr.h"
#include "velomar/core/managers/CellHistory.h"

namespace {

// What remains after the application object is gone (or when none was built).
void ExitSequence() {
  // The button image caches are released here once the buttons exist.
  if (CEventLog* log = CEventLog::GetExisting()) log->Clear();
  CCellHistory::GetInstance()->Reset();
  Trace(0, u"Workers alive at exit: %d", static_cast<int>(GetWorkerThreadCount()));
  TerminateAllWorkerThreads();
}

}  // namespace

namespace velomar {

void HandOverCommandLine(HWND running, const std::u16string& command_line) {
  if (command_line.empty()) {
    SetForegroundWindow(running);
    ShowWindow(running, SW_SHOW);
  } else if (command_line.find(u"timer_notification") != std::u16string::npos) {
    int mgr_id = 0, notification_id = 0;
    // A line that does not give both numbers is nobody's notification: nothing is posted.
    if (swscanf(command_line.c_str(), u"timer_notification_%02d_%02d", &mgr_id, &notification_id) == 2) {
      PostMessageW(running, WM_TIMER_NOTIFICATION, static_cast<WPARAM>(mgr_id), static_cast<LPARAM>(notification_id));
    }
  } else if (command_line == u"iddle_notification") {
    PostMessageW(running, WM_IDLE_NOTIFICATION, 0, 0);
  }
}

}  // namespace velomar

int WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR command_line, int show) {
  const std::u16string line = command_line ? std::u16string(command_line) : std::u16string();
  HWND running = FindWindowW(u"MainWindow", nullptr);
  if (running != nullptr && IsWindow(running)) {
    velomar::HandOverCommandLine(running, line);
    return 0;
  }
  int code = 0;
  if (line.empty()) {
    try {
      CAppConnMgr app;
      code = app.WinMain(instance, previous, command_line, show);
    } catch (const CBaseException& e) {
      // A member that could not be built (the broker's queue, the database): shown, then the end.
      TextBox(nullptr, u"%s", e.GetMessage().c_str());
      code = 1;
    }
  }
  ExitSequence();
  return code;
}
