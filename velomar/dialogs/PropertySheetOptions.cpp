#include "velomar/dialogs/PropertySheetOptions.h"

#include "velomar/dialogs/PropertyPageConnections.h"
#include "velomar/dialogs/PropertyPageDialogBattery.h"
#include "velomar/dialogs/PropertyPageDialogCellHistory.h"
#include "velomar/dialogs/PropertyPageDialogEventLog.h"
#include "velomar/dialogs/PropertyPageDialogMain.h"
#include "velomar/dialogs/PropertyPageDialogOptions1.h"
#include "velomar/dialogs/PropertyPageDialogOptions2.h"
#include "velomar/dialogs/PropertyPageDialogProfiles.h"
#include "velomar/ui/Translator.h"

CPropertySheetOptions::CPropertySheetOptions(CBaseWindow* parent)
    : CPropertySheet(parent, CTranslator::GetInstance()->GetText(u"OPTIONS"), &PropSheetCallback),
      m_connections(new CPropertyPageConnections(this)),
      m_options1(new CPropertyPageDialogOptions1(this)),
      m_options2(new CPropertyPageDialogOptions2(this)),
      m_main(new CPropertyPageDialogMain(this)),
      m_profiles(new CPropertyPageDialogProfiles(this)),
      m_eventLog(new CPropertyPageDialogEventLog(this)),
      m_cellHistory(new CPropertyPageDialogCellHistory(this)),
      m_battery(new CPropertyPageDialogBattery(this)) {}

// The pages are deleted through the page list by the base.
CPropertySheetOptions::~CPropertySheetOptions() {
  if (!m_pagesCreated) {
    // Never shown: the pages are not in the list yet.
    AddPages();
  }
}

void CPropertySheetOptions::AddPages() {
  // In tab order; a page that is not made is left out.
  for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{m_main, m_profiles, m_connections, m_eventLog,
                                                                   m_cellHistory, m_battery, m_options1, m_options2})
    if (page) m_pages.push_back(page);
}
