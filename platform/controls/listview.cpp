// The list view: items with sub-items in columns (report view) or icons, callback texts, owner
// data, selection and focus states, sorting, image lists and the notifications the parent handles.
#include <algorithm>
#include <limits>

#include "platform/controls/listview_internal.h"
#include "platform/controls/user_actions.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

constexpr int kTextMax = 260;
constexpr int kMaxSubItems = 256;  // far beyond any header's columns; keeps a bad index from allocating

void CopyOut(const std::u16string& s, LPWSTR out, int size) {
  if (!out || size <= 0) return;
  std::size_t n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(size - 1));
  std::copy_n(s.begin(), n, out);
  out[n] = 0;
}

// The index after `start` (-1: the first), for searches that begin after an item.
int NextIndex(WPARAM start) {
  int i = static_cast<int>(start);
  return i < 0 ? 0 : i == std::numeric_limits<int>::max() ? i : i + 1;
}

}  // namespace

bool ListView::OwnerData(HWND hwnd) const { return GetWindowLongW(hwnd, GWL_STYLE) & LVS_OWNERDATA; }

int ListView::Count(HWND hwnd) const { return OwnerData(hwnd) ? od_count : static_cast<int>(rows.size()); }

UINT ListView::State(HWND hwnd, int i) const {
  if (i < 0 || i >= Count(hwnd)) return 0;
  if (OwnerData(hwnd)) {
    auto it = od_state.find(i);
    return it == od_state.end() ? 0 : it->second;
  }
  return rows[static_cast<std::size_t>(i)].state;
}

std::vector<int> ListView::Marked(HWND hwnd) const {
  std::vector<int> out;
  if (OwnerData(hwnd)) {
    for (const auto& [i, state] : od_state)
      if (state) out.push_back(i);
  } else {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].state) out.push_back(static_cast<int>(i));
  }
  return out;
}

LPARAM ListView::Param(HWND hwnd, int i) const {
  if (OwnerData(hwnd) || i < 0 || i >= Count(hwnd)) return 0;
  return rows[static_cast<std::size_t>(i)].param;
}

std::u16string ListView::TextOf(HWND hwnd, int i, int sub) {
  if (i < 0 || i >= Count(hwnd) || sub < 0) return {};
  bool ask = OwnerData(hwnd);
  if (!ask) {
    const LvRow& r = rows[static_cast<std::size_t>(i)];
    std::size_t s = static_cast<std::size_t>(sub);
    if (s < r.callback.size() && r.callback[s]) ask = true;
    else return s < r.texts.size() ? r.texts[s] : std::u16string();
  }
  WCHAR buffer[kTextMax] = {0};
  NMLVDISPINFOW info{};
  info.item.mask = LVIF_TEXT;
  info.item.iItem = i;
  info.item.iSubItem = sub;
  info.item.pszText = buffer;
  info.item.cchTextMax = kTextMax;
  info.item.lParam = Param(hwnd, i);
  NotifyParent(hwnd, &info.hdr, LVN_GETDISPINFOW);
  if (!info.item.pszText || info.item.pszText == LPSTR_TEXTCALLBACKW) return {};
  if (info.item.pszText == buffer) {
    buffer[kTextMax - 1] = 0;
    return std::u16string(text::WideView(buffer));
  }
  return std::u16string(text::WideView(info.item.pszText));  // the parent pointed at its own text
}

int ListView::ImageOf(HWND hwnd, int i) {
  if (i < 0 || i >= Count(hwnd)) return -1;
  if (!OwnerData(hwnd) && rows[static_cast<std::size_t>(i)].image != I_IMAGECALLBACK)
    return rows[static_cast<std::size_t>(i)].image;
  NMLVDISPINFOW info{};
  info.item.mask = LVIF_IMAGE;
  info.item.iItem = i;
  info.item.iImage = -1;
  info.item.lParam = Param(hwnd, i);
  NotifyParent(hwnd, &info.hdr, LVN_GETDISPINFOW);
  return info.item.iImage;
}

