// The colour chooser drawn for a person: full screen, 48 basic colours and the caller's 16 custom
// ones as swatches, the colour chosen shown large with its values, OK and Cancel. A tap picks a
// swatch; the arrow keys move through them, Enter is OK and Escape Cancel.
#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "platform/controls/commctrl.h"
#include "platform/dialogs/chooser_internal.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/gdi/gdi.h"
#include "platform/text/utf.h"

namespace ce::dialogs {
namespace {

constexpr const WCHAR* kSwatchClass = u"ColorSwatches";
constexpr int kColumns = 8, kBasicRows = 6, kCustomRows = 2;
constexpr int kBasic = kColumns * kBasicRows, kCells = kBasic + kColumns * kCustomRows;
enum : int { kSwatches = 100, kPreview, kValues };

COLORREF FromHsv(double hue, double s, double v) {
  double c = v * s, h = hue / 60.0, x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1)), m = v - c;
  double r = 0, g = 0, b = 0;
  if (h < 1) r = c, g = x;
  else if (h < 2) r = x, g = c;
  else if (h < 3) g = c, b = x;
  else if (h < 4) g = x, b = c;
  else if (h < 5) r = x, b = c;
  else r = c, b = x;
  auto byte = [](double f) { return static_cast<BYTE>(std::lround(std::clamp(f, 0.0, 1.0) * 255)); };
  return RGB(byte(r + m), byte(g + m), byte(b + m));
}

// Eight hues in five shades, light to dark, and a row of greys from white to black.
const std::array<COLORREF, kBasic>& BasicColors() {
  static const std::array<COLORREF, kBasic> colors = [] {
    std::array<COLORREF, kBasic> out{};
    const double hues[kColumns] = {0, 30, 60, 120, 180, 220, 270, 310};
    const double shades[5][2] = {{0.35, 1.0}, {1.0, 1.0}, {1.0, 0.75}, {1.0, 0.5}, {1.0, 0.3}};
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < kColumns; ++col)
        out[static_cast<std::size_t>(row * kColumns + col)] = FromHsv(hues[col], shades[row][0], shades[row][1]);
    for (int col = 0; col < kColumns; ++col) {
      BYTE v = static_cast<BYTE>(255 - col * 255 / (kColumns - 1));
      out[static_cast<std::size_t>(5 * kColumns + col)] = RGB(v, v, v);
    }
    return out;
  }();
  return colors;
}

struct Picker {
  COLORREF color = 0;
  std::array<COLORREF, kCells> cells{};
  int current = -1;  // the swatch chosen; -1: the starting colour is no swatch
  bool focused = false;
  HBRUSH preview = nullptr;
  HFONT font = nullptr;
};

Picker* PickerOf(HWND hwnd) { return reinterpret_cast<Picker*>(GetWindowLongPtrW(hwnd, GWL_USERDATA)); }

// Cell rectangles: the basic rows, a label line, the custom rows.
struct Grid {
  int cell_w, cell_h, label_h;
};
Grid GridOf(HWND swatches) {
  RECT r;
  GetClientRect(swatches, &r);
  Grid g{};
  g.cell_w = std::max(1, static_cast<int>(r.right) / kColumns);
  g.label_h = std::max(1, static_cast<int>(r.bottom) / 12);
  g.cell_h = std::max(1, (static_cast<int>(r.bottom) - g.label_h) / (kBasicRows + kCustomRows));
  return g;
}
RECT CellRect(const Grid& g, int index) {
  int row = index / kColumns, col = index % kColumns;
  int y = row * g.cell_h + (row >= kBasicRows ? g.label_h : 0);
  return RECT{col * g.cell_w, y, (col + 1) * g.cell_w, y + g.cell_h};
}

