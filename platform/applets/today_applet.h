// The Today settings applet of the device's control panel ("ctlpnl.exe" with "cplmain.cpl,23", the
// command HKEY_CLASSES_ROOT "\tskfile\Shell\Open\Command" names): shown in the caller's process on
// a thread of its own, as a foreground window of class "TodayApplet" whose first child's first
// child starts a sibling chain of a label and a "SysListView32" list of the device's Today themes
// (the names of the ".tsk" files of "\Windows", sorted). WM_COMMAND IDOK records the selected theme
// as the device effect "today-theme" (target: the theme) and closes; IDCANCEL closes without.
#pragma once

#include <string_view>

#include "platform/base/types.h"

namespace ce::applets {

inline constexpr const WCHAR* kTodayAppletClass = u"TodayApplet";
inline constexpr const WCHAR* kTodayAppletArguments = u"cplmain.cpl,23";

// Shows the applet (the arguments are recorded as its title); 0.
DWORD StartTodayApplet(std::u16string_view arguments);

}  // namespace ce::applets
