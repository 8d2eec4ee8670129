// The StrePla import: point blocks into the user-waypoint store, then routes into the task slots.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

// 1 after an import; 0 when the file is empty or unreadable, the pilot declines or a point block
// is malformed (the points read so far stay, unsaved). Runs under the main lock.
int ImportStrePla(const WCHAR* path);

}  // namespace cumulor
