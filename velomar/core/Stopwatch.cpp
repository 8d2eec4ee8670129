#include "velomar/core/Stopwatch.h"

#include "platform/time/time.h"

CStopwatch::CStopwatch() {
  LARGE_INTEGER frequency{};
  m_valid = QueryPerformanceFrequency(&frequency) != FALSE;
  m_frequency = m_valid ? frequency.QuadPart : 0;
}

void CStopwatch::Start() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  m_start = now.QuadPart;
}

void CStopwatch::Stop() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  m_stop = now.QuadPart;
}

void CStopwatch::Reset() { m_start = m_stop = 0; }

float CStopwatch::Elapsed() const {
  if (!m_valid || m_frequency == 0) return 0.0f;
  return static_cast<float>(static_cast<double>(m_stop - m_start) / static_cast<double>(m_frequency));
}
