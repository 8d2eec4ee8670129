#include "platform/notify/notify_launch.h"

#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/notify/notify_store.h"
#include "platform/shell/launch.h"
#include "platform/time/time.h"

namespace ce::notify {

namespace {

Notification ToNotification(const StoredNotification& s) {
  return Notification{reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(s.id)), s.application, s.arguments,
                      LocalTimeOf(s.start)};
}

std::int64_t LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME ft{};
  SystemTimeToFileTime(&now, &ft);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

}  // namespace

std::vector<Notification> ListNotifications() {
  std::vector<Notification> out;
  for (auto& s : StoreList(true)) out.push_back(ToNotification(s));
  return out;
}

std::vector<Fired> FireDueNotifications() {
  std::vector<Fired> fired;
  for (auto& s : StoreTakeDue(LocalNow())) {
    Fired f{ToNotification(s), ERROR_SUCCESS};
    std::u16string args = s.arguments;
    std::vector<WCHAR> command_line(args.begin(), args.end());
    command_line.push_back(0);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(s.application.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       nullptr, &info)) {
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    } else {
      f.error = GetLastError();
    }
    fired.push_back(std::move(f));
  }
  return fired;
}

}  // namespace ce::notify
