// The battery page's reading of the battery log and its scales: records of 26 UTF-16 characters
// ("YYYY-MM-DD hh:mm:ss PPP%" and CR LF, 52 bytes), read from a copy of the log, newest first by
// seeking backwards; the span a scale shows and the plot positions of a time and a percent.
#pragma once

#include <optional>

#include "platform/base/types.h"

namespace velomar::dialogs {

inline constexpr int kBatteryRecordBytes = 52;
inline constexpr int kBatteryReadBytes = 48;  // the record without "%" and CR LF

struct BatteryRecord {
  SYSTEMTIME time{};
  int percent = 0;
};

// A record's first 48 bytes: its time and, with `with_percent`, its percent; nothing when they do
// not parse.
std::optional<BatteryRecord> ParseBatteryRecord(const BYTE* bytes, bool with_percent);

// Whole minutes from `from` to `to` (negative when `to` is earlier).
long long MinutesBetween(const SYSTEMTIME& from, const SYSTEMTIME& to);
// True when `a` is later than `b`.
bool IsLater(const SYSTEMTIME& a, const SYSTEMTIME& b);
// `time` moved by `minutes`.
SYSTEMTIME AddMinutes(const SYSTEMTIME& time, long long minutes);

// The span of scale 0 (everything from the first record), 1 (the last day), 2 (the last hour) or
// 3 (the last 10 minutes) ending at the last record.
struct BatterySpan {
  SYSTEMTIME start{};
  long long minutes = 0;  // whole minutes from start to the last record
};
BatterySpan SpanOfScale(int scale, const SYSTEMTIME& first, const SYSTEMTIME& last);

// The plot area in client pixels.
struct PlotArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};
PlotArea PlotAreaOf(const RECT& client);
int XOfTime(const PlotArea& area, const BatterySpan& span, const SYSTEMTIME& time);
int YOfPercent(const PlotArea& area, int percent);

// The reading of the copied log: the first and last records' times, and the records walked from
// the newest backwards.
class BatteryLogReader {
 public:
  explicit BatteryLogReader(HANDLE file) : m_file(file) {}
  // False when the first record cannot be read (a missing, empty or cut log).
  bool ReadEnds(SYSTEMTIME& first, SYSTEMTIME& last);
  // Puts the walk after the last record.
  void StartAtEnd();
  // The next older record; false at the start of the file or a failed read. A record that does not
  // parse comes back with `valid` false.
  bool Previous(BatteryRecord& record, bool& valid);

 private:
  HANDLE m_file;
};

}  // namespace velomar::dialogs
