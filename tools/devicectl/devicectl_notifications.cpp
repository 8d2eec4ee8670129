#include "tools/devicectl/devicectl_notifications.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/notify/notify.h"
#include "platform/notify/notify_launch.h"
#include "platform/shell/launch.h"
#include "platform/text/utf.h"
#include "tools/devicectl/devicectl_commands.h"

namespace devicectl {

namespace {

std::string Unreadable(DWORD error) {
  return "cannot read the notifications of " + (ce::DeviceFolder() / "notifications.db").string() + " (error " +
         std::to_string(error) + ")";
}

}  // namespace

int ListNotifications(std::string* error) {
  DWORD failure = 0;
  const auto notifications = ce::notify::ListNotifications(&failure);
  if (failure != 0) {
    *error = Unreadable(failure);
    return 1;
  }
  for (const ce::notify::Notification& n : notifications) {
    const SYSTEMTIME& t = n.start;
    std::printf("%lu %04u-%02u-%02u %02u:%02u:%02u %s %s\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(n.handle)), t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, Escaped(ce::text::ToUtf8(n.application)).c_str(),
                Escaped(ce::text::ToUtf8(n.arguments)).c_str());
  }
  return 0;
}

// Fires one notification now, as the launcher does when it falls due: it is taken out of the
// table, then its program is started with its arguments.
int FireNotification(std::uint32_t handle, std::string* error) {
  DWORD failure = 0;
  const auto notifications = ce::notify::ListNotifications(&failure);
  if (failure != 0) {
    *error = Unreadable(failure);
    return 1;
  }
  for (const ce::notify::Notification& n : notifications) {
    if (reinterpret_cast<ULONG_PTR>(n.handle) != handle) continue;
    if (!CeClearUserNotification(n.handle)) {
      *error = "notification " + std::to_string(handle) + " was fired or cleared meanwhile";
      return 1;
    }
    std::vector<WCHAR> args(n.arguments.begin(), n.arguments.end());
    args.push_back(0);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(n.application.c_str(), args.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                        &info)) {
      *error = "could not start " + ce::text::ToUtf8(n.application) + " (error " + std::to_string(GetLastError()) + ")";
      return 1;
    }
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    std::printf("started %s %s\n", Escaped(ce::text::ToUtf8(n.application)).c_str(),
                Escaped(ce::text::ToUtf8(n.arguments)).c_str());
    return 0;
  }
  *error = "no pending notification " + std::to_string(handle) + " (see: devicectl notifications)";
  return 2;
}

}  // namespace devicectl
