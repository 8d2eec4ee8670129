#include "tools/devicectl/devicectl_commands.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/system_info.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound.h"
#include "platform/sound/sound_profile.h"
#include "platform/text/utf.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "tools/devicectl/devicectl_notifications.h"

namespace devicectl {

const char kUsage[] =
    "usage: devicectl [--device <folder>] <command>\n"
    "  status                         the whole device state\n"
    "  set <name> <value>             any value that status lists (e.g. set sim.attempts 3)\n"
    "  cell <cell id> <lac>           move the phone to a cell\n"
    "  signal <dBm>                   signal strength\n"
    "  radio on|off                   phone radio\n"
    "  battery <percent>              main battery (0..100, 255 unknown)\n"
    "  ac on|off                      external power\n"
    "  bluetooth off|connectable|discoverable\n"
    "  wifi on|off                    Wi-Fi radio\n"
    "  band auto|2g|3g                band mode (registry OpMode)\n"
    "  calls <count>                  active call count\n"
    "  ring on|vibrate|none           sound profile of every event\n"
    "  connection <name> connected|disconnected [<sent> <received>]\n"
    "  connection-add <name> <guid>   add a phonebook entry\n"
    "  refuse <op> [<code>] [--now] [--times <n>]   refuse the next request(s) of an operation\n"
    "  delay <op> <ms>                answer an operation after a delay\n"
    "  script [clear]                 list (or clear) scripted answers\n"
    "  sent                           messages sent (SMS and mail)\n"
    "  effects [<kind>|clear]         every recorded effect\n"
    "  notifications                  pending user notifications\n"
    "  fire <handle>                  fire a user notification now\n"
    "  clock                          device date and time\n"
    "  clock set <YYYY-MM-DD> <HH:MM:SS>   set the device clock (UTC)\n"
    "  clock advance <n>[s|m|h|d]     move the device clock forward\n"
    "  os-version <major>.<minor>.<build>   the version the device reports\n"
    "  send|post <class> <message> [<wparam> [<lparam>]]   a message to a program's window found by\n"
    "                                 its class (send prints the answer)\n"
    "operations: ril.init ril.celltower ril.signal ril.devspecific sim.init sim.unlock line.equipment\n"
    "  line.register line.unregister line.forward sms.open sms.send bth.getmode bth.setmode ras.connect\n"
    "  ras.stats power.set power.status ossvcs.list ossvcs.change mapi.<step> (logon storestable queryrows\n"
    "  openstore getprops openentry createmessage modifyrecipients setprops openproperty write submit)\n";

namespace {

// Bad arguments: exit code 2.
int Bad(std::string* error, const std::string& text) {
  *error = text;
  return 2;
}

// The device could not do it: exit code 1, whatever the command.
int Failed(std::string* error, const std::string& text) {
  *error = text.empty() ? "the device could not do it" : text;
  return 1;
}

// Sets the device clock; a folder where the clock cannot be stored fails, the clock unchanged.
int ClockSet(std::int64_t utc, std::string* error) {
  if (const DWORD code = ce::kernel::SetSystemTimeUtc(utc))
    return Failed(error, "cannot set the device clock (error " + std::to_string(code) + "); it was left as it was");
  return 0;
}

// The exit code of a change of the device model: 0, or 1 with the model's reason.
int Changed(bool ok, std::string* error) { return ok ? 0 : Failed(error, ce::device::LastFailure()); }

// A decimal number, or a hexadecimal one after "0x"; an optional minus sign, nothing else (a
// leading zero is no octal prefix, spaces and "+" are refused).
bool ParseInt(const std::string& text, std::int64_t* out) {
  std::size_t digits = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (digits >= text.size() || text[digits] < '0' || text[digits] > '9') return false;
  const bool hex =
      text.size() > digits + 2 && text[digits] == '0' && (text[digits + 1] == 'x' || text[digits + 1] == 'X');
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || *end != 0) return false;
  *out = v;
  return true;
}

// "<major>.<minor>.<build>", each part a decimal number: 16-bit major and minor, 32-bit build.
bool ParseVersion(const std::string& text, unsigned* major, unsigned* minor, unsigned* build) {
  std::int64_t parts[3];
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    std::size_t dot = i < 2 ? text.find('.', pos) : text.size();
    if (dot == std::string::npos) return false;
    std::string part = text.substr(pos, dot - pos);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos || !ParseInt(part, &parts[i]))
      return false;
    pos = dot + 1;
  }
  if (parts[0] > 0xFFFF || parts[1] > 0xFFFF || parts[2] > 0xFFFFFFFFll) return false;
  *major = static_cast<unsigned>(parts[0]);
  *minor = static_cast<unsigned>(parts[1]);
  *build = static_cast<unsigned>(parts[2]);
  return true;
}

