// The radio interface manager (id 6): the serving cell id and LAC, the signal strength and the
// battery level, from the radio interface layer's answers and notifications and from the power
// status. A new position is recorded in the cell history, written to the event log and fired as
// event 1; a new signal percentage fires event 0, a new battery level event 2 and a line in the
// battery log "\log_battery.txt" in the program folder (UTF-16LE, restarted at 30720 bytes).
//
// The location is refreshed by one of three modes, from the settings "refresh_location"
// (minutes; 0 none) and "awake_to_refresh_location": 0 no periodic query, 1 the poll thread
// queries every interval, 2 a timer notification (which wakes the device) queries and re-arms.
// A battery thread reads the battery every 60 s. Both threads end when the manager is destroyed:
// their run flags are cleared and they are waited for.
//
// Its own status value is only ever -1 (switched off by "mgr_config"); the values are events.
#pragma once

#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "platform/kernel/sync.h"
#include "platform/radio/ril.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/Mgr.h"

class CStrPlace;

// Events this manager fires.
enum : int { RIL_EVENT_SIGNAL = 0, RIL_EVENT_POSITION = 1, RIL_EVENT_BATTERY = 2 };

// The signal percentage of a RILSIGNALQUALITY record: -1 without the strength and minimum bits,
// with a maximum equal to the minimum, or for a record too short to hold them; otherwise
// 100 x ((s - mid) + (hi - mid)) / (hi - lo) with mid = (lo + hi) / 2, not clamped.
int SignalPercentOf(const void* data, DWORD size);

// One battery log line, "YYYY-MM-DD hh:mm:ss PPP%\r\n".
std::u16string BatteryLogLine(const SYSTEMTIME& time, int percent);

class CRilMgr : public CMgr, public IBrokerListener, public IStatusListener {
 public:
  // Opens the battery log; the radio and the threads wait for Initialize.
  CRilMgr();
  ~CRilMgr() override;
  static CRilMgr* GetInstance();

  void Initialize() override;
  int NotifiesOnRefresh() override { return 0; }
  int GetId() override { return MGR_RIL; }
  // Queries the cell tower and the signal, and reads the battery. A nonzero `force` makes an
  // unchanged position or signal fire again.
  void RefreshStatusChild(int force) override;
  void SetStatusChild(int, int) override {}
  void SetRestStatus() override { SetStatus(0, 0, 0, 0); }
  // Notification 0 in mode 2: queries the cell when the radio is on, then arms the next one.
  void ProcessTimerNotification(int notification_id) override;
  // The name is "CRilMgr" (as manager and as listener).
  std::u16string GetName() override { return u"CRilMgr"; }

  // Ends the poll and battery threads and waits for them (also done by the destructor).
  void StopThreads();

  // IBrokerListener: the battery state value changed.
  void OnStateChanged(DWORD notification) override;
  // IStatusListener: the phone manager's radio went off (values cleared) or on (full refresh).
  void StatusChanged(int status, int mgr_id, int event) override;

  // Closes the radio handle and opens it again, with notifications when `notifications` is set;
  // logs "EVENT_LOG_RIL_INIT_OK" or "EVENT_LOG_RIL_INIT_KO".
  void InitRil(int notifications);

