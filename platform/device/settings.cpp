// The values of the simulated phone and what a new device starts with.
#include <algorithm>

#include "platform/device/device.h"

namespace ce::device {

const std::vector<Setting>& Settings() {
  static const std::vector<Setting> settings = {
      {"device.oem", true, "Simulated Phone", "the OEM information text (SPI_GETOEMINFO)"},
      {"radio.power", false, "1", "phone radio: 1 on (equipment full), 0 off (minimum)"},
      {"radio.registered", false, "1", "line registration: 1 registered, 0 not"},
      {"radio.mcc", false, "214", "mobile country code"},
      {"radio.mnc", false, "7", "mobile network code"},
      {"radio.lac", false, "10", "location area code of the serving cell"},
      {"radio.cell", false, "1001", "serving cell id"},
      {"signal.strength", false, "-75", "signal strength (dBm)"},
      {"signal.min", false, "-113", "weakest strength the radio reports"},
      {"signal.max", false, "-51", "strongest strength the radio reports"},
      {"phone.calls", false, "0", "active call count"},
      {"sim.state", false, "2", "SIM lock state: 1 ready, 2 PIN required, 3 PUK required"},
      {"sim.pin", true, "1234", "the SIM's PIN"},
      {"sim.pin2", true, "5678", "the SIM's second PIN"},
      {"sim.puk", true, "12345678", "the SIM's PUK"},
      {"sim.attempts", false, "3", "PIN attempts left before the SIM asks for the PUK"},
      {"forward.number", true, "", "unconditional call forwarding number (empty: none)"},
      {"wifi.radio", false, "0", "Wi-Fi radio state: 1 on, 0 off"},
      {"wifi.adapter", false, "4", "Wi-Fi adapter device power: 0 (D0, full) to 4 (D4, off)"},
      {"bluetooth.mode", false, "1", "Bluetooth mode: 0 off, 1 connectable, 2 discoverable"},
      {"power.state", false, "65536", "system power state (0x10000 on)"},
      {"battery.percent", false, "80", "main battery percent (255: unknown)"},
      {"power.ac", false, "0", "external power: 1 online, 0 offline"},
      {"beam.receive", false, "1", "receiving beamed objects: 1 on, 0 off"},
      {"mail.accounts", true, "ActiveSync;Outlook E-mail", "message stores, ';'-separated"},
  };
  return settings;
}

const Setting* FindSetting(std::string_view name) {
  const auto& all = Settings();
  auto it = std::find_if(all.begin(), all.end(), [&](const Setting& s) { return name == s.name; });
  return it == all.end() ? nullptr : &*it;
}

}  // namespace ce::device
