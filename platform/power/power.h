// Power: the battery and external power as the device reports them, system power states asked
// for by programs, device power of named drivers (the Wi-Fi adapter), the vendor's brightness
// library (HTCUtil.dll) and the beam receiver ("OBX0:"). Every request is recorded by the
// simulated device and never applied to the host.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#define AC_LINE_OFFLINE 0x00u
#define AC_LINE_ONLINE 0x01u
#define AC_LINE_UNKNOWN 0xFFu
#define BATTERY_FLAG_HIGH 0x01u
#define BATTERY_FLAG_LOW 0x02u
#define BATTERY_FLAG_CRITICAL 0x04u
#define BATTERY_FLAG_CHARGING 0x08u
#define BATTERY_FLAG_UNKNOWN 0xFFu
#define BATTERY_PERCENTAGE_UNKNOWN 0xFFu
#define BATTERY_LIFE_UNKNOWN 0xFFFFFFFFu
#define BATTERY_CHEMISTRY_LION 0x04u

// 56 bytes, the same layout as on the device (no pointers, natural alignment).
struct SYSTEM_POWER_STATUS_EX2 {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
  DWORD BatteryVoltage;
  DWORD BatteryCurrent;
  DWORD BatteryAverageCurrent;
  DWORD BatteryAverageInterval;
  DWORD BatterymAHourConsumed;
  DWORD BatteryTemperature;
  DWORD BackupBatteryVoltage;
  BYTE BatteryChemistry;
};
static_assert(sizeof(SYSTEM_POWER_STATUS_EX2) == 56);

// The bytes filled (56), or 0 for a null record or a length below 56 (or the scripted refusal
// of "power.status").
DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL update);

#define POWER_STATE_ON 0x00010000u
#define POWER_STATE_OFF 0x00020000u
#define POWER_STATE_CRITICAL 0x00040000u
#define POWER_STATE_BOOT 0x00080000u
#define POWER_STATE_IDLE 0x00100000u
#define POWER_STATE_SUSPEND 0x00200000u
#define POWER_STATE_RESET 0x00800000u
#define POWER_FORCE 0x00001000u
#define POWER_NAME 0x00000001u

// Recorded ("power" effect: the state, the name, the options) and kept as "power.state";
// ERROR_SUCCESS, or ERROR_INVALID_PARAMETER with neither a name nor a state.
DWORD SetSystemPowerState(LPCWSTR state_name, DWORD state_flags, DWORD options);

enum CEDEVICE_POWER_STATE : int { PwrDeviceUnspecified = -1, D0 = 0, D1, D2, D3, D4, PwrDeviceMaximum };

// `device` is the device's power-manager name (flags POWER_NAME). The Wi-Fi adapter (see
// device_names.h) follows its state: D0 powers it and its radio up, D4 down. Other names answer
// ERROR_FILE_NOT_FOUND. Recorded as a "device-power" effect.
DWORD SetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE state);
DWORD GetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE* state);

// HTCUtil.dll, by name: the backlight level on external power (recorded as "brightness").
BOOL HTCUtilSetOnPowerBrightnessLevel(DWORD level);

// Control codes of the beam receiver "OBX0:" (DeviceIoControl): start and stop receiving, and the
// status query (4-byte output: 1 receiving, 0 not). Each is recorded as an "obex" effect.
#define IOCTL_SERVICE_START 0x01040004u
#define IOCTL_SERVICE_STOP 0x01040008u
#define IOCTL_SERVICE_STATUS 0x01040020u
