// Dial-up (RAS) connections of the phonebook: entries, active connections, their status, link
// statistics and hanging up.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

CE_DECLARE_HANDLE(HRASCONN);

#define RAS_MaxEntryName 20
#define RAS_MaxDeviceType 16
#define RAS_MaxDeviceName 128
#define RAS_MaxPhoneNumber 128

#define ERROR_BUFFER_TOO_SMALL 603u
#define ERROR_INVALID_SIZE 632u
#define ERROR_CANNOT_FIND_PHONEBOOK_ENTRY 623u

// 48 bytes, as on the device.
struct RASENTRYNAME {
  DWORD dwSize;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
};
static_assert(sizeof(RASENTRYNAME) == 48);

// The device's record is 52 bytes (a 32-bit handle); either size is accepted in dwSize.
struct RASCONN {
  DWORD dwSize;
  HRASCONN hrasconn;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
};
inline constexpr DWORD kDeviceRasConnSize = 52;

enum RASCONNSTATE : DWORD {
  RASCS_OpenPort = 0,
  RASCS_Connected = 0x2000,
  RASCS_Disconnected = 0x2001,
};

struct RASCONNSTATUS {
  DWORD dwSize;
  RASCONNSTATE rasconnstate;
  DWORD dwError;
  WCHAR szDeviceType[RAS_MaxDeviceType + 1];
  WCHAR szDeviceName[RAS_MaxDeviceName + 1];
};

// The properties of an entry that this phone keeps: how it dials.
struct RASENTRY {
  DWORD dwSize;
  DWORD dwfOptions;
  WCHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
  WCHAR szDeviceType[RAS_MaxDeviceType + 1];
  WCHAR szDeviceName[RAS_MaxDeviceName + 1];
};

struct RAS_STATS {
  DWORD dwSize;  // 60
  DWORD dwBytesXmited;
  DWORD dwBytesRcved;
  DWORD dwFramesXmited;
  DWORD dwFramesRcved;
  DWORD dwCrcErr;
  DWORD dwTimeoutErr;
  DWORD dwAlignmentErr;
  DWORD dwHardwareOverrunErr;
  DWORD dwFramingErr;
  DWORD dwBufferOverrunErr;
  DWORD dwCompressionRatioIn;
  DWORD dwCompressionRatioOut;
  DWORD dwBps;
  DWORD dwConnectDuration;
};
static_assert(sizeof(RAS_STATS) == 60);

// All answer 0 or an error code. A buffer too small answers ERROR_BUFFER_TOO_SMALL with the
// size needed in `*size`.
DWORD RasEnumEntries(LPWSTR reserved, LPWSTR phonebook, RASENTRYNAME* entries, LPDWORD size, LPDWORD count);
DWORD RasGetEntryProperties(LPWSTR phonebook, LPWSTR entry_name, RASENTRY* entry, LPDWORD entry_size,
                            LPBYTE device_info, LPDWORD device_info_size);
// The connections that are connecting or connected.
DWORD RasEnumConnections(RASCONN* connections, LPDWORD size, LPDWORD count);
DWORD RasGetConnectStatus(HRASCONN connection, RASCONNSTATUS* status);
// Sub-entry 1 only (the phone's one link).
DWORD RasGetLinkStatistics(HRASCONN connection, DWORD sub_entry, RAS_STATS* statistics);
DWORD RasHangUp(HRASCONN connection);
