// A fresh device with a working disk for every files test, and small helpers to make and read files.
#pragma once

#include <string>
#include <string_view>

#include "platform/files/file_system_seam.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"

class FilesTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::files::FileSystemSeam::Get().Reset();
  }
  void TearDown() override {
    ce::files::FileSystemSeam::Get().Reset();
    DeviceTest::TearDown();
  }

  std::filesystem::path root() const { return device_folder() / "root"; }

  // Writes a file by its CE path (CREATE_ALWAYS); false when any step fails.
  static bool Put(const char16_t* path, std::string_view bytes) {
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(h) && ok && written == bytes.size();
  }

  // The whole content of a file by its CE path; "<absent>" when it cannot be opened.
  static std::string Get(const char16_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<absent>";
    std::string out;
    char buffer[256];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
    CloseHandle(h);
    return out;
  }
};
