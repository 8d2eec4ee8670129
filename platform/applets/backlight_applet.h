// The device's control-panel program "\Windows\ctlpnl.exe" and its backlight applet, registered in
// every program when the platform loads (ce::shell::RegisterDeviceProgram).
//
// "cplmain.cpl,6" and "mycpl.cpl,0" show the backlight applet in the caller's process, on a thread
// of its own: a foreground window of class "BacklightApplet" whose first child's first child starts
// a sibling chain (a label, then two "msctls_trackbar32" sliders, battery and external power, range
// 0 to 10). On WM_CLOSE it records a device effect "backlight-applet" with the positions it ends
// with (value: battery in the low 16 bits, external power in the high 16 bits) and closes. Other
// arguments are recorded as started, as before.
//
// Setting the named event "BackLightChangeEvent" is recorded as a device effect "event".
#pragma once

#include <string_view>

#include "platform/base/types.h"

namespace ce::applets {

inline constexpr const WCHAR* kBacklightAppletClass = u"BacklightApplet";

// What starting "\Windows\ctlpnl.exe" with `arguments` does: 0 (started).
DWORD StartControlPanel(std::u16string_view arguments);

}  // namespace ce::applets
