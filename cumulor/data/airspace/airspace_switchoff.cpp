#include "cumulor/data/airspace/airspace_switchoff.h"

#include "cumulor/app/base/array_image.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

std::int32_t Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now.wDay;
}

}  // namespace

void AirspaceDisabledLoad(AirspaceModule& module, HKEY key) {
  DynArray<std::int32_t> stored;
  // The words read are bounded by the value's size, whatever count it claims.
  ReadRegistryArray(key, u"SuaOff", stored);
  std::lock_guard guard(module.lock);
  module.disabled.Init();
  if (stored.Size() < 1 || stored[0] != Today()) return;
  module.disabled.Append(stored.Data() + 1, stored.Size() - 1);
}

LONG AirspaceDisabledSave(AirspaceModule& module, HKEY key) {
  DynArray<std::int32_t> list;
  {
    std::lock_guard guard(module.lock);
    module.disabled.Init();
    for (int g = kGroupClassB; g <= kGroupBorder; ++g)
      for (const AirspaceShape& s : module.group[g].shapes)
        if (s.switchedOffUntil == kAirspaceOffForTheDay) module.disabled.Append(s.id);
    list.Append(Today());
    list.Append(module.disabled.Data(), module.disabled.Size());
  }
  return WriteRegistryArray(key, u"SuaOff", list);
}

std::int32_t AirspaceExpireDisabled(AirspaceModule& module) {
  const DWORD now = GetTickCount();
  std::int32_t count = 0;
  std::lock_guard guard(module.lock);
  for (int g = kGroupClassB; g <= kGroupBorder; ++g)
    for (AirspaceShape& s : module.group[g].shapes) {
      if (s.switchedOffUntil == 0) continue;
      if (s.switchedOffUntil != kAirspaceOffForTheDay && now >= s.switchedOffUntil)
        SetSwitchedOffUntil(s, 0);
      else
        ++count;
    }
  return count;
}

bool AirspaceSwitchOff(AirspaceModule& module, const AirspaceShapeRef& ref, std::uint32_t until) {
  std::lock_guard guard(module.lock);
  AirspaceShape* s = AirspaceFindShape(module, ref);
  if (!s) return false;
  SetSwitchedOffUntil(*s, until);
  return true;
}

bool AirspaceEnable(AirspaceModule& module, const AirspaceShapeRef& ref) {
  std::lock_guard guard(module.lock);
  AirspaceShape* s = AirspaceFindShape(module, ref);
  if (!s) return false;
  if (s->switchedOffUntil == 0) return true;
  SetSwitchedOffUntil(*s, 0);
  for (std::int32_t i = module.disabled.Size() - 1; i >= 0; --i)
    if (module.disabled[i] == s->id) module.disabled.RemoveAt(i);
  return true;
}

}  // namespace cumulor
