// The device folder: one host folder that holds the whole simulated device (its file system root,
// registry, notification table, hardware state and runtime sockets).
#pragma once

#include <cstdint>
#include <filesystem>

namespace ce {

// The folder named by $CE_DEVICE_DIR, or the one set by SetDeviceFolder; created on first use.
// Without either, "./device" under the current directory.
std::filesystem::path DeviceFolder();
// Selects the device folder for this process (tests, a program's command-line option); an empty
// path goes back to the default choice.
void SetDeviceFolder(const std::filesystem::path& folder);
// A number that changes whenever SetDeviceFolder is called: a caller that keeps a path below the
// device folder compares it instead of asking for the folder (and its stat) on every use.
std::uint64_t DeviceFolderSerial();
// Where the device's CE root "\" lives: <device folder>/root.
std::filesystem::path DeviceRootFolder();
// Where runtime sockets and other per-boot files live: <device folder>/run.
std::filesystem::path DeviceRuntimeFolder();

}  // namespace ce
