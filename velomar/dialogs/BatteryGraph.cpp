#include "velomar/dialogs/BatteryGraph.h"

#include <cstdio>
#include <string>

#include "platform/files/files.h"
#include "platform/time/time.h"

namespace velomar::dialogs {

namespace {

constexpr long long kTicksPerMinute = 60LL * 10'000'000LL;

long long Ticks(const SYSTEMTIME& time) {
  FILETIME file{};
  if (!SystemTimeToFileTime(&time, &file)) return 0;
  return static_cast<long long>((static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
}

}  // namespace

std::optional<BatteryRecord> ParseBatteryRecord(const BYTE* bytes, bool with_percent) {
  // UTF-16LE: the characters of the record, ASCII only.
  std::string text;
  for (int i = 0; i + 1 < kBatteryReadBytes; i += 2) {
    const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
    if (unit == 0 || unit > 0x7F) return std::nullopt;
    text.push_back(static_cast<char>(unit));
  }
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, p = 0;
  const int wanted = with_percent ? 7 : 6;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d %3d", &y, &mo, &d, &h, &mi, &s, &p) < wanted) return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || y < 1601 || h < 0 || mi < 0 || s < 0)
    return std::nullopt;
  BatteryRecord record;
  record.time.wYear = static_cast<WORD>(y);
  record.time.wMonth = static_cast<WORD>(mo);
  record.time.wDay = static_cast<WORD>(d);
  record.time.wHour = static_cast<WORD>(h);
  record.time.wMinute = static_cast<WORD>(mi);
  record.time.wSecond = static_cast<WORD>(s);
  record.percent = p;
  FILETIME check{};
  if (!SystemTimeToFileTime(&record.time, &check)) return std::nullopt;
  return record;
}

long long MinutesBetween(const SYSTEMTIME& from, const SYSTEMTIME& to) { return (Ticks(to) - Ticks(from)) / kTicksPerMinute; }

bool IsLater(const SYSTEMTIME& a, const SYSTEMTIME& b) { return Ticks(a) > Ticks(b); }

SYSTEMTIME AddMinutes(const SYSTEMTIME& time, long long minutes) {
  const long long ticks = Ticks(time) + minutes * kTicksPerMinute;
  FILETIME file{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32)};
  SYSTEMTIME out{};
  FileTimeToSystemTime(&file, &out);
  return out;
}

BatterySpan SpanOfScale(int scale, const SYSTEMTIME& first, const SYSTEMTIME& last) {
  BatterySpan span;
  switch (scale) {
    case 1: span.start = AddMinutes(last, -24 * 60); break;
    case 2: span.start = AddMinutes(last, -60); break;
    case 3: span.start = AddMinutes(last, -10); break;
    default: span.start = first; break;
  }
  span.minutes = MinutesBetween(span.start, last);
  return span;
}

PlotArea PlotAreaOf(const RECT& client) {
  PlotArea area;
  area.top = client.top + 30;
  area.bottom = (client.bottom - client.top) - 20;
  area.right = (client.right - client.left) - 10;
  area.left = client.left + 20;
  return area;
}

int XOfTime(const PlotArea& area, const BatterySpan& span, const SYSTEMTIME& time) {
  if (span.minutes <= 0) return area.left;
  long long x = area.left + (area.right - area.left) * MinutesBetween(span.start, time) / span.minutes;
  if (x > area.right) x = area.right;
  if (x < 0) x = area.left;
  return static_cast<int>(x);
}

int YOfPercent(const PlotArea& area, int percent) {
  int y = area.bottom - (area.bottom - area.top) * percent / 100;
  if (y > area.bottom) y = area.bottom;
  if (y < 0) y = area.top;
  return y;
}

bool BatteryLogReader::ReadEnds(SYSTEMTIME& first, SYSTEMTIME& last) {
  BYTE bytes[kBatteryReadBytes] = {};
  DWORD read = 0;
  if (SetFilePointer(m_file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  if (!ReadFile(m_file, bytes, kBatteryReadBytes, &read, nullptr) || read != kBatteryReadBytes) return false;
  const auto head = ParseBatteryRecord(bytes, false);
  if (!head) return false;
  first = head->time;
  last = head->time;
  if (SetFilePointer(m_file, -kBatteryRecordBytes, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) return true;
  if (ReadFile(m_file, bytes, kBatteryReadBytes, &read, nullptr) && read == kBatteryReadBytes) {
    if (const auto tail = ParseBatteryRecord(bytes, false)) last = tail->time;
  }
  return true;
}

void BatteryLogReader::StartAtEnd() { SetFilePointer(m_file, 0, nullptr, FILE_END); }

bool BatteryLogReader::Previous(BatteryRecord& record, bool& valid) {
  const DWORD here = SetFilePointer(m_file, 0, nullptr, FILE_CURRENT);
  if (here == INVALID_SET_FILE_POINTER || here < static_cast<DWORD>(kBatteryRecordBytes)) return false;
  const DWORD start = SetFilePointer(m_file, -kBatteryRecordBytes, nullptr, FILE_CURRENT);
  if (start == INVALID_SET_FILE_POINTER) return false;
  BYTE bytes[kBatteryReadBytes] = {};
  DWORD read = 0;
  if (!ReadFile(m_file, bytes, kBatteryReadBytes, &read, nullptr) || read != kBatteryReadBytes) return false;
  SetFilePointer(m_file, static_cast<LONG>(start), nullptr, FILE_BEGIN);
  const auto parsed = ParseBatteryRecord(bytes, true);
  valid = parsed.has_value();
  if (parsed) record = *parsed;
  return true;
}

}  // namespace velomar::dialogs
