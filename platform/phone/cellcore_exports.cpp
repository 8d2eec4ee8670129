// cellcore.dll as the programs load it: SIM and the line extensions, by ordinal and by name.
#include "platform/libraries/builtin_libraries.h"
#include "platform/phone/sim.h"
#include "platform/phone/tapi.h"

namespace {

const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(
      u"cellcore.dll",
      {.by_name = {{"SimInitialize", Export(&SimInitialize)},
                   {"SimDeinitialize", Export(&SimDeinitialize)},
                   {"SimGetPhoneLockedState", Export(&SimGetPhoneLockedState)},
                   {"SimUnlockPhone", Export(&SimUnlockPhone)},
                   {"lineSetEquipmentState", Export(&lineSetEquipmentState)},
                   {"lineGetEquipmentState", Export(&lineGetEquipmentState)},
                   {"lineRegister", Export(&lineRegister)},
                   {"lineUnregister", Export(&lineUnregister)}},
       .by_ordinal = {{1, Export(&SimInitialize)},
                      {2, Export(&SimDeinitialize)},
                      {8, Export(&SimGetPhoneLockedState)},
                      {9, Export(&SimUnlockPhone)},
                      {58, Export(&lineRegister)},
                      {63, Export(&lineSetEquipmentState)}}});
  return true;
}();

}  // namespace
