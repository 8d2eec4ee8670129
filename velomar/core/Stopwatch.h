// A high-resolution stopwatch on the performance counter. Elapsed answers (stop - start) /
// frequency in seconds, or 0 when the counter's frequency could not be read.
#pragma once

#include "platform/base/types.h"

class CStopwatch {
 public:
  CStopwatch();
  void Start();
  void Stop();
  void Reset();
  float Elapsed() const;
  bool IsValid() const { return m_valid; }

 private:
  bool m_valid = false;
  LONGLONG m_start = 0;
  LONGLONG m_stop = 0;
  LONGLONG m_frequency = 0;
};
