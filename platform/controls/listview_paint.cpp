// The list view's layout and painting, with custom drawing by the parent.
#include <algorithm>

#include "platform/controls/listview_internal.h"

namespace ce::controls {

DWORD ListView::View(HWND hwnd) const { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & LVS_TYPEMASK; }

// Rows are as high as their icon and their font need (on a high-dpi screen the font is larger).
int ListView::RowHeight() const {
  int cx = 0, cy = 0;
  if (images[LVSIL_SMALL]) ImageList_GetIconSize(images[LVSIL_SMALL], &cx, &cy);
  return std::max({16, cy + 2, font_height + 2});
}

int ListView::HeaderHeight(HWND hwnd) const {
  return header && IsWindowVisible(header) && View(hwnd) == LVS_REPORT ? 18 : 0;
}

namespace {
void Cell(HWND hwnd, const ListView& lv, int& cx, int& cy) {
  (void)hwnd;
  cx = lv.spacing_x > 0 ? lv.spacing_x : 70;
  cy = lv.spacing_y > 0 ? lv.spacing_y : 60;
}
}  // namespace

RECT ListView::ItemRect(HWND hwnd, int i) {
  RECT client;
  GetClientRect(hwnd, &client);
  if (View(hwnd) == LVS_ICON) {
    int cx, cy;
    Cell(hwnd, *this, cx, cy);
    int per_row = std::max(1, static_cast<int>(client.right) / cx);
    int row = i / per_row - top, col = i % per_row;
    return RECT{col * cx, row * cy, (col + 1) * cx, (row + 1) * cy};
  }
  int y = HeaderHeight(hwnd) + (i - top) * RowHeight();
  int width = 0;
  for (auto& c : columns) width += c.width;
  if (View(hwnd) != LVS_REPORT || width == 0) width = client.right;
  return RECT{0, y, width, y + RowHeight()};
}

int ListView::PerPage(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  if (View(hwnd) == LVS_ICON) {
    int cx, cy;
    Cell(hwnd, *this, cx, cy);
    return std::max(1, static_cast<int>(client.right) / cx) * std::max(1, static_cast<int>(client.bottom) / cy);
  }
  return std::max(1, (static_cast<int>(client.bottom) - HeaderHeight(hwnd)) / RowHeight());
}

int ListView::HitTest(HWND hwnd, POINT p, int* sub) {
  int n = Count(hwnd);
  if (sub) *sub = 0;
  if (View(hwnd) == LVS_ICON) {
    RECT client;
    GetClientRect(hwnd, &client);
    int cx, cy;
    Cell(hwnd, *this, cx, cy);
    int per_row = std::max(1, static_cast<int>(client.right) / cx);
    if (p.x < 0 || p.y < 0 || p.x >= per_row * cx) return -1;
    int i = (p.y / cy + top) * per_row + p.x / cx;
    return i < n ? i : -1;
  }
  if (p.y < HeaderHeight(hwnd)) return -1;
  int i = top + (p.y - HeaderHeight(hwnd)) / RowHeight();
  if (i < 0 || i >= n) return -1;
  RECT r = ItemRect(hwnd, i);
  if (p.x < r.left || p.x >= r.right) return -1;
  if (sub) {
    int x = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (p.x >= x && p.x < x + columns[c].width) *sub = static_cast<int>(c);
      x += columns[c].width;
    }
  }
  return i;
}

void ListView::EnsureVisible(HWND hwnd, int i) {
  if (i < 0) return;
  int per = PerPage(hwnd);
  if (View(hwnd) == LVS_ICON) {
    RECT client;
    GetClientRect(hwnd, &client);
    int cx, cy;
    Cell(hwnd, *this, cx, cy);
    int per_row = std::max(1, static_cast<int>(client.right) / cx);
    int row = i / per_row, rows = std::max(1, per / per_row);
    if (row < top) top = row;
    else if (row >= top + rows) top = row - rows + 1;
    return;
  }
  if (i < top) top = i;
  else if (i >= top + per) top = i - per + 1;
}

