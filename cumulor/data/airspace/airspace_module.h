// The file-airspace module of the application record: 17 class groups and the switch-off list.
// So far the groups' visibility and the switch-off list with its registry value "SuaOff"; shapes,
// parsing, alarms and drawing come with the airspace module itself.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/types.h"
#include "platform/registry/registry.h"

namespace cumulor {

inline constexpr std::int32_t kAirspaceGroupCount = 17;

struct AirspaceGroup {
  std::uint8_t enabled = 1;
  std::int32_t capacity = 0;
};

struct AirspaceModule {
  AirspaceGroup group[kAirspaceGroupCount];
  DynArray<std::int32_t> disabled;   // the switch-off list, as stored in "SuaOff"
};

void AirspaceInit(AirspaceModule& module);
void AirspaceTerm(AirspaceModule& module);
// Makes room for `capacity` shapes in every class group; S_OK or E_OUTOFMEMORY.
HRESULT AirspaceAllocClassArrays(AirspaceModule& module, std::int32_t capacity);
// Reads and writes the switch-off list as the registry value "SuaOff" of the open key.
void AirspaceDisabledLoad(AirspaceModule& module, HKEY key);
LONG AirspaceDisabledSave(const AirspaceModule& module, HKEY key);

}  // namespace cumulor
