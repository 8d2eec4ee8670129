// Property sheets: the sheet dialog with its tab control (id 12320), pages created up front,
// page switching with PSN_KILLACTIVE / PSN_SETACTIVE, and OK with PSN_APPLY.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/errors.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/gdi/gdi.h"
#include "platform/text/utf.h"
#include "platform/dialogs/prsht.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/softkey_bar.h"
#include "platform/resources/resources.h"

struct PSP {
  PROPSHEETPAGEW page;  // the caller's structure, as WM_INITDIALOG hands it to the page
  std::u16string title;
};

namespace ce::dialogs {
namespace {

struct Sheet {
  std::vector<HPROPSHEETPAGE> pages;
  std::vector<HWND> windows;
  int current = -1;
  PFNPROPSHEETCALLBACK callback = nullptr;
  HWND tab = nullptr;
};

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::map<HWND, std::shared_ptr<Sheet>>& Sheets() {
  static std::map<HWND, std::shared_ptr<Sheet>> sheets;
  return sheets;
}
std::shared_ptr<Sheet> SheetOf(HWND hwnd) {
  std::lock_guard<std::mutex> lock(Mutex());
  auto it = Sheets().find(hwnd);
  return it == Sheets().end() ? nullptr : it->second;
}

LRESULT NotifyPage(HWND page, UINT code) {
  PSHNOTIFY n{};
  n.hdr.hwndFrom = GetParent(page);
  n.hdr.idFrom = 0;
  n.hdr.code = code;
  return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

// Places the pages in the tab control's display area.
void Layout(HWND sheet, Sheet& s) {
  RECT r;
  GetClientRect(sheet, &r);
  MoveWindow(s.tab, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  RECT area{0, 0, r.right - r.left, r.bottom - r.top};
  SendMessageW(s.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  OffsetRect(&area, r.left, r.top);
  for (HWND w : s.windows)
    if (w) MoveWindow(w, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void Show(HWND sheet, Sheet& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.windows.size()) || !s.windows[static_cast<std::size_t>(index)]) return;
  for (std::size_t i = 0; i < s.windows.size(); ++i)
    if (s.windows[i] && static_cast<int>(i) != index) ShowWindow(s.windows[i], SW_HIDE);
  s.current = index;
  SendMessageW(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  HWND page = s.windows[static_cast<std::size_t>(index)];
  NotifyPage(page, PSN_SETACTIVE);
  ShowWindow(page, SW_SHOW);
  (void)sheet;
}

// Closing with OK: the current page may refuse (PSN_KILLACTIVE), then every page applies.
void Confirm(HWND sheet, Sheet& s) {
  if (s.current >= 0 && NotifyPage(s.windows[static_cast<std::size_t>(s.current)], PSN_KILLACTIVE)) return;
  for (std::size_t i = 0; i < s.windows.size(); ++i) {
    if (!s.windows[i]) continue;
    LRESULT r = NotifyPage(s.windows[i], PSN_APPLY);
    if (r == PSNRET_INVALID || r == PSNRET_INVALID_NOCHANGEPAGE) {
      Show(sheet, s, static_cast<int>(i));
      return;
    }
  }
  EndDialog(sheet, 1);
}

void Cancel(HWND sheet, Sheet& s) {
  for (HWND w : s.windows)
    if (w) NotifyPage(w, PSN_RESET);
  EndDialog(sheet, 0);
}

INT_PTR CALLBACK_SheetProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto s = SheetOf(hwnd);
  if (!s) return FALSE;
  switch (msg) {
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(lparam);
      if (n->hwndFrom != s->tab) return FALSE;
      if (n->code == TCN_SELCHANGING) {
        LRESULT refuse = s->current >= 0 ? NotifyPage(s->windows[static_cast<std::size_t>(s->current)], PSN_KILLACTIVE) : 0;
        SetWindowLongPtrW(hwnd, DWL_MSGRESULT, refuse ? TRUE : FALSE);
        return TRUE;
      }
      if (n->code == TCN_SELCHANGE) {
        Show(hwnd, *s, static_cast<int>(SendMessageW(s->tab, TCM_GETCURSEL, 0, 0)));
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) Confirm(hwnd, *s);
      else if (LOWORD(wparam) == IDCANCEL) Cancel(hwnd, *s);
      return TRUE;
    case PSM_SETCURSEL: {
      int index = static_cast<int>(wparam);
      if (index < 0 || index >= static_cast<int>(s->windows.size())) return FALSE;
      if (s->current >= 0 && NotifyPage(s->windows[static_cast<std::size_t>(s->current)], PSN_KILLACTIVE)) return FALSE;
      Show(hwnd, *s, index);
      SetWindowLongPtrW(hwnd, DWL_MSGRESULT, TRUE);
      return TRUE;
    }
    case PSM_PRESSBUTTON:
      if (wparam == PSBTN_OK) Confirm(hwnd, *s);
      else if (wparam == PSBTN_CANCEL) Cancel(hwnd, *s);
      return TRUE;
    case PSM_GETTABCONTROL:
      SetWindowLongPtrW(hwnd, DWL_MSGRESULT, reinterpret_cast<LONG_PTR>(s->tab));
      return TRUE;
    case PSM_GETCURRENTPAGEHWND:
      SetWindowLongPtrW(hwnd, DWL_MSGRESULT,
                        reinterpret_cast<LONG_PTR>(s->current >= 0 ? s->windows[static_cast<std::size_t>(s->current)] : nullptr));
      return TRUE;
    case PSM_CHANGED:
    case PSM_UNCHANGED: return TRUE;
    case WM_SIZE: Layout(hwnd, *s); return FALSE;
    case WM_DESTROY: {
      std::lock_guard<std::mutex> lock(Mutex());
      Sheets().erase(hwnd);
      return FALSE;
    }
  }
  return FALSE;
}

std::optional<resources::DialogTemplate> PageTemplate(const PROPSHEETPAGEW& p) {
  if (p.dwFlags & PSP_DLGINDIRECT) {
    std::size_t size = resources::KnownTemplateSize(p.pResource);
    return resources::DecodeDialog(p.pResource, size ? size : (1u << 20));
  }
  auto set = resources::ResourcesOf(p.hInstance);
  const resources::DialogTemplate* t = set ? resources::FindDialog(*set, p.pszTemplate) : nullptr;
  if (!t) return std::nullopt;
  return *t;
}

}  // namespace
}  // namespace ce::dialogs

using namespace ce::dialogs;

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
  if (!page) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* p = new PSP{*page, {}};
  if ((page->dwFlags & PSP_USETITLE) && page->pszTitle && !IS_INTRESOURCE(page->pszTitle)) {
    p->title = ce::text::WideView(page->pszTitle);
    p->page.pszTitle = p->title.c_str();
  }
  if ((page->dwFlags & PSP_USECALLBACK) && page->pfnCallback && !page->pfnCallback(nullptr, PSPCB_CREATE, &p->page)) {
    delete p;
    return nullptr;
  }
  return p;
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
  if (!page) return FALSE;
  if ((page->page.dwFlags & PSP_USECALLBACK) && page->page.pfnCallback)
    page->page.pfnCallback(nullptr, PSPCB_RELEASE, &page->page);
  delete page;
  return TRUE;
}

INT_PTR PropertySheetW(LPCPROPSHEETHEADERW header) {
  if (!header || header->nPages == 0 || header->nPages > 100 ||
      ((header->dwFlags & PSH_PROPSHEETPAGE) ? !header->ppsp : !header->phpage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto s = std::make_shared<Sheet>();
  std::vector<std::unique_ptr<PSP>> owned;  // pages given as structures live for the sheet
  for (UINT i = 0; i < header->nPages; ++i) {
    if (header->dwFlags & PSH_PROPSHEETPAGE) {
      owned.emplace_back(CreatePropertySheetPageW(&header->ppsp[i]));
      s->pages.push_back(owned.back().get());
    } else {
      s->pages.push_back(header->phpage[i]);
    }
    if (!s->pages.back()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
  }
  if (header->dwFlags & PSH_USECALLBACK) s->callback = header->pfnCallback;
  if (s->callback) s->callback(nullptr, PSCB_GETVERSION, 0);

  // The sheet: a dialog as large as the largest page (or the screen), the tabs below its caption.
  ce::resources::DialogTemplate sheet_t;
  sheet_t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  sheet_t.caption = header->pszCaption && !IS_INTRESOURCE(header->pszCaption) ? std::u16string(ce::text::WideView(header->pszCaption)) : u"";
  sheet_t.font_face = u"Tahoma";
  sheet_t.font_points = 8;
  std::vector<ce::resources::DialogTemplate> templates;
  for (auto* p : s->pages) {
    auto t = PageTemplate(p->page);
    if (!t) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return -1;
    }
    sheet_t.cx = std::max(sheet_t.cx, t->cx);
    sheet_t.cy = std::max<short>(sheet_t.cy, static_cast<short>(t->cy + 16));
    templates.push_back(std::move(*t));
  }
  HWND owner = header->hwndParent;
  HWND sheet = CreateFromTemplate(header->hInstance, sheet_t, owner, nullptr, 0, true);
  if (!sheet) return -1;
  {
    std::lock_guard<std::mutex> lock(Mutex());
    Sheets()[sheet] = s;
  }
  SetWindowLongPtrW(sheet, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(&CALLBACK_SheetProc));
  if (header->dwFlags & PSH_MAXIMIZE) {
    // The screen above the soft-key bar, where the pages' bars go.
    MoveWindow(sheet, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - SOFTKEY_BAR_HEIGHT, FALSE);
  }
  s->tab = CreateWindowExW(0, WC_TABCONTROLW, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, sheet,
                           reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kSheetTabId)), header->hInstance, nullptr);
  SendMessageW(s->tab, WM_SETFONT, SendMessageW(sheet, WM_GETFONT, 0, 0), FALSE);
  for (std::size_t i = 0; i < s->pages.size(); ++i) {
    PSP* p = s->pages[i];
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::u16string title = p->title.empty() ? templates[i].caption : p->title;
    item.pszText = title.data();
    SendMessageW(s->tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    ce::resources::DialogTemplate t = templates[i];
    t.style = (t.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME)) | WS_CHILD | DS_CONTROL;
    t.x = t.y = 0;
    HWND page = CreateFromTemplate(p->page.hInstance, t, sheet, p->page.pfnDlgProc, reinterpret_cast<LPARAM>(&p->page), false);
    if (!page) {
      ce::scripted::User::Get().Log("property sheet: page " + std::to_string(i) + " could not be created");
      DestroyWindow(sheet);
      return -1;
    }
    s->windows.push_back(page);
  }
  if (s->callback) s->callback(sheet, PSCB_INITIALIZED, 0);
  Layout(sheet, *s);
  UINT start = (header->dwFlags & PSH_USEPSTARTPAGE) ? 0 : header->nStartPage;
  Show(sheet, *s, start < s->pages.size() ? static_cast<int>(start) : 0);
  INT_PTR result = RunModal(sheet, owner);
  return result;
}
