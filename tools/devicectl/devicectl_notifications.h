// The user notifications part of the device control tool.
#pragma once

#include <cstdint>
#include <string>

namespace devicectl {

int ListNotifications(std::string* error);
int FireNotification(std::uint32_t handle, std::string* error);

}  // namespace devicectl
