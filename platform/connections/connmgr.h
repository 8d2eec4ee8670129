// The Connection Manager: establishing a connection to a destination network, and the status
// message it posts to subscribed windows whenever a connection changes.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#define CONNMGR_PARAM_GUIDDESTNET 0x00000001u
#define CONNMGR_PRIORITY_USERINTERACTIVE 0x00008000u
#define CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG u"CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG"

// The device's record is 64 bytes (32-bit window handle and message parameter); either size is
// accepted in cbSize.
struct CONNMGR_CONNECTIONINFO {
  DWORD cbSize;
  DWORD dwParams;
  DWORD dwFlags;
  DWORD dwPriority;
  BOOL bExclusive;
  BOOL bDisabled;
  GUID guidDestNet;
  HWND hWnd;
  UINT uMsg;
  LPARAM lParam;
  ULONG ulMaxCost;
  ULONG ulMinRcvBw;
  ULONG ulMaxConnLatency;
};
inline constexpr DWORD kDeviceConnectionInfoSize = 64;

// Connects the phonebook entry whose destination network ("ConnectionGUID") is the record's
// GUID: connecting at once, connected when the network answers (after the scripted delay of
// "ras.connect"; a refusal or a radio that is off leaves it disconnected). E_INVALIDARG for a bad
// record, E_FAIL when no entry has that network.
HRESULT ConnMgrEstablishConnection(CONNMGR_CONNECTIONINFO* info, HANDLE* connection);
HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG cache);
// Subscribes `hwnd` (or ends its subscription) to the status message, registered under the name
// CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG and posted with 0, 0 after each change of a connection's
// state, whichever process of the device made it.
HRESULT ConnMgrRegisterForStatusNotification(BOOL enable, HWND hwnd);
