// The base of the property sheets: builds its pages' handles once, shows the sheet modally from a
// given tab, and deletes its pages with itself. A derived sheet names its pages in AddPages.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/dialogs/prsht.h"

class CBaseWindow;
class CPropertyPage;

// The options sheet's callback: the tabs run along the bottom (PSCB_INITIALIZED), version 526
// (PSCB_GETVERSION); 1 for everything else.
int PropSheetCallback(HWND hwnd, UINT message, LPARAM lparam);

class CPropertySheet {
 public:
  static constexpr std::size_t kMaxPages = 100;
  static constexpr int kTabControlId = 12320;

  CPropertySheet(CBaseWindow* parent, std::u16string title, PFNPROPSHEETCALLBACK callback);
  virtual ~CPropertySheet();
  CPropertySheet(const CPropertySheet&) = delete;
  CPropertySheet& operator=(const CPropertySheet&) = delete;

  // Shows the sheet modally with tab `start` (0-based, in the page list's order) first; returns
  // when the user has closed it. The pages are created on the first call only. A sheet that
  // cannot be shown is reported ("Error creando property sheet").
  virtual void DoModal(int start);
  // The derived sheet appends its pages to the list.
  virtual void AddPages() = 0;
  // AddPages, then one handle per page in list order.
  virtual void CreatePages();

  const std::vector<CPropertyPage*>& GetPages() const { return m_pages; }
  CBaseWindow* GetParent() const { return m_parent; }
  const std::u16string& GetTitle() const { return m_title; }

 protected:
  std::vector<CPropertyPage*> m_pages;  // owned: deleted with the sheet
  bool m_pagesCreated = false;
  CBaseWindow* m_parent;
  std::u16string m_title;
  std::array<HPROPSHEETPAGE, kMaxPages> m_pageHandles{};
  PFNPROPSHEETCALLBACK m_callback;
};
