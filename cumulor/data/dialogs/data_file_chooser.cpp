#include "cumulor/data/dialogs/data_file_chooser.h"

#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/files/data_files.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr int kSelectedList = 1238;
constexpr int kAvailableList = 1314;
constexpr int kAddButton = 1318;
constexpr int kRemoveButton = 1317;
constexpr int kCloseButton = 1355;

constexpr const char16_t* kTitleWords[kDataFileTypeCount] = {u"Terrain", u"Turnpoint", u"Airspace", u"Polar", u"Shape",
                                                             u"Aero ",   nullptr,      u"Thermal",  nullptr};

struct ChooserState {
  HWND selectedBox = nullptr;
  HWND availableBox = nullptr;
  std::int32_t category = 0;
  INT_PTR changed = 0;
};

ChooserState g_state;
ChooserHooks g_hooks;

PathList& Selected() { return SelectedDataFiles()[g_state.category].selected; }
PathList& Available() { return AvailableDataFiles()[g_state.category]; }

void Fill(HWND box, const PathList& list) {
  SendMessageW(box, LB_RESETCONTENT, 0, 0);
  for (std::int32_t i = 0; i < list.Size(); ++i) {
    const DataFileEntry& e = list[i];
    const std::u16string text =
        e.folder[0] != 0 ? ce::text::Format(u"%s(card)", e.name) : std::u16string(e.name);
    const LRESULT item = SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (item >= 0) SendMessageW(box, LB_SETITEMDATA, static_cast<WPARAM>(item), i);
  }
}

// The list's selected item, after selecting the first one when none is; -1 when it is empty.
LRESULT CurrentItem(HWND box) {
  LRESULT item = SendMessageW(box, LB_GETCURSEL, 0, 0);
  if (item < 0) {
    SendMessageW(box, LB_SETCURSEL, 0, 0);
    item = SendMessageW(box, LB_GETCURSEL, 0, 0);
  }
  return item;
}

void OnInit(HWND dialog, std::int32_t category) {
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  g_state = ChooserState{};
  g_state.category = category >= 0 && category < kDataFileTypeCount ? category : 0;
  g_state.selectedBox = GetDlgItem(dialog, kSelectedList);
  g_state.availableBox = GetDlgItem(dialog, kAvailableList);
  const DataFileCategoryInfo& info = DataFileCategoryOf(g_state.category);
  if (!info.removable) ShowWindow(GetDlgItem(dialog, kRemoveButton), SW_HIDE);
  if (HFONT* font = FontHandleSlot(kFontMedium); font && *font) {
    SendMessageW(g_state.selectedBox, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
    SendMessageW(g_state.availableBox, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
  }
  std::u16string title;
  if (g_state.category == kFilesCountries) {
    title = u"Load Aviation Data For:";
  } else if (g_state.category == kFilesLanguages) {
    title = u"Select Language";
  } else {
    title = ce::text::Format(u"%s files %s\\*.%s", kTitleWords[g_state.category], DataFilesFolder(),
                             info.extension != nullptr ? info.extension : u"");
    if (title.size() > 255) title.resize(255);
  }
  SetWindowTextW(dialog, title.c_str());
  Fill(g_state.availableBox, Available());
  Fill(g_state.selectedBox, Selected());
}

void OnAdd() {
  const LRESULT item = CurrentItem(g_state.availableBox);
  if (item < 0) return;
  const LRESULT index = SendMessageW(g_state.availableBox, LB_GETITEMDATA, static_cast<WPARAM>(item), 0);
  if (index < 0 || index >= Available().Size()) return;
  const DataFileEntry entry = Available()[static_cast<std::int32_t>(index)];
  PathList& selected = Selected();
  if (DataFileCategoryOf(g_state.category).single) {
    // One file only: the entry replaces the current one (an equal entry changes nothing).
    if (selected.Size() == 1 && DataFileEntryEquals(selected[0], entry)) return;
    selected.SetSize(0);
  }
  DataFileEntry copy = entry;
  copy.handle = -1;
  if (AddUniqueFile(selected, copy) >= 0) g_state.changed = 1;
  PlayMenuClick();
  Fill(g_state.selectedBox, selected);
}

void OnRemove() {
  g_state.changed = 1;
  const LRESULT item = CurrentItem(g_state.selectedBox);
  if (item < 0) return;
  const LRESULT index = SendMessageW(g_state.selectedBox, LB_GETITEMDATA, static_cast<WPARAM>(item), 0);
  if (index >= 0 && index < Selected().Size()) Selected().RemoveAt(static_cast<std::int32_t>(index));
  PlayMenuClick();
  Fill(g_state.selectedBox, Selected());
}

void Close(HWND dialog) {
  PlayMenuClick();
  EndDialog(dialog, g_state.changed);
}

}  // namespace

void SetChooserHooks(const ChooserHooks& hooks) { g_hooks = hooks; }

INT_PTR ShowDataFileChooser(std::int32_t category) {
  if (g_hooks.dialogActive) g_hooks.dialogActive(true);
  INT_PTR result = RunDialog(kDataFileChooserDialog, g_hooks.owner, DataFileChooserProc, category);
  if (result < 0) result = 0;
  if (g_hooks.dialogActive) g_hooks.dialogActive(false);
  if (category == kFilesAviationDb && g_hooks.afterAviationDb)
    g_hooks.afterAviationDb(SelectedDataFiles()[kFilesAviationDb].selected.Size() == 0);
  return result;
}

INT_PTR DataFileChooserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog, static_cast<std::int32_t>(lparam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kAddButton: OnAdd(); return TRUE;
        case kRemoveButton: OnRemove(); return TRUE;
        case kCloseButton:
        case IDOK: Close(dialog); return TRUE;
        default: return FALSE;
      }
    case WM_KEYDOWN:
      if (wparam >= 0xC1 && wparam <= 0xC4) {
        Close(dialog);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace cumulor
