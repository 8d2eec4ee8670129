// Registry notifications: a watcher is told when a value changes, whichever process of the device
// wrote it. Delivery is by callback (on the registry's watcher thread) or by a message written to a
// named message queue.
#pragma once

#include "platform/registry/registry.h"

using HREGNOTIFY = HANDLE;

enum REG_COMPARISONTYPE : DWORD {
  REG_CT_ANYCHANGE = 0,  // the only comparison the watchers use
};

struct NOTIFICATIONCONDITION {
  REG_COMPARISONTYPE ctComparisonType;
  DWORD dwMask;  // for REG_DWORD values: only these bits count as a change
  union {
    LPCWSTR psz;
    DWORD dw;
  } TargetValue;
};

// Called on the registry's watcher thread with the value's new data (null and 0 when it was
// deleted).
using REGISTRYNOTIFYCALLBACK = void (*)(HREGNOTIFY notify, DWORD user_data, const BYTE* data, UINT data_size);

// The message written to the queue, little-endian: the registration's handle (32 bits), the user
// data (32 bits), the byte count of the new data (32 bits), then the data.
//
// The key need not exist yet. A null condition means any change. Answers S_OK, E_INVALIDARG for
// a bad argument or an unsupported comparison, or the registry's error as an HRESULT.
HRESULT RegistryNotifyCallback(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, REGISTRYNOTIFYCALLBACK callback,
                               DWORD user_data, const NOTIFICATIONCONDITION* condition, HREGNOTIFY* notify);
HRESULT RegistryNotifyMsgQueue(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, LPCWSTR queue_name,
                               DWORD user_data, const NOTIFICATIONCONDITION* condition, HREGNOTIFY* notify);
// Ends a registration; once it returns, its callback is not running and is not called again.
HRESULT RegistryCloseNotification(HREGNOTIFY notify);
