// The schedule engine: turns the phone's location (the cell id or LAC of the radio interface
// manager) and the time of day into the current place and its current period, and runs a period's
// actions when it starts and when it ends. One instance per process with its own command thread:
// command 0 runs the start actions and 1 the end actions of the period whose key it carries, 2 a
// location change handed over by a listener call. Starts and ends run in the order they were
// queued; a start overtaken by a later change (its period no longer current) is dropped, and so
// is the end of a period whose start was dropped. Once a period's end ran it is no longer current.
// A new engine first clears the boundary notifications an earlier instance left armed.
//
// It listens to the radio interface manager (manager 6: only event 1, a new position, and event 10
// count) and to the phone manager, is the target of timer notifications 7 (0: the current period
// ends, 1: the next period starts) and 8 (a locked place's time is up), and is told by the editing
// dialogs when the tables changed (ChangeInDB).
//
// Threads: listener calls and timer notifications only post commands or store the atomic words
// (the two phone-off flags, the location value, the lock); table reads, the current period and the
// action runs belong to the command thread, which holds the database lock around its table work
// but never while it waits (sleeps, boxes, the window's thread). The file, theme and ring-tone
// actions run on threads of their own with their own copies. Once the application is shutting
// down nothing runs; an action whose manager does not exist is skipped.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "velomar/core/WorkerThread.h"
#include "velomar/core/managers/Listeners.h"
#include "velomar/places/Records.h"

class CDB;

// Timer notification ids of the engine ("timer_notification_07_<kind>", "timer_notification_08_999").
constexpr int kPeriodNotificationId = 7;
constexpr int kLockNotificationId = 8;
// The engine's id in the event log.
constexpr int kEventLogScheduleId = 301;
// The location value after ChangeInDB or a boundary: no cell or LAC has it, so the next location
// event counts as a change.
constexpr int kLocationForgotten = 999999;

// Action kinds beyond the manager ids.
enum ActionKind : int {
  ACTION_CUE = 11,
  ACTION_OPEN_FILE = 12,
  ACTION_MAIL = 13,
  ACTION_SMS = 14,
  ACTION_THEME = 15,
  ACTION_RING_TONE = 16,
};

class CScheduleEngine : public IStatusListener, public ITimerNotificationListener, public WorkerThread {
 public:
  // Stops the command thread and leaves the managers' listener lists.
  ~CScheduleEngine() override;

  // The engine, made (and its command thread started) by the first call.
  static CScheduleEngine* GetInstance();
  // The engine when it exists, else null.
  static CScheduleEngine* GetExisting();
  // Stops and deletes the engine (the application, once it is shutting down; tests).
  static void DeleteInstance();

  // Listener call, any thread: manager 6 with event 1 or 10 is queued as command 2.
  void StatusChanged(int status, int mgr_id, int event) override;
  std::u16string GetName() override { return u"CScheduleEngine"; }
  // The period rules (velomar/places/PeriodRules.h), on the caller's thread.
  virtual int AddPeriod(CStrPeriod& period);
  virtual int ModifyPeriod(CStrPeriod& period);
  // A location change, on the command thread.
  virtual void StatusChangedAsync(int status, int mgr_id, int event);

  // Notifications 7 and 8 (the UI thread's fan-out).
  void OnTimerNotification(int id, int n) override;
  void HandleCommand(int command_id, ULONG_PTR parameter) override;

