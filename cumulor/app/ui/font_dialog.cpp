// The font dialog (template 154 "Select Font") and the role list that opens it.
#include <cstring>
#include <string>
#include <vector>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "platform/text/format.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr int kIdFaceList = 1281;
constexpr int kIdSizeList = 1282;
constexpr int kIdWeightList = 1283;
constexpr int kIdExample = 1284;
constexpr int kFontTemplate = 154;
constexpr std::size_t kMaxFaces = 15;

struct FontDialogState {
  std::int32_t role = 0;
  HFONT example = nullptr;
  std::vector<std::u16string> faces;
};

FontDialogState& State() {
  static FontDialogState state;
  return state;
}

int CollectFontFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM) {
  FontDialogState& s = State();
  if (s.faces.size() >= kMaxFaces) return 0;
  std::u16string face;
  for (int i = 0; i < 32 && font->lfFaceName[i]; ++i) face += font->lfFaceName[i];
  s.faces.push_back(face);
  return 1;
}

// Copies the three selections into the role's record and re-creates its font and the example.
void ApplySelection(HWND dialog) {
  FontDialogState& s = State();
  LOGFONTW* record = FontRecord(s.role);
  HFONT* slot = FontHandleSlot(s.role);
  if (!record || !slot) return;
  HWND faces = GetDlgItem(dialog, kIdFaceList), sizes = GetDlgItem(dialog, kIdSizeList),
       weights = GetDlgItem(dialog, kIdWeightList);
  const LRESULT face = SendMessageW(faces, LB_GETCURSEL, 0, 0);
  if (face >= 0 && static_cast<std::size_t>(face) < s.faces.size()) {
    std::memset(record->lfFaceName, 0, sizeof(record->lfFaceName));
    for (std::size_t i = 0; i < 31 && i < s.faces[face].size(); ++i) record->lfFaceName[i] = s.faces[face][i];
  }
  const LRESULT size = SendMessageW(sizes, LB_GETCURSEL, 0, 0);
  if (size >= 0) record->lfHeight = static_cast<LONG>(SendMessageW(sizes, LB_GETITEMDATA, size, 0));
  const LRESULT weight = SendMessageW(weights, LB_GETCURSEL, 0, 0);
  if (weight >= 0) record->lfWeight = weight == 0 ? 400 : 900;
  if (*slot) DeleteObject(*slot);
  *slot = CreateFontIndirectW(record);
  SendDlgItemMessageW(dialog, kIdExample, WM_SETFONT, reinterpret_cast<WPARAM>(*slot), TRUE);
}

}  // namespace

INT_PTR FontDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  FontDialogState& s = State();
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      s.role = static_cast<std::int32_t>(lparam);
      s.faces.clear();
      const LOGFONTW* record = FontRecord(s.role);
      if (!record) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      HDC dc = GetDC(dialog);
      EnumFontsW(dc, nullptr, CollectFontFace, 0);
      ReleaseDC(dialog, dc);
      HWND faces = GetDlgItem(dialog, kIdFaceList);
      LRESULT current = 0;
      for (std::size_t i = 0; i < s.faces.size(); ++i) {
        SendMessageW(faces, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.faces[i].c_str()));
        if (s.faces[i] == std::u16string_view(record->lfFaceName)) current = static_cast<LRESULT>(i);
      }
      SendMessageW(faces, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
      HWND sizes = GetDlgItem(dialog, kIdSizeList);
      for (std::int32_t i = 0; i < kFontHeightCount; ++i) {
        const std::u16string text = ce::text::Format(u"%d", kFontHeights[i]);
        const LRESULT index = SendMessageW(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(sizes, LB_SETITEMDATA, static_cast<WPARAM>(index), kFontHeights[i]);
        if (kFontHeights[i] == record->lfHeight) SendMessageW(sizes, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      }
      HWND weights = GetDlgItem(dialog, kIdWeightList);
      SendMessageW(weights, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Normal"));
      SendMessageW(weights, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Bold"));
      SendMessageW(weights, LB_SETCURSEL, record->lfWeight == 400 ? 0 : 1, 0);
      ApplySelection(dialog);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if ((id == kIdFaceList || id == kIdSizeList || id == kIdWeightList) && HIWORD(wparam) == LBN_SELCHANGE) {
        ApplySelection(dialog);
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, static_cast<INT_PTR>(wparam));
    default: return FALSE;
  }
}

INT_PTR SelectFontDialog(HWND parent) {
  ListChoiceEntry table[kFontRoleCount + 1] = {};
  std::int32_t n = 0;
  for (std::int32_t role = 0; role < kFontRoleCount; ++role) {
    if (!FontRoleListText(role)) continue;  // HSI is not listed
    table[n++] = ListChoiceEntry{1, role, FontRoleListText(role)};
  }
  table[n] = ListChoiceEntry{0, -1, nullptr};
  const std::int32_t role = ChooseFromListDialog(table, nullptr, -1, false);
  if (role < 0) return -1;
  return RunDialog(kFontTemplate, parent, FontDialogProc, role);
}

}  // namespace cumulor
