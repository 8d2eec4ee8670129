// The date/time picker: a date or a time shown in a format ("HH:mm", "yyyy-MM-dd", ...) whose
// fields the user steps with the arrow keys or enters as text.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/control_base.h"
#include "platform/controls/user_actions.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

enum class Field { kYear4, kYear2, kMonth, kDay, kHour24, kHour12, kMinute, kSecond, kAmPm, kLiteral };

struct Part {
  Field field;
  int width;             // digits (0: as many as needed)
  std::u16string literal;
};

std::vector<Part> ParseFormat(const std::u16string& f) {
  std::vector<Part> parts;
  for (std::size_t i = 0; i < f.size();) {
    char16_t c = f[i];
    std::size_t n = 1;
    while (i + n < f.size() && f[i + n] == c) ++n;
    auto add = [&](Field field, int width) { parts.push_back({field, width, {}}); };
    if (c == u'\'') {
      std::size_t end = f.find(u'\'', i + 1);
      if (end == std::u16string::npos) end = f.size();
      parts.push_back({Field::kLiteral, 0, f.substr(i + 1, end - i - 1)});
      i = end + 1;
      continue;
    }
    switch (c) {
      case u'y': add(n >= 3 ? Field::kYear4 : Field::kYear2, n >= 3 ? 4 : 2); break;
      case u'M': add(Field::kMonth, n >= 2 ? 2 : 0); break;
      case u'd': add(Field::kDay, n >= 2 ? 2 : 0); break;
      case u'H': add(Field::kHour24, n >= 2 ? 2 : 0); break;
      case u'h': add(Field::kHour12, n >= 2 ? 2 : 0); break;
      case u'm': add(Field::kMinute, n >= 2 ? 2 : 0); break;
      case u's': add(Field::kSecond, n >= 2 ? 2 : 0); break;
      case u't': add(Field::kAmPm, 0); break;
      default: parts.push_back({Field::kLiteral, 0, f.substr(i, n)}); break;
    }
    i += n;
  }
  return parts;
}

int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[(month - 1) % 12];
}

struct DateTime : ControlState {
  SYSTEMTIME value{};
  std::u16string format;
  int field = 0;  // the selected editable field (index among the editable parts)
  bool focused = false;
  bool none = false;

