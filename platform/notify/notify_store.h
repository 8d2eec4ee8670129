// Inside the notifications: the table of armed notifications, an SQLite database in the device
// folder ("notifications.db") shared by every process. Start times are local FILETIME values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/kernel/process_identity.h"

namespace ce::notify {

struct StoredNotification {
  std::int64_t id = 0;  // the notification's handle value
  DWORD type = 0;
  DWORD event = 0;
  std::u16string application;
  std::u16string arguments;
  std::int64_t start = 0;  // local time, 100 ns units since 1601
  std::int64_t end = 0;
};

// A stored time as a SYSTEMTIME.
SYSTEMTIME LocalTimeOf(std::int64_t t);

// Each answers ERROR_SUCCESS or the platform's error code.
DWORD StoreInsert(StoredNotification* n);             // sets n->id
DWORD StoreReplace(const StoredNotification& n);      // ERROR_INVALID_HANDLE when it is gone
DWORD StoreDelete(std::int64_t id);                   // ERROR_INVALID_HANDLE when it is gone
// The readers leave the table's error in `error` (when given): ERROR_SUCCESS also when nothing
// was found.
std::optional<StoredNotification> StoreGet(std::int64_t id, DWORD* error = nullptr);
std::vector<StoredNotification> StoreList(bool by_start, DWORD* error = nullptr);
// Firing goes one notification at a time: the earliest one due at `now` that nobody has claimed is
// claimed for `owner` (the firing process) and answered; nothing when none is due. The claim is
// removed with the notification once its program has started.
std::optional<StoredNotification> StoreClaimDue(std::int64_t now, const kernel::ProcessIdentity& owner,
                                                DWORD* error);
// The notifications claimed by processes that died before they finished firing them.
std::vector<std::int64_t> StoreAbandonedClaims(DWORD* error);
// Gives a claimed notification back to the table (armed as before).
DWORD StoreReleaseClaim(std::int64_t id);

}  // namespace ce::notify
