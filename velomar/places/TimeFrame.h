// A time of day to the minute, and the daily interval of a period, which may run past midnight.
// The schedule and the period editing use them to find the period that holds a time and to see
// whether two periods overlap.
#pragma once

#include "platform/base/types.h"

class CStrPeriod;

class CHourMinute {
 public:
  CHourMinute() = default;  // 00:00
  CHourMinute(int hour, int minute) : m_hour(hour), m_minute(minute) {}
  // The hour and minute of `time`; seconds are ignored.
  explicit CHourMinute(const SYSTEMTIME& time) : m_hour(time.wHour), m_minute(time.wMinute) {}
  virtual ~CHourMinute() = default;
  CHourMinute(const CHourMinute&) = default;
  CHourMinute& operator=(const CHourMinute&) = default;

  int GetHour() const { return m_hour; }
  int GetMinute() const { return m_minute; }

  // Lexicographic on (hour, minute).
  bool operator==(const CHourMinute& other) const { return m_hour == other.m_hour && m_minute == other.m_minute; }
  bool operator<(const CHourMinute& other) const {
    return m_hour < other.m_hour || (m_hour == other.m_hour && m_minute < other.m_minute);
  }
  bool operator>(const CHourMinute& other) const { return other < *this; }
  bool operator<=(const CHourMinute& other) const { return !(other < *this); }
  bool operator>=(const CHourMinute& other) const { return !(*this < other); }

 private:
  int m_hour = 0;
  int m_minute = 0;
};

// [start, end) of a day. A frame whose start is not before its end runs past midnight; one whose
// start equals its end stands for the whole day.
class CTimeFrame {
 public:
  CTimeFrame() = default;
  CTimeFrame(const CHourMinute& start, const CHourMinute& end) : m_start(start), m_end(end) {}
  // From the begin and end hour and minute of a period.
  explicit CTimeFrame(const CStrPeriod& period);
  virtual ~CTimeFrame() = default;
  CTimeFrame(const CTimeFrame&) = default;
  CTimeFrame& operator=(const CTimeFrame&) = default;

  const CHourMinute& GetStart() const { return m_start; }
  const CHourMinute& GetEnd() const { return m_end; }

  // Start equals end: the whole day.
  bool IsEmpty() const { return m_start == m_end; }
  // Whether `time` lies in the frame; `inclusive_start` counts the start as inside (and the end
  // as outside), otherwise the end is inside and the start is not.
  bool ContainsTime(const CHourMinute& time, bool inclusive_start) const;
  // The other frame's start (inclusive) and end (not inclusive) both lie in this frame.
  bool Contains(const CTimeFrame& other) const;
  // The frames share some time; an empty frame intersects every frame.
  bool Intersects(const CTimeFrame& other) const;

 private:
  CHourMinute m_start;
  CHourMinute m_end;
};
