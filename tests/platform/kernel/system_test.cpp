// Error texts, the local heap, the version and debug output.
#include <gtest/gtest.h>

#include <string>

#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"

namespace {

TEST(FormatMessageTest, SystemTexts) {
  LPWSTR text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, n), u"The system cannot find the file specified.\r\n");
  EXPECT_EQ(LocalFree(text), nullptr);

  WCHAR small[8];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  WCHAR buffer[64];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer, 64, nullptr), 19u);
  EXPECT_EQ(std::u16string(buffer), u"Access is denied.\r\n");
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0xDEAD, 0, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
}

TEST(LocalHeapTest, ReAllocKeepsContentsAndZeroesGrowth) {
  auto* p = static_cast<BYTE*>(LocalAlloc(LPTR, 4));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(LocalSize(p), 4u);
  p[0] = 0xAB;
  p = static_cast<BYTE*>(LocalReAlloc(p, 64, LMEM_ZEROINIT));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0xAB);
  for (int i = 4; i < 64; ++i) ASSERT_EQ(p[i], 0) << i;
  LocalFree(p);
}

using SystemInfoTest = ce::testing::DeviceTest;

TEST_F(SystemInfoTest, VersionAndDebugOutput) {
  OSVERSIONINFOW info{};
  EXPECT_FALSE(GetVersionExW(&info));  // the caller must give the size
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwMinorVersion, 2u);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_CE));

  // The device's version is set once for every process of the device.
  ASSERT_TRUE(ce::kernel::SetDeviceOsVersion({5, 1, 1700}));
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwBuildNumber, 1700u);

  // The processor type is the device's too; unset it is StrongARM.
  SYSTEM_INFO si{};
  GetSystemInfo(&si);
  EXPECT_EQ(si.dwProcessorType, static_cast<DWORD>(PROCESSOR_STRONGARM));
  EXPECT_EQ(si.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_ARM);
  ASSERT_TRUE(ce::kernel::SetDeviceProcessorType(PROCESSOR_ARM720));
  GetSystemInfo(&si);
  EXPECT_EQ(si.dwProcessorType, static_cast<DWORD>(PROCESSOR_ARM720));
  GetSystemInfo(nullptr);  // nothing to fill

  std::u16string seen;
  ce::kernel::CaptureDebugOutput([&](std::u16string_view t) { seen += t; });
  OutputDebugStringW(u"hello\n");
  OutputDebugStringW(nullptr);
  ce::kernel::CaptureDebugOutput({});
  EXPECT_EQ(seen, u"hello\n");
}

TEST(SystemInfo, MemoryStatusReportsTheLoadATestSets) {
  MEMORYSTATUS ms{};
  GlobalMemoryStatus(&ms);
  EXPECT_EQ(ms.dwLength, sizeof ms);
  EXPECT_EQ(ms.dwMemoryLoad, 30u);
  ce::kernel::SetMemoryLoad(85);
  GlobalMemoryStatus(&ms);
  EXPECT_EQ(ms.dwMemoryLoad, 85u);
  EXPECT_LT(ms.dwAvailPhys, ms.dwTotalPhys / 5);
  ce::kernel::SetMemoryLoad(250);
  GlobalMemoryStatus(&ms);
  EXPECT_EQ(ms.dwMemoryLoad, 100u);
  EXPECT_EQ(ms.dwAvailPhys, 0u);
  ce::kernel::SetMemoryLoad(30);
  GlobalMemoryStatus(nullptr);
}

}  // namespace
