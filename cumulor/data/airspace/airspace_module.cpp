#include "cumulor/data/airspace/airspace_module.h"

#include "cumulor/app/base/array_image.h"

namespace cumulor {

void AirspaceInit(AirspaceModule& module) {
  for (AirspaceGroup& g : module.group) g = AirspaceGroup{};
  module.disabled.Init();
}

void AirspaceTerm(AirspaceModule& module) { module.disabled.Init(); }

HRESULT AirspaceAllocClassArrays(AirspaceModule& module, std::int32_t capacity) {
  if (capacity < 0) return E_OUTOFMEMORY;
  for (AirspaceGroup& g : module.group) g.capacity = capacity;
  return S_OK;
}

void AirspaceDisabledLoad(AirspaceModule& module, HKEY key) {
  if (ReadRegistryArray(key, u"SuaOff", module.disabled) != ERROR_SUCCESS) module.disabled.Init();
}

LONG AirspaceDisabledSave(const AirspaceModule& module, HKEY key) {
  return WriteRegistryArray(key, u"SuaOff", module.disabled);
}

}  // namespace cumulor
