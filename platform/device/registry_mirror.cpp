// The registry state values that mirror the model, as the device's drivers keep them, so that the
// state broker's notifications fire in every process when the model changes.
#include <algorithm>

#include "platform/device/device.h"
#include "platform/device/device_internal.h"
#include "platform/device/device_names.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"

namespace ce::device::internal {
namespace {

void SetDword(HKEY root, const char16_t* key, const std::u16string& name, DWORD value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
  DWORD old = 0;
  DWORD type = 0;
  DWORD size = sizeof old;
  bool same = RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&old), &size) ==
                  ERROR_SUCCESS &&
              type == REG_DWORD && size == 4 && old == value;
  if (!same) RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(k);
}

void SetString(HKEY k, const char16_t* name, const std::u16string& text) {
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
}

// Writes a value only where there is none yet (the programs own it afterwards).
void SeedDword(HKEY root, const char16_t* key, const char16_t* name, DWORD value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(k, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(k);
}

bool Any(const std::vector<std::string>& changed, bool all, std::initializer_list<const char*> names) {
  if (all) return true;
  return std::any_of(names.begin(), names.end(), [&](const char* n) {
    return std::find(changed.begin(), changed.end(), n) != changed.end();
  });
}

// The Connection Manager's provider key of each phonebook entry: created with the entry enabled,
// its destination network kept up to date; the programs own "enabled" and "AlwaysOn" afterwards.
void MirrorConnections() {
  for (const Connection& c : Connections()) {
    std::u16string path = std::u16string(kConnectionProviders) + u"\\" + ce::text::FromUtf8(c.name);
    HKEY k = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition) !=
        ERROR_SUCCESS)
      continue;
    if (disposition == REG_CREATED_NEW_KEY) {
      DWORD one = 1, zero = 0;
      RegSetValueExW(k, u"enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
      RegSetValueExW(k, u"AlwaysOn", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), 4);
    }
    SetString(k, u"ConnectionGUID", ce::text::FromUtf8(c.guid));
    RegCloseKey(k);
  }
}

}  // namespace

void MirrorToRegistry(const std::vector<std::string>& changed, bool all) {
  if (Any(changed, all, {"radio.power"}))
    SetDword(HKEY_LOCAL_MACHINE, kStatePhone, u"Status", GetInt("radio.power") ? 0 : kPhoneRadioOff);
  if (Any(changed, all, {"phone.calls"}))
    SetDword(HKEY_LOCAL_MACHINE, kStatePhone, u"Active Call Count", static_cast<DWORD>(GetInt("phone.calls")));
  if (Any(changed, all, {"battery.percent", "power.ac"}))
    SetDword(HKEY_LOCAL_MACHINE, kStateBattery, u"Main",
             (static_cast<DWORD>(GetInt("battery.percent") & 0xFFFF) << 16) |
                 static_cast<DWORD>(GetInt("power.ac") & 0xFFFF));
  if (Any(changed, all, {"wifi.radio"}))
    SetDword(HKEY_LOCAL_MACHINE, kStateHardware, u"Wifi", GetInt("wifi.radio") ? kWifiOn : kWifiOff);
  if (Any(changed, all, {"bluetooth.mode"}))
    SetDword(HKEY_LOCAL_MACHINE, kStateHardware, u"Bluetooth", static_cast<DWORD>(GetInt("bluetooth.mode")));
  if (Any(changed, all, {"wifi.adapter"}))
    SetDword(HKEY_LOCAL_MACHINE, kPowerStateKey, kWifiAdapterName, static_cast<DWORD>(GetInt("wifi.adapter")));
  if (all) {
    SeedDword(HKEY_LOCAL_MACHINE, kUmtsKey, u"OpMode", 0);  // automatic band
    // The backlight driver's levels as a phone leaves the factory with them.
    SeedDword(HKEY_CURRENT_USER, kBacklightKey, kBacklightBattery, kFactoryBacklightBattery);
    SeedDword(HKEY_CURRENT_USER, kBacklightKey, kBacklightExternal, kFactoryBacklightExternal);
  }
  if (Any(changed, all, {"connections"})) MirrorConnections();
}

}  // namespace ce::device::internal
