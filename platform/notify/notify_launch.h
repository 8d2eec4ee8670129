// Listing and firing the device's notifications: the work of the notification launcher, and the
// seam through which tests fire notifications under the manual clock.
#pragma once

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

// Every armed notification, earliest first (then in the order they were armed).
std::vector<Notification> ListNotifications();

struct Fired {
  Notification notification;
  DWORD error = 0;  // 0: the program was started; else why it could not start
};
// Removes every notification due at the device's local time now and starts its program with its
// arguments (CreateProcessW). Each one fires once, whichever process fires it.
std::vector<Fired> FireDueNotifications();

}  // namespace ce::notify
