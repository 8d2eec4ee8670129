// GlobalMemoryStatus: the device's memory figures, with a memory load that tests set.
#include <atomic>

#include "platform/kernel/system_info.h"

namespace {

constexpr DWORD kTotalPhys = 64u * 1024 * 1024;
constexpr DWORD kTotalVirtual = 32u * 1024 * 1024;

std::atomic<DWORD>& MemoryLoad() {
  static std::atomic<DWORD> load{30};
  return load;
}

}  // namespace

void GlobalMemoryStatus(LPMEMORYSTATUS status) {
  if (!status) return;
  const DWORD load = MemoryLoad().load();
  *status = MEMORYSTATUS{};
  status->dwLength = sizeof(MEMORYSTATUS);
  status->dwMemoryLoad = load;
  status->dwTotalPhys = kTotalPhys;
  status->dwAvailPhys = kTotalPhys / 100 * (100 - load);
  status->dwTotalVirtual = kTotalVirtual;
  status->dwAvailVirtual = kTotalVirtual / 100 * (100 - load);
}

namespace ce::kernel {

void SetMemoryLoad(DWORD percent) { MemoryLoad().store(percent > 100 ? 100 : percent); }

}  // namespace ce::kernel
