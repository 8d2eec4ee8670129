// The text-entry pad (template 163) with its on-screen keyboard, and the numeric entries on it.
#include <cmath>
#include <cstring>
#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "platform/text/scan.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

struct PadState {
  WCHAR buffer[kPadChars + 1] = {};
  const WCHAR* caption = nullptr;
  std::int32_t length = 0;
  HWND edit = nullptr;
  std::int32_t keypadTop = 43;
  std::int32_t keyWidth = 48;
  std::int32_t keyHeight = 34;
  RECT keypad{};
};

PadState& Pad() {
  static PadState state;
  return state;
}

constexpr std::int32_t kKeyColumns = 5;
constexpr std::int32_t kKeyRows = 8;
// Row order: the letters, four signs, the digits.
constexpr char16_t kKeys[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ.:-*0123456789";

void SetPadText(const WCHAR* text) {
  PadState& p = Pad();
  std::int32_t n = 0;
  for (; text && text[n] && n < kPadChars; ++n) p.buffer[n] = text[n];
  p.buffer[n] = 0;
  p.length = n;
}

// Runs the pad on the pad buffer; true on OK.
bool RunPad(const WCHAR* caption, HWND parent) {
  Pad().caption = caption;
  return RunDialog(kEntryPadTemplate, parent, TextPadProc, 0) == 1;
}

RECT KeyCell(std::int32_t index) {
  const PadState& p = Pad();
  const std::int32_t row = index / kKeyColumns, column = index % kKeyColumns;
  RECT r{column * p.keyWidth, p.keypadTop + row * p.keyHeight, (column + 1) * p.keyWidth,
         p.keypadTop + (row + 1) * p.keyHeight};
  return r;
}

void CaretToEnd(HWND edit) {
  const int n = GetWindowTextLengthW(edit);
  SendMessageW(edit, EM_SETSEL, n, n);
}

}  // namespace

void DrawKey(HDC dc, RECT* rect, const WCHAR* text, bool ellipse) {
  if (ellipse) {
    Ellipse(dc, rect->left - 1, rect->top - 1, rect->right + 1, rect->bottom + 1);
  } else {
    DrawEdge(dc, rect, EDGE_RAISED, BF_RECT);
  }
  if (text && text[0]) DrawTextW(dc, text, -1, rect, DT_CENTER | DT_VCENTER | DT_NOCLIP | DT_SINGLELINE);
}

