// commctrl.dll as the programs load it: InitCommonControls by ordinal 1, the rest by name.
#include "platform/controls/commctrl.h"
#include "platform/dialogs/prsht.h"
#include "platform/libraries/builtin_libraries.h"

namespace {

const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(
      u"commctrl.dll",
      {.by_name = {{"InitCommonControls", Export(&InitCommonControls)},
                   {"InitCommonControlsEx", Export(&InitCommonControlsEx)},
                   {"CreatePropertySheetPageW", Export(&CreatePropertySheetPageW)},
                   {"PropertySheetW", Export(&PropertySheetW)},
                   {"ImageList_Create", Export(&ImageList_Create)},
                   {"ImageList_Destroy", Export(&ImageList_Destroy)},
                   {"ImageList_Add", Export(&ImageList_Add)},
                   {"ImageList_AddMasked", Export(&ImageList_AddMasked)},
                   {"ImageList_ReplaceIcon", Export(&ImageList_ReplaceIcon)},
                   {"ImageList_Remove", Export(&ImageList_Remove)},
                   {"ImageList_GetImageCount", Export(&ImageList_GetImageCount)},
                   {"ImageList_GetIconSize", Export(&ImageList_GetIconSize)},
                   {"ImageList_Draw", Export(&ImageList_Draw)},
                   {"ImageList_SetBkColor", Export(&ImageList_SetBkColor)}},
       .by_ordinal = {{1, Export(&InitCommonControls)}}});
  return true;
}();

}  // namespace
