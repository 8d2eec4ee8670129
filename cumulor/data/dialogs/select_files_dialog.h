// "Select Files" (template 183): the number of files in use per data-file category, and buttons
// that ask the main window for a category's chooser (menu command 40058 with the category). It
// registers itself with the core while it is open (over the map, or in the country-window slot at
// the top left corner); 1355, IDOK, IDCANCEL and the keys 193 to 196 close it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kSelectFilesDialog = 183;
inline constexpr WORD kCmdChooseDataFiles = 40058;

// What the dialog asks of the application core.
struct SelectFilesHooks {
  HWND commandWindow = nullptr;                 // receives the posted commands
  std::function<void()> closeModeless;          // closes the modeless dialogs over the map
  std::function<void(int id)> statusString;     // shows a status-line string of the resources
  // The dialog opened: over the map (opened with an argument) it is the active dialog, otherwise
  // the core keeps it in its country-window slot; either way a dialog is active.
  std::function<void(HWND dialog, bool overMap)> opened;
  // The dialog ends: the core forgets it and no dialog is active any more.
  std::function<void(HWND dialog)> closed;
};
void SetSelectFilesHooks(const SelectFilesHooks& hooks);

INT_PTR SelectFilesDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
