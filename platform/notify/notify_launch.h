// Listing and firing the device's notifications: the work of the notification launcher, and the
// seam through which tests fire notifications under the manual clock.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace ce::notify {

struct Notification {
  HANDLE handle = nullptr;
  std::u16string application;
  std::u16string arguments;
  SYSTEMTIME start{};  // local time
};

// Every armed notification, earliest first (then in the order they were armed). When the table
// cannot be read, `*error` (if given) is set and the list is empty; else it is ERROR_SUCCESS.
std::vector<Notification> ListNotifications(DWORD* error = nullptr);

struct Fired {
  Notification notification;
  DWORD error = 0;  // 0: the program was started; else why it could not start
};
// Starts the program of every notification due at the device's local time now, with its
// arguments, and removes the notification. They are taken one at a time, and each start leaves a
// mark that outlives the firing process: a firing process killed in the middle loses none of the
// notifications it had taken and fires none twice (the next one finishes its work). Each one fires
// once, whichever process fires it. `each` (if given) hears of every start as it happens; a table
// that cannot be read stops the firing with `*error` set (else ERROR_SUCCESS).
std::vector<Fired> FireDueNotifications(const std::function<void(const Fired&)>& each = {}, DWORD* error = nullptr);

}  // namespace ce::notify
