// The shared look and plumbing of the controls.
#include "platform/controls/control_base.h"

#include <algorithm>
#include <mutex>

#include "platform/text/utf.h"

namespace ce::controls {

void RegisterControlClass(const WCHAR* name, WNDPROC proc, UINT style) {
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = 8;
  wc.lpszClassName = name;
  RegisterClassW(&wc);  // already registered: kept
}

LRESULT FocusChanged(HWND hwnd, bool& focused, UINT msg, bool notify, UINT set_code, UINT kill_code, BOOL erase) {
  focused = msg == WM_SETFOCUS;
  InvalidateRect(hwnd, nullptr, erase);
  if (notify) NotifyCommand(hwnd, focused ? set_code : kill_code);
  return 0;
}

LRESULT AnswerGetText(std::u16string_view text, WPARAM size, LPARAM out) {
  auto* buffer = reinterpret_cast<LPWSTR>(out);
  if (!buffer || size == 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

HFONT DefaultFont() {
  static HFONT font = [] {
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    const char16_t face[] = u"Tahoma";
    std::copy(face, face + 7, lf.lfFaceName);
    return CreateFontIndirectW(&lf);
  }();
  return font;
}

HGDIOBJ UseFont(HDC hdc, HFONT font) { return SelectObject(hdc, font ? font : DefaultFont()); }

int FontHeight(HFONT font) {
  HDC hdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = UseFont(hdc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(hdc, &tm);
  SelectObject(hdc, old);
  DeleteDC(hdc);
  return static_cast<int>(tm.tmHeight);
}

void Fill(HDC hdc, const RECT& r, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FillRect(hdc, &r, b);
  DeleteObject(b);
}

void Frame(HDC hdc, const RECT& r, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FrameRect(hdc, &r, b);
  DeleteObject(b);
}

namespace {
void Lines(HDC hdc, const RECT& r, COLORREF top_left, COLORREF bottom_right) {
  HPEN a = CreatePen(PS_SOLID, 1, top_left), b = CreatePen(PS_SOLID, 1, bottom_right);
  HGDIOBJ old = SelectObject(hdc, a);
  MoveToEx(hdc, r.left, r.bottom - 1, nullptr);
  LineTo(hdc, r.left, r.top);
  LineTo(hdc, r.right - 1, r.top);
  SelectObject(hdc, b);
  LineTo(hdc, r.right - 1, r.bottom - 1);
  LineTo(hdc, r.left, r.bottom - 1);
  SelectObject(hdc, old);
  DeleteObject(a);
  DeleteObject(b);
}
}  // namespace

void Raised(HDC hdc, RECT r, bool pressed) {
  Fill(hdc, r, pressed ? RGB(0xC8, 0xC8, 0xC8) : kFace);
  Frame(hdc, r, RGB(0x40, 0x40, 0x40));
  InflateRect(&r, -1, -1);
  if (pressed) Lines(hdc, r, kShadow, kFace);
  else Lines(hdc, r, kLight, kShadow);
}

void Sunken(HDC hdc, RECT r) {
  Lines(hdc, r, kShadow, kLight);
  InflateRect(&r, -1, -1);
  Lines(hdc, r, RGB(0x40, 0x40, 0x40), kFace);
}

void Text(HDC hdc, const std::u16string& text, RECT r, UINT format, COLORREF color) {
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, color);
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

void Arrow(HDC hdc, const RECT& r, int dir, COLORREF color) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
  POINT p[3];
  switch (dir) {
    case 0: p[0] = {cx - s, cy - s / 2}, p[1] = {cx + s, cy - s / 2}, p[2] = {cx, cy + s / 2 + 1}; break;
    case 1: p[0] = {cx - s, cy + s / 2}, p[1] = {cx + s, cy + s / 2}, p[2] = {cx, cy - s / 2 - 1}; break;
    case 2: p[0] = {cx + s / 2, cy - s}, p[1] = {cx + s / 2, cy + s}, p[2] = {cx - s / 2 - 1, cy}; break;
    default: p[0] = {cx - s / 2, cy - s}, p[1] = {cx - s / 2, cy + s}, p[2] = {cx + s / 2 + 1, cy}; break;
  }
  HBRUSH b = CreateSolidBrush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ ob = SelectObject(hdc, b), op = SelectObject(hdc, pen);
  Polygon(hdc, p, 3);
  SelectObject(hdc, ob);
  SelectObject(hdc, op);
  DeleteObject(b);
  DeleteObject(pen);
}

std::u16string WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::u16string s(static_cast<std::size_t>(std::max(n, 0)) + 1, u'\0');
  int got = GetWindowTextW(hwnd, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(std::max(got, 0)));
  return s;
}

HBRUSH ParentColors(HWND hwnd, HDC hdc, UINT msg) {
  HWND parent = GetParent(hwnd);
  if (!parent) return nullptr;
  return reinterpret_cast<HBRUSH>(SendMessageW(parent, msg, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
}

void NotifyCommand(HWND hwnd, UINT code) {
  HWND parent = GetParent(hwnd);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

LRESULT NotifyParent(HWND hwnd, NMHDR* hdr, UINT code) {
  HWND parent = GetParent(hwnd);
  hdr->hwndFrom = hwnd;
  hdr->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
  hdr->code = code;
  if (!parent) return 0;
  return SendMessageW(parent, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
}

void EnsureControlClasses() {
  // Registering again is harmless (refused); a class removed meanwhile comes back.
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  {
    RegisterStatic();
    RegisterButton();
    RegisterEdit();
    RegisterListBox();
    RegisterComboBox();
    RegisterScrollBar();
    RegisterListView();
    RegisterHeader();
    RegisterTrackbar();
    RegisterTab();
    RegisterProgress();
    RegisterUpDown();
    RegisterDateTime();
  }
}

}  // namespace ce::controls

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
  if (!icc) return FALSE;
  ce::controls::EnsureControlClasses();
  return TRUE;
}

void InitCommonControls() { ce::controls::EnsureControlClasses(); }
