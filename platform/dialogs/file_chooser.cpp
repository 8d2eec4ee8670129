// The file chooser drawn for a person: the device's full-screen chooser with the folder, the file
// types, the folder's entries, a name field when saving, OK and Cancel. It never leaves the
// device's file system: folders are entered and left by name, and a typed name holds no path.
#include <algorithm>
#include <memory>

#include "platform/controls/commctrl.h"
#include "platform/dialogs/chooser_internal.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/files/ce_path.h"
#include "platform/files/files.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/sync.h"
#include "platform/menus/menu_popup.h"
#include "platform/text/utf.h"

namespace ce::dialogs {

bool DrawChoosers() { return scripted::User::Get().holding() || menus::InteractiveMenus(); }

DrawnEnd RunChooser(HWND dialog, HWND owner, scripted::Kind kind) {
  auto& user = scripted::User::Get();
  DrawnEnd out;
  bool reenable = owner && IsWindow(owner) && IsWindowEnabled(owner);
  if (reenable) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetActiveWindow(dialog);
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  user.WakeOnAnswer(wake);
  auto ended = [dialog] {
    auto st = StateOf(dialog);
    return !st || st->ended || !IsWindow(dialog);
  };
  while (!ended()) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));  // for the thread's own loop
        out.quit = true;
        break;
      }
      // An escape key meant for another window of the thread dismisses the chooser too.
      if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wParam == VK_ESCAPE && m.hwnd != dialog &&
          !IsChild(dialog, m.hwnd)) {
        EndDialog(dialog, 0);
        continue;
      }
      if (!IsDialogMessageW(dialog, &m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      continue;
    }
    if ((out.answer = user.Take(kind))) break;
    if (!DrawChoosers()) {
      out.unanswered = true;
      break;
    }
    MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, 0);
  }
  user.StopWaking(wake);
  CloseHandle(wake);
  auto st = StateOf(dialog);
  out.ok = !out.answer && !out.quit && !out.unanswered && st && st->ended && st->result == 1;
  if (reenable) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return out;
}

std::optional<std::u16string> CleanDevicePath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = path.find_first_of(u"\\/", at);
    if (end == std::u16string_view::npos) end = path.size();
    std::u16string_view part = path.substr(at, end - at);
    if (part == u"..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.emplace_back(part);
    }
    at = end + 1;
  }
  std::u16string out;
  for (auto& p : parts) out += u"\\" + p;
  return out.empty() ? u"\\" : out;
}

