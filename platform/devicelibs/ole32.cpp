// ole32.dll as the programs load it, by name.
#include "platform/libraries/builtin_libraries.h"
#include "platform/xml/com_base.h"

namespace {

const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"ole32.dll", {.by_name = {{"CoInitializeEx", Export(&CoInitializeEx)},
                                                            {"CoUninitialize", Export(&CoUninitialize)},
                                                            {"CoCreateInstance", Export(&CoCreateInstance)},
                                                            {"CLSIDFromString", Export(&CLSIDFromString)}},
                                                .by_ordinal = {}});
  return true;
}();

}  // namespace
