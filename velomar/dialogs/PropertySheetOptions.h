// The options sheet that the main window opens: eight pages in the tab order main (0), profiles
// (1), connections (2), event log (3), cell history (4), battery (5), options 1 (6), options 2 (7),
// and the place that the main and profiles pages share (the selected place).
#pragma once

#include "velomar/dialogs/PropertySheet.h"

class CStrPlace;
class CWindowMain;
class CPropertyPageConnections;
class CPropertyPageDialogOptions1;
class CPropertyPageDialogOptions2;
class CPropertyPageDialogMain;
class CPropertyPageDialogProfiles;
class CPropertyPageDialogEventLog;
class CPropertyPageDialogCellHistory;
class CPropertyPageDialogBattery;

class CPropertySheetOptions : public CPropertySheet {
 public:
  // Title "OPTIONS", callback PropSheetCallback, parent the main window; the pages are made here,
  // each with this sheet as owner.
  explicit CPropertySheetOptions(CBaseWindow* parent);
  ~CPropertySheetOptions() override;

  void AddPages() override;

  CPropertyPageDialogMain* GetMainPage() const { return m_main; }
  // The place record shown by the main or the profiles page (not owned: it lives in that page);
  // null while none is chosen, and again when that place is removed.
  void SetSelectedPlace(CStrPlace* place) { m_selectedPlace = place; }
  CStrPlace* GetSelectedPlace() const { return m_selectedPlace; }

 private:
  CPropertyPageConnections* m_connections = nullptr;
  CPropertyPageDialogOptions1* m_options1 = nullptr;
  CPropertyPageDialogOptions2* m_options2 = nullptr;
  CPropertyPageDialogMain* m_main = nullptr;
  CPropertyPageDialogProfiles* m_profiles = nullptr;
  CPropertyPageDialogEventLog* m_eventLog = nullptr;
  CPropertyPageDialogCellHistory* m_cellHistory = nullptr;
  CPropertyPageDialogBattery* m_battery = nullptr;
  CStrPlace* m_selectedPlace = nullptr;
};
