// The airspace lock, program-wide: it guards the file airspace of the airspace module, the
// database airspaces of the aeronautical tables while they are tested, cleared or filled, and the
// marks the database test leaves. Taken alone: its holder takes no other lock (the aeronautical
// reload takes it inside the point-table lock, never the other way round), shows nothing and sends
// no window message.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace cumulor {

inline std::mutex& AirspaceLock() {
  static std::mutex lock;
  return lock;
}

// What refers to a database airspace by index; a clear of the tables resets all three to -1.
struct AeroAirspaceMarks {
  std::int32_t nearest = -1;                 // the nearest of the last test (airspace lock)
  std::atomic<std::int32_t> lastAlarm{-1};   // the index alarmed last
  std::atomic<std::int32_t> shown{-1};       // the index shown on the map
};

inline AeroAirspaceMarks& AeroAirspaceState() {
  static AeroAirspaceMarks marks;
  return marks;
}

}  // namespace cumulor
