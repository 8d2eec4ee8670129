// The event log: the file line, the rollover, the in-memory list and its listeners.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/file_system_seam.h"
#include "platform/files/files.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/threads.h"
#include "platform/text/utf.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"

namespace {

std::filesystem::path HostOf(std::u16string ce_path) {
  std::string relative = ce::text::ToUtf8(ce_path);
  for (char& c : relative)
    if (c == '\\') c = '/';
  while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
  return ce::DeviceRootFolder() / relative;
}

std::string ReadDeviceFile(const std::u16string& ce_path) {
  std::ifstream in(HostOf(ce_path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteDeviceFile(const std::u16string& ce_path, const std::string& bytes) {
  std::filesystem::create_directories(HostOf(ce_path).parent_path());
  std::ofstream(HostOf(ce_path), std::ios::binary) << bytes;
}

std::string Utf16Le(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

class CountListener : public IEventLogListener {
 public:
  void OnEventLogChanged(int count) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_counts.push_back(count);
  }
  std::vector<int> Counts() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts;
  }

 private:
  std::mutex m_mutex;
  std::vector<int> m_counts;
};

class EventLogTest : public velomar_test::VelomarTest {
 protected:
  void SetUp() override {
    VelomarTest::SetUp();
    SYSTEMTIME at{};
    at.wYear = 2025;
    at.wMonth = 3;
    at.wDay = 4;
    at.wHour = 5;
    at.wMinute = 6;
    at.wSecond = 7;
    SetSystemTimeUtc(at);  // the device runs on UTC: local time is the same
    SetSetting(u"events_log_write_to_file", 1);
    SetSetting(u"events_log_file_max_size", 64);
    SetSetting(u"events_log_items_screen", 50);
  }
};

TEST_F(EventLogTest, WritesTheExactLineToTheDefaultLogFile) {
  ASSERT_TRUE(CreateDirectoryW(u"\\Program Files", nullptr));
  ASSERT_TRUE(CreateDirectoryW(u"\\Program Files\\Velomar", nullptr));
  CEventLog log;
  EXPECT_EQ(CConfig::GetInstance()->GetString(u"events_log_path"), u"\\Program Files\\Velomar\\log.txt");
  CEventLog::AddEvent(kEventLogAppId, EVENT_INFO, u"A", u"B");
  EXPECT_EQ(ReadDeviceFile(u"\\Program Files\\Velomar\\log.txt"), Utf16Le(u"2025-03-04 05:06:07   INFO. A. B.\r\n"));

  CEventRecord record;
  ASSERT_TRUE(log.GetRecord(0, record));
  EXPECT_EQ(record.GetMgrId(), 300);
  EXPECT_EQ(record.GetLevel(), 2);
  EXPECT_EQ(record.GetResume(), u"A");
  EXPECT_EQ(record.GetDescription(), u"B");
  EXPECT_EQ(record.GetThreadId(), GetCurrentThreadId());
  EXPECT_EQ(record.GetTime().wHour, 5);
  EXPECT_FALSE(log.GetRecord(1, record));
  EXPECT_FALSE(log.GetRecord(-1, record));
}

TEST_F(EventLogTest, LevelsOutsideTheirRangeAreWrittenAsUnknown) {
  SetSetting(u"events_log_path", u"\\log.txt");
  CEventLog log;
  CEventLog::AddEvent(1, 7, u"s", u"d");
  CEventLog::AddEvent(1, -1, u"s", u"d");
  CEventLog::AddEvent(1, EVENT_FATAL, u"s", u"d");
  EXPECT_EQ(ReadDeviceFile(u"\\log.txt"), Utf16Le(u"2025-03-04 05:06:07   UNKNOWN. s. d.\r\n"
                                                  u"2025-03-04 05:06:07   UNKNOWN. s. d.\r\n"
                                                  u"2025-03-04 05:06:07   FATAL. s. d.\r\n"));
}

TEST_F(EventLogTest, AnOverlongLineIsCutButKeepsItsLineEnd) {
  SetSetting(u"events_log_path", u"\\log.txt");
  CEventLog log;
  CEventLog::AddEvent(1, EVENT_INFO, std::u16string(1200, u'x').c_str(), u"d");
  CEventLog::AddEvent(1, EVENT_INFO, u"next", u"d");
  const std::string bytes = ReadDeviceFile(u"\\log.txt");
  const std::string second = Utf16Le(u"2025-03-04 05:06:07   INFO. next. d.\r\n");
  ASSERT_EQ(bytes.size(), 999 * 2 + second.size());
  EXPECT_EQ(bytes.substr(997 * 2, 4), Utf16Le(u"\r\n"));
  EXPECT_EQ(bytes.substr(999 * 2), second);
}

// A disk that fills up in the middle of a line: the cut line is taken back, and the event after
// room was freed starts a line of its own.
TEST_F(EventLogTest, ALineTheDiskCutShortIsTakenBackWhole) {
  SetSetting(u"events_log_path", u"\\log.txt");
  CEventLog log;
  CEventLog::AddEvent(1, EVENT_INFO, u"first", u"d");
  auto& seam = ce::files::FileSystemSeam::Get();
  seam.SetRoomLeft(20);
  CEventLog::AddEvent(1, EVENT_INFO, u"cut", u"d");
  seam.SetRoomLeft(std::nullopt);
  CEventLog::AddEvent(1, EVENT_INFO, u"after", u"d");
  EXPECT_EQ(ReadDeviceFile(u"\\log.txt"), Utf16Le(u"2025-03-04 05:06:07   INFO. first. d.\r\n"
                                                  u"2025-03-04 05:06:07   INFO. after. d.\r\n"));
  EXPECT_EQ(log.GetRecordCount(), 3);  // the list keeps every event
}

TEST_F(EventLogTest, RollsOverAtTheSizeLimitKeepingOneBackup) {
  const struct {
    std::u16string log;
    std::u16string backup;
  } cases[] = {
      {u"\\logs\\events.txt", u"\\logs\\events.bak"},
      // A log whose name already ends in "bak" keeps its events in a backup of its own.
      {u"\\logs\\events.bak", u"\\logs\\events.bak.bak"},
      {u"\\logs\\EVENTS.BAK", u"\\logs\\EVENTS.BAK.bak"},
      // The extension is replaced whatever its length; a name without one gets ".bak" added,
      // never a neighbour's name.
      {u"\\logs\\log", u"\\logs\\log.bak"},
      {u"\\logs\\events.md", u"\\logs\\events.bak"},
      {u"\\logs\\events.text", u"\\logs\\events.bak"},
      {u"\\logs.d\\events", u"\\logs.d\\events.bak"},
  };
  SetSetting(u"events_log_file_max_size", 1);  // 1024 bytes
  WriteDeviceFile(u"\\logs\\bak", "unrelated");  // what the last three characters would name
  WriteDeviceFile(u"\\logs.d\\bak", "unrelated");
  // 28 characters of time and level, 67 of texts and 5 of punctuation: 100 characters, 200 bytes.
  const std::u16string summary(30, u's');
  const std::u16string description(37, u'd');
  const std::u16string line = u"2025-03-04 05:06:07   INFO. " + summary + u". " + description + u".\r\n";
  ASSERT_EQ(line.size(), 100u);
  for (const auto& c : cases) {
    SCOPED_TRACE(ce::text::ToUtf8(c.log));
    for (const char16_t* folder : {u"\\logs", u"\\logs.d"})
      for (const auto& e : std::filesystem::directory_iterator(HostOf(folder)))
        if (e.path().filename() != "bak") std::filesystem::remove(e.path());
    WriteDeviceFile(c.backup, "an older backup");
    SetSetting(u"events_log_path", c.log);
    CEventLog log;
    for (int i = 0; i < 5; ++i) CEventLog::AddEvent(1, EVENT_INFO, summary.c_str(), description.c_str());
    EXPECT_EQ(ReadDeviceFile(c.log).size(), 1000u);
    EXPECT_EQ(ReadDeviceFile(c.backup), "an older backup");
    CEventLog::AddEvent(1, EVENT_INFO, summary.c_str(), description.c_str());
    EXPECT_EQ(ReadDeviceFile(c.backup), Utf16Le(line + line + line + line + line));
    EXPECT_EQ(ReadDeviceFile(c.log), Utf16Le(line));
    EXPECT_EQ(ReadDeviceFile(u"\\logs\\bak"), "unrelated");
    EXPECT_EQ(ReadDeviceFile(u"\\logs.d\\bak"), "unrelated");
  }
}

TEST_F(EventLogTest, ASizeLimitOfZeroKeepsOneLineInTheFile) {
  SetSetting(u"events_log_path", u"\\log.txt");
  SetSetting(u"events_log_file_max_size", 0);
  CEventLog log;
  CEventLog::AddEvent(1, EVENT_INFO, u"one", u"d");
  CEventLog::AddEvent(1, EVENT_INFO, u"two", u"d");
  EXPECT_EQ(ReadDeviceFile(u"\\log.txt"), Utf16Le(u"2025-03-04 05:06:07   INFO. two. d.\r\n"));
  EXPECT_EQ(ReadDeviceFile(u"\\log.bak"), Utf16Le(u"2025-03-04 05:06:07   INFO. one. d.\r\n"));
}

TEST_F(EventLogTest, TheListKeepsTheNewestEventsUpToItsLimitAndTellsTheListeners) {
  const struct {
    DWORD limit;
    std::vector<std::u16string> kept;  // newest first
    std::vector<int> counts;
  } cases[] = {
      {3, {u"5", u"4", u"3"}, {1, 2, 3, 3, 3, 0}},
      {0, {}, {0, 0, 0, 0, 0, 0}},
  };
  SetSetting(u"events_log_path", u"\\log.txt");
  SetSetting(u"events_log_write_to_file", 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    SetSetting(u"events_log_items_screen", c.limit);
    CEventLog log;
    CountListener listener, removed;
    log.AddListener(&listener);
    log.AddListener(&removed);
    log.RemoveListener(&removed);
    for (char16_t n = u'1'; n <= u'5'; ++n) CEventLog::AddEvent(2, EVENT_DEBUG, u"s", std::u16string(1, n).c_str());
    std::vector<std::u16string> kept;
    CEventRecord record;
    for (int i = 0; log.GetRecord(i, record); ++i) kept.push_back(record.GetDescription());
    EXPECT_EQ(kept, c.kept);
    EXPECT_EQ(log.GetRecordCount(), static_cast<int>(c.kept.size()));
    log.Clear();
    EXPECT_EQ(log.GetRecordCount(), 0);
    EXPECT_EQ(listener.Counts(), c.counts);
    EXPECT_TRUE(removed.Counts().empty());
    log.RemoveListener(&listener);
  }
  EXPECT_EQ(ReadDeviceFile(u"\\log.txt"), "");  // not written to
}

// A listener may leave (or bring another one in) from its own call: every listener registered
// when the event came is told exactly once.
class SelfRemovingListener : public IEventLogListener {
 public:
  SelfRemovingListener(CEventLog& log, IEventLogListener* joining) : m_log(log), m_joining(joining) {}
  void OnEventLogChanged(int count) override {
    ++m_calls;
    m_log.RemoveListener(this);
    if (m_joining) m_log.AddListener(m_joining);
    (void)count;
  }
  int m_calls = 0;

 private:
  CEventLog& m_log;
  IEventLogListener* m_joining;
};

TEST_F(EventLogTest, AListenerMayRemoveItselfOrAddAnotherFromItsCall) {
  SetSetting(u"events_log_path", u"\\log.txt");
  SetSetting(u"events_log_write_to_file", 0);
  CEventLog log;
  CountListener second, third, joining;
  SelfRemovingListener leaving(log, &joining);
  log.AddListener(&leaving);
  log.AddListener(&second);
  log.AddListener(&third);
  CEventLog::AddEvent(1, EVENT_INFO, u"s", u"d");
  EXPECT_EQ(leaving.m_calls, 1);
  EXPECT_EQ(second.Counts(), (std::vector<int>{1}));
  EXPECT_EQ(third.Counts(), (std::vector<int>{1}));
  EXPECT_TRUE(joining.Counts().empty());  // joined after the event came
  SelfRemovingListener leaving_on_clear(log, nullptr);
  log.AddListener(&leaving_on_clear);
  log.Clear();
  EXPECT_EQ(leaving_on_clear.m_calls, 1);
  EXPECT_EQ(second.Counts(), (std::vector<int>{1, 0}));
  EXPECT_EQ(third.Counts(), (std::vector<int>{1, 0}));
  EXPECT_EQ(joining.Counts(), (std::vector<int>{0}));
  EXPECT_EQ(leaving.m_calls, 1);
  log.RemoveListener(&second);
  log.RemoveListener(&third);
  log.RemoveListener(&joining);
}

TEST_F(EventLogTest, EventsFromManyThreadsAreAllWritten) {
  SetSetting(u"events_log_path", u"\\log.txt");
  SetSetting(u"events_log_items_screen", 10);
  CEventLog log;
  CountListener listener;
  log.AddListener(&listener);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 25; ++i) CEventLog::AddEvent(4, EVENT_WARNING, u"s", u"d");
    });
  for (auto& t : threads) t.join();
  const std::u16string line = u"2025-03-04 05:06:07   WARNING. s. d.\r\n";
  EXPECT_EQ(ReadDeviceFile(u"\\log.txt").size(), 100 * line.size() * 2);
  EXPECT_EQ(log.GetRecordCount(), 10);
  EXPECT_EQ(listener.Counts().size(), 100u);
  log.RemoveListener(&listener);
}

TEST_F(EventLogTest, AnUnopenableFileStillKeepsTheList) {
  SetSetting(u"events_log_path", u"\\no such folder\\log.txt");
  CEventLog log;
  CEventLog::AddEvent(1, EVENT_ERROR, u"s", u"d");
  EXPECT_EQ(log.GetRecordCount(), 1);
}

TEST_F(EventLogTest, APathNamingAFolderIsNeverRolledOver) {
  WriteDeviceFile(u"\\folder\\kept.txt", "mine");
  SetSetting(u"events_log_path", u"\\folder");
  SetSetting(u"events_log_file_max_size", 0);  // rolls over before every line
  CEventLog log;
  CEventLog::AddEvent(1, EVENT_ERROR, u"s", u"d");
  CEventLog::AddEvent(1, EVENT_ERROR, u"s", u"d");
  EXPECT_EQ(log.GetRecordCount(), 2);
  EXPECT_EQ(ReadDeviceFile(u"\\folder\\kept.txt"), "mine");
  EXPECT_FALSE(std::filesystem::exists(HostOf(u"\\folder.bak")));
}

}  // namespace
