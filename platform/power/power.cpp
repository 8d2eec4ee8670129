#include "platform/power/power.h"

#include <cstdio>

#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/text/utf.h"
#include "platform/text/wide_string.h"

DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL) {
  if (!status || length < sizeof(SYSTEM_POWER_STATUS_EX2)) return 0;
  if (ce::device::TakeReply("power.status").refused) return 0;
  std::int64_t percent = ce::device::GetInt("battery.percent");
  bool ac = ce::device::GetInt("power.ac") != 0;
  *status = {};
  status->ACLineStatus = ac ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
  if (percent < 0 || percent > 100) {
    status->BatteryFlag = BATTERY_FLAG_UNKNOWN;
    status->BatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  } else {
    status->BatteryFlag = static_cast<BYTE>(
        (percent > 66 ? BATTERY_FLAG_HIGH : percent < 33 ? BATTERY_FLAG_LOW : 0) |
        (percent < 5 ? BATTERY_FLAG_CRITICAL : 0) | (ac && percent < 100 ? BATTERY_FLAG_CHARGING : 0));
    status->BatteryLifePercent = static_cast<BYTE>(percent);
  }
  status->BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  status->BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  status->BackupBatteryFlag = BATTERY_FLAG_HIGH;
  status->BackupBatteryLifePercent = 100;
  status->BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  status->BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  status->BatteryVoltage = 3600 + static_cast<DWORD>(percent >= 0 && percent <= 100 ? percent * 6 : 0);
  status->BatteryTemperature = 250;  // tenths of a degree
  status->BackupBatteryVoltage = 3000;
  status->BatteryChemistry = BATTERY_CHEMISTRY_LION;
  return sizeof(SYSTEM_POWER_STATUS_EX2);
}

DWORD SetSystemPowerState(LPCWSTR state_name, DWORD state_flags, DWORD options) {
  if ((!state_name || !*state_name) && state_flags == 0) return ERROR_INVALID_PARAMETER;
  ce::device::Reply reply = ce::device::TakeReply("power.set");
  if (reply.refused) return ce::device::ErrorCode(reply, ERROR_GEN_FAILURE);
  ce::device::Effect e;
  e.kind = "power";
  e.target = state_name ? ce::text::ToUtf8(ce::text::WideView(state_name)) : std::string();
  char text[32];
  std::snprintf(text, sizeof text, "options=0x%X", options);
  e.body = text;
  e.value = state_flags;
  ce::device::Record(e);
  if (state_flags) ce::device::SetInt("power.state", state_flags);
  return ERROR_SUCCESS;
}

namespace {

bool IsWifiAdapter(PVOID device, DWORD flags) {
  if (!device || !(flags & POWER_NAME)) return false;
  return _wcsicmp(static_cast<LPCWSTR>(device), ce::device::kWifiAdapterName.c_str()) == 0;
}

}  // namespace

DWORD SetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE state) {
  if (!device || state < D0 || state > D4) return ERROR_INVALID_PARAMETER;
  if (!IsWifiAdapter(device, flags)) return ERROR_FILE_NOT_FOUND;
  ce::device::Effect e;
  e.kind = "device-power";
  e.target = ce::text::ToUtf8(ce::text::WideView(static_cast<LPCWSTR>(device)));
  e.value = state;
  ce::device::Record(e);
  ce::device::Update([&](ce::device::Transaction& t) {
    t.SetInt("wifi.adapter", state);
    if (state == D0) t.SetInt("wifi.radio", 1);
    if (state == D4) t.SetInt("wifi.radio", 0);
  });
  return ERROR_SUCCESS;
}

DWORD GetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE* state) {
  if (!device || !state) return ERROR_INVALID_PARAMETER;
  if (!IsWifiAdapter(device, flags)) return ERROR_FILE_NOT_FOUND;
  *state = static_cast<CEDEVICE_POWER_STATE>(ce::device::GetInt("wifi.adapter"));
  return ERROR_SUCCESS;
}

BOOL HTCUtilSetOnPowerBrightnessLevel(DWORD level) {
  ce::device::Effect e;
  e.kind = "brightness";
  e.value = level;
  ce::device::Record(e);
  return TRUE;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(
      u"HTCUtil.dll",
      {.by_name = {{"HTCUtilSetOnPowerBrightnessLevel", Export(&HTCUtilSetOnPowerBrightnessLevel)}}, .by_ordinal = {}});
  return true;
}();
}  // namespace
