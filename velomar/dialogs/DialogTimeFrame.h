// Creates or changes one period (time frame) of a place: a name, a begin and an end time of day.
// The period is handed to the schedule engine, which checks it against the place's other periods
// (and may ask about an overlap); the dialog ends with 1 only when the engine stored it, 2 on
// cancel. Templates: portrait 127, landscape 118, square 141; soft-key bar 113.
#pragma once

#include "velomar/dialogs/BaseDialog.h"

class CStrPeriod;

class CDialogTimeFrame : public CBaseDialog {
 public:
  CDialogTimeFrame(HWND parent, UINT template_id, CStrPeriod* period, int is_new);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  virtual void SaveNew();
  virtual void SaveExisting();

 private:
  // Reads the controls into the period; false (after "PLEASE FILL DATA") when the name is empty.
  bool ReadControls();

  int m_new;
  CStrPeriod* m_period;
};
