#include "velomar/core/ProgramNotifications.h"

#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/libraries/libraries.h"
#include "platform/notify/notify.h"
#include "platform/time/time.h"
#include "teskautils/TeskaUtils.h"

namespace velomar {

std::u16string ExecutablePath() {
  WCHAR path[520] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, 520);
  if (n >= 520) n = 519;
  return std::u16string(path, n);
}

HANDLE ArmProgramNotification(const WCHAR* arguments, ULONGLONG unit, LONGLONG count) {
  SYSTEMTIME now{}, start{};
  GetLocalTime(&now);
  DT_AddDiff(&start, unit, count, &now);
  return ArmProgramNotificationAt(arguments, start);
}

HANDLE ArmProgramNotificationAt(const WCHAR* arguments, const SYSTEMTIME& start) {
  std::u16string application = ExecutablePath();
  std::u16string args = arguments ? std::u16string(arguments) : std::u16string();
  CE_NOTIFICATION_TRIGGER trigger{};
  trigger.dwSize = 52;
  trigger.dwType = CNT_TIME;
  trigger.dwEvent = 0;
  trigger.lpszApplication = application.data();
  trigger.lpszArguments = arguments ? args.data() : nullptr;
  trigger.stStartTime = start;
  return CeSetUserNotificationEx(nullptr, &trigger, nullptr);
}

void ForEachProgramNotification(const std::function<void(HANDLE, const std::u16string&)>& visit) {
  const std::u16string application = ExecutablePath();
  std::vector<HANDLE> handles(500);
  DWORD count = 0;
  if (!CeGetUserNotificationHandles(handles.data(), 500, &count)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;  // (a full table: the first 500 are filled)
  }
  if (count > 500) count = 500;
  for (DWORD i = 0; i < count; ++i) {
    alignas(CE_NOTIFICATION_INFO_HEADER) BYTE buffer[1024];
    DWORD needed = 0;
    if (!CeGetUserNotification(handles[i], sizeof buffer, &needed, buffer)) continue;
    const auto* header = reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(buffer);
    const CE_NOTIFICATION_TRIGGER* trigger = header->pcent;
    if (trigger == nullptr || trigger->lpszApplication == nullptr) continue;
    if (application != std::u16string(trigger->lpszApplication)) continue;
    visit(handles[i], trigger->lpszArguments ? std::u16string(trigger->lpszArguments) : std::u16string());
  }
}

}  // namespace velomar
