#include <gtest/gtest.h>

#include "platform/device/device.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/library_seam.h"
#include "platform/testing/device_test.h"
#include "platform/wireless/wireless.h"

namespace {

using ce::libraries::ProcAs;
using WirelessTest = ce::testing::DeviceTest;

TEST_F(WirelessTest, DeviceListAndRadioChangesByOrdinal) {
  HMODULE lib = LoadLibraryW(u"ossvcs.dll");
  ASSERT_NE(lib, nullptr);
  auto list = ProcAs<decltype(GetWirelessDevices)>(GetProcAddress(lib, MAKEINTRESOURCEW(276)));
  auto change = ProcAs<decltype(ChangeRadioState)>(GetProcAddress(lib, MAKEINTRESOURCEW(273)));
  auto free_list = ProcAs<decltype(FreeDeviceList)>(GetProcAddress(lib, MAKEINTRESOURCEW(280)));
  ASSERT_TRUE(list && change && free_list);

  ce::device::SetInt("wifi.adapter", 4);
  RDD* devices = nullptr;
  ASSERT_EQ(list(&devices, 0), S_OK);
  int count = 0;
  for (RDD* d = devices; d; d = d->pNext, ++count) {
    if (d->DeviceType == RADIODEVICES_MANAGED) {
      EXPECT_EQ(d->dwState, 0u);
      EXPECT_EQ(change(d, 1, RADIODEVICES_POST_SAVE), S_OK);
    }
    if (d->DeviceType == RADIODEVICES_BLUETOOTH) {
      EXPECT_EQ(d->dwState, 1u);
    }
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(change(devices, 2, RADIODEVICES_POST_SAVE), E_INVALIDARG);
  EXPECT_EQ(change(nullptr, 1, RADIODEVICES_POST_SAVE), E_INVALIDARG);
  EXPECT_EQ(free_list(devices), S_OK);
  // The radio on powers the adapter up again.
  EXPECT_EQ(ce::device::GetInt("wifi.radio"), 1);
  EXPECT_EQ(ce::device::GetInt("wifi.adapter"), 0);

  ce::device::ScriptRefusal("ossvcs.list", 0, true);
  EXPECT_EQ(list(&devices, 0), E_FAIL);
  EXPECT_EQ(devices, nullptr);
  FreeLibrary(lib);

  ce::libraries::LibrarySeam::Get().SetOrdinalAbsent(u"ossvcs.dll", 273);
  lib = LoadLibraryW(u"ossvcs.dll");
  EXPECT_EQ(GetProcAddress(lib, MAKEINTRESOURCEW(273)), nullptr);
  FreeLibrary(lib);
  ce::libraries::LibrarySeam::Get().Reset();
}

}  // namespace
