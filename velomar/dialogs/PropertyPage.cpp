#include "velomar/dialogs/PropertyPage.h"

#include <map>

#include "platform/dialogs/aygshell.h"
#include "platform/menus/menus.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/SoftKeys.h"
#include "velomar/ui/Translator.h"

namespace {

// The soft keys of the pages that save: the left key, the menu key and its menu's commands.
constexpr UINT kLeftKey = 101;
constexpr UINT kMenuKey = 40006;
constexpr UINT kSaveCommand = 40043;
constexpr UINT kHelpCommand = 40241;

// Page window -> page object, for the pages of the open sheet (user-interface thread only).
std::map<HWND, CPropertyPage*>& PageMap() {
  static std::map<HWND, CPropertyPage*> map;
  return map;
}

INT_PTR Dispatch(CPropertyPage* page, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: return page->OnPaint(hwnd, msg, wparam, lparam);
    case WM_KILLFOCUS: return page->OnKillFocus(hwnd, msg, wparam, lparam);
    case WM_NOTIFY: return page->OnNotify(hwnd, msg, wparam, lparam);
    case WM_CONTEXTMENU: return page->OnContextMenu(hwnd, msg, wparam, lparam);
    case WM_COMMAND: return page->OnCommand(hwnd, msg, wparam, lparam);
    case WM_INITMENUPOPUP: return page->OnInitMenuPopup(hwnd, msg, wparam, lparam);
    case WM_CTLCOLOREDIT: return page->OnCtlColorEdit(hwnd, msg, wparam, lparam);
    case WM_CTLCOLORSTATIC: return page->OnCtlColorStatic(hwnd, msg, wparam, lparam);
    case WM_LBUTTONDOWN: {
      SHRGINFO gesture{};
      gesture.cbSize = sizeof gesture;
      gesture.hwndClient = hwnd;
      gesture.ptDown = POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      gesture.dwFlags = SHRG_RETURNCMD;
      if (SHRecognizeGesture(&gesture) == GN_CONTEXTMENU) return FALSE;
      return page->OnLButtonDown(hwnd, msg, wparam, lparam);
    }
    case WM_CREATE: Trace(0, u"Create"); return FALSE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR PropertyPageProcGeneric(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  try {
    CPropertyPage* page = CPropertyPage::FindPage(hwnd);
    if ((page == nullptr && msg != WM_INITDIALOG) || (page != nullptr && page->GetOwner() == nullptr)) {
      Trace(0, u"Page no encontrada.Msg:%d", static_cast<int>(msg));
      return FALSE;
    }
    if (msg == WM_INITDIALOG) {
      const auto* sheet_page = reinterpret_cast<const PROPSHEETPAGEW*>(lparam);
      auto* created = sheet_page ? reinterpret_cast<CPropertyPage*>(sheet_page->lParam) : nullptr;
      if (created == nullptr) {
        Trace(0, u"Page no encontrada");
        return FALSE;
      }
      PageMap()[hwnd] = created;
      created->SetHwnd(hwnd);
      page = CPropertyPage::FindPage(hwnd);
      if (page == nullptr || page->GetOwner() == nullptr) {
        Trace(0, u"Page no encontrada");
        return FALSE;
      }
      return page->OnInitDialog(hwnd, msg, wparam, lparam);
    }
    return Dispatch(page, hwnd, msg, wparam, lparam);
  } catch (CBaseException& e) {
    e.ShowError();
    return FALSE;
  }
}

INT_PTR PropertyPageProcGuard(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  try {
    return PropertyPageProcGeneric(hwnd, msg, wparam, lparam);
  } catch (...) {
    // Any other fault of a page handler: the program closes and starts again.
    Trace(0, u"Excepcion grave en PropertyPageProcGeneric");
    if (CConfig* config = CConfig::GetInstance(); config && config->GetDWORD(u"debug_info") != 0)
      ProcesarExcepcion(nullptr);
    RequestRestart();
    return FALSE;
  }
}

CPropertyPage::CPropertyPage(DLGPROC procedure, UINT menu_bar_id, CPropertySheet* owner)
    : m_procedure(procedure ? procedure : &PropertyPageProcGuard), m_menuBarId(menu_bar_id), m_owner(owner) {}

CPropertyPage* CPropertyPage::FindPage(HWND hwnd) {
  auto it = PageMap().find(hwnd);
  return it == PageMap().end() ? nullptr : it->second;
}

void CPropertyPage::ClearPageMap() { PageMap().clear(); }
std::size_t CPropertyPage::PageMapSize() { return PageMap().size(); }

HPROPSHEETPAGE CPropertyPage::CreatePage() {
  const std::u16string title = GetTitle();
  const UINT template_id = GetTemplateId();
  PROPSHEETPAGEW page{};
  page.dwSize = 40;
  page.dwFlags = PSP_USETITLE | PSP_HASHELP | PSP_USECALLBACK | PSP_PREMATURE;
  page.hInstance = CApp::GetAppInstance();
  page.pszTemplate = MAKEINTRESOURCEW(template_id & 0xFFFF);
  page.pszTitle = title.c_str();  // the platform keeps its own copy of the title
  page.pfnDlgProc = m_procedure;
  page.lParam = reinterpret_cast<LPARAM>(this);
  page.pfnCallback = nullptr;
  HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page);
  if (handle == nullptr) ProcesarError(u"Error creating page %d", static_cast<int>(template_id));
  return handle;
}

INT_PTR CPropertyPage::OnInitDialogChild(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

INT_PTR CPropertyPage::OnInitDialog(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const INT_PTR result = OnInitDialogChild(hwnd, msg, wparam, lparam);
  SHINITDLGINFO info{};
  info.dwMask = SHIDIM_FLAGS;
  info.hDlg = hwnd;
  info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
  SHInitDialog(&info);
  return result;
}

INT_PTR CPropertyPage::OnContextMenuChild(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnContextMenu(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return OnContextMenuChild(hwnd, msg, wparam, lparam);
}
INT_PTR CPropertyPage::OnCommand(HWND, UINT, WPARAM, LPARAM) { return TRUE; }
INT_PTR CPropertyPage::OnPaint(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnCtlColorStatic(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnCtlColorEdit(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnKillFocus(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnLButtonDown(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnNotifyChild(HWND, UINT, WPARAM, LPARAM) { return TRUE; }
INT_PTR CPropertyPage::OnInitMenuPopup(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CPropertyPage::OnSetActive() { return TRUE; }
INT_PTR CPropertyPage::OnKillActive() { return TRUE; }

INT_PTR CPropertyPage::OnNotify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header != nullptr) {
    if (header->code == PSN_KILLACTIVE) {
      OnKillActive();
    } else if (header->code == PSN_SETACTIVE) {
      if (m_menuBarId != 0 && !velomar::ui::CreateSoftKeyBar(hwnd, m_menuBarId, CApp::GetAppInstance(), m_menuBar))
        throw CBaseException(u"%s", Text(u"ERROR CREATING MENU").c_str());
      OnSetActive();
    } else if (header->code == GN_CONTEXTMENU && header->hwndFrom != nullptr && header->hwndFrom != hwnd) {
      // A control's tap-and-hold (a list row held) comes as this notification: it is handled as
      // the page's context menu at the held point.
      const auto* gesture = reinterpret_cast<const NMRGINFO*>(lparam);
      const LPARAM point = MAKELPARAM(static_cast<WORD>(gesture->ptAction.x), static_cast<WORD>(gesture->ptAction.y));
      OnContextMenu(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header->hwndFrom), point);
    }
  }
  return OnNotifyChild(hwnd, msg, wparam, lparam);
}

std::u16string CPropertyPage::Text(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }

void CPropertyPage::SetItemText(int control, const WCHAR* id) {
  SetDlgItemTextW(m_hwnd, control, Text(id).c_str());
}

void CPropertyPage::SetSoftKeyText(UINT command, const std::u16string& text) {
  velomar::ui::SetSoftKeyText(m_menuBar ? m_menuBar : SHFindMenuBar(m_hwnd), command, text);
}

void CPropertyPage::SetMenuItem(UINT menu_key, int position, UINT command, const std::u16string& text) {
  velomar::ui::SetSoftKeyMenuItem(m_menuBar ? m_menuBar : SHFindMenuBar(m_hwnd), menu_key, position, command, text);
}

HWND CPropertyPage::SheetWindow() const { return m_hwnd ? GetParent(m_hwnd) : nullptr; }

void CPropertyPage::PostOkToSheet() const {
  if (HWND sheet = SheetWindow()) PostMessageW(sheet, WM_COMMAND, IDOK, 0);
}

void CPropertyPage::ShowSaveHelpKeys() {
  SetSoftKeyText(kLeftKey, Text(u"CANCEL"));
  SetSoftKeyText(kMenuKey, Text(u"MENU_MENU"));
  SetMenuItem(kMenuKey, 0, kSaveCommand, Text(u"SAVE"));
  SetMenuItem(kMenuKey, 1, kHelpCommand, Text(u"MENU_HELP_TEXT"));
}

bool CPropertyPage::SaveHelpCommand(UINT command) {
  switch (command) {
    case IDOK:
    case IDCANCEL:
    case kLeftKey:
    case kSaveCommand: PostOkToSheet(); return true;
    case kHelpCommand: ShowHelp(); return true;
    default: return false;
  }
}
