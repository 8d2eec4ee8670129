// The event log tab: the records the event log keeps in memory, one row each with its time and
// message, coloured by level, read from the log as the list asks for them (an owner-data list).
// Selecting a row shows the event's detail dialog on a thread of its own; the menu opens the log's
// options, clears it, or writes twenty test events.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "velomar/core/EventLog.h"
#include "velomar/dialogs/PropertyPage.h"

class CPropertyPageDialogEventLog : public CPropertyPage, public IEventLogListener {
 public:
  explicit CPropertyPageDialogEventLog(CPropertySheet* owner);
  // Leaves the log's listeners; stops the test events and waits for their thread.
  ~CPropertyPageDialogEventLog() override;

  void GetHelpId(std::u16string& id) override { id = u"log_dialog"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSetActive() override;

  // Any thread, possibly while the log holds its lock: the new count is posted to the list, which
  // takes it on the window's thread (sending would wait for a thread that may be waiting for the
  // log's lock to read a row).
  void OnEventLogChanged(int record_count) override;

 private:
  static DWORD DetailThread(LPVOID parameter);
  static DWORD TestEventsThread(LPVOID parameter);

  std::atomic<HWND> m_list{nullptr};
  HANDLE m_stopTests = nullptr;  // set when the page goes: the test events stop
  std::mutex m_threadsLock;
  std::vector<HANDLE> m_testThreads;
};