INT_PTR TextPadProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  PadState& p = Pad();
  switch (message) {
    case WM_INITDIALOG: {
      const bool large = IsLargeScreen();
      p.keypadTop = large ? 80 : 43;
      SetWindowPos(dialog, HWND_TOPMOST, 0, 0, large ? 480 : 240, large ? 640 : 320, 0);
      if (p.caption) SetWindowTextW(dialog, p.caption);
      p.edit = GetDlgItem(dialog, kIdPadEdit);
      // The edit field holds no more than the buffer (typed on a keyboard the keypad's rule does
      // not apply).
      SendMessageW(p.edit, EM_LIMITTEXT, kPadChars, 0);
      SetWindowTextW(p.edit, p.buffer);
      if (HFONT* font = FontHandleSlot(kFontLarge); font && *font)
        SendMessageW(p.edit, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
      SendMessageW(p.edit, EM_SETSEL, 0, -1);
      SetFocus(p.edit);
      RECT client{};
      GetClientRect(dialog, &client);
      p.keyWidth = static_cast<std::int32_t>(std::lround((client.right - client.left) * 0.2));
      p.keyHeight = ((client.bottom - client.top) - p.keypadTop) / kKeyRows;
      p.keypad = {0, p.keypadTop, client.right, client.bottom};
      return FALSE;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dialog, &ps);
      HBRUSH pad = CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
      FillRect(dc, &p.keypad, pad);
      DeleteObject(pad);
      HGDIOBJ oldFont = nullptr;
      if (HFONT* font = FontHandleSlot(kFontMedium); font && *font) oldFont = SelectObject(dc, *font);
      SetBkMode(dc, TRANSPARENT);
      for (std::int32_t i = 0; i < kKeyColumns * kKeyRows; ++i) {
        RECT cell = KeyCell(i);
        InflateRect(&cell, -3, -3);
        const WCHAR label[2] = {kKeys[i], 0};
        DrawKey(dc, &cell, label, i / kKeyColumns >= 6);
      }
      if (oldFont) SelectObject(dc, oldFont);
      EndPaint(dialog, &ps);
      return TRUE;
    }
    case WM_LBUTTONDOWN: {
      const POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (pt.y < p.keypadTop || p.keyWidth <= 0 || p.keyHeight <= 0) return FALSE;
      const std::int32_t column = pt.x / p.keyWidth, row = (pt.y - p.keypadTop) / p.keyHeight;
      if (column < 0 || column >= kKeyColumns || row < 0 || row >= kKeyRows) return FALSE;
      const int length = GetWindowTextLengthW(p.edit);
      if (length <= 30) {
        WCHAR text[kPadChars + 2] = {};
        GetWindowTextW(p.edit, text, kPadChars + 1);
        const std::int32_t n = static_cast<std::int32_t>(std::char_traits<char16_t>::length(text));
        if (n < kPadChars) {
          text[n] = kKeys[row * kKeyColumns + column];
          text[n + 1] = 0;
          SetWindowTextW(p.edit, text);
        }
      }
      CaretToEnd(p.edit);
      PlayMenuClick();
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
        case 190:
        case kIdOkIcon: {
          WCHAR text[kPadChars + 1] = {};
          GetWindowTextW(p.edit, text, kPadChars + 1);
          SetPadText(text);
          PlayMenuClick();
          EndDialog(dialog, 1);
          return TRUE;
        }
        case kIdCancelIcon:
        case 1334: {
          WCHAR text[kPadChars + 1] = {};
          const int n = GetWindowTextW(p.edit, text, kPadChars + 1);
          if (n <= 0) {
            EndDialog(dialog, 0);
            return TRUE;
          }
          text[n - 1] = 0;
          SetWindowTextW(p.edit, text);
          CaretToEnd(p.edit);
          PlaySoundAsync(u"Splat.wav");
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

bool EnterTextDialog(WCHAR* buffer, const WCHAR* caption, HWND parent) {
  if (!buffer) return false;
  SetPadText(buffer);
  if (!RunPad(caption, parent)) return false;
  std::memcpy(buffer, Pad().buffer, sizeof(WCHAR) * (Pad().length + 1));
  return true;
}

const WCHAR* GetEnteredText(std::int32_t* length) {
  if (length) *length = Pad().length;
  return Pad().buffer;
}

bool EnterValueDialog(double* value, const WCHAR* caption, std::int32_t decimals, HWND parent, bool showInitial) {
  if (!value) return false;
  std::u16string initial;
  if (showInitial) {
    if (decimals == 0) {
      initial = ce::text::Format(u"%d", static_cast<int>(std::isfinite(*value) && std::fabs(*value) < 2e9 ? *value : 0));
    } else if (decimals == 10) {
      initial = ce::text::Format(u"%.1f", *value);
    } else if (decimals == 100) {
      initial = ce::text::Format(u"%.2f", *value);
    }
  }
  SetPadText(initial.c_str());
  if (!RunPad(caption, parent)) return false;
  double parsed = 0;
  if (swscanf(Pad().buffer, u"%lf", &parsed) == 1) *value = parsed;
  return true;
}

bool PadTextToMetres(const WCHAR* text, std::int32_t* metres) {
  double value = 0;
  if (!text || !metres || swscanf(text, u"%lf", &value) != 1) return false;
  std::u16string upper(text);
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  if (upper.find(u'S') != std::u16string::npos) {
    value *= 1609;
  } else if (upper.find(u'K') != std::u16string::npos) {
    value *= 1000;
  } else if (upper.find(u'N') != std::u16string::npos) {
    value *= 1852;
  } else if (upper.find(u'F') != std::u16string::npos) {
    value *= 0.30480370641307;
  }
  if (!std::isfinite(value)) return false;
  *metres = value >= 2147483647.0 ? 2147483647 : value <= -2147483648.0 ? INT32_MIN : static_cast<std::int32_t>(value);
  return true;
}

bool EnterDoubleDialog(std::int32_t* metres, const WCHAR* caption, HWND parent) {
  if (!metres) return false;
  std::u16string initial = *metres ? ce::text::Format(u"%d", *metres) : std::u16string();
  SetPadText(initial.c_str());
  if (!RunPad(caption, parent)) return false;
  std::int32_t result = 0;
  if (PadTextToMetres(Pad().buffer, &result)) *metres = result;
  return true;
}

}  // namespace cumulor