  // The tables changed: the cell history looks its places up again, and place and period are
  // evaluated afresh on the command thread.
  void ChangeInDB();
  // Unlocking runs the end actions of the current period first.
  void SetLocked(int flag);
  bool IsLocked() const { return m_locked.load() != 0; }
  // Locks the location to `place`: its period holding now becomes current (its start actions run)
  // or its next period's start is armed.
  void LockPlace(const CStrPlace& place);
  // Copies: the locked place, and the period now running (key -1 when none).
  CStrPlace GetCurrentPlace();
  CStrPeriod GetCurrentPeriod();
  // Arms notification 7: kind 0 at the end of the current period, 1 at the start of the next,
  // today at hour:minute, or tomorrow when that minute has passed (the minute now stays today).
  void SetPeriodNotification(int kind, int hour, int minute);
  // The period of the current location's place that holds now; false when there is none.
  bool GetCurrentFrame(CStrPeriod& period);
  // The period of `place_key` that holds the local time now; false when there is none.
  bool FindFrameNow(CStrPeriod& period, int place_key);
  // The period that holds now for the place of a location value (cell id or LAC); false when the
  // value is in no place or no period of it holds now.
  bool FindFrameOfLocation(int value, CStrPeriod& period);
  // Starts a thread that chooses the Today theme `theme` in the control panel.
  void ApplyTheme(const std::u16string& theme);

  // What the engine is at (tests, the location button).
  int GetCurrentLocationValue() const { return m_location.load(); }

 private:
  CScheduleEngine();

  // Runs a queued start (trigger 0) or end (1); `transition` is the period's key and the entry of
  // that period into force (see Transition).
  void StartPeriod(int trigger, ULONG_PTR transition);
  void RunActions(int trigger, const std::vector<CStrAction>& actions);
  // P becomes current: its end is armed, the device woken, its start actions queued.
  void NewCurrentPeriod(const CStrPeriod& period);
  int CurrentPeriodKey();
  void SetCurrentPeriodKey(int key);
  // A queued start or end names the period and which of its entries into force it belongs to: the
  // same period may come into force again, later in a burst of moves, and a start or end queued
  // for an earlier entry must not pass for the one now.
  ULONG_PTR CurrentTransition();
  // The key of the first period of the place whose frame holds hour:minute, or -1.
  int FindPeriodAt(int hour, int minute, int place_key, bool inclusive_start);
  // The next period of a place to start (today or, failing that, tomorrow's first).
  bool GetNextPeriod(CStrPeriod& period, int place_key);
  // FindFrameNow, or else arms the start of the next period; true when one holds now.
  bool FindNowOrArmNext(CStrPeriod& period, int place_key);
  // The place key of a location value (`fallback` when it is not in the location table).
  int PlaceOfLocation(int value, int fallback);
  bool LocationKnown(int value);
  // Reads the place; when it is gone, the location row of `value` is deleted and false answered.
  bool ReadPlaceOrDrop(int place_key, int value, CStrPlace& place);
  // The name shown for the place now: the locked one, else the location's, else the default place.
  std::u16string PlaceNameNow();
  void WakeUp();
  void ClearPeriodNotification();
  void Log(int level, const std::u16string& summary, const std::u16string& description);
  static bool ShuttingDown();

  std::atomic<int> m_phoneOffAtStart{0};
  std::atomic<int> m_phoneOffAtEnd{0};
  // The (trigger, period) of the last run, on the command thread. No run yet: period -1 (period
  // keys are numbered from 0, so 0 would make the first period's first start a repeat).
  int m_lastTrigger = 0;
  int m_lastPeriod = -1;
  // The period whose start ran and whose end has not (command thread); -1 when none. With the
  // entry into force that start belonged to.
  int m_startedPeriod = -1;
  unsigned m_startedEntry = 0;
  std::atomic<int> m_location{-1};
  std::atomic<int> m_locked{0};
  std::mutex m_stateLock;  // the current period and the locked place
  CStrPeriod m_currentPeriod;
  unsigned m_currentEntry = 0;  // counts the periods that came into force (state lock)
  CStrPlace m_lockedPlace;
  // Parameters of queued command 2s, freed at destruction when a stop dropped them.
  std::mutex m_parametersLock;
  std::set<ULONG_PTR> m_parameters;
};

namespace velomar::schedule {
// The threads of the file, ring-tone and Today-theme actions; each takes its own copy.
void StartOpenFile(const std::u16string& file);
void StartRingTone(const CStrAction& action);
void StartTheme(const std::u16string& theme);
}  // namespace velomar::schedule
