// Inside the files area: the driver for a device name.
#pragma once

#include "platform/files/file_object.h"

namespace ce::files::internal {

// The factory of the driver whose prefix matches the name longest; empty when none does.
DeviceFactory FindDeviceDriver(std::u16string_view name);

}  // namespace ce::files::internal
