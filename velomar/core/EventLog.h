// The event log: every event goes to an in-memory list (newest first, trimmed to the setting
// "events_log_items_screen") and, when "events_log_write_to_file" is set, as one UTF-16 line to the
// file "events_log_path", which rolls over into a backup file at "events_log_file_max_size" KB.
// Any thread may add an event; listeners are called on the adding thread, under the log's lock,
// and must only post or store.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/kernel/sync.h"
#include "velomar/core/RegistryKey.h"
#include "velomar/core/WorkerThread.h"

// Event levels.
enum : int { EVENT_TRACE = 0, EVENT_DEBUG = 1, EVENT_INFO = 2, EVENT_WARNING = 3, EVENT_ERROR = 4, EVENT_FATAL = 5 };

// The application's own manager id in the log.
constexpr int kEventLogAppId = 300;

class CEventRecord {
 public:
  CEventRecord() = default;
  CEventRecord(int mgr_id, const SYSTEMTIME& time, int level, std::u16string summary, std::u16string description,
               DWORD thread_id)
      : m_mgrId(mgr_id), m_time(time), m_level(level), m_summary(std::move(summary)),
        m_description(std::move(description)), m_threadId(thread_id) {}
  virtual ~CEventRecord() = default;

  int GetMgrId() const { return m_mgrId; }
  const SYSTEMTIME& GetTime() const { return m_time; }
  int GetLevel() const { return m_level; }
  const std::u16string& GetResume() const { return m_summary; }
  const std::u16string& GetDescription() const { return m_description; }
  DWORD GetThreadId() const { return m_threadId; }

 private:
  int m_mgrId = 0;
  SYSTEMTIME m_time{};
  int m_level = 0;
  std::u16string m_summary;
  std::u16string m_description;
  DWORD m_threadId = 0;
};

class IEventLogListener {
 public:
  virtual ~IEventLogListener() = default;
  // The number of records after an event was added, or 0 after Clear.
  virtual void OnEventLogChanged(int record_count) = 0;
};

class CEventLog : public WorkerThread {
 public:
  // Reads the settings, opens the log file and registers as the event log (when none is
  // registered). GetInstance builds and starts it on first use; a test may build its own.
  CEventLog();
  ~CEventLog() override;

  // The event log, built and started on first use. Any thread.
  static CEventLog* GetInstance();
  // The event log when one exists, else null (nothing is built).
  static CEventLog* GetExisting();
  // Stamps the local time and the calling thread's id and adds the event. Any thread.
  static void AddEvent(int mgr_id, int level, const WCHAR* summary, const WCHAR* description);
  // The name a level has in the file: "TRACE" .. "FATAL", "UNKNOWN" outside 0..5.
  static const WCHAR* LevelName(int level);

  void Clear();
  void AddListener(IEventLogListener* listener);
  void RemoveListener(IEventLogListener* listener);

  // Both under the log's lock: the number of records, and a copy of the record at `index`
  // (0 = newest). False for an index out of range.
  int GetRecordCount();
  bool GetRecord(int index, CEventRecord& copy);

 private:
  void Add(std::unique_ptr<CEventRecord> record);
  void WriteToFile(const CEventRecord& record);
  void OpenLogFile(const std::u16string& path);
  void RollOver();
  // Calls every listener registered when the call began (and still registered at its turn).
  void TellListeners(int record_count);

  // The program's settings key, read directly: the log outlives the application's settings object.
  CRegistryKey m_settings{u"\\SOFTWARE\\Morvane\\Velomar"};
  CRITICAL_SECTION m_lock{};
  std::vector<IEventLogListener*> m_listeners;
  std::deque<std::unique_ptr<CEventRecord>> m_records;  // newest first
  DWORD m_screenLimit = 0;
  std::u16string m_path;                                // the log file as last opened
  HANDLE m_file = nullptr;                              // null when it could not be opened
  DWORD m_fileSize = 0;
};
