#include "velomar/dialogs/PropertySheet.h"

#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/dialogs/PropertyPage.h"
#include "velomar/ui/BaseWindow.h"

int PropSheetCallback(HWND hwnd, UINT message, LPARAM) {
  switch (message) {
    case PSCB_INITIALIZED: {
      if (HWND tab = GetDlgItem(hwnd, CPropertySheet::kTabControlId))
        SetWindowLongW(tab, GWL_STYLE, GetWindowLongW(tab, GWL_STYLE) | TCS_BOTTOM);
      return 1;
    }
    case PSCB_GETVERSION: return 526;
    default: return 1;
  }
}

CPropertySheet::CPropertySheet(CBaseWindow* parent, std::u16string title, PFNPROPSHEETCALLBACK callback)
    : m_parent(parent), m_title(std::move(title)), m_callback(callback) {}

CPropertySheet::~CPropertySheet() {
  for (HPROPSHEETPAGE handle : m_pageHandles)
    if (handle) DestroyPropertySheetPage(handle);
  for (CPropertyPage* page : m_pages) delete page;
}

void CPropertySheet::CreatePages() {
  AddPages();
  for (std::size_t i = 0; i < m_pages.size() && i < kMaxPages; ++i) m_pageHandles[i] = m_pages[i]->CreatePage();
  m_pagesCreated = true;
}

void CPropertySheet::DoModal(int start) {
  Trace(0, u"CPropertySheet::DoModal(%d)", start);
  if (!m_pagesCreated) CreatePages();
  PROPSHEETHEADERW header{};
  header.dwSize = 40;
  header.dwFlags = PSH_USECALLBACK | PSH_MAXIMIZE;
  header.hwndParent = m_parent ? m_parent->GetHwnd() : nullptr;
  header.hInstance = CApp::GetAppInstance();
  header.hIcon = nullptr;
  header.pszCaption = m_title.c_str();
  header.nPages = static_cast<UINT>(m_pages.size() < kMaxPages ? m_pages.size() : kMaxPages);
  header.nStartPage = static_cast<UINT>(start);
  header.phpage = m_pageHandles.data();
  header.pfnCallback = m_callback;
  if (PropertySheetW(&header) == -1) ProcesarError(u"Error creando property sheet");
  CPropertyPage::ClearPageMap();
}
