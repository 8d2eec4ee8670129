// Built-in stand-ins for the device's own libraries (ril.dll, cellcore.dll, ossvcs.dll, ...). The
// area that provides a stand-in registers its exports once, before the programs load it:
//
//   ce::libraries::RegisterBuiltin(u"ossvcs.dll", {.by_ordinal = {{276, ce::libraries::Export(&GetWirelessDevices)},
//                                                                  {280, ce::libraries::Export(&FreeDeviceList)}}});
//
// Names match without regard to case, with or without ".dll" and whatever folder is given.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace ce::libraries {

struct BuiltinLibrary {
  std::map<std::string, FARPROC> by_name;
  std::map<WORD, FARPROC> by_ordinal;
};

template <class Function>
FARPROC Export(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Registering a name again replaces its exports (modules already loaded keep the old ones).
void RegisterBuiltin(std::u16string_view name, BuiltinLibrary exports);
void UnregisterBuiltin(std::u16string_view name);

}  // namespace ce::libraries
