// The method trace: every method traces its entry ("CMgr::FireStatusChanged(%d)") and its exit
// ("CMgr::-FireStatusChanged(%d)") through this one function, whose body is empty: nothing is
// written. Lasting messages go through TeskaUtils logging and the event log instead.
#pragma once

#include "platform/base/types.h"

template <class... Args>
inline void Trace(int /*level*/, const WCHAR* /*format*/, const Args&... /*args*/) {}
