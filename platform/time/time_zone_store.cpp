#include "platform/time/time_zone_store.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <system_error>

#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"

namespace ce::time {
namespace {

constexpr const char* kFileName = "timezone";

TIME_ZONE_INFORMATION Utc() {
  TIME_ZONE_INFORMATION tz{};
  std::memcpy(tz.StandardName, u"UTC", sizeof(u"UTC"));
  std::memcpy(tz.DaylightName, u"UTC", sizeof(u"UTC"));
  return tz;
}

void SetName(WCHAR (&out)[32], const std::string& utf8) {
  std::u16string name = ce::text::FromUtf8(utf8);
  if (name.size() > 31) name.resize(31);
  std::memset(out, 0, sizeof(out));
  std::memcpy(out, name.data(), name.size() * sizeof(WCHAR));
}

SYSTEMTIME ParseDate(const std::string& text) {
  std::istringstream in(text);
  int month = 0, dow = 0, week = 0, hour = 0, minute = 0;
  SYSTEMTIME st{};
  if (in >> month >> dow >> week >> hour >> minute && month >= 1 && month <= 12 && dow >= 0 &&
      dow <= 6 && week >= 1 && week <= 5 && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59) {
    st.wMonth = static_cast<WORD>(month);
    st.wDayOfWeek = static_cast<WORD>(dow);
    st.wDay = static_cast<WORD>(week);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
  }
  return st;  // all zero (no change) when the text is not a valid rule
}

// Bad or out-of-range lines are skipped; a bias is kept within a day.
TIME_ZONE_INFORMATION Parse(std::istream& in) {
  TIME_ZONE_INFORMATION tz = Utc();
  std::string line;
  auto minutes = [](const std::string& v, LONG fallback) -> LONG {
    try {
      long m = std::stol(v);
      return (m >= -1440 && m <= 1440) ? static_cast<LONG>(m) : fallback;
    } catch (...) {
      return fallback;
    }
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "bias") tz.Bias = minutes(value, 0);
    else if (key == "standard_bias") tz.StandardBias = minutes(value, 0);
    else if (key == "daylight_bias") tz.DaylightBias = minutes(value, 0);
    else if (key == "standard_name") SetName(tz.StandardName, value);
    else if (key == "daylight_name") SetName(tz.DaylightName, value);
    else if (key == "standard_date") tz.StandardDate = ParseDate(value);
    else if (key == "daylight_date") tz.DaylightDate = ParseDate(value);
  }
  return tz;
}

std::string Name(const WCHAR (&name)[32]) {
  std::size_t n = 0;
  while (n < 32 && name[n]) ++n;
  std::string utf8 = ce::text::ToUtf8(std::u16string_view(name, n));
  for (char& c : utf8) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return utf8;
}

std::string Date(const SYSTEMTIME& st) {
  std::ostringstream out;
  out << st.wMonth << ' ' << st.wDayOfWeek << ' ' << st.wDay << ' ' << st.wHour << ' ' << st.wMinute;
  return out.str();
}

struct Cache {
  std::mutex lock;
  std::uint64_t serial = 0;  // DeviceFolderSerial() when the zone was read or written
  TIME_ZONE_INFORMATION zone = Utc();
  std::chrono::steady_clock::time_point checked{};
};

Cache& TheCache() {
  static Cache* cache = new Cache;
  return *cache;
}

}  // namespace

TIME_ZONE_INFORMATION DeviceTimeZone() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  auto now = std::chrono::steady_clock::now();
  // Within 100 ms of the last look and with the same device folder, the zone read then holds: the
  // folder is not looked up again (a look makes it when missing, which takes a file call).
  const std::uint64_t serial = DeviceFolderSerial();
  if (serial != c.serial || now - c.checked > std::chrono::milliseconds(100)) {
    std::ifstream in(DeviceFolder() / kFileName);
    c.zone = in ? Parse(in) : Utc();
    c.serial = serial;
    c.checked = now;
  }
  return c.zone;
}

bool StoreDeviceTimeZone(const TIME_ZONE_INFORMATION& zone) {
  Cache& c = TheCache();
  const std::uint64_t serial = DeviceFolderSerial();
  std::filesystem::path folder = DeviceFolder();
  std::lock_guard<std::mutex> guard(c.lock);
  std::filesystem::path temp = folder / (std::string(kFileName) + ".new");
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "bias=" << zone.Bias << "\n"
        << "standard_name=" << Name(zone.StandardName) << "\n"
        << "standard_bias=" << zone.StandardBias << "\n"
        << "standard_date=" << Date(zone.StandardDate) << "\n"
        << "daylight_name=" << Name(zone.DaylightName) << "\n"
        << "daylight_bias=" << zone.DaylightBias << "\n"
        << "daylight_date=" << Date(zone.DaylightDate) << "\n";
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, folder / kFileName, ec);
  if (ec) return false;
  std::ifstream in(folder / kFileName);
  c.zone = Parse(in);  // what other processes will read
  c.serial = serial;
  c.checked = std::chrono::steady_clock::now();
  return true;
}

}  // namespace ce::time
