#include "velomar/core/EventLog.h"

#include <algorithm>
#include <mutex>

#include "platform/files/files.h"
#include "platform/kernel/threads.h"
#include "platform/text/format.h"
#include "platform/text/wide_string.h"
#include "platform/time/time.h"
#include "teskautils/TeskaUtils.h"

namespace {

constexpr std::size_t kLineChars = 999;  // the line buffer holds 1000 characters with its terminator
constexpr std::size_t kMaxPathChars = 259;

std::recursive_mutex g_instanceMutex;
CEventLog* g_instance = nullptr;

const WCHAR* const kLevelNames[] = {u"TRACE", u"DEBUG", u"INFO", u"WARNING", u"ERROR", u"FATAL"};

// The backup of a log file: the log's own path with its extension replaced by "bak", or with
// ".bak" added when its name has no extension (so "\\Temp\\log" never becomes "\\Temp\\bak", an
// unrelated file). A log whose extension already is "bak" would be its own backup, and the
// rollover would delete the events it means to keep: ".bak" is added to it instead.
std::u16string BackupPathOf(const std::u16string& path) {
  const std::size_t name_start = path.find_last_of(u'\\') == std::u16string::npos ? 0 : path.find_last_of(u'\\') + 1;
  const std::size_t dot = path.find_last_of(u'.');
  if (dot != std::u16string::npos && dot > name_start) {
    std::u16string backup = path.substr(0, dot + 1) + u"bak";
    if (_wcsicmp(backup.c_str(), path.c_str()) != 0) return backup;
  }
  return path + u".bak";
}

// The line cut to the buffer, keeping its line end so that the next event starts a line of its own.
std::u16string FitLine(std::u16string line) {
  if (line.size() <= kLineChars) return line;
  std::size_t keep = kLineChars - 2;
  if (line[keep - 1] >= 0xD800 && line[keep - 1] <= 0xDBFF) --keep;  // never half a surrogate pair
  line.resize(keep);
  return line + u"\r\n";
}

}  // namespace

CEventLog::CEventLog() : WorkerThread(0) {
  m_path = m_settings.GetString(u"events_log_path");
  if (m_path.empty()) {
    WCHAR folder[MAX_PATH] = {};
    GetCurrentDirectory(folder);
    folder[MAX_PATH - 1] = 0;
    m_path = std::u16string(folder) + u"\\log.txt";
    if (m_path.size() > kMaxPathChars) m_path.resize(kMaxPathChars);
    m_settings.SetString(u"events_log_path", m_path.c_str());
  }

  InitializeCriticalSection(&m_lock);
  m_screenLimit = m_settings.GetDWORD(u"events_log_items_screen");
  OpenLogFile(m_path);
  // Registered last, so that no other thread sees it half built.
  std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
  if (g_instance == nullptr) g_instance = this;
}

CEventLog::~CEventLog() {
  {
    std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
    if (g_instance == this) g_instance = nullptr;
  }
  Stop();
  EnterCriticalSection(&m_lock);
  if (m_file) CloseHandle(m_file);
  m_file = nullptr;
  m_records.clear();
  LeaveCriticalSection(&m_lock);
  DeleteCriticalSection(&m_lock);
}

CEventLog* CEventLog::GetInstance() {
  std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
  if (g_instance == nullptr) {
    auto* log = new CEventLog();  // registers itself
    log->Start();
  }
  return g_instance;
}

CEventLog* CEventLog::GetExisting() {
  std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
  return g_instance;
}

void CEventLog::AddEvent(int mgr_id, int level, const WCHAR* summary, const WCHAR* description) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  auto record = std::make_unique<CEventRecord>(mgr_id, now, level, std::u16string(summary ? summary : u""),
                                               std::u16string(description ? description : u""),
                                               GetCurrentThreadId());
  GetInstance()->Add(std::move(record));
}

const WCHAR* CEventLog::LevelName(int level) {
  if (level < 0 || level >= static_cast<int>(std::size(kLevelNames))) return u"UNKNOWN";
  return kLevelNames[level];
}