void Choose(HWND swatches, Picker& p, int index) {
  if (index < 0 || index >= kCells) return;
  p.current = index;
  p.color = p.cells[static_cast<std::size_t>(index)];
  InvalidateRect(swatches, nullptr, FALSE);
  SendMessageW(GetParent(swatches), WM_COMMAND, MAKEWPARAM(kSwatches, 0), reinterpret_cast<LPARAM>(swatches));
}

LRESULT SwatchProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    return TRUE;
  }
  Picker* p = PickerOf(hwnd);
  if (!p) return DefWindowProcW(hwnd, msg, wparam, lparam);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      p->focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd);
      Grid g = GridOf(hwnd);
      POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      for (int i = 0; i < kCells; ++i) {
        RECT cell = CellRect(g, i);
        if (PtInRect(&cell, pt)) Choose(hwnd, *p, i);
      }
      return 0;
    }
    case WM_KEYDOWN: {
      int i = p->current < 0 ? 0 : p->current;
      int rows = kBasicRows + kCustomRows;
      if (wparam == VK_LEFT) i = (i + kCells - 1) % kCells;
      else if (wparam == VK_RIGHT) i = (i + 1) % kCells;
      else if (wparam == VK_UP) i = ((i / kColumns + rows - 1) % rows) * kColumns + i % kColumns;
      else if (wparam == VK_DOWN) i = ((i / kColumns + 1) % rows) * kColumns + i % kColumns;
      else return 0;
      Choose(hwnd, *p, i);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      HBRUSH face = CreateSolidBrush(RGB(0xE0, 0xE0, 0xE0));
      FillRect(hdc, &r, face);
      DeleteObject(face);
      Grid g = GridOf(hwnd);
      HBRUSH frame = CreateSolidBrush(RGB(0x40, 0x40, 0x40));
      for (int i = 0; i < kCells; ++i) {
        RECT cell = CellRect(g, i);
        InflateRect(&cell, -2, -2);
        HBRUSH b = CreateSolidBrush(p->cells[static_cast<std::size_t>(i)]);
        FillRect(hdc, &cell, b);
        DeleteObject(b);
        FrameRect(hdc, &cell, frame);
      }
      if (p->current >= 0) {  // the chosen swatch: a black and a white ring around it
        RECT cell = CellRect(g, p->current);
        HBRUSH black = CreateSolidBrush(RGB(0, 0, 0)), white = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
        FrameRect(hdc, &cell, black);
        InflateRect(&cell, -1, -1);
        FrameRect(hdc, &cell, white);
        if (p->focused) {
          InflateRect(&cell, -1, -1);
          FrameRect(hdc, &cell, black);
        }
        DeleteObject(black);
        DeleteObject(white);
      }
      DeleteObject(frame);
      HGDIOBJ old = SelectObject(hdc, p->font);
      SetBkMode(hdc, TRANSPARENT);
      SetTextColor(hdc, RGB(0, 0, 0));
      RECT label{2, kBasicRows * g.cell_h, r.right, kBasicRows * g.cell_h + g.label_h};
      DrawTextW(hdc, u"Custom colors:", -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      SelectObject(hdc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void ShowColor(HWND dialog, Picker& p) {
  if (p.preview) DeleteObject(p.preview);
  p.preview = CreateSolidBrush(p.color);
  InvalidateRect(GetDlgItem(dialog, kPreview), nullptr, TRUE);
  char16_t text[64];
  std::u16string s = u"Red " + text::FromUtf8(std::to_string(GetRValue(p.color))) + u"  Green " +
                     text::FromUtf8(std::to_string(GetGValue(p.color))) + u"  Blue " +
                     text::FromUtf8(std::to_string(GetBValue(p.color)));
  std::size_t n = std::min<std::size_t>(s.size(), 63);
  std::copy_n(s.begin(), n, text);
  text[n] = 0;
  SetDlgItemTextW(dialog, kValues, text);
}

INT_PTR ColorProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* p = reinterpret_cast<Picker*>(GetWindowLongPtrW(dialog, DWL_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      p = reinterpret_cast<Picker*>(lparam);
      SetWindowLongPtrW(dialog, DWL_USER, lparam);
      int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
      MoveWindow(dialog, 0, 0, sw, sh, FALSE);
      RECT client{};
      GetClientRect(dialog, &client);  // below the caption
      p->font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, p->font);
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      SelectObject(dc, old);
      DeleteDC(dc);
      int unit = sw > 240 && sh > 240 ? 2 : 1;
      int m = 4 * unit, button = tm.tmHeight + 10 * unit, preview = tm.tmHeight + 12 * unit;
      int buttons_y = client.bottom - m - button, preview_y = buttons_y - m - preview;
      auto make = [&](const WCHAR* cls, const char16_t* text, DWORD style, int id, int x, int y, int w, int h) {
        HWND item = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog,
                                    reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, id == kSwatches ? p : nullptr);
        SetWindowPos(item, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(p->font), FALSE);
        return item;
      };
      int grid_h = std::min(preview_y - 2 * m, (sw - 2 * m) * 9 / 10);
      HWND swatches = make(kSwatchClass, u"", WS_TABSTOP, kSwatches, m, m, sw - 2 * m, grid_h);
      make(WC_STATICW, u"", SS_SUNKEN, kPreview, m, preview_y, preview * 2, preview);
      make(WC_STATICW, u"", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, kValues, m * 2 + preview * 2, preview_y,
           sw - 3 * m - preview * 2, preview);
      int bw = (sw - 3 * m) / 2;
      make(WC_BUTTONW, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, m, buttons_y, bw, button);
      make(WC_BUTTONW, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, sw - m - bw, buttons_y, bw, button);
      ShowColor(dialog, *p);
      SetFocus(swatches);
      if (auto st = StateOf(dialog)) st->last_focus = swatches;
      return FALSE;
    }
    case WM_COMMAND:
      if (!p) return FALSE;
      if (LOWORD(wparam) == IDOK) EndDialog(dialog, 1);
      else if (LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 0);
      else if (LOWORD(wparam) == kSwatches) ShowColor(dialog, *p);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (p && p->preview && reinterpret_cast<HWND>(lparam) == GetDlgItem(dialog, kPreview)) {
        SetBkColor(reinterpret_cast<HDC>(wparam), p->color);
        return reinterpret_cast<INT_PTR>(p->preview);
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

DrawnEnd RunColorChooser(HWND owner, COLORREF& color, const COLORREF* custom) {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SwatchProc;
    wc.lpszClassName = kSwatchClass;
    RegisterClassW(&wc);
  });
  Picker p;
  p.color = color & 0x00FFFFFFu;
  std::copy(BasicColors().begin(), BasicColors().end(), p.cells.begin());
  for (int i = 0; i < kCells - kBasic; ++i)
    p.cells[static_cast<std::size_t>(kBasic + i)] = custom ? custom[i] & 0x00FFFFFFu : RGB(0xFF, 0xFF, 0xFF);
  for (int i = 0; i < kCells && p.current < 0; ++i)
    if (p.cells[static_cast<std::size_t>(i)] == p.color) p.current = i;
  resources::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION;
  t.ex_style = WS_EX_TOPMOST;
  t.caption = u"Color";
  t.font_face = u"Tahoma";
  t.font_points = 8;
  t.cx = 160;
  t.cy = 200;
  if (owner && !IsWindow(owner)) owner = nullptr;
  HWND dlg = CreateFromTemplate(nullptr, t, owner, &ColorProc, reinterpret_cast<LPARAM>(&p), true);
  DrawnEnd end = dlg ? RunChooser(dlg, owner, scripted::Kind::kColor) : DrawnEnd{false, std::nullopt, false, true};
  if (p.preview) DeleteObject(p.preview);
  if (end.ok) color = p.color;
  return end;
}

}  // namespace ce::dialogs
