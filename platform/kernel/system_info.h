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

#define PROCESSOR_ARCHITECTURE_ARM 5
#define PROCESSOR_ARM720 1824
#define PROCESSOR_STRONGARM 2577

struct SYSTEM_INFO {
  WORD wProcessorArchitecture;
  WORD wReserved;
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
using LPSYSTEM_INFO = SYSTEM_INFO*;

// Reports the device's version: Windows CE 5.2 (build 21234) unless the device folder says
// otherwise (see SetDeviceOsVersion). dwOSVersionInfoSize must be set by the caller.
BOOL GetVersionExW(LPOSVERSIONINFOW info);
DWORD GetCurrentProcessId();
// An ARM processor with one core, 4096-byte pages and 64 KB allocation granularity; the processor
// type is the device's (see SetDeviceProcessorType), PROCESSOR_STRONGARM unless set.
void GetSystemInfo(LPSYSTEM_INFO info);
// Written to stderr (UTF-8) when the environment variable CE_DEBUG_OUTPUT is set and not "0",
// and to the capture a test installed.
void OutputDebugStringW(LPCWSTR text);

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  DWORD dwTotalPhys;
  DWORD dwAvailPhys;
  DWORD dwTotalPageFile;
  DWORD dwAvailPageFile;
  DWORD dwTotalVirtual;
  DWORD dwAvailVirtual;
};
using LPMEMORYSTATUS = MEMORYSTATUS*;

// The device's memory: 64 MB of RAM, no page file, a 32 MB process slot; the memory load (percent
// of RAM in use) is 30 unless set with SetMemoryLoad, and the free amounts follow from it.
void GlobalMemoryStatus(LPMEMORYSTATUS status);

namespace ce::kernel {
// Sets the memory load GlobalMemoryStatus reports in this process (clamped to 0..100).
void SetMemoryLoad(DWORD percent);
struct OsVersion {
  DWORD major = 5;
  DWORD minor = 2;
  DWORD build = 21234;
};
// The version the device reports, kept in the file "os_version" of the device folder so that every
// process of the device (and the control tool) sees one value.
OsVersion DeviceOsVersion();
bool SetDeviceOsVersion(const OsVersion& version);
// The processor type GetSystemInfo reports, kept in the file "processor_type" of the device folder
// (every process of the device sees it).
DWORD DeviceProcessorType();
bool SetDeviceProcessorType(DWORD type);
// Installs (or, with an empty function, removes) a receiver of every OutputDebugStringW text.
void CaptureDebugOutput(std::function<void(std::u16string_view)> receiver);
}  // namespace ce::kernel
