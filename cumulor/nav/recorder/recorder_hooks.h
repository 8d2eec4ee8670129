// The recorder exchanges on the GPS input thread: the Volkslogger session requested by its
// dialogs (recorder mode) and the Filser/LX device commands, installed as the GPS input loops'
// recorder hooks.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

struct GpsPort;

// Any device command other than 1 to 3 ends the device session: the port it opened is closed.
inline constexpr std::int32_t kDeviceSessionEnd = 10;

// Opens "COM1:" at 9600 baud with a 2 s read time-out (whatever port the GPS input uses), runs the
// session's worker until its stop and closes the port; in serial input the GPS device is opened
// again afterwards. A port that cannot be opened shows "Serial Port Is Busy!".
void RecorderExchange(GpsPort& gps);
// Device command 1 (read the declaration block), 2 (write it) or 3 (read the flight block), its
// progress posted to `window` as WM_USER. "COM1:" is opened at the settings' rate when closed.
void RecorderDeviceCommand(GpsPort& gps, std::int32_t command, HWND window);
// The device command over `io` (the port already open): the Filser/LX declaration block of the
// session is read or written, or the flight block read; progress to `window`.
class LoggerIo;
void RunDeviceCommand(GpsPort& gps, LoggerIo& io, std::int32_t command, HWND window);

// Makes both loops of the GPS input use the two functions above.
void InstallRecorderHooks();

// How a device command's progress reaches its dialog: the application posts WM_USER with the
// code and parameter to `window`. Until it is set the progress goes nowhere.
using DeviceProgressPost = void (*)(HWND window, int code, int parameter);
void SetDeviceProgressPost(DeviceProgressPost post);

}  // namespace cumulor
