// The options sheet's first tab: the current cell id and LAC, the location mode (places known by
// cell id or by LAC), and the cells and LACs of the place picked in the combo, which the user
// assigns, adds by hand and removes. Every change of the location tables makes the schedule
// engine re-evaluate the current place. The place shown is the sheet's selected place.
#pragma once

#include <mutex>

#include "velomar/dialogs/PropertyPage.h"
#include "velomar/places/Records.h"

class CPropertySheetOptions;

class CPropertyPageDialogMain : public CPropertyPage {
 public:
  explicit CPropertyPageDialogMain(CPropertySheetOptions* owner);
  ~CPropertyPageDialogMain() override;

  void GetHelpId(std::u16string& id) override { id = u"main_dialog"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnContextMenuChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCtlColorStatic(HWND, UINT, WPARAM, LPARAM) override { return TRUE; }
  INT_PTR OnCtlColorEdit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSetActive() override;
  INT_PTR OnKillActive() override;

  // Fills the list with the place's cells (column 0) and LACs (column 1); true when the current
  // location is one of them. A negative id changes nothing and answers false.
  virtual bool FillLocationsList(int place_id);
  virtual void SelectPlaceInCombo(int place_id);
  // Menu: the selected row's value (by the location mode) leaves the location table.
  virtual void RemoveLocation();
  // Menu: a value typed in the add location dialog joins the shown place.
  virtual void AddLocation();
  // The button: assigns the current location to the shown place, or takes it away.
  virtual void AllocateCurrentLocation();

  // Shows the place `place_id` (description, image, locations, combo) and makes it the sheet's
  // selected place. Skipped while another thread is inside.
  void ShowRegistry(int place_id);
  // The place on display (key -1 while none); the profiles page shares it through the sheet.
  CStrPlace& GetShownPlace() { return m_shownPlace; }

 private:
  CPropertySheetOptions* Sheet() const;
  bool CellMode() const;
  // "Cell" or "LAC", by the location mode.
  static const WCHAR* KindWord(bool cell);
  void ReadCurrentLocation();
  void ReadLocationEdits();
  void ChangeInDB();

  std::mutex m_showLock;
  int m_currentCell = 0;
  int m_currentLac = 0;
  bool m_allocateMode = true;
  HBRUSH m_highlight = nullptr;
  HFONT m_boldFont = nullptr;
  CStrPlace m_shownPlace;
};
