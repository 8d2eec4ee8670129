// The header control: column titles above a list; a tap on one tells the parent.
#include <algorithm>
#include <vector>

#include "platform/controls/control_base.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

struct HeaderItem {
  std::u16string text;
  int width = 50;
  int fmt = HDF_LEFT;
  LPARAM param = 0;
};

struct Header : ControlState {
  std::vector<HeaderItem> items;

  static void Apply(HeaderItem& h, const HDITEMW& in) {
    if (in.mask & HDI_WIDTH) h.width = std::max(0, in.cxy);
    if ((in.mask & HDI_TEXT) && in.pszText) h.text = text::WideView(in.pszText);
    if (in.mask & HDI_FORMAT) h.fmt = in.fmt;
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case HDM_GETITEMCOUNT: return static_cast<LRESULT>(items.size());
      case HDM_INSERTITEMW: {
        if (!lparam) return -1;
        HeaderItem h;
        Apply(h, *reinterpret_cast<const HDITEMW*>(lparam));
        std::size_t at = std::min(items.size(), static_cast<std::size_t>(wparam));
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), h);
        InvalidateRect(hwnd, nullptr, FALSE);
        return static_cast<LRESULT>(at);
      }
      case HDM_DELETEITEM:
        if (wparam >= items.size()) return FALSE;
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(wparam));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      case HDM_SETITEMW:
        if (wparam >= items.size() || !lparam) return FALSE;
        Apply(items[wparam], *reinterpret_cast<const HDITEMW*>(lparam));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      case HDM_GETITEMW: {
        if (wparam >= items.size() || !lparam) return FALSE;
        auto* out = reinterpret_cast<HDITEMW*>(lparam);
        const HeaderItem& h = items[wparam];
        if (out->mask & HDI_WIDTH) out->cxy = h.width;
        if (out->mask & HDI_FORMAT) out->fmt = h.fmt;
        if ((out->mask & HDI_TEXT) && out->pszText && out->cchTextMax > 0) {
          std::size_t n = std::min<std::size_t>(h.text.size(), static_cast<std::size_t>(out->cchTextMax - 1));
          std::copy_n(h.text.begin(), n, out->pszText);
          out->pszText[n] = 0;
        }
        return TRUE;
      }
      case WM_ERASEBKGND: return 1;
      case WM_PAINT:
        return PaintWith(hwnd, [&](HDC hdc) {
          RECT r;
          GetClientRect(hwnd, &r);
          Fill(hdc, r, kFace);
          HGDIOBJ old = UseFont(hdc, font);
          int x = 0;
          for (const auto& h : items) {
            RECT cell{x, 0, x + h.width, r.bottom};
            Raised(hdc, cell);
            RECT t{cell.left + 4, 0, cell.right - 4, r.bottom};
            UINT align = (h.fmt & 3) == HDF_RIGHT ? DT_RIGHT : (h.fmt & 3) == HDF_CENTER ? DT_CENTER : DT_LEFT;
            Text(hdc, h.text, t, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS, kText);
            x += h.width;
          }
          SelectObject(hdc, old);
        });
      case WM_LBUTTONDOWN: {
        int x = PointOf(lparam).x, left = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
          if (x >= left && x < left + items[i].width) {
            NMHEADERW n{};
            n.iItem = static_cast<int>(i);
            NotifyParent(hwnd, &n.hdr, HDN_ITEMCLICKW);
            break;
          }
          left += items[i].width;
        }
        return 0;
      }
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
};

}  // namespace

void RegisterHeader() { RegisterControlClass(WC_HEADERW, Dispatch<Header>); }

}  // namespace ce::controls
