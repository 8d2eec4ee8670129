// The task store beside the slots: the home airport, the point flown to directly, the origin of
// the leg to the navigation target, the hooks into the application and the task lock.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

struct TaskTargets {
  TaskPoint homePoint;     // the home airport
  TaskPoint directTarget;  // kind 0: none (the task is flown)
  GeoPoint targetOrigin;   // origin of the leg to the navigation target
  TaskPoint previousTarget;  // the target flown to before the current one
  TaskPoint defaultHome;     // the home chosen when nothing else is (the settings' "DefaultHome")
};
TaskTargets& TaskTargetsStore();
inline TaskPoint& HomePoint() { return TaskTargetsStore().homePoint; }
inline TaskPoint& DirectTarget() { return TaskTargetsStore().directTarget; }
inline GeoPoint& TargetOrigin() { return TaskTargetsStore().targetOrigin; }
inline TaskPoint& PreviousTarget() { return TaskTargetsStore().previousTarget; }
inline TaskPoint& DefaultHome() { return TaskTargetsStore().defaultHome; }

// What the task operations need of the application; the application installs them at start-up.
// An unset hook does nothing (the own position is then 0, 0).
struct TaskHooks {
  void (*setNavigationTarget)(const TaskPoint& target, const GeoPoint& origin, std::uint8_t flag) = nullptr;
  GeoPoint (*ownPosition)() = nullptr;
  void (*saveTaskDocument)() = nullptr;     // to its default place
  void (*playSound)(const char* file) = nullptr;  // asynchronous
  // The map view's zone distance and radius, metres.
  void (*setZoneRadius)(std::int32_t distance, std::int32_t radius) = nullptr;
  // The time estimate (100 ns units) to fly `distance` metres on `course` (radians); 0 when none.
  int (*etaCompute)(std::int64_t& time, std::uint32_t distance, double course) = nullptr;
  // The magnetic variation of the current fix, whole degrees.
  std::int32_t (*magneticVariation)() = nullptr;
  // Resets the flight statistics (a task restarted or re-entered without achieved points).
  void (*resetStatistics)() = nullptr;
  // The application's main lock (recursive): the map frame on the GPS notify thread reads the
  // active task, the achieved points and the navigation target under it.
  void (*lockMain)() = nullptr;
  void (*unlockMain)() = nullptr;
};
TaskHooks& TaskHooksInstalled();

void TaskSetNavigationTarget(const TaskPoint& target, const GeoPoint& origin, std::uint8_t flag);
GeoPoint TaskOwnPosition();
void TaskPlaySound(const char* file);
void TaskSaveDocument();
void TaskSetZoneRadius(std::int32_t distance, std::int32_t radius);
std::int64_t TaskTimeToFly(std::uint32_t distance, double course);  // 0 without an estimate
std::int32_t TaskMagneticVariation();
void TaskResetStatistics();

// Holds the main lock for its lifetime; every change of the task lists takes it, never around a
// dialog. Taken before the task lock.
class TaskListsGuard {
 public:
  TaskListsGuard();
  ~TaskListsGuard();
  TaskListsGuard(const TaskListsGuard&) = delete;
  TaskListsGuard& operator=(const TaskListsGuard&) = delete;
};

// The task lock (recursive); taken by the task editor around replacing the active task.
void TaskLock();
void TaskUnlock();

}  // namespace cumulor

namespace cumulor {

// The task module's option flags; 0x80: keep mobile turnpoints inside their areas.
inline constexpr std::uint32_t kKeepMobileInsideAreas = 0x80;
std::uint32_t& TaskOptionFlags();
// The unit of area distances in the area dialog: 1 metres, 8 miles.
std::int32_t& AreaDistanceUnit();

}  // namespace cumulor
