// The values of the simulated phone and what a new device starts with.
#include <algorithm>

#include "platform/device/device.h"

namespace ce::device {

const std::vector<Setting>& Settings() {
  static const std::vector<Setting> settings = {
      {"device.oem", true, "Simulated Phone", "the OEM information text (SPI_GETOEMINFO)", 0LL, 100LL},
      {"radio.power", false, "1", "phone radio: 1 on (equipment full), 0 off (minimum)", 0LL, 1LL},
      {"radio.registered", false, "1", "line registration: 1 registered, 0 not", 0LL, 1LL},
      {"radio.mcc", false, "214", "mobile country code", 0LL, 999LL},
      {"radio.mnc", false, "7", "mobile network code", 0LL, 999LL},
      {"radio.lac", false, "10", "location area code of the serving cell", 0LL, 65535LL},
      {"radio.cell", false, "1001", "serving cell id", 0LL, 4294967295LL},
      {"signal.strength", false, "-75", "signal strength (dBm)", -150LL, 0LL},
      {"signal.min", false, "-113", "weakest strength the radio reports", -150LL, 0LL},
      {"signal.max", false, "-51", "strongest strength the radio reports", -150LL, 0LL},
      {"phone.calls", false, "0", "active call count", 0LL, 10LL},
      {"sim.state", false, "2", "SIM lock state: 1 ready, 2 PIN required, 3 PUK required", 1LL, 3LL},
      {"sim.pin", true, "1234", "the SIM's PIN", 4LL, 8LL},
      {"sim.pin2", true, "5678", "the SIM's second PIN", 4LL, 8LL},
      {"sim.puk", true, "12345678", "the SIM's PUK", 8LL, 8LL},
      {"sim.attempts", false, "3", "PIN attempts left before the SIM asks for the PUK", 0LL, 3LL},
      {"forward.number", true, "", "unconditional call forwarding number (empty: none)", 0LL, 40LL},
      {"wifi.radio", false, "0", "Wi-Fi radio state: 1 on, 0 off", 0LL, 1LL},
      {"wifi.adapter", false, "4", "Wi-Fi adapter device power: 0 (D0, full) to 4 (D4, off)", 0LL, 4LL},
      {"bluetooth.mode", false, "1", "Bluetooth mode: 0 off, 1 connectable, 2 discoverable", 0LL, 2LL},
      {"power.state", false, "65536", "system power state (0x10000 on)", 0LL, 4294967295LL},
      {"battery.percent", false, "80", "main battery percent (255: unknown)", 0LL, 255LL},
      {"power.ac", false, "0", "external power: 1 online, 0 offline", 0LL, 1LL},
      {"beam.receive", false, "1", "receiving beamed objects: 1 on, 0 off", 0LL, 1LL},
      {"mail.accounts", true, "ActiveSync;Outlook E-mail", "message stores, ';'-separated", 0LL, 1000LL},
  };
  return settings;
}

const Setting* FindSetting(std::string_view name) {
  const auto& all = Settings();
  auto it = std::find_if(all.begin(), all.end(), [&](const Setting& s) { return name == s.name; });
  return it == all.end() ? nullptr : &*it;
}

}  // namespace ce::device
