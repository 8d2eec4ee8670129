#include "cumulor/data/task/task_store.h"

#include <mutex>

namespace cumulor {

namespace {
std::recursive_mutex& Lock() {
  static std::recursive_mutex lock;
  return lock;
}
}  // namespace

TaskTargets& TaskTargetsStore() {
  static TaskTargets targets;
  return targets;
}

TaskHooks& TaskHooksInstalled() {
  static TaskHooks hooks;
  return hooks;
}

void TaskSetNavigationTarget(const TaskPoint& target, const GeoPoint& origin, std::uint8_t flag) {
  if (TaskHooksInstalled().setNavigationTarget != nullptr) TaskHooksInstalled().setNavigationTarget(target, origin, flag);
}

GeoPoint TaskOwnPosition() {
  return TaskHooksInstalled().ownPosition != nullptr ? TaskHooksInstalled().ownPosition() : GeoPoint{};
}

void TaskPlaySound(const char* file) {
  if (TaskHooksInstalled().playSound != nullptr) TaskHooksInstalled().playSound(file);
}

void TaskSaveDocument() {
  if (TaskHooksInstalled().saveTaskDocument != nullptr) TaskHooksInstalled().saveTaskDocument();
}

void TaskSetZoneRadius(std::int32_t distance, std::int32_t radius) {
  if (TaskHooksInstalled().setZoneRadius != nullptr) TaskHooksInstalled().setZoneRadius(distance, radius);
}

std::int64_t TaskTimeToFly(std::uint32_t distance, double course) {
  std::int64_t time = 0;
  if (TaskHooksInstalled().etaCompute == nullptr || TaskHooksInstalled().etaCompute(time, distance, course) == 0) return 0;
  return time;
}

std::int32_t TaskMagneticVariation() {
  return TaskHooksInstalled().magneticVariation != nullptr ? TaskHooksInstalled().magneticVariation() : 0;
}

TaskListsGuard::TaskListsGuard() {
  if (TaskHooksInstalled().lockMain != nullptr) TaskHooksInstalled().lockMain();
}

TaskListsGuard::~TaskListsGuard() {
  if (TaskHooksInstalled().unlockMain != nullptr) TaskHooksInstalled().unlockMain();
}

void TaskLock() { Lock().lock(); }
void TaskUnlock() { Lock().unlock(); }

}  // namespace cumulor

namespace cumulor {

std::uint32_t& TaskOptionFlags() {
  static std::uint32_t flags = 0;
  return flags;
}

std::int32_t& AreaDistanceUnit() {
  static std::int32_t unit = 1;
  return unit;
}

}  // namespace cumulor

namespace cumulor {

void TaskResetStatistics() {
  if (TaskHooksInstalled().resetStatistics != nullptr) TaskHooksInstalled().resetStatistics();
}

}  // namespace cumulor
