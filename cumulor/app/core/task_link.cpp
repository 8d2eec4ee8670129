#include "cumulor/app/core/task_link.h"

#include "cumulor/app/app_context.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/gps/gps_port.h"

namespace cumulor {

namespace {

void NavigationTarget(const TaskPoint& target, const GeoPoint& origin, std::uint8_t flag) {
  TargetOrigin() = origin;
  if (AppContext* app = AppRecord()) SetNavigationTarget(*app, target, &origin, flag);
}

GeoPoint OwnPosition() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetGpsStatus(app->gps).position : GeoPoint{};
}

void Sound(const char* file) {
  WCHAR wide[64];
  int i = 0;
  for (; file[i] != '\0' && i < 63; ++i) wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(file[i]));
  wide[i] = 0;
  PlaySoundAsync(wide);
}

int Eta(std::int64_t& time, std::uint32_t distance, double course) {
  AppContext* app = AppRecord();
  if (app == nullptr) {
    time = 0;
    return 0;
  }
  return EtaCompute(*app, time, distance, course);
}

std::int32_t Variation() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetGpsStatus(app->gps).variation : 0;
}

}  // namespace

void InstallTaskHooks() {
  TaskHooks& hooks = TaskHooksInstalled();
  hooks.setNavigationTarget = NavigationTarget;
  hooks.ownPosition = OwnPosition;
  hooks.playSound = Sound;
  hooks.etaCompute = Eta;
  hooks.magneticVariation = Variation;
}

}  // namespace cumulor
