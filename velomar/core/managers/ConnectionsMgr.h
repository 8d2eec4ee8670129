// The data connections manager (id 4): one CRasConnection per phonebook entry that the Connection
// Manager also knows (a provider key with an "enabled" value). Status 0 when no connection is
// enabled, 1 when some are but none is connected, 2 when one is connected (-1 when switched off
// in "mgr_config").
//
// The list is built once, at Initialize, and never rebuilt: indices into it name connections, and
// the pages keep its objects. RefreshConnections and NewEvent re-read the state of every
// connection in place. Every walk of the list holds its lock (recursive, no time limit).
//
// Idle watch: while a connection is connected and "activate_idle" is set, a notification relaunches
// the program with "iddle_notification"; the handler samples the traffic over "seconds_idle"
// seconds and hangs up (the preferred connection, or all) when none moved more than 1024 bytes.
// An early firing keeps the check's start, so the period is always measured in full.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "velomar/core/managers/Mgr.h"
#include "velomar/core/managers/RasConnection.h"

class CConnectionsMgr : public CMgr, public IStatusListener {
 public:
  using ConnectionList = std::vector<std::unique_ptr<CRasConnection>>;

  CConnectionsMgr();
  ~CConnectionsMgr() override;
  static CConnectionsMgr* GetInstance();

  // Builds the list, updates the idle watch and listens to the band and phone managers.
  void Initialize() override;
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_CONNECTIONS; }
  // From the flags as last refreshed.
  void RefreshStatusChild(int force) override;
  // 300 passes, 5 s apart, of status 2 and 0 alternately, each logged as "Test <n>".
  void Test() override;
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override { SetStatus(2, 0, 0, 0); }
  // The end of a time-limited state: 0 disables all, 1 hangs up, 2 connects.
  void ProcessTimerNotification(int notification_id) override;
  // 0: enable all (argument), 1: connect all (argument), 2: the preferred connection (argument).
  void HandleCommand(int command_id, int argument) override;
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;

  // IStatusListener: a change of the phone manager (event 0) re-applies the scheduled connection
  // actions; changes of the band manager are ignored.
  void StatusChanged(int status, int mgr_id, int event) override;

  // The Connection Manager's status message: re-reads every connection, refreshes the status,
  // hangs up connections that are connected but not enabled, and updates the idle watch.
  void NewEvent();

  // The list. Valid for the manager's life once Initialize has run; read the flags through the
  // connections, change them through the operations below.
  const ConnectionList& GetConnections() const { return m_connections; }
  // Re-reads the state of every connection under the list lock (never rebuilds the list).
  void RefreshConnections();
  bool HayConexionesActivas();
  bool HayConexionesHabilitadas();
  void HabilitarTodasConexiones(int flag);
  // Flag 0 hangs up, 1 connects: the preferred connection alone when there is one, else every
  // connection; each is enabled first. Then the status is refreshed.
  void ConectarTodasConexiones(int flag);

  // Entry operations: an index outside the list does nothing.
  void SetEnabled(int index, int flag);
  void ToggleEnabled(int index);
  void SetAlwaysOn(int index, int flag);
  void ToggleAlwaysOn(int index);
  void SetConnected(int index, int flag);
  void ToggleConnected(int index);

  // The preferred connection (or the first one), enabled if needed: 1 connects, 0 hangs up.
  void ConnectPreferred(int flag);
  // Marks the connection of that name preferred (it stores "connection_prefered"), others not.
  void SetPreferredConnection(const std::u16string& name);
  // Stores "" as "connection_prefered" and marks no connection preferred.
  void ClearPreferredConnection();
  void HangUpDisabledConnections();
  void PrintStatus();
  // Sent plus received bytes of every connection.
  DWORD GetTotalTraffic();

  // The idle watch: armed 20 s ahead when a connection is connected and "activate_idle" is set,
  // else cleared.
  void UpdateIddleNotification();
  // The handler of "iddle_notification" (the main window's thread).
  void OnIddleNotification();
  // Clears the armed notification and ends the running check.
  void RemoveIddleNotifications();
  // Idle listeners: told (OnTimerNotification(4, 0)) after every idle check.
  void AddListener(ITimerNotificationListener* listener);
  void RemoveListener(ITimerNotificationListener* listener);

  // Check statistics: start of the running check (all zero: none), connections hung up for
  // idleness, traffic samples taken, time of the last idle hang-up.
  SYSTEMTIME GetLastCheckTime();
  int GetIddleHangUpCount() const { return m_idleHangUps.load(); }
  int GetCheckCount() const { return m_checks.load(); }
  SYSTEMTIME GetLastHangUpTime();
  // The handle of the armed idle notification (null: none).
  HANDLE GetIddleNotification();

 private:
  void EnumEntries();
  // Re-reads one connection: connected when the radio is on and the entry is among the active
  // connections in the connected state; its traffic then.
  void EstablecerEstadoConnection(CRasConnection& connection);
  void RefreshTraffic();
  void SetIddleNotification(int seconds);
  void ClearIddleNotification();
  // The phone manager's status change (event 0): the schedule's connection actions for the
  // current place and time are applied again.
  void ReapplyScheduledActions();
  CRasConnection* At(int index);
  CRasConnection* Preferred();

  std::recursive_mutex m_listLock;
  ConnectionList m_connections;
  // Serialises the re-application of scheduled actions.
  std::mutex m_scheduleLock;
  // The idle watch: reached from the main window's thread, locked for the pages and tests.
  std::mutex m_idleLock;
  HANDLE m_idleNotification = nullptr;
  SYSTEMTIME m_lastCheck{};
  SYSTEMTIME m_lastHangUp{};
  std::atomic<int> m_idleHangUps{0};
  std::atomic<int> m_checks{0};
  std::mutex m_listenersLock;
  std::vector<ITimerNotificationListener*> m_idleListeners;
  bool m_listening = false;
};
