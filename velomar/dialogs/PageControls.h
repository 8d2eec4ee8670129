// Control calls the option pages and dialogs share: list view columns, rows and cells by text, the
// selection mark, combo box item texts, texts handed to a list on request, the answers of custom
// draw, and the pages' fonts.
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/controls/commctrl.h"

namespace velomar::dialogs {

void AddListExtendedStyle(HWND list, DWORD styles);
void InsertListColumn(HWND list, int column, int width, const std::u16string& text);
// Appends a row whose column 0 shows `text`; its index, or -1.
int AppendListRow(HWND list, const std::u16string& text);
void SetListCell(HWND list, int row, int column, const std::u16string& text);
// The cell's text, at most `max_chars` characters.
std::u16string ListCellText(HWND list, int row, int column, int max_chars);
int ListSelectionMark(HWND list);
// The first selected row, or -1.
int ListNextSelected(HWND list);
int ListItemCount(HWND list);
// The text of item `index` of a combo box; empty when there is no such item.
std::u16string ComboItemText(HWND combo, int index);
// The text of a combo box's selected item; empty without a selection.
std::u16string ComboSelectionText(HWND combo);
// Copies `text` into the list's buffer of a display-info request, cut to its size.
void GiveListText(NMLVDISPINFOW& info, const std::u16string& text);
// A dialog procedure's answer to a notification whose result the sender reads (custom draw):
// `result` goes into DWL_MSGRESULT, and TRUE is what the procedure returns.
INT_PTR AnswerNotify(HWND page, LRESULT result);
// The number as a dialog control shows it ("%d").
std::u16string NumberText(long long value);
// "Tahoma" of that height and weight, default character set, ClearType quality.
HFONT CreatePageFont(int height, int weight);

}  // namespace velomar::dialogs
