#include "velomar/dialogs/PageControls.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace velomar::dialogs {

void AddListExtendedStyle(HWND list, DWORD styles) { SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles); }

void InsertListColumn(HWND list, int column, int width, const std::u16string& text) {
  std::u16string copy = text;
  LVCOLUMNW col{};
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  col.fmt = LVCFMT_LEFT;
  col.cx = width;
  col.pszText = copy.data();
  col.iSubItem = column;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

int AppendListRow(HWND list, const std::u16string& text) {
  std::u16string copy = text;
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = ListItemCount(list);
  item.pszText = copy.data();
  return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetListCell(HWND list, int row, int column, const std::u16string& text) {
  std::u16string copy = text;
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = copy.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::u16string ListCellText(HWND list, int row, int column, int max_chars) {
  std::u16string buffer(static_cast<std::size_t>(max_chars) + 1, u'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = max_chars + 1;
  const auto n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  buffer.resize(static_cast<std::size_t>(std::clamp<LRESULT>(n, 0, max_chars)));
  return buffer;
}

int ListSelectionMark(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0)); }
int ListNextSelected(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }
int ListItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::u16string ComboItemText(HWND combo, int index) {
  const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::u16string ComboSelectionText(HWND combo) {
  const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return index < 0 ? std::u16string() : ComboItemText(combo, static_cast<int>(index));
}

void GiveListText(NMLVDISPINFOW& info, const std::u16string& text) {
  if (info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
  std::copy_n(text.data(), n, info.item.pszText);
  info.item.pszText[n] = u'\0';
}

INT_PTR AnswerNotify(HWND page, LRESULT result) {
  SetWindowLongPtrW(page, DWL_MSGRESULT, result);
  return TRUE;
}

std::u16string NumberText(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

HFONT CreatePageFont(int height, int weight) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  const std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), font.lfFaceName);
  return CreateFontIndirectW(&font);
}

}  // namespace velomar::dialogs
