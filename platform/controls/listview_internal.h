// The list view's state, shared by its message handling and its painting.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/controls/control_base.h"

namespace ce::controls {

struct LvColumn {
  std::u16string text;
  int width = 60;
  int fmt = LVCFMT_LEFT;
  int sub = 0;
};

struct LvRow {
  std::vector<std::u16string> texts;  // by sub-item
  std::vector<bool> callback;         // text comes from LVN_GETDISPINFOW
  int image = 0;
  LPARAM param = 0;
  UINT state = 0;
};

struct ListView : ControlState {
  std::vector<LvColumn> columns;
  std::vector<LvRow> rows;        // unless owner data
  int od_count = 0;               // owner data: the count
  std::map<int, UINT> od_state;   // owner data: states that are not 0
  HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
  HWND header = nullptr;
  int top = 0;                    // first row shown (report and list views)
  int mark = -1;                  // selection mark
  DWORD ex_style = 0;
  COLORREF bk = RGB(0xFF, 0xFF, 0xFF), text = RGB(0, 0, 0), text_bk = CLR_NONE;
  int spacing_x = 0, spacing_y = 0;
  bool focused = false;
  int font_height = 0;            // of the font set with WM_SETFONT; 0 before one is set

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void FontChanged(HWND) { font_height = font ? FontHeight(font) : 0; }

  // Data.
  bool OwnerData(HWND hwnd) const;
  int Count(HWND hwnd) const;
  UINT State(HWND hwnd, int i) const;
  // The items whose state is not 0, in order: owner data keeps only those, however large the count.
  std::vector<int> Marked(HWND hwnd) const;
  LPARAM Param(HWND hwnd, int i) const;
  std::u16string TextOf(HWND hwnd, int i, int sub);
  int ImageOf(HWND hwnd, int i);
  // Changes states with LVN_ITEMCHANGING / LVN_ITEMCHANGED; i == -1 for every item.
  void SetState(HWND hwnd, int i, UINT state, UINT mask);
  // The user taps row i (selection and focus move there).
  void UserSelect(HWND hwnd, int i);

  // Layout and painting (listview_paint.cpp).
  DWORD View(HWND hwnd) const;
  int RowHeight() const;
  int HeaderHeight(HWND hwnd) const;
  RECT ItemRect(HWND hwnd, int i);
  int HitTest(HWND hwnd, POINT p, int* sub);
  int PerPage(HWND hwnd);
  void EnsureVisible(HWND hwnd, int i);
  void LayoutHeader(HWND hwnd);
  void Paint(HWND hwnd, HDC hdc);
};

}  // namespace ce::controls
