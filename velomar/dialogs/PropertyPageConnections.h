// The connections tab: the data connections the connections manager knows, with three coloured
// state columns (enabled, connected, always on) that a tap switches; the preferred connection; the
// automatic close of idle connections; the manager's check statistics. The manager's listeners
// (status and statistics, called on its threads) only post to the page: the list is re-read and
// redrawn on the window's thread.
#pragma once

#include <atomic>

#include "velomar/core/managers/Listeners.h"
#include "velomar/dialogs/PropertyPage.h"

class CPropertyPageConnections : public CPropertyPage, public IStatusListener, public ITimerNotificationListener {
 public:
  explicit CPropertyPageConnections(CPropertySheet* owner);
  ~CPropertyPageConnections() override;

  void GetHelpId(std::u16string& id) override { id = u"connections_dialog"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSetActive() override;
  INT_PTR OnKillActive() override;

  // Any change of the connections manager's status (its threads): the page re-reads the list.
  void StatusChanged(int status, int mgr_id, int event) override;
  std::u16string GetName() override { return u"CPropertyPageConnections"; }
  // The idle check's statistics changed (its threads): the page shows them again.
  void OnTimerNotification(int mgr_id, int notification_id) override;

  void FillPreferredCombo();
  void RefreshList();
  void RefreshStatistics();

 private:
  std::atomic<HWND> m_page{nullptr};
  bool m_statisticsListener = false;
};
