// aygshell.dll as the programs load it: by ordinal, and by name for the calls that have one.
#include "platform/devicelibs/aygshell_window.h"
#include "platform/dialogs/aygshell.h"
#include "platform/gdi/images.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/menus/softkey_bar.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_notify.h"
#include "platform/sound/sound_profile.h"

namespace {

const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(
      u"aygshell.dll",
      {.by_name = {{"SHCreateMenuBar", Export(&SHCreateMenuBar)},
                   {"SHFindMenuBar", Export(&SHFindMenuBar)},
                   {"SHInitDialog", Export(&SHInitDialog)},
                   {"SHSipPreference", Export(&SHSipPreference)},
                   {"SHHandleWMSettingChange", Export(&SHHandleWMSettingChange)},
                   {"SHHandleWMActivate", Export(&SHHandleWMActivate)},
                   {"SHRecognizeGesture", Export(&SHRecognizeGesture)},
                   {"SHFullScreen", Export(&SHFullScreen)},
                   {"SHLoadImageFile", Export(&SHLoadImageFile)},
                   {"SHLoadDIBitmap", Export(&SHLoadDIBitmap)},
                   {"SndGetSound", Export(&SndGetSound)},
                   {"SndSetSound", Export(&SndSetSound)},
                   {"SndGetSoundFileList", Export(&SndGetSoundFileList)},
                   {"RegistryGetString", Export(&RegistryGetString)},
                   {"RegistrySetString", Export(&RegistrySetString)},
                   {"RegistryGetDWORD", Export(&RegistryGetDWORD)},
                   {"RegistrySetDWORD", Export(&RegistrySetDWORD)},
                   {"RegistryNotifyCallback", Export(&RegistryNotifyCallback)},
                   {"RegistryNotifyMsgQueue", Export(&RegistryNotifyMsgQueue)},
                   {"RegistryCloseNotification", Export(&RegistryCloseNotification)}},
       .by_ordinal = {{21, Export(&ShellWindowState)},
                      {34, Export(&SHCreateMenuBar)},
                      {65, Export(&SHFullScreen)},
                      {75, Export(&SHLoadImageFile)},
                      {334, Export(&RegistryGetString)},
                      {335, Export(&RegistrySetDWORD)},
                      {336, Export(&RegistrySetString)},
                      {389, Export(&SndSetSound)}}});
  return true;
}();

}  // namespace
