// What the system says about itself: its version, the process id and the debug output.
#pragma once

#include <functional>
#include <string_view>

#include "platform/base/types.h"

#define VER_PLATFORM_WIN32_CE 3

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

// Reports the device's version: Windows CE 5.2 (build 21234) unless the device folder says
// otherwise (see SetDeviceOsVersion). dwOSVersionInfoSize must be set by the caller.
BOOL GetVersionExW(LPOSVERSIONINFOW info);
DWORD GetCurrentProcessId();
// Written to stderr (UTF-8) when the environment variable CE_DEBUG_OUTPUT is set and not "0",
// and to the capture a test installed.
void OutputDebugStringW(LPCWSTR text);

namespace ce::kernel {
struct OsVersion {
  DWORD major = 5;
  DWORD minor = 2;
  DWORD build = 21234;
};
// The version the device reports, kept in the file "os_version" of the device folder so that every
// process of the device (and the control tool) sees one value.
OsVersion DeviceOsVersion();
bool SetDeviceOsVersion(const OsVersion& version);
// Installs (or, with an empty function, removes) a receiver of every OutputDebugStringW text.
void CaptureDebugOutput(std::function<void(std::u16string_view)> receiver);
}  // namespace ce::kernel
