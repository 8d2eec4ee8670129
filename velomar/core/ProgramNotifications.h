// CE user notifications that start this executable: arming one some time ahead, and walking the
// pending ones that name this executable (for clearing them, or finding one already armed).
#pragma once

#include <functional>
#include <string>

#include "platform/base/types.h"

namespace velomar {

// This executable's CE path (GetModuleFileNameW of the main module, at most 520 characters).
std::u16string ExecutablePath();

// Arms a time notification that starts this executable with `arguments` (null: none) at local
// time now plus `count` units of `unit` x 100 ns. Answers its handle, or null when refused.
HANDLE ArmProgramNotification(const WCHAR* arguments, ULONGLONG unit, LONGLONG count);
// The same at the local time `start`.
HANDLE ArmProgramNotificationAt(const WCHAR* arguments, const SYSTEMTIME& start);

// Calls `visit(handle, arguments)` for each of up to 500 pending notifications whose program is
// exactly this executable's path (case-sensitive); a notification that cannot be read is skipped.
void ForEachProgramNotification(const std::function<void(HANDLE, const std::u16string&)>& visit);

}  // namespace velomar
