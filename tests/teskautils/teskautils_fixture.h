// A fresh device for each test with the library attached to it: the program is
// "\Program Files\Velomar\Velomar.exe", the registry values a test seeds are in place before the
// attach reads them, and message boxes are recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/module_path.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/teskautils_seam.h"

namespace teskautils_test {

inline constexpr const WCHAR* kRoot = u"SOFTWARE\\Teska\\Revisiones Brava PDA";

// Writes a value under HKEY_LOCAL_MACHINE\<key>.
inline void SeedValue(const WCHAR* key, const WCHAR* name, DWORD type, const void* data, DWORD size) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, 0, nullptr, &k, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(k);
}

inline void SeedLong(const WCHAR* name, DWORD value) { SeedValue(kRoot, name, REG_DWORD, &value, sizeof value); }

class TeskaUtilsTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    teskautils::seam::DetachLibrary();
    ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
    SeedRegistry();
    teskautils::seam::AttachLibrary();
    teskautils::seam::RecordBoxes(true);
    teskautils::seam::SetBoxAnswer(0);
    teskautils::seam::TakeShownBoxes();
  }
  void TearDown() override {
    teskautils::seam::DetachLibrary();
    teskautils::seam::TakeShownBoxes();
    DeviceTest::TearDown();
  }
  // Registry values the attach should find.
  virtual void SeedRegistry() {}
};

}  // namespace teskautils_test