  DWORD GetCellId() const { return m_cellId.load(); }
  DWORD GetLac() const { return m_lac.load(); }
  void SetCellId(DWORD value) { m_cellId = value; }
  void SetLac(DWORD value) { m_lac = value; }
  int GetSignalPercent() const { return m_signal.load(); }
  int GetBatteryPercent() const { return m_battery.load(); }
  void SetSignalPercent(int value) { m_signal = value > 100 ? 100 : value; }
  void SetBatteryPercent(int value) { m_battery = value > 100 ? 100 : value; }
  DWORD GetNotifyCount() const { return m_locationNotifications.load(); }
  DWORD UseCellId() const { return m_locationMode.load(); }
  // Stores the mode and writes the setting "location_mode".
  void SetLocationMode(DWORD mode);
  // The cell id when places are keyed by cell, else the LAC.
  DWORD GetLocationKey() const { return UseCellId() ? GetCellId() : GetLac(); }
  // Sets the location key to 0 and fires event 1.
  void ClearLocationKey();
  // Whether the location key is in the cells (or lacs) table.
  bool IsLocationKnown();
  // The place of the location key; true when the location and its place were found.
  bool FindPlaceOfLocation(CStrPlace& place);
  // Unless switched off: a cell-tower query whose answer is a position.
  void QueryCellTower();
  // Reads "refresh_location" and "awake_to_refresh_location" and switches the refresh mode.
  void ReadLocationSettings();
  void SetAwakeToRefresh() { ReadLocationSettings(); }
  int GetRefreshMode() const { return m_refreshMode.load(); }
  // Asks the user, then keeps the log as "\log_battery.bak" and starts a new one with one line.
  void ClearBatteryHistory();
  // Appends one line with the battery percent now, restarting the log when it would pass its
  // limit. Holds the battery log lock.
  void AppendBatteryLog();
  // The position step: a new pair is stored, recorded in the cell history, logged and fired as
  // event 1; the same pair fires only when the last refresh was forced.
  void PositionChanged(DWORD cell_id, DWORD lac, int from_notification);
  // Sends the modem a device-specific command on the radio handle; the command id or an error.
  HRESULT SendModemCommand(const BYTE* command, DWORD size);
  void RefreshMainWindow();

  // The battery page holds this lock while it reads the log.
  CRITICAL_SECTION* GetBatteryLogLock() { return &m_batteryLogLock; }
  const std::u16string& GetBatteryLogPath() const { return m_batteryLogPath; }

  DWORD GetResultCount() const { return m_resultCount.load(); }
  DWORD GetCellAnswerCount() const { return m_cellAnswers.load(); }

 private:
  static void ResultCallback(DWORD code, HRESULT command_id, const void* data, DWORD size, DWORD param);
  static void NotifyCallback(DWORD code, const void* data, DWORD size, DWORD param);
  static DWORD PollThread(LPVOID self);
  static DWORD BatteryThread(LPVOID self);
  void OnResult(DWORD code, HRESULT command_id, const void* data, DWORD size);
  void OnNotify(DWORD code, const void* data, DWORD size);
  void SignalChanged(int percent, bool use_force);
  void ReadBatteryLevel();
  bool SwitchedOff() const;
  void QuerySignal();
  void OpenBatteryLog(DWORD creation);
  void RepaintBar();
  HRIL Radio() const;

  HANDLE m_pollThread = nullptr;
  HANDLE m_batteryThread = nullptr;
  HANDLE m_stopThreads = nullptr;  // set when the threads must end
  std::atomic<bool> m_pollRun{true};
  std::atomic<bool> m_batteryRun{true};
  HANDLE m_batteryLog = nullptr;
  DWORD m_batteryLogLimitKb = 30;
  DWORD m_batteryLogSize = 0;
  std::atomic<int> m_refreshMode{-1};
  std::atomic<int> m_refreshInterval{-1};
  mutable std::mutex m_radioLock;
  HRIL m_radio = nullptr;
  std::atomic<DWORD> m_notifications{0};
  std::atomic<DWORD> m_locationNotifications{0};
  std::atomic<DWORD> m_cellAnswers{0};
  std::atomic<DWORD> m_resultCount{0};
  // Before the first answer: no cell, no LAC, no signal, no battery.
  std::atomic<DWORD> m_cellId{0};
  std::atomic<DWORD> m_lac{0};
  std::mutex m_queryLock;  // a query and the store of its command id
  std::atomic<HRESULT> m_cellRequest{0};
  std::atomic<HRESULT> m_signalRequest{0};
  // Read by the broker's and the registry watcher's threads while Initialize stores it.
  std::atomic<HREGNOTIFY> m_batteryNotification{nullptr};
  std::atomic<int> m_signal{-1};
  std::atomic<int> m_battery{-1};
  std::atomic<DWORD> m_locationMode{0};
  std::u16string m_batteryLogPath;
  std::atomic<int> m_force{0};
  CRITICAL_SECTION m_batteryLogLock{};
  std::mutex m_positionLock;
  std::mutex m_batteryReadLock;
  bool m_listeningToPhone = false;
  bool m_listeningToBroker = false;
};