DWORD ReadDword(HKEY root, const char16_t* key, const char16_t* name, bool* found) {
  DWORD v = 0;
  *found = SUCCEEDED(RegistryGetDWORD(root, key, name, &v));
  return v;
}

void PrintRegistryValue(const char* label, HKEY root, const char16_t* key, const char16_t* name) {
  bool found = false;
  DWORD v = ReadDword(root, key, name, &found);
  if (found)
    std::printf("%-18s %u\n", label, v);
  else
    std::printf("%-18s (not set)\n", label);
}

std::string TimeText(std::int64_t filetime) {
  FILETIME ft{static_cast<DWORD>(filetime), static_cast<DWORD>(static_cast<std::uint64_t>(filetime) >> 32)};
  SYSTEMTIME st{};
  if (!FileTimeToSystemTime(&ft, &st)) return "?";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                st.wSecond);
  return buf;
}

int Status(std::string* error) {
  if (!ce::device::Available()) return Failed(error, ce::device::LastFailure());
  // The model's values are read first: one that cannot be read fails the command, rather than
  // showing a new device's value as the current one.
  std::vector<std::string> values;
  for (const ce::device::Setting& s : ce::device::Settings()) {
    std::string name = s.name;
    name.resize(std::max<std::size_t>(name.size(), 18), ' ');
    const std::string value =
        s.is_text ? Escaped(ce::device::GetText(s.name)) : std::to_string(ce::device::GetInt(s.name));
    if (!ce::device::LastFailure().empty()) return Failed(error, ce::device::LastFailure());
    values.push_back(name + " " + value + "\n");
  }
  const std::vector<ce::device::Connection> connections = ce::device::Connections();
  if (!ce::device::LastFailure().empty()) return Failed(error, ce::device::LastFailure());
  const std::vector<ce::device::ScriptEntry> script = ce::device::Script();
  if (!ce::device::LastFailure().empty()) return Failed(error, ce::device::LastFailure());
  const std::size_t effects = ce::device::Effects().size();
  if (!ce::device::LastFailure().empty()) return Failed(error, ce::device::LastFailure());

  std::printf("device folder      %s\n", ce::DeviceFolder().string().c_str());
  std::printf("clock (UTC)        %s\n", TimeText(ce::kernel::SystemTimeUtc()).c_str());
  for (const std::string& line : values) std::fputs(line.c_str(), stdout);
  PrintRegistryValue("band", HKEY_LOCAL_MACHINE, ce::device::kUmtsKey, u"OpMode");
  PrintRegistryValue("backlight.battery", HKEY_CURRENT_USER, u"\\ControlPanel\\Backlight", u"BrightNess");
  PrintRegistryValue("backlight.ac", HKEY_CURRENT_USER, u"\\ControlPanel\\Backlight", u"ACBrightNess");
  DWORD volume = 0;
  if (waveOutGetVolume(nullptr, &volume) == MMSYSERR_NOERROR) std::printf("%-18s 0x%08X\n", "volume", volume);
  SNDFILEINFO sound{};
  if (SUCCEEDED(SndGetSound(SND_EVENT_ALL, &sound))) {
    static const char* const kTypes[] = {"on", "file", "vibrate", "none", "disabled"};
    std::printf("%-18s %s", "ring.mode",
                sound.sstType >= 0 && sound.sstType <= SND_SOUNDTYPE_LAST ? kTypes[sound.sstType] : "?");
    if (sound.sstType == SND_SOUNDTYPE_FILE) std::printf(" %s", ce::text::ToUtf8(sound.szPathName).c_str());
    std::printf("\n");
  }
  for (const ce::device::Connection& c : connections) {
    static const char* const kStates[] = {"disconnected", "connecting", "connected"};
    std::printf("connection         %s %s %s sent=%u received=%u\n", Escaped(c.name).c_str(), Escaped(c.guid).c_str(),
                c.state >= 0 && c.state <= 2 ? kStates[c.state] : "?", c.sent, c.received);
  }
  for (const ce::device::ScriptEntry& e : script)
    std::printf("script             %s delay=%u refusals=%d code=0x%08" PRIX64 "%s\n", Escaped(e.op).c_str(),
                e.delay_ms, e.refusals, static_cast<std::uint64_t>(e.code) & 0xFFFFFFFFu, e.immediate ? " now" : "");
  const ce::kernel::OsVersion version = ce::kernel::DeviceOsVersion();
  std::printf("%-18s %u.%u.%u\n", "os.version", version.major, version.minor, version.build);
  std::printf("%-18s %zu\n", "effects", effects);
  return 0;
}

