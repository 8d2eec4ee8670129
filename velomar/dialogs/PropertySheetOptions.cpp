#include "velomar/dialogs/PropertySheetOptions.h"

#include "velomar/dialogs/PropertyPageDialogEventLog.h"
#include "velomar/dialogs/PropertyPageDialogMain.h"
#include "velomar/dialogs/PropertyPageDialogOptions1.h"
#include "velomar/dialogs/PropertyPageDialogOptions2.h"
#include "velomar/ui/Translator.h"

CPropertySheetOptions::CPropertySheetOptions(CBaseWindow* parent)
    : CPropertySheet(parent, CTranslator::GetInstance()->GetText(u"OPTIONS"), &PropSheetCallback),
      m_options1(new CPropertyPageDialogOptions1(this)),
      m_options2(new CPropertyPageDialogOptions2(this)),
      m_main(new CPropertyPageDialogMain(this)),
      m_eventLog(new CPropertyPageDialogEventLog(this)) {}

// The pages are deleted through the page list by the base.
CPropertySheetOptions::~CPropertySheetOptions() {
  if (!m_pagesCreated) {
    // Never shown: the pages are not in the list yet.
    AddPages();
  }
}

void CPropertySheetOptions::AddPages() {
  // In tab order; a page that is not made is left out.
  for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{m_main, m_eventLog, m_options1, m_options2})
    if (page) m_pages.push_back(page);
}
