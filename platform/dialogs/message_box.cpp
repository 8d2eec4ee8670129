// Message boxes drawn as small dialogs: the text, an icon mark and the buttons of the flags.
#include <algorithm>

#include "platform/base/errors.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/message_box.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

namespace ce::dialogs {
namespace {

struct Button {
  int id;
  const char16_t* text;
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type) {
    case MB_OK: return {{IDOK, u"OK"}};
    case MB_OKCANCEL: return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"Abort"}, {IDRETRY, u"Retry"}, {IDIGNORE, u"Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, u"Yes"}, {IDNO, u"No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO: return {{IDYES, u"Yes"}, {IDNO, u"No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"Retry"}, {IDCANCEL, u"Cancel"}};
  }
  return {};
}

struct Box {
  std::u16string text;
  UINT flags;
  std::vector<Button> buttons;
  int def;
};

constexpr int kIconSize = 24;

INT_PTR BoxProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* box = reinterpret_cast<Box*>(GetWindowLongPtrW(hwnd, DWL_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      box = reinterpret_cast<Box*>(lparam);
      SetWindowLongPtrW(hwnd, DWL_USER, lparam);
      RECT frame{0, 0, 0, 0};  // the caption above the client area
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE, 0);
      const int caption = -frame.top;
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
      int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
      int width = std::min(220, screen_w - 8);
      bool icon = (box->flags & MB_ICONMASK) != 0;
      int text_left = 8 + (icon ? kIconSize + 8 : 0);
      RECT measure{0, 0, width - text_left - 8, 0};
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, font);
      DrawTextW(dc, box->text.c_str(), static_cast<int>(box->text.size()), &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(dc, old);
      DeleteDC(dc);
      int text_h = std::max<int>(measure.bottom, icon ? kIconSize : 0);
      text_h = std::min(text_h, screen_h - caption - 60);
      HWND label = CreateWindowExW(0, WC_STATICW, box->text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, text_left,
                                   8, width - text_left - 8, text_h, hwnd, reinterpret_cast<HMENU>(static_cast<LONG_PTR>(0xFFFF)),
                                   nullptr, nullptr);
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      int bw = 56, bh = 20, gap = 6;
      int n = static_cast<int>(box->buttons.size());
      int x = (width - (n * bw + (n - 1) * gap)) / 2, y = 8 + text_h + 10;
      HWND focus = nullptr;
      for (int i = 0; i < n; ++i) {
        const Button& b = box->buttons[static_cast<std::size_t>(i)];
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (b.id == box->def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND h = CreateWindowExW(0, WC_BUTTONW, b.text, style, x + i * (bw + gap), y, bw, bh, hwnd,
                                 reinterpret_cast<HMENU>(static_cast<LONG_PTR>(b.id)), nullptr, nullptr);
        SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (b.id == box->def) focus = h;
      }
      int height = y + bh + 8 + caption;
      MoveWindow(hwnd, (screen_w - width) / 2, std::max(0, (screen_h - height) / 2), width, height, FALSE);
      SendMessageW(hwnd, DM_SETDEFID, static_cast<WPARAM>(box->def), 0);
      if (focus) SetFocus(focus);
      return FALSE;
    }
    case WM_PAINT: {
      if (!box || !(box->flags & MB_ICONMASK)) return FALSE;
      // The face as every dialog has it, then the icon: a coloured disc with its mark.
      DefDlgProcW(hwnd, msg, 0, 0);
      HDC hdc = GetDC(hwnd);
      int top = 8;
      UINT icon = box->flags & MB_ICONMASK;
      COLORREF color = icon == MB_ICONHAND ? RGB(0xC0, 0x10, 0x10) : icon == MB_ICONEXCLAMATION ? RGB(0xE0, 0xA0, 0x00) : RGB(0x10, 0x50, 0xC0);
      const char16_t* mark = icon == MB_ICONHAND ? u"X" : icon == MB_ICONQUESTION ? u"?" : icon == MB_ICONEXCLAMATION ? u"!" : u"i";
      HBRUSH brush = CreateSolidBrush(color);
      HPEN pen = CreatePen(PS_SOLID, 1, color);
      HGDIOBJ ob = SelectObject(hdc, brush), op = SelectObject(hdc, pen);
      Ellipse(hdc, 8, top, 8 + kIconSize, top + kIconSize);
      SelectObject(hdc, ob);
      SelectObject(hdc, op);
      DeleteObject(brush);
      DeleteObject(pen);
      SetBkMode(hdc, TRANSPARENT);
      SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
      RECT r{8, top, 8 + kIconSize, top + kIconSize};
      DrawTextW(hdc, mark, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      ReleaseDC(hwnd, hdc);
      return TRUE;
    }
    case WM_COMMAND: {
      if (!box) return FALSE;
      int id = LOWORD(wparam);
      bool known = std::any_of(box->buttons.begin(), box->buttons.end(), [&](const Button& b) { return b.id == id; });
      if (!known && id == IDCANCEL && (box->flags & MB_TYPEMASK) == MB_OK) id = IDOK, known = true;  // Esc on an OK box
      if (known) EndDialog(hwnd, id);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace
}  // namespace ce::dialogs

using namespace ce::dialogs;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
  Box box;
  box.text = text ? std::u16string(ce::text::WideView(text)) : std::u16string();
  box.flags = flags;
  box.buttons = ButtonsOf(flags & MB_TYPEMASK);
  if (box.buttons.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t def_index = ((flags & MB_DEFMASK) >> 8);
  box.def = box.buttons[def_index < box.buttons.size() ? def_index : 0].id;
  if (owner && !IsWindow(owner)) owner = nullptr;

  ce::resources::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  t.caption = caption ? std::u16string(ce::text::WideView(caption)) : u"Error";
  t.font_face = u"Tahoma";
  t.font_points = 8;
  t.cx = 140;
  t.cy = 60;
  HWND dlg = CreateFromTemplate(nullptr, t, owner, &BoxProc, reinterpret_cast<LPARAM>(&box), true);
  if (!dlg) return 0;
  if (flags & MB_ICONMASK) MessageBeep(flags & MB_ICONMASK);

  ModalScript how;
  how.kind = ce::scripted::Kind::kBox;
  how.texts.push_back(box.text);
  for (auto& b : box.buttons) how.texts.push_back(b.text);
  how.take = [&box]() -> std::optional<ce::scripted::Answer> {
    auto a = ce::scripted::User::Get().Take(ce::scripted::Kind::kBox);
    if (!a) return std::nullopt;
    bool known = std::any_of(box.buttons.begin(), box.buttons.end(), [&](const Button& b) { return b.id == a->value; });
    if (!known) {
      ce::scripted::User::Get().Log("box: scripted button " + std::to_string(a->value) + " is not on the box; default used");
      a->steps = {};
      return a;  // no steps: the default button is pressed
    }
    a->steps = {ce::scripted::steps::Click(a->value)};
    return a;
  };
  int def = box.def;
  how.fallback = [def](HWND d) { SendMessageW(d, WM_COMMAND, MAKEWPARAM(def, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, def))); };
  how.fallback_name = "default button " + std::to_string(def) + " pressed";
  return static_cast<int>(RunModal(dlg, owner, how));
}