void ListView::LayoutHeader(HWND hwnd) {
  if (!header) return;
  RECT client;
  GetClientRect(hwnd, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  bool show = View(hwnd) == LVS_REPORT && !(style & LVS_NOCOLUMNHEADER);
  MoveWindow(header, 0, 0, client.right, 18, FALSE);
  ShowWindow(header, show ? SW_SHOWNA : SW_HIDE);
}

void ListView::Paint(HWND hwnd, HDC hdc) {
  RECT client;
  GetClientRect(hwnd, &client);
  Fill(hdc, client, bk == CLR_NONE ? kWindow : bk);
  HGDIOBJ old_font = UseFont(hdc, font);
  NMLVCUSTOMDRAW cd{};
  cd.nmcd.hdc = hdc;
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  cd.nmcd.rc = client;
  LRESULT pre = NotifyParent(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
  if (pre & CDRF_SKIPDEFAULT) {
    SelectObject(hdc, old_font);
    return;
  }
  DWORD view = View(hwnd);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  bool show_sel = focused || (style & LVS_SHOWSELALWAYS);
  int n = Count(hwnd);
  int first = view == LVS_ICON ? 0 : top;
  for (int i = first; i < n; ++i) {
    RECT row = ItemRect(hwnd, i);
    if (row.top >= client.bottom) break;
    if (row.bottom <= HeaderHeight(hwnd)) continue;
    UINT state = State(hwnd, i);
    bool selected = (state & LVIS_SELECTED) && show_sel;
    COLORREF fg = text, bg = text_bk == CLR_NONE ? (bk == CLR_NONE ? kWindow : bk) : text_bk;
    LRESULT item_res = 0;
    if (pre & CDRF_NOTIFYITEMDRAW) {
      cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
      cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(i);
      cd.nmcd.uItemState = (selected ? CDIS_SELECTED : 0u) | ((state & LVIS_FOCUSED) && focused ? CDIS_FOCUS : 0u);
      cd.nmcd.lItemlParam = Param(hwnd, i);
      cd.nmcd.rc = row;
      cd.clrText = fg;
      cd.clrTextBk = bg;
      cd.iSubItem = 0;
      item_res = NotifyParent(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
      if (item_res & CDRF_SKIPDEFAULT) continue;
      fg = cd.clrText;
      bg = cd.clrTextBk;
    }
    if (view == LVS_ICON) {
      int cx = 0, cy = 0;
      HIMAGELIST il = images[LVSIL_NORMAL];
      if (il) ImageList_GetIconSize(il, &cx, &cy);
      int img = ImageOf(hwnd, i);
      if (il && img >= 0) ImageList_Draw(il, img, hdc, (row.left + row.right - cx) / 2, row.top + 2, ILD_NORMAL);
      RECT label{row.left + 1, row.top + 4 + cy, row.right - 1, row.bottom};
      if (selected) Fill(hdc, label, kHighlight);
      else if (bg != CLR_NONE) Fill(hdc, label, bg);
      Text(hdc, TextOf(hwnd, i, 0), label, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS,
           selected ? kHighlightText : fg);
    } else {
      std::size_t cols = view == LVS_REPORT ? std::max<std::size_t>(columns.size(), 1) : 1;
      int x = 0;
      for (std::size_t c = 0; c < cols; ++c) {
        int width = view == LVS_REPORT && c < columns.size() ? columns[c].width : row.right;
        RECT cell{x, row.top, x + width, row.bottom};
        x += width;
        COLORREF cfg = fg, cbg = bg;
        if (item_res & CDRF_NOTIFYSUBITEMDRAW) {
          cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
          cd.nmcd.rc = cell;
          cd.clrText = fg;
          cd.clrTextBk = bg;
          cd.iSubItem = static_cast<int>(c);
          LRESULT r = NotifyParent(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
          if (r & CDRF_SKIPDEFAULT) continue;
          cfg = cd.clrText;
          cbg = cd.clrTextBk;
        }
        bool full_row = ex_style & LVS_EX_FULLROWSELECT;
        if (selected && (c == 0 || full_row)) Fill(hdc, cell, kHighlight), cfg = kHighlightText;
        else if (cbg != CLR_NONE) Fill(hdc, cell, cbg);
        RECT t{cell.left + 3, cell.top, cell.right - 3, cell.bottom};
        if (c == 0 && images[LVSIL_SMALL]) {
          int icx = 0, icy = 0;
          ImageList_GetIconSize(images[LVSIL_SMALL], &icx, &icy);
          int img = ImageOf(hwnd, i);
          if (img >= 0) ImageList_Draw(images[LVSIL_SMALL], img, hdc, t.left, (cell.top + cell.bottom - icy) / 2, ILD_NORMAL);
          t.left += icx + 2;
        }
        int fmt = view == LVS_REPORT && c < columns.size() ? columns[c].fmt & 3 : LVCFMT_LEFT;
        UINT align = fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
        Text(hdc, TextOf(hwnd, i, static_cast<int>(c)), t, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS, cfg);
        if (ex_style & LVS_EX_GRIDLINES) Frame(hdc, RECT{cell.left, cell.top - 1, cell.right + 1, cell.bottom}, RGB(0xC0, 0xC0, 0xC0));
      }
      if ((state & LVIS_FOCUSED) && focused) DrawFocusRect(hdc, &row);
    }
    if (item_res & CDRF_NOTIFYPOSTPAINT) {
      cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
      cd.nmcd.rc = row;
      cd.iSubItem = 0;
      NotifyParent(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
    }
  }
  if (pre & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
    cd.nmcd.rc = client;
    NotifyParent(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
  }
  if (style & WS_BORDER) Frame(hdc, client, RGB(0x40, 0x40, 0x40));
  SelectObject(hdc, old_font);
}

}  // namespace ce::controls
