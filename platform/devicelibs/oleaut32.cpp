// oleaut32.dll as the programs load it, by name.
#include "platform/libraries/builtin_libraries.h"
#include "platform/xml/com_base.h"

namespace {

const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"oleaut32.dll", {.by_name = {{"SysAllocString", Export(&SysAllocString)},
                                                               {"SysAllocStringLen", Export(&SysAllocStringLen)},
                                                               {"SysFreeString", Export(&SysFreeString)},
                                                               {"SysStringLen", Export(&SysStringLen)},
                                                               {"VariantInit", Export(&VariantInit)},
                                                               {"VariantClear", Export(&VariantClear)}},
                                                   .by_ordinal = {}});
  return true;
}();

}  // namespace
