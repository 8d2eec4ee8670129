#include "tools/devicectl/devicectl_notifications.h"

namespace devicectl {

// The device's user-notification table is not available in this build yet.
int ListNotifications(std::string* error) {
  *error = "user notifications are not available on this device yet";
  return 1;
}

int FireNotification(std::uint32_t, std::string* error) {
  *error = "user notifications are not available on this device yet";
  return 1;
}

}  // namespace devicectl
