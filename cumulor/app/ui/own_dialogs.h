// The flight computer's own small dialogs, sized for a pen and the hardware keys: a message box
// with OK and an optional Cancel (template 169), a text-entry pad with an on-screen keyboard and
// the numeric entries built on it (163), and a list from which one entry is chosen by a tap (165).
// Each keeps its parameters in module globals: one of each runs at a time, on the UI thread.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kMessageBoxTemplate = 169;
inline constexpr int kEntryPadTemplate = 163;
inline constexpr int kListChoiceTemplate = 165;
inline constexpr int kIdBoxText = 1354;
inline constexpr int kIdOkIcon = 1355;
inline constexpr int kIdCancelIcon = 193;
inline constexpr int kIdPadEdit = 1333;
inline constexpr int kIdListBox = 1338;
inline constexpr int kIdListTitle = 1340;

// OK only: the dialog's result (1 when a box is already open: nothing is shown).
INT_PTR MessageBoxOkA(const char* text);
INT_PTR MessageBoxOk(const WCHAR* text);
// OK and Cancel: true when the user chose OK; false when cancelled and when the box cannot be
// shown (another box is open, the template is missing).
bool MessageBoxOkCancelA(const char* text);
bool MessageBoxOkCancel(const WCHAR* text);
INT_PTR MessageBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

inline constexpr std::int32_t kPadChars = 31;
// The pad edits at most 31 characters; true on OK (the buffer, at least 32 characters, then holds
// the entry); Cancel leaves it alone. A null caption keeps the template's.
bool EnterTextDialog(WCHAR* buffer, const WCHAR* caption, HWND parent);
// Decimals code 0 ("%d"), 10 ("%.1f") or 100 ("%.2f") for the initial text when showInitial is
// set; on OK the entry is read with "%lf".
bool EnterValueDialog(double* value, const WCHAR* caption, std::int32_t decimals, HWND parent, bool showInitial);
// A distance in metres: a non-zero one is shown with "%d"; the entry's unit letter converts it.
bool EnterDoubleDialog(std::int32_t* metres, const WCHAR* caption, HWND parent);
const WCHAR* GetEnteredText(std::int32_t* length);
// The distance pad's reading of a text: "%lf", then the first unit letter found in the order
// S (statute miles x 1609), K (x 1000), N (x 1852), F (feet x 0.30480370641307), either case;
// without one, metres. Truncated to whole metres. False when no number can be read.
bool PadTextToMetres(const WCHAR* text, std::int32_t* metres);
INT_PTR TextPadProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void DrawKey(HDC dc, RECT* rect, const WCHAR* text, bool ellipse);

// One entry of a list choice table; the table ends with id -1. Id 27 is a separator.
struct ListChoiceEntry {
  std::int32_t shown;          // 8-bit flag held in a 32-bit field
  std::int32_t id;
  const void* text;            // 8-bit or wide, as the call says
};
inline constexpr std::int32_t kListSeparatorId = 27;
// The chosen entry's id, or -1 (Cancel, no selection, the dialog could not be shown).
std::int32_t ChooseFromListDialog(const ListChoiceEntry* table, const WCHAR* title, std::int32_t initial,
                                  bool narrowTexts);
void SetListItemFlag(ListChoiceEntry* table, std::int32_t id, std::int32_t flag);
INT_PTR ListChoiceProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
