// CE user notifications: a program asks the device to start a program with arguments at a local
// time. The notifications live in the device folder, shared by every process; the notification
// launcher (tools/notifylauncher) starts each one when it falls due and removes it.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#define CNT_EVENT 1u
#define CNT_TIME 2u  // the only trigger the programs arm
#define CNT_PERIOD 3u
#define CNT_CLASSICTIME 4u

struct CE_NOTIFICATION_TRIGGER {
  DWORD dwSize;  // the device's 52, or sizeof(CE_NOTIFICATION_TRIGGER)
  DWORD dwType;
  DWORD dwEvent;
  LPWSTR lpszApplication;  // CE path of the program to start
  LPWSTR lpszArguments;    // its command line (may be null)
  SYSTEMTIME stStartTime;  // local time
  SYSTEMTIME stEndTime;
};
using PCE_NOTIFICATION_TRIGGER = CE_NOTIFICATION_TRIGGER*;

struct CE_USER_NOTIFICATION {
  DWORD ActionFlags;
  LPWSTR pwszDialogTitle;
  LPWSTR pwszDialogText;
  LPWSTR pwszSound;
  DWORD nMaxSound;
  DWORD dwReserved;
};
using PCE_USER_NOTIFICATION = CE_USER_NOTIFICATION*;

// What CeGetUserNotification writes at the start of the caller's buffer; the trigger and its texts
// follow it in the same buffer.
struct CE_NOTIFICATION_INFO_HEADER {
  HANDLE hNotification;
  DWORD dwStatus;
  CE_NOTIFICATION_TRIGGER* pcent;
  CE_USER_NOTIFICATION* pceun;  // null: the notifications carry no user dialog here
};
using PCE_NOTIFICATION_INFO_HEADER = CE_NOTIFICATION_INFO_HEADER*;

// Arms a notification (`notification` null), or replaces an armed one. Answers its handle, or
// null with the last error: ERROR_INVALID_PARAMETER (bad size, no program, a start time that is
// not a date), ERROR_NOT_SUPPORTED (a trigger type other than CNT_TIME), ERROR_INVALID_HANDLE.
HANDLE CeSetUserNotificationEx(HANDLE notification, CE_NOTIFICATION_TRIGGER* trigger,
                               CE_USER_NOTIFICATION* user_notification);
// The handles of every armed notification of the device, in the order they were armed.
// `needed` gets their count; with fewer slots than that the call fails with
// ERROR_INSUFFICIENT_BUFFER after filling the slots it has.
BOOL CeGetUserNotificationHandles(HANDLE* handles, DWORD count, LPDWORD needed);
// Fills `buffer` with the header, the trigger and its texts; a buffer smaller than `needed` fails
// with ERROR_INSUFFICIENT_BUFFER. An unknown handle fails with ERROR_INVALID_HANDLE.
BOOL CeGetUserNotification(HANDLE notification, UINT buffer_size, LPDWORD needed, LPBYTE buffer);
BOOL CeClearUserNotification(HANDLE notification);
