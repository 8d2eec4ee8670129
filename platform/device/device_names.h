// Registry keys and values by which the simulated phone shows its state to the programs.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace ce::device {

inline constexpr const char16_t* kStatePhone = u"System\\State\\Phone";
inline constexpr const char16_t* kStateBattery = u"System\\State\\Battery";
inline constexpr const char16_t* kStateHardware = u"System\\State\\Hardware";
inline constexpr DWORD kPhoneRadioOff = 0x10;  // "Status" bit: the phone radio is off
inline constexpr DWORD kWifiOn = 0x12;         // "Wifi": present and powered
inline constexpr DWORD kWifiOff = 0x02;        // "Wifi": present, radio off
inline constexpr const char16_t* kUmtsKey = u"\\SOFTWARE\\OEM\\UMTS";  // "OpMode": 0 auto, 1 2G, 2 3G
inline constexpr const char16_t* kPowerStateKey = u"System\\CurrentControlSet\\Control\\Power\\State";
// The Wi-Fi adapter's power-manager name: its device class followed by the device name.
inline const std::u16string kWifiAdapterName = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\WLAN1:";
// The backlight driver's levels (0 to 10) on battery and on external power, in the current user's
// hive; a new device starts with them at the factory's levels.
inline constexpr const char16_t* kBacklightKey = u"\\ControlPanel\\Backlight";
inline constexpr const char16_t* kBacklightBattery = u"BrightNess";
inline constexpr const char16_t* kBacklightExternal = u"ACBrightNess";
inline constexpr DWORD kFactoryBacklightBattery = 4;
inline constexpr DWORD kFactoryBacklightExternal = 8;
inline constexpr const char16_t* kConnectionProviders =
    u"\\Comm\\ConnMgr\\Providers\\{5A0C3E21-9B47-4D6E-8F12-3C7B9E4D2A60}\\Connections";

}  // namespace ce::device