void PrintEffect(const ce::device::Effect& e) {
  std::printf("%" PRId64 " %s %s", e.id, TimeText(e.time).c_str(), Escaped(e.kind).c_str());
  if (!e.target.empty()) std::printf(" to=%s", Escaped(e.target).c_str());
  if (!e.account.empty()) std::printf(" account=%s", Escaped(e.account).c_str());
  if (!e.subject.empty()) std::printf(" subject=%s", Escaped(e.subject).c_str());
  if (!e.body.empty()) std::printf(" body=%s", Escaped(e.body).c_str());
  if (e.value) std::printf(" value=0x%" PRIX64, static_cast<std::uint64_t>(e.value));
  std::printf("\n");
}

int SetValue(const std::string& name, const std::string& value, std::string* error) {
  const ce::device::Setting* s = ce::device::FindSetting(name);
  if (!s) return Bad(error, "unknown value '" + name + "' (see: devicectl status)");
  if (s->is_text) {
    auto size = static_cast<long long>(value.size());
    if (size < s->min || size > s->max)
      return Bad(error, name + " takes " + std::to_string(s->min) + " to " + std::to_string(s->max) + " characters");
    return Changed(ce::device::SetText(name, value), error);
  }
  std::int64_t v;
  if (!ParseInt(value, &v)) return Bad(error, "'" + value + "' is not a number");
  if (v < s->min || v > s->max)
    return Bad(error, name + " must be from " + std::to_string(s->min) + " to " + std::to_string(s->max));
  return Changed(ce::device::SetInt(name, v), error);
}

int Choice(const std::vector<std::string>& args, std::size_t count, const std::map<std::string, std::int64_t>& words,
           const char* name, std::string* error) {
  if (args.size() != count) return Bad(error, "usage: devicectl " + args[0] + " <value>");
  auto it = words.find(args[1]);
  if (it == words.end()) return Bad(error, "'" + args[1] + "' is not a choice for " + args[0]);
  return Changed(ce::device::SetInt(name, it->second), error);
}

int Ranged(const std::vector<std::string>& args, const char* name, std::int64_t lo, std::int64_t hi,
           std::string* error) {
  std::int64_t v;
  if (args.size() != 2 || !ParseInt(args[1], &v)) return Bad(error, "usage: devicectl " + args[0] + " <number>");
  if (v < lo || v > hi)
    return Bad(error, args[0] + " must be from " + std::to_string(lo) + " to " + std::to_string(hi));
  return Changed(ce::device::SetInt(name, v), error);
}

int Connection(const std::vector<std::string>& args, std::string* error) {
  if (args.size() != 3 && args.size() != 5)
    return Bad(error, "usage: devicectl connection <name> connected|disconnected [<sent> <received>]");
  for (ce::device::Connection c : ce::device::Connections()) {
    if (c.name != args[1]) continue;
    if (args[2] == "connected")
      c.state = 2;
    else if (args[2] == "disconnected")
      c.state = 0;
    else
      return Bad(error, "'" + args[2] + "' is not connected or disconnected");
    if (args.size() == 5) {
      std::int64_t sent, received;
      if (!ParseInt(args[3], &sent) || !ParseInt(args[4], &received) || sent < 0 || received < 0 ||
          sent > 0xFFFFFFFFll || received > 0xFFFFFFFFll)
        return Bad(error, "traffic must be two byte counts");
      c.sent = static_cast<std::uint32_t>(sent);
      c.received = static_cast<std::uint32_t>(received);
    } else if (c.state == 0) {
      c.sent = c.received = 0;
    }
    return Changed(ce::device::PutConnection(c), error);
  }
  return Bad(error, "no phonebook entry '" + args[1] + "'");
}