void ListView::SetState(HWND hwnd, int i, UINT state, UINT mask) {
  int n = Count(hwnd);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  auto change = [&](int k, UINT new_state) {
    UINT old = State(hwnd, k);
    if (old == new_state) return;
    NMLISTVIEW nm{};
    nm.iItem = k;
    nm.uChanged = LVIF_STATE;
    nm.uOldState = old;
    nm.uNewState = new_state;
    nm.lParam = Param(hwnd, k);
    if (!OwnerData(hwnd) && NotifyParent(hwnd, &nm.hdr, LVN_ITEMCHANGING)) return;  // refused
    if (k >= Count(hwnd)) return;  // the parent removed it meanwhile
    if (OwnerData(hwnd)) {
      if (new_state) od_state[k] = new_state;
      else od_state.erase(k);
    } else {
      rows[static_cast<std::size_t>(k)].state = new_state;
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    nm.hdr = NMHDR{};
    NotifyParent(hwnd, &nm.hdr, LVN_ITEMCHANGED);
  };
  // Only one item selected (single selection) and one focused.
  bool exclusive_sel = (mask & state & LVIS_SELECTED) && (style & LVS_SINGLESEL);
  bool exclusive_focus = mask & state & LVIS_FOCUSED;
  if (i >= 0 && (exclusive_sel || exclusive_focus)) {
    for (int k : Marked(hwnd)) {
      if (k == i || k >= Count(hwnd)) continue;
      UINT s = State(hwnd, k), drop = 0;
      if (exclusive_sel && (s & LVIS_SELECTED)) drop |= LVIS_SELECTED;
      if (exclusive_focus && (s & LVIS_FOCUSED)) drop |= LVIS_FOCUSED;
      if (drop) change(k, s & ~drop);
    }
  }
  if (i == -1 && !(state & mask)) {
    for (int k : Marked(hwnd))  // clearing: only the items that have a state can change
      if (k < n && k < Count(hwnd)) change(k, State(hwnd, k) & ~mask);
  } else if (i == -1) {
    for (int k = 0; k < n && k < Count(hwnd); ++k) change(k, (State(hwnd, k) & ~mask) | (state & mask));
  } else if (i < Count(hwnd)) {
    change(i, (State(hwnd, i) & ~mask) | (state & mask));
  }
}

void ListView::UserSelect(HWND hwnd, int i) {
  if (i < 0 || i >= Count(hwnd)) return;
  // A tap selects this item alone.
  for (int k : Marked(hwnd))
    if (k != i && (State(hwnd, k) & LVIS_SELECTED)) SetState(hwnd, k, 0, LVIS_SELECTED);
  SetState(hwnd, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  mark = i;
  EnsureVisible(hwnd, i);
}

LRESULT ListView::Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
      header = CreateWindowExW(0, WC_HEADERW, u"", WS_CHILD, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
      LayoutHeader(hwnd);
      return 0;
    case WM_SIZE: LayoutHeader(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc); });
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, FALSE);
      NMHDR n{};
      NotifyParent(hwnd, &n, focused ? NM_SETFOCUS : NM_KILLFOCUS);
      return 0;
    }
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(lparam);
      if (n && n->hwndFrom == header && n->code == HDN_ITEMCLICKW) {
        NMLISTVIEW nm{};
        nm.iItem = -1;
        nm.iSubItem = reinterpret_cast<NMHEADERW*>(lparam)->iItem;
        NotifyParent(hwnd, &nm.hdr, LVN_COLUMNCLICK);
      }
      return 0;
    }
    case LVM_GETITEMCOUNT: return Count(hwnd);
    case LVM_SETITEMCOUNT:
      if (OwnerData(hwnd)) {
        od_count = std::max(0, static_cast<int>(wparam));
        for (auto it = od_state.begin(); it != od_state.end();)
          it = it->first >= od_count ? od_state.erase(it) : std::next(it);
        if (mark >= od_count) mark = -1;
        if (!(lparam & LVSICF_NOSCROLL)) top = std::max(0, std::min(top, od_count - 1));
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return TRUE;
    case LVM_INSERTITEMW: {
      if (OwnerData(hwnd) || !lparam) return -1;
      const auto& in = *reinterpret_cast<const LVITEMW*>(lparam);
      if (in.iSubItem != 0) return -1;
      LvRow row;
      row.texts.assign(1, {});
      row.callback.assign(1, false);
      if (in.mask & LVIF_TEXT) {
        if (in.pszText == LPSTR_TEXTCALLBACKW) row.callback[0] = true;
        else if (in.pszText) row.texts[0] = text::WideView(in.pszText);
      }
      if (in.mask & LVIF_IMAGE) row.image = in.iImage;
      if (in.mask & LVIF_PARAM) row.param = in.lParam;
      if (in.mask & LVIF_STATE) row.state = in.state & in.stateMask;
      DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
      std::size_t at = std::min(rows.size(), static_cast<std::size_t>(std::max(0, in.iItem)));
      if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        bool desc = style & LVS_SORTDESCENDING;
        at = 0;
        while (at < rows.size() && (desc ? rows[at].texts[0] >= row.texts[0] : rows[at].texts[0] <= row.texts[0])) ++at;
      }
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
      if (mark >= static_cast<int>(at)) ++mark;
      InvalidateRect(hwnd, nullptr, FALSE);
      NMLISTVIEW nm{};
      nm.iItem = static_cast<int>(at);
      NotifyParent(hwnd, &nm.hdr, LVN_INSERTITEM);
      return static_cast<LRESULT>(at);
    }
    case LVM_SETITEMW:
    case LVM_SETITEMTEXTW: {
      if (!lparam) return FALSE;
      const auto& in = *reinterpret_cast<const LVITEMW*>(lparam);
      int i = msg == LVM_SETITEMW ? in.iItem : static_cast<int>(wparam);
      if (i < 0 || i >= Count(hwnd)) return FALSE;
      UINT mask = msg == LVM_SETITEMTEXTW ? LVIF_TEXT : in.mask;
      if ((mask & LVIF_TEXT) && (in.iSubItem < 0 || in.iSubItem >= kMaxSubItems)) return FALSE;
      if (mask & LVIF_STATE) SetState(hwnd, i, in.state, in.stateMask);
      if (OwnerData(hwnd)) return TRUE;
      LvRow& row = rows[static_cast<std::size_t>(i)];
      std::size_t sub = static_cast<std::size_t>(std::max(0, in.iSubItem));
      if (mask & LVIF_TEXT) {
        if (row.texts.size() <= sub) row.texts.resize(sub + 1), row.callback.resize(sub + 1);
        row.callback[sub] = in.pszText == LPSTR_TEXTCALLBACKW;
        row.texts[sub] = in.pszText && in.pszText != LPSTR_TEXTCALLBACKW ? std::u16string(text::WideView(in.pszText)) : u"";
      }
      if ((mask & LVIF_IMAGE) && sub == 0) row.image = in.iImage;
      if ((mask & LVIF_PARAM) && sub == 0) row.param = in.lParam;
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case LVM_GETITEMW: {
      if (!lparam) return FALSE;
      auto& out = *reinterpret_cast<LVITEMW*>(lparam);
      int i = out.iItem;
      if (i < 0 || i >= Count(hwnd)) return FALSE;
      if (out.mask & LVIF_TEXT) CopyOut(TextOf(hwnd, i, out.iSubItem), out.pszText, out.cchTextMax);
      if (out.mask & LVIF_IMAGE) out.iImage = ImageOf(hwnd, i);
      if (out.mask & LVIF_PARAM) out.lParam = Param(hwnd, i);
      if (out.mask & LVIF_STATE) out.state = State(hwnd, i) & out.stateMask;
      return TRUE;
    }
    case LVM_GETITEMTEXTW: {
      if (!lparam) return 0;
      auto& out = *reinterpret_cast<LVITEMW*>(lparam);
      std::u16string t = TextOf(hwnd, static_cast<int>(wparam), out.iSubItem);
      CopyOut(t, out.pszText, out.cchTextMax);
      return out.cchTextMax > 0 ? static_cast<LRESULT>(std::min<std::size_t>(t.size(), static_cast<std::size_t>(out.cchTextMax - 1))) : 0;
    }
    case LVM_DELETEITEM: {
      int i = static_cast<int>(wparam);
      if (OwnerData(hwnd) || i < 0 || i >= Count(hwnd)) return FALSE;
      NMLISTVIEW nm{};
      nm.iItem = i;
      nm.lParam = Param(hwnd, i);
      NotifyParent(hwnd, &nm.hdr, LVN_DELETEITEM);
      if (i >= Count(hwnd)) return FALSE;
      rows.erase(rows.begin() + i);
      if (mark == i) mark = -1;
      else if (mark > i) --mark;
      top = std::max(0, std::min(top, Count(hwnd) - 1));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case LVM_DELETEALLITEMS: {
      NMLISTVIEW nm{};
      nm.iItem = -1;
      NotifyParent(hwnd, &nm.hdr, LVN_DELETEALLITEMS);
      rows.clear();
      od_count = 0;
      od_state.clear();
      top = 0;
      mark = -1;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case LVM_GETNEXTITEM: {
      UINT flags = LOWORD(lparam);
      int n = Count(hwnd), from = NextIndex(wparam);
      if (flags == LVNI_ALL) return from < n && from != static_cast<int>(wparam) ? from : -1;
      for (int i : Marked(hwnd)) {
        if (i < from || i >= n) continue;
        UINT s = State(hwnd, i);
        if (((flags & LVNI_SELECTED) && (s & LVIS_SELECTED)) || ((flags & LVNI_FOCUSED) && (s & LVIS_FOCUSED))) return i;
      }
      return -1;
    }
    case LVM_SETITEMSTATE: {
      if (!lparam) return FALSE;
      const auto& in = *reinterpret_cast<const LVITEMW*>(lparam);
      int i = static_cast<int>(wparam);
      if (i < -1 || i >= Count(hwnd)) return FALSE;
      SetState(hwnd, i, in.state, in.stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE: return State(hwnd, static_cast<int>(wparam)) & static_cast<UINT>(lparam);
    case LVM_GETSELECTEDCOUNT: {
      int n = 0;
      for (int i : Marked(hwnd)) n += (i < Count(hwnd) && (State(hwnd, i) & LVIS_SELECTED)) ? 1 : 0;
      return n;
    }
    case LVM_GETSELECTIONMARK: return mark;
    case LVM_SETSELECTIONMARK: {
      int old = mark;
      int i = static_cast<int>(lparam);
      mark = i >= 0 && i < Count(hwnd) ? i : -1;
      return old;
    }
    case LVM_INSERTCOLUMNW: {
      if (!lparam) return -1;
      const auto& in = *reinterpret_cast<const LVCOLUMNW*>(lparam);
      LvColumn c;
      if (in.mask & LVCF_TEXT && in.pszText) c.text = text::WideView(in.pszText);
      if (in.mask & LVCF_WIDTH) c.width = std::max(0, in.cx);
      if (in.mask & LVCF_FMT) c.fmt = in.fmt;
      std::size_t at = std::min(columns.size(), static_cast<std::size_t>(wparam));
      c.sub = (in.mask & LVCF_SUBITEM) ? in.iSubItem : static_cast<int>(at);
      columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at), c);
      HDITEMW h{};
      h.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
      h.pszText = columns[at].text.data();
      h.cxy = c.width;
      h.fmt = c.fmt & 3;
      SendMessageW(header, HDM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&h));
      InvalidateRect(hwnd, nullptr, FALSE);
      return static_cast<LRESULT>(at);
    }
    case LVM_SETCOLUMNW:
    case LVM_GETCOLUMNW: {
      if (!lparam || wparam >= columns.size()) return FALSE;
      LvColumn& c = columns[wparam];
      auto& io = *reinterpret_cast<LVCOLUMNW*>(lparam);
      if (msg == LVM_GETCOLUMNW) {
        if (io.mask & LVCF_WIDTH) io.cx = c.width;
        if (io.mask & LVCF_FMT) io.fmt = c.fmt;
        if (io.mask & LVCF_SUBITEM) io.iSubItem = c.sub;
        if (io.mask & LVCF_TEXT) CopyOut(c.text, io.pszText, io.cchTextMax);
        return TRUE;
      }
      if (io.mask & LVCF_TEXT && io.pszText) c.text = text::WideView(io.pszText);
      if (io.mask & LVCF_WIDTH) c.width = std::max(0, io.cx);
      if (io.mask & LVCF_FMT) c.fmt = io.fmt;
      HDITEMW h{};
      h.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
      h.pszText = c.text.data();
      h.cxy = c.width;
      h.fmt = c.fmt & 3;
      SendMessageW(header, HDM_SETITEMW, wparam, reinterpret_cast<LPARAM>(&h));
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case LVM_DELETECOLUMN:
      if (wparam >= columns.size()) return FALSE;
      columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(wparam));
      SendMessageW(header, HDM_DELETEITEM, wparam, 0);
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    case LVM_GETCOLUMNWIDTH: return wparam < columns.size() ? columns[wparam].width : 0;
    case LVM_SETCOLUMNWIDTH: {
      if (wparam >= columns.size()) return FALSE;
      int w = static_cast<short>(LOWORD(lparam));
      columns[wparam].width = w < 0 ? 80 : w;  // the fitting sizes (-1, -2) give a plain width
      HDITEMW h{};
      h.mask = HDI_WIDTH;
      h.cxy = columns[wparam].width;
      SendMessageW(header, HDM_SETITEMW, wparam, reinterpret_cast<LPARAM>(&h));
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(header);
    case LVM_SETIMAGELIST: {
      if (wparam > 2) return 0;
      HIMAGELIST old = images[wparam];
      images[wparam] = reinterpret_cast<HIMAGELIST>(lparam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST: return wparam <= 2 ? reinterpret_cast<LRESULT>(images[wparam]) : 0;
    case LVM_SORTITEMS: {
      auto compare = reinterpret_cast<PFNLVCOMPARE>(lparam);
      if (!compare || OwnerData(hwnd)) return FALSE;
      std::vector<LvRow> sorted = rows;
      std::stable_sort(sorted.begin(), sorted.end(), [&](const LvRow& a, const LvRow& b) {
        return compare(a.param, b.param, static_cast<LPARAM>(wparam)) < 0;
      });
      rows = std::move(sorted);
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case LVM_FINDITEMW: {
      if (!lparam) return -1;
      const auto& f = *reinterpret_cast<const LVFINDINFOW*>(lparam);
      for (int i = NextIndex(wparam); i < Count(hwnd); ++i) {
        if ((f.flags & LVFI_PARAM) && Param(hwnd, i) == f.lParam) return i;
        if ((f.flags & LVFI_STRING) && f.psz && TextOf(hwnd, i, 0) == text::WideView(f.psz)) return i;
      }
      return -1;
    }
    case LVM_ENSUREVISIBLE:
      EnsureVisible(hwnd, static_cast<int>(wparam));
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    case LVM_REDRAWITEMS:
    case LVM_UPDATE:
    case LVM_ARRANGE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    case LVM_GETTOPINDEX: return top;
    case LVM_GETCOUNTPERPAGE: return PerPage(hwnd);
    case LVM_GETITEMRECT: {
      int i = static_cast<int>(wparam);
      if (!lparam || i < 0 || i >= Count(hwnd)) return FALSE;
      *reinterpret_cast<RECT*>(lparam) = ItemRect(hwnd, i);
      return TRUE;
    }
    case LVM_GETITEMPOSITION: {
      // The item's top-left corner in the list's client coordinates.
      int i = static_cast<int>(wparam);
      if (!lparam || i < 0 || i >= Count(hwnd)) return FALSE;
      const RECT r = ItemRect(hwnd, i);
      *reinterpret_cast<POINT*>(lparam) = POINT{r.left, r.top};
      return TRUE;
    }
    case LVM_HITTEST: {
      if (!lparam) return -1;
      auto& h = *reinterpret_cast<LVHITTESTINFO*>(lparam);
      h.iItem = HitTest(hwnd, h.pt, &h.iSubItem);
      h.flags = h.iItem >= 0 ? LVHT_ONITEM : LVHT_NOWHERE;
      return h.iItem;
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = ex_style;
      DWORD mask = wparam ? static_cast<DWORD>(wparam) : 0xFFFFFFFFu;
      ex_style = (ex_style & ~mask) | (static_cast<DWORD>(lparam) & mask);
      InvalidateRect(hwnd, nullptr, FALSE);
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return ex_style;
    case LVM_SETBKCOLOR: bk = static_cast<COLORREF>(lparam); InvalidateRect(hwnd, nullptr, FALSE); return TRUE;
    case LVM_SETTEXTCOLOR: text = static_cast<COLORREF>(lparam); InvalidateRect(hwnd, nullptr, FALSE); return TRUE;
    case LVM_SETTEXTBKCOLOR: text_bk = static_cast<COLORREF>(lparam); InvalidateRect(hwnd, nullptr, FALSE); return TRUE;
    case LVM_SETICONSPACING: {
      LRESULT old = MAKELONG(spacing_x, spacing_y);
      spacing_x = static_cast<short>(LOWORD(lparam));
      spacing_y = static_cast<short>(HIWORD(lparam));
      InvalidateRect(hwnd, nullptr, FALSE);
      return old;
    }
    case LVM_GETCALLBACKMASK: return 0;
    case LVM_SETCALLBACKMASK: return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      POINT p = PointOf(lparam);
      int sub = 0;
      int i = HitTest(hwnd, p, &sub);
      if (msg == WM_LBUTTONDOWN && i >= 0) UserSelect(hwnd, i);
      NMITEMACTIVATE act{};
      act.iItem = i;
      act.iSubItem = sub;
      act.ptAction = p;
      act.lParam = Param(hwnd, i);
      NotifyParent(hwnd, &act.hdr, msg == WM_LBUTTONDOWN ? NM_CLICK : NM_DBLCLK);
      if (msg == WM_LBUTTONDBLCLK && i >= 0) {
        act.hdr = NMHDR{};
        NotifyParent(hwnd, &act.hdr, LVN_ITEMACTIVATE);
      }
      return 0;
    }
    case CE_UA_COLUMN: {
      NMLISTVIEW nm{};
      nm.iItem = -1;
      nm.iSubItem = static_cast<int>(wparam);
      NotifyParent(hwnd, &nm.hdr, LVN_COLUMNCLICK);
      return TRUE;
    }
    case CE_UA_HOLD: {
      int i = static_cast<int>(wparam);
      if (i < 0 || i >= Count(hwnd)) return FALSE;
      UserSelect(hwnd, i);
      RECT r = ItemRect(hwnd, i);
      NMRGINFO g{};
      g.ptAction = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      // lParam > 0: the hold is in column lParam - 1 (the middle of that column's cell).
      if (const auto column = static_cast<std::size_t>(lparam); lparam > 0 && column <= columns.size()) {
        int x = r.left;
        for (std::size_t c = 0; c + 1 < column; ++c) x += columns[c].width;
        g.ptAction.x = x + columns[column - 1].width / 2;
      }
      ClientToScreen(hwnd, &g.ptAction);
      g.dwItemSpec = static_cast<DWORD>(i);
      NotifyParent(hwnd, &g.hdr, GN_CONTEXTMENU);
      return TRUE;
    }
    case WM_KEYDOWN: {
      NMLVKEYDOWN kd{};
      kd.wVKey = static_cast<WORD>(wparam);
      NotifyParent(hwnd, &kd.hdr, LVN_KEYDOWN);
      int cur = -1;
      for (int i : Marked(hwnd))
        if (cur < 0 && i < Count(hwnd) && (State(hwnd, i) & LVIS_FOCUSED)) cur = i;
      int next = cur;
      if (wparam == VK_DOWN) next = std::min(Count(hwnd) - 1, cur + 1);
      else if (wparam == VK_UP) next = std::max(0, cur - 1);
      else if (wparam == VK_HOME) next = 0;
      else if (wparam == VK_END) next = Count(hwnd) - 1;
      if (next != cur && next >= 0) UserSelect(hwnd, next);
      if (wparam == VK_RETURN) {
        NMHDR n{};
        NotifyParent(hwnd, &n, NM_RETURN);
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void RegisterListView() { RegisterControlClass(WC_LISTVIEWW, Dispatch<ListView>); }

}  // namespace ce::controls
