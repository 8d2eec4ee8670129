// The list choice dialog (template 165): one tap chooses an entry.
#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

struct ListState {
  const ListChoiceEntry* table = nullptr;
  const WCHAR* title = nullptr;
  std::int32_t initial = -1;
  bool narrow = false;
};

ListState& List() {
  static ListState state;
  return state;
}

constexpr char16_t kSeparatorText[] = u"\u00AD\u00AD\u00AD\u00AD\u00AD\u00AD\u00AD\u00AD";

std::u16string EntryText(const ListChoiceEntry& e, bool narrow) {
  if (e.id == kListSeparatorId) return kSeparatorText;
  std::u16string text;
  if (!e.text) return text;
  if (narrow) {
    for (const char* p = static_cast<const char*>(e.text); *p; ++p)
      text += static_cast<char16_t>(static_cast<unsigned char>(*p));
  } else {
    text = static_cast<const WCHAR*>(e.text);
  }
  return text;
}

void SetFont(HWND control, std::int32_t role) {
  if (HFONT* font = FontHandleSlot(role); control && font && *font)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
}

}  // namespace

INT_PTR ListChoiceProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  ListState& s = List();
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      SetFont(GetDlgItem(dialog, IDCANCEL), kFontSmall);
      if (s.title) {
        SetFont(GetDlgItem(dialog, kIdListTitle), kFontSmall);
        SetDlgItemTextW(dialog, kIdListTitle, s.title);
      }
      HWND list = GetDlgItem(dialog, kIdListBox);
      for (const ListChoiceEntry* e = s.table; e && e->id != -1; ++e) {
        if (!(e->shown & 0xFF)) continue;
        const std::u16string text = EntryText(*e, s.narrow);
        const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (index >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), e->id);
      }
      if (s.initial != -1) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(s.initial), 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kIdListBox && HIWORD(wparam) == LBN_SELCHANGE) {
        HWND list = reinterpret_cast<HWND>(lparam) ? reinterpret_cast<HWND>(lparam) : GetDlgItem(dialog, kIdListBox);
        const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (index < 0) {
          EndDialog(dialog, -1);
          return TRUE;
        }
        const auto id = static_cast<std::int32_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
        if (id == kListSeparatorId) return TRUE;  // the separator cannot be chosen
        PlayMenuClick();
        EndDialog(dialog, id);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, -1);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

std::int32_t ChooseFromListDialog(const ListChoiceEntry* table, const WCHAR* title, std::int32_t initial,
                                  bool narrowTexts) {
  ListState& s = List();
  s.table = table;
  s.title = title;
  s.initial = initial;
  s.narrow = narrowTexts;
  const INT_PTR result = RunDialog(kListChoiceTemplate, nullptr, ListChoiceProc, 0);
  s.table = nullptr;
  return result == -1 ? -1 : static_cast<std::int32_t>(result);
}

void SetListItemFlag(ListChoiceEntry* table, std::int32_t id, std::int32_t flag) {
  for (ListChoiceEntry* e = table; e && e->id != -1; ++e) {
    if (e->id == id) {
      e->shown = flag;
      return;
    }
  }
}

}  // namespace cumulor