int UnknownOperation(const std::string& op, std::string* error) {
  return Bad(error, "unknown operation '" + Escaped(op) + "' (see: devicectl help)");
}

int Refuse(const std::vector<std::string>& args, std::string* error) {
  if (args.size() < 2) return Bad(error, "usage: devicectl refuse <op> [<code>] [--now] [--times <n>]");
  if (!ce::device::IsScriptedOperation(args[1])) return UnknownOperation(args[1], error);
  std::int64_t code = 0;
  bool now = false;
  std::int64_t times = 1;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--now") {
      now = true;
    } else if (args[i] == "--times" && i + 1 < args.size()) {
      if (!ParseInt(args[++i], &times) || times < 0 || times > 1000000)
        return Bad(error, "--times takes a count from 0");
    } else if (!ParseInt(args[i], &code) || code < -0x80000000ll || code > 0xFFFFFFFFll) {
      return Bad(error, "'" + args[i] + "' is not a 32-bit error code");
    }
  }
  return Changed(ce::device::ScriptRefusal(args[1], code, now, static_cast<int>(times)), error);
}

int Clock(const std::vector<std::string>& args, std::string* error) {
  if (args.size() == 1) {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    std::printf("utc   %s\n", TimeText(ce::kernel::SystemTimeUtc()).c_str());
    std::printf("local %04u-%02u-%02u %02u:%02u:%02u\n", local.wYear, local.wMonth, local.wDay, local.wHour,
                local.wMinute, local.wSecond);
    return 0;
  }
  if (args[1] == "set" && args.size() == 4) {
    SYSTEMTIME st{};
    unsigned y, mo, d, h, mi, s;
    char tail;
    if (std::sscanf(args[2].c_str(), "%u-%u-%u%c", &y, &mo, &d, &tail) != 3 ||
        std::sscanf(args[3].c_str(), "%u:%u:%u%c", &h, &mi, &s, &tail) != 3 || y < 1601 || y > 30827 || mo < 1 ||
        mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
      return Bad(error, "usage: devicectl clock set <YYYY-MM-DD> <HH:MM:SS>");
    st = {static_cast<WORD>(y), static_cast<WORD>(mo), 0, static_cast<WORD>(d), static_cast<WORD>(h),
          static_cast<WORD>(mi), static_cast<WORD>(s), 0};
    FILETIME ft{};
    if (!SystemTimeToFileTime(&st, &ft)) return Bad(error, "no such date: " + args[2]);
    std::uint64_t utc = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    return ClockSet(static_cast<std::int64_t>(utc), error);
  }
  if (args[1] == "advance" && args.size() == 3) {
    std::string text = args[2];
    std::int64_t unit = 1;
    if (!text.empty() && std::string("smhd").find(text.back()) != std::string::npos) {
      unit = text.back() == 's' ? 1 : text.back() == 'm' ? 60 : text.back() == 'h' ? 3600 : 86400;
      text.pop_back();
    }
    std::int64_t n;
    if (!ParseInt(text, &n) || n < 0 || n > 100LL * 365 * 86400 / unit)
      return Bad(error, "usage: devicectl clock advance <n>[s|m|h|d] (forward only)");
    return ClockSet(ce::kernel::SystemTimeUtc() + n * unit * 10'000'000, error);
  }
  return Bad(error, "usage: devicectl clock [set <date> <time> | advance <n>[s|m|h|d]]");
}

// send|post <class> <message> [<wparam> [<lparam>]]: integers only cross to another process.
int WindowMessage(const std::vector<std::string>& args, std::string* error) {
  std::int64_t values[3] = {0, 0, 0};
  if (args.size() < 3 || args.size() > 5) return Bad(error, "usage: devicectl " + args[0] + " <class> <message> [<wparam> [<lparam>]]");
  for (std::size_t i = 2; i < args.size(); ++i)
    if (!ParseInt(args[i], &values[i - 2])) return Bad(error, "'" + args[i] + "' is not a number");
  if (values[0] < 0 || values[0] > 0xFFFF) return Bad(error, "the message is 0..65535");
  const std::u16string name = ce::text::FromUtf8(args[1]);
  HWND window = FindWindowW(name.c_str(), nullptr);
  if (!window) {
    *error = "no window of class '" + args[1] + "'";
    return 1;
  }
  const auto message = static_cast<UINT>(values[0]);
  const auto wparam = static_cast<WPARAM>(values[1]);
  const auto lparam = static_cast<LPARAM>(values[2]);
  if (args[0] == "post") {
    if (PostMessageW(window, message, wparam, lparam)) return 0;
    *error = "the message could not be posted";
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(SendMessageW(window, message, wparam, lparam)));
  return 0;
}

}  // namespace

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", byte);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

