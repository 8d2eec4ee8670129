// The wireless device services (ossvcs.dll, by ordinal): 276 GetWirelessDevices (the list of
// radio devices), 273 ChangeRadioState (switch one device's radio), 280 FreeDeviceList.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

enum RADIODEVTYPE : DWORD { RADIODEVICES_MANAGED = 1, RADIODEVICES_PHONE = 2, RADIODEVICES_BLUETOOTH = 3 };
enum SAVEACTION : DWORD { RADIODEVICES_DONT_SAVE = 0, RADIODEVICES_PRE_SAVE = 1, RADIODEVICES_POST_SAVE = 2 };

struct RDD {
  LPWSTR pszDeviceName;
  LPWSTR pszDisplayName;
  DWORD dwState;    // 1 on, 0 off
  DWORD dwDesired;
  RADIODEVTYPE DeviceType;
  RDD* pNext;
};

// The phone's radios: the Wi-Fi adapter, the phone and Bluetooth, each with its current state.
HRESULT GetWirelessDevices(RDD** devices, DWORD flags);
// State 1 or 0. Switching the Wi-Fi radio on powers its adapter up again (D0).
HRESULT ChangeRadioState(RDD* device, DWORD state, SAVEACTION save);
HRESULT FreeDeviceList(RDD* devices);
