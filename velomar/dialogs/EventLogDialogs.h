// The event log's two dialogs.
//
// CDialogEventLogDetail shows one event in full (time, level, description, resume) and steps
// through the log with two buttons; it runs on a thread of the event log page's own while the log
// grows or is cleared on other threads, so it reads the count and a copy of the record under the
// log's lock and keeps that copy, never a pointer into the log. Templates: portrait 189,
// landscape 190, square 191; soft-key bar 155. DoModal answers 1 (IDOK, 40043) or 2 (cancel).
//
// CDialogEventLogOptions edits the four event log settings, which apply after a restart.
// Templates: portrait 186, landscape 188, square 187; soft-key bar 157; help "log_dialog_options".
#pragma once

#include <optional>

#include "velomar/core/EventLog.h"
#include "velomar/dialogs/BaseDialog.h"

class CDialogEventLogDetail : public CBaseDialog {
 public:
  CDialogEventLogDetail(HWND parent, UINT template_id, int index);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // The event at `index` becomes the shown one when the log has it (else the shown copy stays),
  // and the shown event fills the fields.
  virtual void ShowEvent(int index);
  // 1057: one step to an older event (index + 1), when there is one.
  virtual void ShowNext();
  // 1058: one step to a newer event (index - 1), when the index is at least 1.
  virtual void ShowPrevious();

  int GetIndex() const { return m_index; }
  const std::optional<CEventRecord>& GetShown() const { return m_event; }

 private:
  std::optional<CEventRecord> m_event;
  int m_index;
};

class CDialogEventLogOptions : public CBaseDialog {
 public:
  CDialogEventLogOptions(HWND parent, UINT template_id);

  void GetHelpId(std::u16string& id) override { id = u"log_dialog_options"; }
  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  virtual void BrowseLogFile();
};