void CEventLog::Add(std::unique_ptr<CEventRecord> record) {
  EnterCriticalSection(&m_lock);
  WriteToFile(*record);
  m_records.push_front(std::move(record));
  if (m_records.size() > m_screenLimit) m_records.pop_back();
  const int count = static_cast<int>(m_records.size());
  TellListeners(count);
  LeaveCriticalSection(&m_lock);
}

void CEventLog::Clear() {
  EnterCriticalSection(&m_lock);
  m_records.clear();
  TellListeners(0);
  LeaveCriticalSection(&m_lock);
}

void CEventLog::TellListeners(int record_count) {
  // A listener may remove itself, or add another, from its call: walk a copy. Those that have
  // left before their turn are not called.
  const std::vector<IEventLogListener*> listeners = m_listeners;
  for (IEventLogListener* listener : listeners) {
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
      listener->OnEventLogChanged(record_count);
  }
}

void CEventLog::AddListener(IEventLogListener* listener) {
  EnterCriticalSection(&m_lock);
  m_listeners.push_back(listener);
  LeaveCriticalSection(&m_lock);
}

void CEventLog::RemoveListener(IEventLogListener* listener) {
  EnterCriticalSection(&m_lock);
  auto it = std::find(m_listeners.begin(), m_listeners.end(), listener);
  if (it != m_listeners.end()) m_listeners.erase(it);
  LeaveCriticalSection(&m_lock);
}

int CEventLog::GetRecordCount() {
  EnterCriticalSection(&m_lock);
  const int count = static_cast<int>(m_records.size());
  LeaveCriticalSection(&m_lock);
  return count;
}

bool CEventLog::GetRecord(int index, CEventRecord& copy) {
  EnterCriticalSection(&m_lock);
  const bool found = index >= 0 && static_cast<std::size_t>(index) < m_records.size();
  if (found) copy = *m_records[static_cast<std::size_t>(index)];
  LeaveCriticalSection(&m_lock);
  return found;
}

void CEventLog::OpenLogFile(const std::u16string& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    m_file = nullptr;
    m_fileSize = 0;
    return;
  }
  m_file = file;
  m_path = path;
  m_fileSize = GetFileSize(file, nullptr);
  if (m_fileSize == INVALID_FILE_SIZE) m_fileSize = 0;
  SetFilePointer(file, 0, nullptr, FILE_END);
}

void CEventLog::RollOver() {
  if (m_file) {
    FlushFileBuffers(m_file);
    CloseHandle(m_file);
    m_file = nullptr;
  }
  std::u16string path = m_settings.GetString(u"events_log_path");
  if (path.empty()) path = m_path;
  // A path that names a folder (typed by the user) is no log: the folder is never moved.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::u16string backup = BackupPathOf(path);
    DeleteFileW(backup.c_str());
    MoveFileW(path.c_str(), backup.c_str());
  }
  OpenLogFile(path);
}

void CEventLog::WriteToFile(const CEventRecord& record) {
  if (m_settings.GetDWORD(u"events_log_write_to_file") == 0) return;

  const SYSTEMTIME& t = record.GetTime();
  const std::u16string line =
      FitLine(ce::text::Format(u"%04d-%02d-%02d %02d:%02d:%02d   %s. %s. %s.\r\n", t.wYear, t.wMonth, t.wDay, t.wHour,
                               t.wMinute, t.wSecond, LevelName(record.GetLevel()), record.GetResume().c_str(),
                               record.GetDescription().c_str()));
  std::string bytes;
  bytes.reserve(line.size() * 2);
  for (char16_t c : line) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }

  const unsigned long long limit = 1024ull * m_settings.GetDWORD(u"events_log_file_max_size");
  if (limit < static_cast<unsigned long long>(m_fileSize) + bytes.size()) RollOver();

  if (!m_file) return;
  // A failed write is not reported. A line the disk cut short is taken back whole, so the next
  // event never continues half a line.
  DWORD written = 0;
  if (!WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written < bytes.size() && written > 0) {
    SetFilePointer(m_file, static_cast<LONG>(m_fileSize), nullptr, FILE_BEGIN);
    if (!SetEndOfFile(m_file)) {
      m_fileSize += written;
      SetFilePointer(m_file, 0, nullptr, FILE_END);
    }
    return;
  }
  m_fileSize += written;
}
