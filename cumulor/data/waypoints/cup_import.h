// The SeeYou .cup import: waypoints into the user-waypoint store, then the tasks of the
// "-----Related Tasks-----" section into the task slots.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

// 1 after an import; 0 when the file is empty or unreadable, the pilot declines, a syntax error
// stops it (the waypoints read so far stay, unsaved) or the tasks fill every slot.
int ImportSeeYou(const WCHAR* path);

}  // namespace cumulor
