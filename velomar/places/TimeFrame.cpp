#include "velomar/places/TimeFrame.h"

#include "velomar/places/Records.h"

CTimeFrame::CTimeFrame(const CStrPeriod& period)
    : m_start(period.GetBegin().wHour, period.GetBegin().wMinute),
      m_end(period.GetEnd().wHour, period.GetEnd().wMinute) {}

bool CTimeFrame::ContainsTime(const CHourMinute& time, bool inclusive_start) const {
  if (m_start < m_end) {
    if (inclusive_start) return m_start <= time && time < m_end;
    return m_start < time && time <= m_end;
  }
  // Past midnight, or the whole day.
  if (inclusive_start) return m_start <= time || time < m_end;
  return m_start < time || time < m_end;
}

bool CTimeFrame::Contains(const CTimeFrame& other) const {
  return ContainsTime(other.m_start, true) && ContainsTime(other.m_end, false);
}

bool CTimeFrame::Intersects(const CTimeFrame& other) const {
  if (IsEmpty() || other.IsEmpty()) return true;
  if (ContainsTime(other.m_start, true) || ContainsTime(other.m_end, false)) return true;
  return other.Contains(*this);
}