  std::u16string Format(HWND hwnd) const {
    if (!format.empty()) return format;
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    if ((style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) return u"HH:mm:ss";
    if (style & DTS_LONGDATEFORMAT) return u"dd MMMM yyyy";
    return u"yyyy-MM-dd";
  }

  static std::u16string Number(int v, int width) {
    std::u16string s = text::FromUtf8(std::to_string(v));
    while (static_cast<int>(s.size()) < width) s.insert(s.begin(), u'0');
    return s;
  }

  std::u16string PartText(const Part& p) const {
    switch (p.field) {
      case Field::kYear4: return Number(value.wYear, 4);
      case Field::kYear2: return Number(value.wYear % 100, 2);
      case Field::kMonth: return Number(value.wMonth, p.width);
      case Field::kDay: return Number(value.wDay, p.width);
      case Field::kHour24: return Number(value.wHour, p.width);
      case Field::kHour12: return Number(value.wHour % 12 == 0 ? 12 : value.wHour % 12, p.width);
      case Field::kMinute: return Number(value.wMinute, p.width);
      case Field::kSecond: return Number(value.wSecond, p.width);
      case Field::kAmPm: return value.wHour < 12 ? u"AM" : u"PM";
      case Field::kLiteral: return p.literal;
    }
    return {};
  }

  std::u16string Shown(HWND hwnd) const {
    std::u16string s;
    for (const auto& p : ParseFormat(Format(hwnd))) s += PartText(p);
    return s;
  }

  // Sets one field; false when the value is out of its range.
  bool SetField(Field f, int v, SYSTEMTIME& t) const {
    switch (f) {
      case Field::kYear4: if (v < 1601 || v > 30827) return false; t.wYear = static_cast<WORD>(v); break;
      case Field::kYear2: if (v < 0 || v > 99) return false; t.wYear = static_cast<WORD>(2000 + v); break;
      case Field::kMonth: if (v < 1 || v > 12) return false; t.wMonth = static_cast<WORD>(v); break;
      case Field::kDay: if (v < 1 || v > 31) return false; t.wDay = static_cast<WORD>(v); break;
      case Field::kHour24: if (v < 0 || v > 23) return false; t.wHour = static_cast<WORD>(v); break;
      case Field::kHour12: if (v < 1 || v > 12) return false; t.wHour = static_cast<WORD>((t.wHour >= 12 ? 12 : 0) + v % 12); break;
      case Field::kMinute: if (v < 0 || v > 59) return false; t.wMinute = static_cast<WORD>(v); break;
      case Field::kSecond: if (v < 0 || v > 59) return false; t.wSecond = static_cast<WORD>(v); break;
      default: return false;
    }
    return true;
  }

  void Changed(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
    NMDATETIMECHANGE n{};
    n.dwFlags = none ? GDT_NONE : GDT_VALID;
    n.st = value;
    NotifyParent(hwnd, &n.hdr, DTN_DATETIMECHANGE);
  }

  // The user enters the numbers of the fields in the format's order.
  bool Enter(HWND hwnd, std::u16string_view text) {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < text.size();) {
      if (text[i] >= u'0' && text[i] <= u'9') {
        int v = 0;
        std::size_t digits = 0;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && digits < 6) v = v * 10 + (text[i++] - u'0'), ++digits;
        numbers.push_back(v);
      } else {
        ++i;
      }
    }
    SYSTEMTIME t = value;
    std::size_t k = 0;
    for (const auto& p : ParseFormat(Format(hwnd))) {
      if (p.field == Field::kLiteral || p.field == Field::kAmPm) continue;
      if (k >= numbers.size() || !SetField(p.field, numbers[k++], t)) return false;
    }
    if (k != numbers.size() || t.wDay > DaysIn(t.wYear, t.wMonth)) return false;
    value = t;
    none = false;
    Changed(hwnd);
    return true;
  }

  void Step(HWND hwnd, int delta) {
    std::vector<Part> editable;
    for (const auto& p : ParseFormat(Format(hwnd)))
      if (p.field != Field::kLiteral) editable.push_back(p);
    if (editable.empty()) return;
    field = std::max(0, std::min(field, static_cast<int>(editable.size()) - 1));
    SYSTEMTIME t = value;
    auto wrap = [](int v, int lo, int hi) { return v < lo ? hi : v > hi ? lo : v; };
    switch (editable[static_cast<std::size_t>(field)].field) {
      case Field::kYear4: case Field::kYear2: t.wYear = static_cast<WORD>(std::max(1601, std::min(30827, t.wYear + delta))); break;
      case Field::kMonth: t.wMonth = static_cast<WORD>(wrap(t.wMonth + delta, 1, 12)); break;
      case Field::kDay: t.wDay = static_cast<WORD>(wrap(t.wDay + delta, 1, DaysIn(t.wYear, t.wMonth))); break;
      case Field::kHour24: case Field::kHour12: t.wHour = static_cast<WORD>(wrap(t.wHour + delta, 0, 23)); break;
      case Field::kMinute: t.wMinute = static_cast<WORD>(wrap(t.wMinute + delta, 0, 59)); break;
      case Field::kSecond: t.wSecond = static_cast<WORD>(wrap(t.wSecond + delta, 0, 59)); break;
      case Field::kAmPm: t.wHour = static_cast<WORD>((t.wHour + 12) % 24); break;
      default: break;
    }
    t.wDay = static_cast<WORD>(std::min<int>(t.wDay, DaysIn(t.wYear, t.wMonth)));
    value = t;
    Changed(hwnd);
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case WM_CREATE:
        GetLocalTime(&value);
        value.wMilliseconds = 0;
        return 0;
      case DTM_GETSYSTEMTIME:
        if (!lparam) return GDT_ERROR;
        *reinterpret_cast<SYSTEMTIME*>(lparam) = value;
        return none ? GDT_NONE : GDT_VALID;
      case DTM_SETSYSTEMTIME: {
        if (static_cast<int>(wparam) == GDT_NONE) {
          none = true;
        } else {
          if (!lparam) return FALSE;
          const auto& t = *reinterpret_cast<const SYSTEMTIME*>(lparam);
          if (t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > DaysIn(t.wYear, t.wMonth) || t.wHour > 23 ||
              t.wMinute > 59 || t.wSecond > 59)
            return FALSE;
          value = t;
          none = false;
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      }
      case DTM_SETFORMATW:
        format = lparam ? std::u16string(text::WideView(reinterpret_cast<LPCWSTR>(lparam))) : std::u16string();
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      case CE_UA_SETTEXT: return Enter(hwnd, text::WideView(reinterpret_cast<LPCWSTR>(lparam))) ? TRUE : FALSE;
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      case WM_SETFOCUS:
      case WM_KILLFOCUS: return FocusChanged(hwnd, focused, msg);
      case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        else ++field;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_KEYDOWN:
        if (wparam == VK_UP) Step(hwnd, 1);
        else if (wparam == VK_DOWN) Step(hwnd, -1);
        else if (wparam == VK_RIGHT) ++field, InvalidateRect(hwnd, nullptr, FALSE);
        else if (wparam == VK_LEFT) field = std::max(0, field - 1), InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_GETTEXT: return AnswerGetText(Shown(hwnd), wparam, lparam);
      case WM_GETTEXTLENGTH: return static_cast<LRESULT>(Shown(hwnd).size());
      case WM_ERASEBKGND: return 1;
      case WM_PAINT:
        return PaintWith(hwnd, [&](HDC hdc) {
          RECT r;
          GetClientRect(hwnd, &r);
          Fill(hdc, r, IsWindowEnabled(hwnd) ? kWindow : kFace);
          Frame(hdc, r, RGB(0x40, 0x40, 0x40));
          HGDIOBJ old = UseFont(hdc, font);
          int x = r.left + 3, editable = 0;
          for (const auto& p : ParseFormat(Format(hwnd))) {
            std::u16string t = PartText(p);
            SIZE ext{};
            GetTextExtentPoint32W(hdc, t.c_str(), static_cast<int>(t.size()), &ext);
            RECT cell{x, r.top + 1, x + ext.cx, r.bottom - 1};
            bool sel = focused && p.field != Field::kLiteral && editable == field;
            if (sel) Fill(hdc, cell, kHighlight);
            Text(hdc, t, cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, sel ? kHighlightText : kText);
            if (p.field != Field::kLiteral) ++editable;
            x += ext.cx;
          }
          SelectObject(hdc, old);
        });
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
};

}  // namespace

void RegisterDateTime() { RegisterControlClass(DATETIMEPICK_CLASSW, Dispatch<DateTime>); }

}  // namespace ce::controls
