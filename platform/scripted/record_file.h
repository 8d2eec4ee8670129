// The scripted user's record as a file, for runs in which the test is another process: when
// $CE_USER_RECORD names a host file, every thing shown and every answer is appended there as one
// UTF-8 line as it happens:
//   shown <kind> "<title>" "<text>" ...
//   answered <kind> "<title>" <result> scripted|default
// Quotes and backslashes in texts are escaped with a backslash, control characters as \xHH.
#pragma once

#include "platform/scripted/scripted_user.h"

namespace ce::scripted {

void RecordShown(const Shown& shown);
void RecordAnswered(const Shown& shown, int result, bool scripted);

}  // namespace ce::scripted
