#include "platform/testing/device_test.h"

#include <stdlib.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/waitable.h"
#include "platform/time/time.h"

namespace ce::testing {

void DeviceTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ce-device-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) FAIL() << "cannot make a temporary device folder";
  folder_ = pattern;
  ce::SetDeviceFolder(folder_);
  SYSTEMTIME start{2026, 6, 1, 1, 12, 0, 0, 0};
  FILETIME ft{};
  ::SystemTimeToFileTime(&start, &ft);
  ce::kernel::InstallManualClock(static_cast<std::int64_t>((ULONGLONG{ft.dwHighDateTime} << 32) | ft.dwLowDateTime));
}

void DeviceTest::TearDown() {
  ce::kernel::RemoveManualClock();
  ce::SetDeviceFolder({});
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

void DeviceTest::AdvanceClock(std::uint64_t ms) { ce::kernel::AdvanceManualClock(ms); }

bool DeviceTest::AwaitThreadsInWait(std::size_t count) {
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ce::kernel::ThreadsInWait() < count) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void DeviceTest::SetSystemTimeUtc(const SYSTEMTIME& utc) { ::SetSystemTime(&utc); }

}  // namespace ce::testing
