// Manager tests of the phone and radio: the state broker and the places database (opened) of the
// test's own, the cell history made afresh, and a recorder of status-listener calls.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/testing/settled_clock.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "tests/velomar/managers/status_recorder.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"

namespace velomar_test {

class RadioTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    SetSetting(u"cell_history_list_number", 100);
    SetSetting(u"location_mode", 1);
    velomar::seam::DeleteCellHistory();
    m_db = std::make_unique<CDB>();
    m_db->OpenDB();
    m_broker = std::make_unique<CBroker>();
  }
  void TearDown() override {
    StopWhileDriving([&] { m_broker.reset(); });
    if (m_db) m_db->CloseDB();
    m_db.reset();
    velomar::seam::DeleteCellHistory();
    ManagerTest::TearDown();
  }

  // Inserts a place with one cell; answers its key.
  int AddPlaceWithCell(const std::u16string& name, int cell) {
    CStrPlace place(name, name, name + u".png", -1);
    m_db->GetPlacesTable()->Insert(place);
    CStrCell location;
    location.SetValue(cell);
    location.SetPlace(place.GetIdPlace());
    m_db->GetCellsTable()->Insert(location);
    return place.GetIdPlace();
  }
  CDB& db() { return *m_db; }

  // How many records of the event log have this summary (the log adds them on its own thread:
  // wait with DriveUntil).
  int LoggedWithResume(const std::u16string& resume) {
    CEventRecord record;
    int found = 0;
    for (int i = 0; Log()->GetRecord(i, record); ++i) found += record.GetResume() == resume ? 1 : 0;
    return found;
  }

  // Waits in real time (at most 10 s) for `done`, moving the manual clock a little each round.
  static bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 2000; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
  }
  // Moves the manual clock 50 ms every 5 ms of real time (at most `rounds` times) until `done`
  // holds. Each move lets the threads it woke run before the next, so that what they record
  // carries the time they woke at, however slow the machine (a vibration's end measured 1,000 ms
  // after its start, not 1,000 ms plus the clock's moves while the worker woke).
  static bool DriveUntil(const std::function<bool()>& done, int rounds = 6000) {
    for (int i = 0; i < rounds; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (!ce::testing::AdvanceClockSettled(50)) return false;
    }
    return done();
  }

 private:
  std::unique_ptr<CDB> m_db;
  std::unique_ptr<CBroker> m_broker;
};

}  // namespace velomar_test
