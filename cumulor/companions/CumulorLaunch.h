// What the two companion libraries share: the flight computer's window class and the executable
// paths they start it from, in the order they are tried.
#pragma once

#include "platform/base/types.h"

namespace cumulor_companions {

// The flight computer's main window class (and, normally, its title).
inline constexpr const WCHAR* kCumulorClass = u"Cumulor";

// The executables, tried in this order; a path is tried only when a file is there.
inline constexpr const WCHAR* kCumulorPaths[] = {
    u"\\Program Files\\Cumulor_Apex.exe",
    u"\\Program Files\\Cumulor.exe",
    u"\\Program Files\\CumulorVista.exe",
};

// Starts the first of kCumulorPaths that starts, with `arguments` as its command line (null or
// empty: none). True when one started; nothing else happens when none did.
bool StartCumulor(const WCHAR* arguments);

}  // namespace cumulor_companions
