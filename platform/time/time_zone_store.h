// The device's time zone, kept in the device folder (file "timezone") so that every process of
// the device and the control tool share it. Without the file the zone is UTC without daylight time.
//
// File format, one "key=value" per line (names in UTF-8, dates as
// "month day_of_week week hour minute"):
//   bias=-60
//   standard_name=Central European Standard Time
//   standard_bias=0
//   standard_date=10 0 5 3 0
//   daylight_name=Central European Summer Time
//   daylight_bias=-60
//   daylight_date=3 0 5 2 0
#pragma once

#include "platform/time/time.h"

namespace ce::time {

TIME_ZONE_INFORMATION DeviceTimeZone();
bool StoreDeviceTimeZone(const TIME_ZONE_INFORMATION& zone);

}  // namespace ce::time
