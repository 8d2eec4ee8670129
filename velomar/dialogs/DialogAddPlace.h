// Creates a new place or edits one: name, description and icon. A new place is inserted at once
// and, when the user agrees, gets a default period 00:00-00:00, after which the dialog asks whether
// the user wants to customise its actions (the answer goes to the opener's flag). An edited place
// is rewritten. Templates: portrait 107, landscape 108, square 139; soft-key bar 8. DoModal answers
// 1 when the place was stored, 2 on cancel, 0 when the place to edit does not exist.
#pragma once

#include "velomar/dialogs/BaseDialog.h"
#include "velomar/places/Records.h"

class CDialogAddPlace : public CBaseDialog {
 public:
  CDialogAddPlace(HWND parent, UINT template_id, CStrPlace* place, int is_new, int* customise_actions);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // The place's image below label 1008, on a light-blue frame (in the dialog's own coordinates).
  INT_PTR OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  virtual void SaveExisting();
  virtual void SaveNew();

  const CStrPlace& GetWorkingPlace() const { return m_working; }

 private:
  // Name and description into the working place; false (after "PLEASE FILL DATA") when one is
  // empty.
  bool ReadControls();

  CStrPlace* m_place;
  CStrPlace m_working;
  int m_new;
  int* m_customise;
};
