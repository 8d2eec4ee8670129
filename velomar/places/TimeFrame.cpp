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
  // Without the start, a frame past midnight holds its own end as a frame within the day does:
  // 18:00-00:00 holds 00:00, so a 20:00-00:00 beside it is seen as lying inside it.
  if (!IsEmpty()) return m_start < time || time <= m_end;
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