int Run(const std::vector<std::string>& args, std::string* error) {
  const std::string& cmd = args[0];
  if (cmd == "status") return args.size() == 1 ? Status(error) : Bad(error, "status takes no arguments");
  if (cmd == "set") {
    if (args.size() != 3) return Bad(error, "usage: devicectl set <name> <value>");
    return SetValue(args[1], args[2], error);
  }
  if (cmd == "cell") {
    std::int64_t cell, lac;
    if (args.size() != 3 || !ParseInt(args[1], &cell) || !ParseInt(args[2], &lac))
      return Bad(error, "usage: devicectl cell <cell id> <lac>");
    if (cell < 0 || cell > 0xFFFFFFFFll || lac < 0 || lac > 0xFFFFll)
      return Bad(error, "a cell id is 0..4294967295 and a LAC 0..65535");
    return Changed(ce::device::Update([&](ce::device::Transaction& t) {
                     t.SetInt("radio.cell", cell);
                     t.SetInt("radio.lac", lac);
                   }),
                   error);
  }
  if (cmd == "signal") return Ranged(args, "signal.strength", -150, 0, error);
  if (cmd == "battery") {
    std::int64_t v;
    if (args.size() == 2 && ParseInt(args[1], &v) && v == 255)
      return Changed(ce::device::SetInt("battery.percent", 255), error);
    return Ranged(args, "battery.percent", 0, 100, error);
  }
  if (cmd == "calls") return Ranged(args, "phone.calls", 0, 10, error);
  if (cmd == "radio") return Choice(args, 2, {{"on", 1}, {"off", 0}}, "radio.power", error);
  if (cmd == "ac") return Choice(args, 2, {{"on", 1}, {"off", 0}}, "power.ac", error);
  if (cmd == "wifi") return Choice(args, 2, {{"on", 1}, {"off", 0}}, "wifi.radio", error);
  if (cmd == "bluetooth")
    return Choice(args, 2, {{"off", 0}, {"connectable", 1}, {"discoverable", 2}}, "bluetooth.mode", error);
  if (cmd == "band") {
    static const std::map<std::string, DWORD> kModes = {{"auto", 0}, {"2g", 1}, {"3g", 2}};
    auto it = args.size() == 2 ? kModes.find(args[1]) : kModes.end();
    if (it == kModes.end()) return Bad(error, "usage: devicectl band auto|2g|3g");
    if (FAILED(RegistrySetDWORD(HKEY_LOCAL_MACHINE, ce::device::kUmtsKey, u"OpMode", it->second)))
      return Failed(error, "cannot write the band to the registry " + (ce::DeviceFolder() / "registry.db").string());
    return 0;
  }
  if (cmd == "ring") {
    static const std::map<std::string, SND_SOUNDTYPE> kTypes = {
        {"on", SND_SOUNDTYPE_ON}, {"vibrate", SND_SOUNDTYPE_VIBRATE}, {"none", SND_SOUNDTYPE_NONE}};
    auto it = args.size() == 2 ? kTypes.find(args[1]) : kTypes.end();
    if (it == kTypes.end()) return Bad(error, "usage: devicectl ring on|vibrate|none");
    SNDFILEINFO sound{};
    sound.sstType = it->second;
    if (FAILED(SndSetSound(SND_EVENT_ALL, &sound, TRUE)))
      return Failed(error, "cannot write the sound profile to the registry " +
                               (ce::DeviceFolder() / "registry.db").string());
    return 0;
  }
  if (cmd == "connection") return Connection(args, error);
  if (cmd == "connection-add") {
    if (args.size() != 3 || args[2].size() != 38 || args[2].front() != '{' || args[2].back() != '}')
      return Bad(error, "usage: devicectl connection-add <name> <{GUID}>");
    if (args[1].empty() || args[1].size() > 20) return Bad(error, "an entry name has 1 to 20 characters");
    return Changed(ce::device::PutConnection({args[1], args[2], 0, 0, 0}), error);
  }
  if (cmd == "refuse") return Refuse(args, error);
  if (cmd == "delay") {
    std::int64_t ms;
    if (args.size() != 3 || !ParseInt(args[2], &ms) || ms < 0 || ms > 3'600'000)
      return Bad(error, "usage: devicectl delay <op> <ms> (at most an hour)");
    if (!ce::device::IsScriptedOperation(args[1])) return UnknownOperation(args[1], error);
    return Changed(ce::device::ScriptDelay(args[1], static_cast<std::uint32_t>(ms)), error);
  }
  if (cmd == "script") {
    if (args.size() == 2 && args[1] == "clear") return Changed(ce::device::ClearScript(), error);
    if (args.size() != 1) return Bad(error, "usage: devicectl script [clear]");
    const std::vector<ce::device::ScriptEntry> entries = ce::device::Script();
    if (!ce::device::LastFailure().empty()) return Failed(error, ce::device::LastFailure());
    for (const ce::device::ScriptEntry& e : entries)
      std::printf("%s delay=%u refusals=%d code=0x%08" PRIX64 "%s\n", Escaped(e.op).c_str(), e.delay_ms, e.refusals,
                  static_cast<std::uint64_t>(e.code) & 0xFFFFFFFFu, e.immediate ? " now" : "");
    return 0;
  }
  if (cmd == "sent" || cmd == "effects") {
    if (cmd == "effects" && args.size() == 2 && args[1] == "clear") return Changed(ce::device::ClearEffects(), error);
    if (cmd == "sent" && args.size() != 1) return Bad(error, "sent takes no arguments");
    if (args.size() > 2) return Bad(error, "usage: devicectl effects [<kind>|clear]");
    const std::vector<ce::device::Effect> effects =
        ce::device::Effects(cmd == "effects" && args.size() == 2 ? args[1] : std::string());
    if (!ce::device::LastFailure().empty()) return Failed(error, ce::device::LastFailure());
    for (const ce::device::Effect& e : effects)
      if (cmd == "effects" || e.kind == "sms" || e.kind == "mail") PrintEffect(e);
    return 0;
  }
  if (cmd == "notifications") return args.size() == 1 ? ListNotifications(error) : Bad(error, "no arguments");
  if (cmd == "fire") {
    std::int64_t handle;
    if (args.size() != 2 || !ParseInt(args[1], &handle) || handle <= 0 || handle > 0xFFFFFFFFll)
      return Bad(error, "usage: devicectl fire <handle>");
    return FireNotification(static_cast<std::uint32_t>(handle), error);
  }
  if (cmd == "clock") return Clock(args, error);
  if (cmd == "os-version") {
    unsigned major = 0, minor = 0, build = 0;
    if (args.size() != 2 || !ParseVersion(args[1], &major, &minor, &build))
      return Bad(error, "usage: devicectl os-version <major>.<minor>.<build>");
    if (!ce::kernel::SetDeviceOsVersion({major, minor, build}))
      return Failed(error, "cannot write the device's version in " + ce::DeviceFolder().string());
    return 0;
  }
  if (cmd == "send" || cmd == "post") return WindowMessage(args, error);
  return Bad(error, "unknown command '" + cmd + "' (try: devicectl help)");
}

}  // namespace devicectl
