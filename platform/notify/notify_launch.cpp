#include "platform/notify/notify_launch.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/process_identity.h"
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

// Where the marks of started programs live while their notifications are being removed.
std::filesystem::path MarkFolder() { return DeviceRuntimeFolder() / "notify"; }
std::filesystem::path MarkOf(std::int64_t id) { return MarkFolder() / ("started-" + std::to_string(id)); }

}  // namespace

std::vector<Notification> ListNotifications(DWORD* error) {
  DWORD ignored = ERROR_SUCCESS;
  if (!error) error = &ignored;
  std::vector<Notification> out;
  for (auto& s : StoreList(true, error)) out.push_back(ToNotification(s));
  return out;
}

std::vector<Fired> FireDueNotifications(const std::function<void(const Fired&)>& each, DWORD* error) {
  DWORD ignored = ERROR_SUCCESS;
  if (!error) error = &ignored;
  std::vector<Fired> fired;
  std::error_code ec;
  std::filesystem::create_directories(MarkFolder(), ec);
  // Finish what a firing process that died left: a started program's notification goes, one not
  // yet started is armed again (and fires below if due).
  for (std::int64_t id : StoreAbandonedClaims(error)) {
    const auto mark = MarkOf(id);
    if (std::filesystem::exists(mark, ec)) {
      StoreDelete(id);
      std::filesystem::remove(mark, ec);
    } else {
      StoreReleaseClaim(id);
    }
  }
  if (*error != ERROR_SUCCESS) return fired;
  const kernel::ProcessIdentity me = kernel::ThisProcessIdentity();
  for (;;) {
    auto s = StoreClaimDue(LocalNow(), me, error);
    if (!s) break;
    const auto mark = MarkOf(s->id);
    std::filesystem::remove(mark, ec);
    Fired f{ToNotification(*s), shell::StartProgramMarked(s->application, s->arguments, mark.string())};
    // A program that cannot start is removed as well: it would fail the same way at every turn.
    StoreDelete(s->id);
    std::filesystem::remove(mark, ec);
    if (each) each(f);
    fired.push_back(std::move(f));
  }
  return fired;
}

}  // namespace ce::notify
