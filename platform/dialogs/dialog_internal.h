// The dialogs' shared state, for the files of this area.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"

namespace ce::dialogs {

constexpr const WCHAR* kDialogClass = u"Dialog";
constexpr int kSheetTabId = 12320;  // the tab control of a property sheet

struct DialogState {
  bool modal = false;
  std::atomic<bool> ended{false};
  std::atomic<INT_PTR> result{0};
  HFONT font = nullptr;
  HFONT own_font = nullptr;      // the template's font, made for this dialog
  int base_x = 6, base_y = 13;   // dialog base units of the dialog's font
  int def_id = IDOK;
  HWND last_focus = nullptr;
  DWORD thread = 0;
};

std::shared_ptr<DialogState> StateOf(HWND dialog);

// Creates the dialog window with its items and runs WM_INITDIALOG.
HWND CreateFromTemplate(HINSTANCE instance, const resources::DialogTemplate& t, HWND owner, DLGPROC proc,
                        LPARAM param, bool modal);
// How a modal loop is answered: by default a dialog takes the scripted user's next dialog answer
// and, without one, is cancelled. Boxes bring their own.
struct ModalScript {
  scripted::Kind kind = scripted::Kind::kDialog;
  std::vector<std::u16string> texts;                           // empty: the dialog's control texts
  std::function<std::optional<scripted::Answer>()> take;       // null: the next dialog answer
  std::function<void(HWND)> fallback;                          // null: Cancel
  std::string fallback_name = "Cancel pressed";
};
// Runs the modal loop of a created dialog and destroys it.
INT_PTR RunModal(HWND dialog, HWND owner, const ModalScript& script = {});

// Performs one scripted step on the dialog; false (with a log line) when it could not.
bool RunStep(HWND dialog, const scripted::Step& step);
// The texts a dialog shows, for the record.
std::vector<std::u16string> ShownTexts(HWND dialog);
// A descendant control by id (pages of a sheet included), or null.
HWND FindControl(HWND dialog, int id);

// Tap-and-hold produced by the scripted user, answered by SHRecognizeGesture.
void SetPendingHold(bool hold);
bool TakePendingHold();

}  // namespace ce::dialogs
