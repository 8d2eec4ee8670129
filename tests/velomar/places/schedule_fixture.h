// The schedule engine with the places database, the real radio interface manager (places keyed by
// cell id) and recording stand-ins for the managers the actions drive: every SetStatus they get is
// written to one journal, in order, as "<manager>:<status>/<minutes>/<notification>/<delay>" (the
// call forwarding manager adds "#<number>", the speaker "~<volume>").
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/notify/notify.h"
#include "platform/text/format.h"
#include "platform/text/utf.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/CallForwardMgr.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"

namespace schedule_test {

class Journal {
 public:
  void Add(std::string entry) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_entries.push_back(std::move(entry));
  }
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(m_lock);
    return std::exchange(m_entries, {});
  }
  std::size_t Size() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_entries.size();
  }

 private:
  std::mutex m_lock;
  std::vector<std::string> m_entries;
};

inline std::string Entry(int id, int status, int minutes, int notification, int delay) {
  return ce::text::ToUtf8(ce::text::Format(u"%d:%d/%d/%d/%d", id, status, minutes, notification, delay));
}

class FakeMgr : public CMgr {
 public:
  FakeMgr(int id, Journal& journal) : CMgr(id), m_id(id), m_journal(journal) { SetStatusValue(0); }
  ~FakeMgr() override { Stop(); }
  void Initialize() override {}
  int NotifiesOnRefresh() override { return 0; }
  int GetId() override { return m_id; }
  void RefreshStatusChild(int) override {}
  void SetStatusChild(int, int) override {}
  void SetRestStatus() override {}
  std::u16string GetName() override { return ce::text::Format(u"Manager %d", m_id); }
  void SetStatus(int status, int minutes, int notification, int delay) override {
    m_journal.Add(Entry(m_id, status, minutes, notification, delay));
  }

 private:
  int m_id;
  Journal& m_journal;
};

class RecordingForward : public CCallForwardMgr {
 public:
  explicit RecordingForward(Journal& journal) : m_journal(journal) {}
  ~RecordingForward() override { Stop(); }
  void SetStatus(int status, int minutes, int notification, int delay) override {
    m_journal.Add(Entry(GetId(), status, minutes, notification, delay) + "#" + ce::text::ToUtf8(GetNumber()));
  }

 private:
  Journal& m_journal;
};

class RecordingSpeaker : public CSpeakerMgr {
 public:
  explicit RecordingSpeaker(Journal& journal) : m_journal(journal) {}
  ~RecordingSpeaker() override {
    StopPolling();
    Stop();
  }
  void SetStatus(int status, int minutes, int notification, int delay) override {
    m_journal.Add(Entry(GetId(), status, minutes, notification, delay) + "~" + std::to_string(GetPendingValue()));
  }

 private:
  Journal& m_journal;
};

class RecordingConnections : public CConnectionsMgr {
 public:
  explicit RecordingConnections(Journal& journal) : m_journal(journal) {}
  ~RecordingConnections() override { Stop(); }
  void SetStatus(int status, int minutes, int notification, int delay) override {
    m_journal.Add(Entry(GetId(), status, minutes, notification, delay));
  }
  void RefreshStatus(int) override {}

 private:
  Journal& m_journal;
};

// A pending notification of this executable: its arguments and its start (local time).
struct Pending {
  std::string arguments;
  SYSTEMTIME start;
};

class ScheduleTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    SetSetting(u"cell_history_list_number", 20);
    SetSetting(u"location_mode", 1);
    velomar::seam::ResetMgrConfig();
    velomar::seam::DeleteCellHistory();
    SetNow(1, 12, 0);  // Monday 1 June 2026, 12:00
    m_db = std::make_unique<CDB>();
    m_db->OpenDB();
    m_ril = std::make_unique<CRilMgr>();
    m_ril->SetLocationMode(1);
    for (int id : {MGR_WIFI, MGR_BT, MGR_PHONE, MGR_BAND, MGR_CPU, MGR_BACKLIGHT})
      m_fakes.push_back(std::make_unique<FakeMgr>(id, m_journal));
    m_speaker = std::make_unique<RecordingSpeaker>(m_journal);
    m_forward = std::make_unique<RecordingForward>(m_journal);
    m_connections = std::make_unique<RecordingConnections>(m_journal);
    m_engine = CScheduleEngine::GetInstance();
  }
  void TearDown() override {
    StopWorkers();
    if (m_db) m_db->CloseDB();
    m_db.reset();
    velomar::seam::DeleteCellHistory();
    ManagerTest::TearDown();
  }

  // Ends the engine and the managers, and with them every command thread they run; their
  // commands use the database, the managers and the translator, so a fixture that owns any of
  // those calls this before it frees them. Again, it does nothing.
  void StopWorkers() {
    StopWhileDriving([] { CScheduleEngine::DeleteInstance(); });
    m_engine = nullptr;
    StopWhileDriving([&] {
      m_connections.reset();
      m_forward.reset();
      m_speaker.reset();
      m_fakes.clear();
      m_ril.reset();
    });
  }

  // Day of June 2026 (1 is a Monday, 7 a Sunday) and local time (the zone is UTC).
  static void SetNow(int day, int hour, int minute) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 6;
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    SetSystemTimeUtc(t);
  }

  int AddPlace(const std::u16string& name, int cell) {
    CStrPlace place(name, u"", u"", -1);
    m_db->GetPlacesTable()->Insert(place);
    if (cell != 0) {
      CStrCell location;
      location.SetValue(cell);
      location.SetPlace(place.GetIdPlace());
      m_db->GetCellsTable()->Insert(location);
    }
    return place.GetIdPlace();
  }
  int AddPeriod(int place, const std::u16string& name, int bh, int bm, int eh, int em) {
    CStrPeriod period;
    period.SetIdPlace(place);
    period.SetName(name);
    SYSTEMTIME begin{}, end{};
    begin.wHour = static_cast<WORD>(bh);
    begin.wMinute = static_cast<WORD>(bm);
    end.wHour = static_cast<WORD>(eh);
    end.wMinute = static_cast<WORD>(em);
    period.SetBegin(begin);
    period.SetEnd(end);
    m_db->GetPeriodsTable()->Insert(period);
    return period.GetKey();
  }
  void AddAction(int period, int kind, int trigger, int status, int mask = 0, const std::u16string& text = u"",
                 int op3 = -1) {
    CStrAction action;
    action.SetIdPeriod(period);
    action.SetKind(kind);
    action.SetTrigger(trigger);
    action.SetIntOp1(status);
    action.SetIntOp2(mask);
    action.SetIntOp3(op3);
    action.SetSzOp1(text);
    m_db->GetActionsTable()->Insert(action);
  }

  // The radio reports a new serving cell.
  void MoveTo(int cell) { m_ril->PositionChanged(static_cast<DWORD>(cell), 7, 1); }

  // Drives the clock until the journal holds `count` entries; then a little longer, so that a
  // further (wrong) entry would show too. Answers what it holds.
  std::vector<std::string> Await(std::size_t count) {
    DriveClockUntil([&] { return m_journal.Size() >= count; }, 60'000);
    DriveClockUntil([] { return false; }, 1'000);
    return m_journal.Take();
  }

  // The summaries of the engine's event-log records, oldest first.
  std::vector<std::string> EngineEvents() {
    std::vector<std::string> out;
    const int n = Log()->GetRecordCount();
    for (int i = n - 1; i >= 0; --i) {
      CEventRecord record;
      if (Log()->GetRecord(i, record) && record.GetMgrId() == kEventLogScheduleId)
        out.push_back(ce::text::ToUtf8(record.GetResume()));
    }
    return out;
  }

  static std::vector<Pending> PendingNotifications() {
    std::vector<Pending> out;
    HANDLE handles[64];
    DWORD count = 0;
    CeGetUserNotificationHandles(handles, 64, &count);
    for (DWORD i = 0; i < count && i < 64; ++i) {
      alignas(CE_NOTIFICATION_INFO_HEADER) BYTE buffer[1024];
      DWORD needed = 0;
      if (!CeGetUserNotification(handles[i], sizeof buffer, &needed, buffer)) continue;
      const auto* trigger = reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(buffer)->pcent;
      if (trigger == nullptr) continue;
      out.push_back({trigger->lpszArguments ? ce::text::ToUtf8(trigger->lpszArguments) : std::string(),
                     trigger->stStartTime});
    }
    return out;
  }

  Journal m_journal;
  std::unique_ptr<CDB> m_db;
  std::unique_ptr<CRilMgr> m_ril;
  std::vector<std::unique_ptr<FakeMgr>> m_fakes;
  std::unique_ptr<RecordingSpeaker> m_speaker;
  std::unique_ptr<RecordingForward> m_forward;
  std::unique_ptr<RecordingConnections> m_connections;
  CScheduleEngine* m_engine = nullptr;
};

}  // namespace schedule_test