namespace {

std::u16string Join(const std::u16string& folder, const std::u16string& name) {
  return folder == u"\\" ? u"\\" + name : folder + u"\\" + name;
}

bool Matches(std::u16string_view pattern, std::u16string_view name) {
  // "*.*" takes every name, with a dot or without, as the device's find does.
  if (pattern == u"*.*" || pattern == u"*") return true;
  std::size_t p = 0, n = 0, star = std::u16string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || files::FoldNameChar(pattern[p]) == files::FoldNameChar(name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      mark = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool MatchesAny(const std::u16string& patterns, std::u16string_view name) {
  if (patterns.empty()) return true;
  std::size_t at = 0;
  while (at <= patterns.size()) {
    std::size_t end = patterns.find(u';', at);
    if (end == std::u16string::npos) end = patterns.size();
    std::u16string_view one = std::u16string_view(patterns).substr(at, end - at);
    while (!one.empty() && one.front() == u' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == u' ') one.remove_suffix(1);
    if (!one.empty() && Matches(one, name)) return true;
    at = end + 1;
  }
  return false;
}

// A name a person may type for a file in the folder shown: no path, no character the device
// refuses in names.
bool ValidName(const std::u16string& name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
  return true;
}

std::u16string Trimmed(std::u16string s) {
  while (!s.empty() && s.back() == u' ') s.pop_back();
  while (!s.empty() && s.front() == u' ') s.erase(s.begin());
  return s;
}

enum : int { kFolderLabel = 100, kFolder, kTypeLabel, kType, kList, kNameLabel, kName, kMessage };
constexpr UINT kEnterChosen = WM_APP + 0x31;  // posted: enter the folder of the row tapped

struct Chooser {
  FileRequest* request = nullptr;
  std::u16string folder;
  std::vector<std::u16string> rows;  // as FolderEntries gives them, "..\" first below the root
  HWND list = nullptr;
  WNDPROC list_proc = nullptr;
  bool tapping = false;  // the list is handling a pen press
};

Chooser* ChooserOf(HWND dialog) { return reinterpret_cast<Chooser*>(GetWindowLongPtrW(dialog, DWL_USER)); }

std::u16string TextOf(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::u16string s(static_cast<std::size_t>(n) + 1, u'\0');
  s.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, s.data(), n + 1)));
  return s;
}

void Say(HWND dialog, const char16_t* text) { SetDlgItemTextW(dialog, kMessage, text); }

void Fill(HWND dialog, Chooser& c) {
  const FileRequest& r = *c.request;
  int type = static_cast<int>(SendDlgItemMessageW(dialog, kType, CB_GETCURSEL, 0, 0));
  std::u16string patterns = type >= 0 && type < static_cast<int>(r.filters.size()) ? r.filters[static_cast<std::size_t>(type)].second : u"";
  c.rows = FolderEntries(c.folder, patterns);
  if (c.folder != u"\\") c.rows.insert(c.rows.begin(), u"..\\");
  SendMessageW(c.list, LB_RESETCONTENT, 0, 0);
  for (auto& row : c.rows) {
    std::u16string shown = row.back() == u'\\' ? u"[" + row.substr(0, row.size() - 1) + u"]" : row;
    SendMessageW(c.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  }
  if (!r.save) {
    // The first file is ready for OK; else the first row.
    auto file = std::find_if(c.rows.begin(), c.rows.end(), [](const std::u16string& e) { return e.back() != u'\\'; });
    int pick = c.rows.empty() ? -1 : file != c.rows.end() ? static_cast<int>(file - c.rows.begin()) : 0;
    SendMessageW(c.list, LB_SETCURSEL, static_cast<WPARAM>(pick), 0);
  }
  SetDlgItemTextW(dialog, kFolder, c.folder.c_str());
  Say(dialog, u"");
}

void Enter(HWND dialog, Chooser& c, const std::u16string& row) {
  if (row == u"..\\") {
    std::size_t slash = c.folder.find_last_of(u'\\');
    c.folder = slash == 0 || slash == std::u16string::npos ? u"\\" : c.folder.substr(0, slash);
  } else {
    c.folder = Join(c.folder, row.substr(0, row.size() - 1));
  }
  Fill(dialog, c);
}

std::u16string Selected(const Chooser& c) {
  int i = static_cast<int>(SendMessageW(c.list, LB_GETCURSEL, 0, 0));
  return i >= 0 && i < static_cast<int>(c.rows.size()) ? c.rows[static_cast<std::size_t>(i)] : std::u16string();
}

void Confirm(HWND dialog, Chooser& c) {
  FileRequest& r = *c.request;
  std::u16string row = Selected(c);
  bool folder = !row.empty() && row.back() == u'\\';
  if (!r.save) {
    if (row.empty()) return Say(dialog, u"Choose a file.");
    if (folder) return Enter(dialog, c, row);
    r.path = Join(c.folder, row);
    EndDialog(dialog, 1);
    return;
  }
  std::u16string name = Trimmed(TextOf(GetDlgItem(dialog, kName)));
  if (folder && (GetFocus() == c.list || name.empty())) return Enter(dialog, c, row);
  if (name.empty()) return Say(dialog, u"Type a name.");
  if (!ValidName(name)) return Say(dialog, u"A name holds no \\ / : * ? \" < > |");
  r.path = Join(c.folder, name);
  EndDialog(dialog, 1);
}

// The list as the chooser uses it: a tap on a folder enters it, Backspace goes up.
LRESULT ListProc(HWND list, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* c = reinterpret_cast<Chooser*>(GetWindowLongPtrW(list, GWL_USERDATA));
  if (!c) return DefWindowProcW(list, msg, wparam, lparam);
  if (msg == WM_KEYDOWN && wparam == VK_BACK && c->folder != u"\\") {
    Enter(GetParent(list), *c, u"..\\");
    return 0;
  }
  if (msg == WM_LBUTTONDOWN) {
    c->tapping = true;
    LRESULT r = CallWindowProcW(c->list_proc, list, msg, wparam, lparam);
    c->tapping = false;
    return r;
  }
  return CallWindowProcW(c->list_proc, list, msg, wparam, lparam);
}

HWND Make(HWND dialog, const WCHAR* cls, const std::u16string& text, DWORD style, int id, int x, int y, int w, int h,
          HFONT font) {
  HWND item = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog,
                              reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
  SetWindowPos(item, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // template order
  SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return item;
}

void Layout(HWND dialog, Chooser& c) {
  const FileRequest& r = *c.request;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(dialog, 0, 0, sw, sh, FALSE);
  RECT client{};
  GetClientRect(dialog, &client);  // below the caption
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE label{};
  GetTextExtentPoint32W(dc, u"Folder:", 7, &label);
  SelectObject(dc, old);
  DeleteDC(dc);
  int unit = sw > 240 && sh > 240 ? 2 : 1;  // the high-dpi screens draw everything twice as large
  int m = 4 * unit, text_h = tm.tmHeight, field = text_h + 6 * unit, button = text_h + 10 * unit;
  int lw = label.cx + 2 * m, right = sw - m;
  int y = m;
  Make(dialog, WC_STATICW, u"Folder:", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, kFolderLabel, m, y, lw - m, field, font);
  Make(dialog, WC_STATICW, c.folder, SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX | SS_SUNKEN, kFolder, lw, y,
       right - lw, field, font);
  y += field + m;
  Make(dialog, WC_STATICW, u"Type:", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, kTypeLabel, m, y, lw - m, field, font);
  HWND type = Make(dialog, WC_COMBOBOXW, u"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, kType, lw, y, right - lw,
                   field * 6, font);
  for (auto& f : r.filters) SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.first.c_str()));
  SendMessageW(type, CB_SETCURSEL, static_cast<WPARAM>(std::clamp(r.filter, 0, std::max(0, static_cast<int>(r.filters.size()) - 1))), 0);
  y += field + m;
  int buttons_y = client.bottom - m - button;
  int name_y = buttons_y - m - field;
  int message_y = (r.save ? name_y : buttons_y) - m / 2 - text_h;
  c.list = Make(dialog, WC_LISTBOXW, u"", LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, kList, m, y, sw - 2 * m,
                message_y - m / 2 - y, font);
  SetWindowLongPtrW(c.list, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&c));
  c.list_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(c.list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
  Make(dialog, WC_STATICW, u"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kMessage, m, message_y, sw - 2 * m, text_h, font);
  if (r.save) {
    Make(dialog, WC_STATICW, u"Name:", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, kNameLabel, m, name_y, lw - m, field, font);
    Make(dialog, WC_EDITW, r.name, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, kName, lw, name_y, right - lw, field, font);
  }
  int bw = (sw - 3 * m) / 2;
  Make(dialog, WC_BUTTONW, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, m, buttons_y, bw, button, font);
  Make(dialog, WC_BUTTONW, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, sw - m - bw, buttons_y, bw, button, font);
}

INT_PTR FileChooserProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  Chooser* c = ChooserOf(dialog);
  switch (msg) {
    case WM_INITDIALOG: {
      c = reinterpret_cast<Chooser*>(lparam);
      SetWindowLongPtrW(dialog, DWL_USER, lparam);
      Layout(dialog, *c);
      Fill(dialog, *c);
      HWND first = c->request->save ? GetDlgItem(dialog, kName) : c->list;
      SetFocus(first);
      if (auto st = StateOf(dialog)) st->last_focus = first;  // kept when the chooser is activated
      if (c->request->save) SendMessageW(first, EM_SETSEL, 0, -1);
      return FALSE;
    }
    case kEnterChosen: {
      if (!c) return TRUE;
      std::u16string row = Selected(*c);
      if (!row.empty() && row.back() == u'\\') Enter(dialog, *c, row);
      return TRUE;
    }
    case WM_COMMAND: {
      if (!c) return FALSE;
      int id = LOWORD(wparam), code = HIWORD(wparam);
      if (id == IDOK) Confirm(dialog, *c);
      else if (id == IDCANCEL) EndDialog(dialog, 0);
      else if (id == kType && code == CBN_SELCHANGE) Fill(dialog, *c);
      else if (id == kList && code == LBN_SELCHANGE) {
        std::u16string row = Selected(*c);
        if (row.empty()) return TRUE;
        if (row.back() == u'\\') {
          if (c->tapping) PostMessageW(dialog, kEnterChosen, 0, 0);  // a tap on a folder opens it
        } else if (c->request->save) {
          SetDlgItemTextW(dialog, kName, row.c_str());
        }
      } else if (id == kList && code == LBN_DBLCLK) {
        Confirm(dialog, *c);
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(dialog, kMessage)) {
        SetTextColor(reinterpret_cast<HDC>(wparam), RGB(0xB0, 0x00, 0x00));
        SetBkColor(reinterpret_cast<HDC>(wparam), RGB(0xE0, 0xE0, 0xE0));
        static HBRUSH face = CreateSolidBrush(RGB(0xE0, 0xE0, 0xE0));
        return reinterpret_cast<INT_PTR>(face);
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

std::vector<std::u16string> FolderEntries(const std::u16string& folder, const std::u16string& patterns) {
  std::vector<std::u16string> folders, files;
  std::u16string query = Join(folder, u"*");
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(query.c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::u16string name(text::WideView(found.cFileName));
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(name + u"\\");
      else if (MatchesAny(patterns, name)) files.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

DrawnEnd RunFileChooser(HWND owner, FileRequest& request, scripted::Kind kind) {
  Chooser c;
  c.request = &request;
  c.folder = request.folder.empty() ? u"\\" : request.folder;
  if (request.filters.empty()) request.filters.emplace_back(u"All files (*.*)", u"*.*");
  resources::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION;
  t.ex_style = WS_EX_TOPMOST;
  t.caption = request.title.empty() ? (request.save ? u"Save As" : u"Open") : request.title;
  t.font_face = u"Tahoma";
  t.font_points = 8;
  t.cx = 160;
  t.cy = 200;
  if (owner && !IsWindow(owner)) owner = nullptr;
  HWND dlg = CreateFromTemplate(nullptr, t, owner, &FileChooserProc, reinterpret_cast<LPARAM>(&c), true);
  if (!dlg) return DrawnEnd{false, std::nullopt, false, true};
  return RunChooser(dlg, owner, kind);
}

}  // namespace ce::dialogs
