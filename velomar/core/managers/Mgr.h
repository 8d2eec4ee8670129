// The base of every device manager: an id, a status, a worker thread on which every change runs,
// the status listeners, time-limited states (a status that reverts after some minutes through a
// notification that relaunches the program with "timer_notification_<id>_<n>") and the
// process-wide list of managers.
//
// The setting "mgr_config" holds one character per manager id below 50: '0' the manager is off
// (never refreshed, refuses changes), '2' full control, anything else (or no character) shown
// only: refreshed and announced but refusing changes. Ids 50 and above are never limited. It is
// read by the first manager built while no value has been read yet.
//
// Locks: the manager list, each listener list and the time-limit map are waited for at most
// 2000 ms; a time-out (shown when "debug_info" is on) asks for an orderly restart and the
// operation is skipped. Listeners are called outside the locks, on a copy of the list.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "velomar/core/WorkerThread.h"
#include "velomar/core/managers/Listeners.h"

// Manager ids (and the Today item's icon slots for 0 to 5).
enum MgrId : int {
  MGR_WIFI = 0,
  MGR_BT = 1,
  MGR_SPEAKER = 2,
  MGR_PHONE = 3,
  MGR_CONNECTIONS = 4,
  MGR_BAND = 5,
  MGR_RIL = 6,
  MGR_CPU = 9,
  MGR_MESSAGES = 10,
  MGR_BEAM = 50,
  MGR_CALLFORWARD = 51,
  MGR_BACKLIGHT = 52,
};

// The status a manager has before its first refresh.
constexpr int kStatusNone = -2;
// The event of a listener call after a refresh.
constexpr int kEventRefreshed = 10;

class CMgr : public ITimerNotificationListener, public WorkerThread {
 public:
  explicit CMgr(int id);
  // Derived managers stop the worker in their own destructor (their commands use them); this one
  // stops it too and leaves the manager list.
  ~CMgr() override;

  // Runs ProcessTimerNotification when the id is this manager's.
  void OnTimerNotification(int mgr_id, int notification_id) override;
  virtual void Initialize() = 0;
  virtual int NotifiesOnRefresh() = 0;
  virtual int GetId() = 0;
  // Reads the device state on the calling thread; a change is logged and (when the manager
  // notifies on refresh) announced with event 10, as is every forced refresh.
  virtual void RefreshStatus(int force);
  virtual void RefreshStatusChild(int force) = 0;
  virtual void Test() {}
  // Queues a change to the worker (any thread). Status 10 does nothing. `minutes` above 0 makes
  // the state time-limited: notification `notification_id` is armed that far ahead once applied.
  virtual void SetStatus(int status, int minutes, int notification_id, int delay_ms);
  virtual void SetStatusChild(int status, int minutes) = 0;
  virtual void SetRestStatus() = 0;
  virtual int GetEventCount() { return m_eventCount.load(); }
  virtual void SetTimeLimitNotification(int mgr_id, int minutes, int notification_id);
  // Arms the notification unless one of this executable for (this manager, notification_id) is
  // already pending.
  virtual void EnsureTimeLimitNotification(int mgr_id, int minutes, int notification_id);
  // -1 means this manager.
  virtual void ClearTimeLimitNotification(int mgr_id);
  virtual void ProcessTimerNotification(int notification_id);
  // Manager-specific commands (command ids other than 0), run on the worker.
  virtual void HandleCommand(int command_id, int status);
  // Queues manager-specific command `command_id` (not 0) with its argument to the worker (any
  // thread); HandleCommand(command_id, argument) runs it there.
  void PostMgrCommand(int command_id, int argument);
  virtual std::u16string GetName();
  virtual std::u16string GetStatusText(int status);

  int GetStatus() const { return m_status.load(); }
  void SetStatusValue(int status) { m_status = status; }
  // Posts to the Today item through the main window (when there is one) and calls the listeners
  // on this thread. Nothing once the application is shutting down.
  void FireStatusChanged(int event);
  void AddStatusListener(IStatusListener* listener);
  // Once it returns the listener is called no more and may go: it waits for the calls already
  // under way (unless it is called from inside a listener call, which cannot wait for itself).
  void RemoveStatusListener(IStatusListener* listener);

  // Reset when a change begins; set when a change is refused (then the result is 0), or by a
  // manager that reports the end of its change.
  HANDLE GetStatusChangeEvent() const { return m_statusChangeEvent; }
  int GetStatusChangeResult() const { return m_statusChangeResult.load(); }
  HANDLE GetLastNotification() const { return m_lastNotification.load(); }

  // The process-wide notification map, by key (a manager id, or another owner's own number such as
  // the schedule engine's 7): the pending notification under `key` is cleared and one that starts
  // this executable with `arguments` at local time `start` is armed and kept in its place, in one
  // step. Answers the new handle (null when refused).
  static HANDLE ArmMapNotificationAt(int key, const std::u16string& arguments, const SYSTEMTIME& start);
  // Clears the notification kept under `key`, if any.
  static void ClearMapNotification(int key);

  static void AddMgr(CMgr* mgr);
  static CMgr* GetMgr(int id);
  static void RefreshAll();
  static void SendStatusToPlugin();

  // What "mgr_config" allows for an id: refreshes, changes.
  static bool Refreshes(int id);
  static bool AcceptsChanges(int id);

 protected:
  void CountEvent() { m_eventCount.fetch_add(1); }
  void SetStatusChangeResult(int result) { m_statusChangeResult = result; }

 private:
  // WorkerThread: command 0 applies a status change; others go to HandleCommand(id, status).
  void HandleCommand(int command_id, ULONG_PTR parameter) override;
  static void RemoveMgr(CMgr* mgr);
  // Tells the Today item this manager's status (the radio manager: its cell and LAC) through the
  // main window; nothing without one.
  void PostToToday();
  // Writes the "changed" line of a refresh that read a new status.
  void LogStatusChange(int old_status, int new_status);
  // Takes a queued change's parameter out of the pending ones (false: not pending).
  bool TakeParameter(ULONG_PTR parameter);

  std::atomic<int> m_timeLimitMinutes{0};
  std::atomic<int> m_timeLimitNotification{0};
  std::vector<IStatusListener*> m_listeners;  // listener mutex
  // Listener calls under way, for RemoveStatusListener to wait for.
  std::mutex m_callsLock;
  std::condition_variable m_callsDone;
  int m_callsRunning = 0;
  std::atomic<int> m_status{kStatusNone};
  // Held from reading the old status until the change is logged: a change of the manager's own is
  // refreshed by its worker and by the device's notification at once, and each would otherwise
  // see the old status and log the same change.
  std::recursive_mutex m_refreshLock;
  std::atomic<int> m_eventCount{0};
  std::atomic<HANDLE> m_lastNotification{nullptr};
  HANDLE m_listenerMutex = nullptr;
  int m_id;
  HANDLE m_statusChangeEvent = nullptr;
  std::atomic<int> m_statusChangeResult{0};
  // Parameters of queued changes that have not run: freed at destruction when the stop dropped them.
  std::mutex m_parametersLock;
  std::set<ULONG_PTR> m_parameters;
};

namespace velomar::seam {
// Forgets the "mgr_config" value read, so that the next manager built reads it again.
void ResetMgrConfig();
}  // namespace velomar::seam
