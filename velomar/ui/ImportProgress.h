// The small window that shows how far an import of the exchange file got. The import runs on the
// window thread, so the window is painted at each step rather than from the message loop: nothing
// else of the program runs on that thread until the import is done.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace velomar::ui {

// The window's class, for whoever looks for it.
inline constexpr const WCHAR* kImportProgressClass = u"VelomarImportProgress";

class CImportProgress {
 public:
  // Shown at once over `owner` (or the screen's top when null) with the wait cursor.
  explicit CImportProgress(HWND owner);
  // Gone, and the arrow cursor back.
  ~CImportProgress();
  CImportProgress(const CImportProgress&) = delete;
  CImportProgress& operator=(const CImportProgress&) = delete;

  // "IMPORTING PLACES" with both numbers as the window's text, the bar at done of total, painted now.
  void Show(int done, int total);
  HWND GetHwnd() const { return m_window; }

 private:
  HWND m_window = nullptr;
  HWND m_bar = nullptr;
};

}  // namespace velomar::ui
