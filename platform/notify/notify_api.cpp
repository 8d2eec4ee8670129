// The CE user-notification functions the programs call.
#include <cstring>

#include "platform/kernel/last_error.h"
#include "platform/notify/notify.h"
#include "platform/notify/notify_store.h"
#include "platform/text/utf.h"
#include "platform/time/time.h"

namespace ce::notify {
namespace {

constexpr DWORD kDeviceTriggerSize = 52;

template <class T>
T Fail(DWORD error, T value) {
  SetLastError(error);
  return value;
}

std::int64_t Id(HANDLE h) { return static_cast<std::int64_t>(reinterpret_cast<ULONG_PTR>(h)); }

bool ToTime(const SYSTEMTIME& st, std::int64_t* out) {
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return false;
  *out = static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return true;
}

std::size_t Align(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

}  // namespace

}  // namespace ce::notify

using namespace ce::notify;

HANDLE CeSetUserNotificationEx(HANDLE notification, CE_NOTIFICATION_TRIGGER* trigger, CE_USER_NOTIFICATION*) {
  if (!trigger || (trigger->dwSize != kDeviceTriggerSize && trigger->dwSize != sizeof(CE_NOTIFICATION_TRIGGER)) ||
      !trigger->lpszApplication || !trigger->lpszApplication[0])
    return Fail<HANDLE>(ERROR_INVALID_PARAMETER, nullptr);
  if (trigger->dwType != CNT_TIME) return Fail<HANDLE>(ERROR_NOT_SUPPORTED, nullptr);
  StoredNotification n;
  n.type = trigger->dwType;
  n.event = trigger->dwEvent;
  n.application = std::u16string(ce::text::WideView(trigger->lpszApplication));
  n.arguments = std::u16string(ce::text::WideView(trigger->lpszArguments));
  if (n.application.size() >= MAX_PATH || !ToTime(trigger->stStartTime, &n.start))
    return Fail<HANDLE>(ERROR_INVALID_PARAMETER, nullptr);
  const SYSTEMTIME& end = trigger->stEndTime;
  if (end.wYear || end.wMonth || end.wDay) {
    if (!ToTime(end, &n.end)) return Fail<HANDLE>(ERROR_INVALID_PARAMETER, nullptr);
  }
  DWORD error;
  if (notification) {
    n.id = Id(notification);
    error = StoreReplace(n);
  } else {
    error = StoreInsert(&n);
  }
  if (error != ERROR_SUCCESS) return Fail<HANDLE>(error, nullptr);
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(n.id));
}

BOOL CeGetUserNotificationHandles(HANDLE* handles, DWORD count, LPDWORD needed) {
  if (!needed || (count && !handles)) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  DWORD error = ERROR_SUCCESS;
  auto all = StoreList(false, &error);
  if (error != ERROR_SUCCESS) return Fail<BOOL>(error, FALSE);
  *needed = static_cast<DWORD>(all.size());
  for (DWORD i = 0; i < count && i < all.size(); ++i) handles[i] = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(all[i].id));
  if (count < all.size()) return Fail<BOOL>(ERROR_INSUFFICIENT_BUFFER, FALSE);
  return TRUE;
}

BOOL CeGetUserNotification(HANDLE notification, UINT buffer_size, LPDWORD needed, LPBYTE buffer) {
  if (!needed) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  if (!notification) return Fail<BOOL>(ERROR_INVALID_HANDLE, FALSE);
  DWORD error = ERROR_SUCCESS;
  auto n = StoreGet(Id(notification), &error);
  if (!n) return Fail<BOOL>(error != ERROR_SUCCESS ? error : ERROR_INVALID_HANDLE, FALSE);
  std::size_t app_bytes = (n->application.size() + 1) * sizeof(WCHAR);
  std::size_t args_bytes = (n->arguments.size() + 1) * sizeof(WCHAR);
  std::size_t header = Align(sizeof(CE_NOTIFICATION_INFO_HEADER));
  std::size_t trig = Align(sizeof(CE_NOTIFICATION_TRIGGER));
  std::size_t total = header + trig + Align(app_bytes) + Align(args_bytes);
  *needed = static_cast<DWORD>(total);
  if (!buffer || buffer_size < total) return Fail<BOOL>(ERROR_INSUFFICIENT_BUFFER, FALSE);
  std::memset(buffer, 0, total);
  auto* h = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer);
  auto* t = reinterpret_cast<CE_NOTIFICATION_TRIGGER*>(buffer + header);
  auto* app = reinterpret_cast<WCHAR*>(buffer + header + trig);
  auto* args = reinterpret_cast<WCHAR*>(buffer + header + trig + Align(app_bytes));
  std::memcpy(app, n->application.c_str(), app_bytes);
  std::memcpy(args, n->arguments.c_str(), args_bytes);
  h->hNotification = notification;
  h->dwStatus = 0;
  h->pcent = t;
  h->pceun = nullptr;
  t->dwSize = sizeof(CE_NOTIFICATION_TRIGGER);
  t->dwType = n->type;
  t->dwEvent = n->event;
  t->lpszApplication = app;
  t->lpszArguments = args;
  t->stStartTime = LocalTimeOf(n->start);
  if (n->end) t->stEndTime = LocalTimeOf(n->end);
  return TRUE;
}

BOOL CeClearUserNotification(HANDLE notification) {
  if (!notification) return Fail<BOOL>(ERROR_INVALID_HANDLE, FALSE);
  DWORD error = StoreDelete(Id(notification));
  return error == ERROR_SUCCESS ? TRUE : Fail<BOOL>(error, FALSE);
}
