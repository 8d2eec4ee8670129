// Two threads on the places database: one walks the caches and finds records while the other
// inserts, deletes and closes and reopens the volume under the database lock. A reader that holds
// the database lock never sees a closed table; one that does not gets empty answers, never a crash.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/velomar/places/places_fixture.h"

namespace {

using places_test::PlacesTest;

class ConcurrencyTest : public PlacesTest {
 protected:
  void SetUp() override {
    PlacesTest::SetUp();
    db().OpenDB();
    for (int i = 0; i < 8; ++i) AddFamily(i);
  }

  // A place with a cell, a LAC, a period and two actions.
  void AddFamily(int n) {
    const int place = AddPlace(u"place " + std::u16string(1, static_cast<char16_t>(u'a' + n % 26))).GetIdPlace();
    AddLocation(cells(), 10000 + n, place);
    AddLocation(lacs(), 20000 + n, place);
    const CStrPeriod period = AddPeriod(place, u"p", static_cast<WORD>(n % 24), 0, static_cast<WORD>((n + 1) % 24), 0);
    AddAction(period.GetKey(), 2);
    AddAction(period.GetKey(), 6, 1);
  }

  // One walk over every table; answers the number of records seen.
  int Walk() {
    int seen = 0;
    std::vector<CStrPlace> all;
    places().GetAllRecords(all);
    for (CStrPlace place : all) {
      seen += places().FindAndFill(place) ? 1 : 0;
      std::vector<CStrPeriod> list;
      periods().GetAllRecordsForPlace(list, place.GetIdPlace());
      for (const CStrPeriod& period : list) {
        std::vector<CStrAction> acts;
        actions().GetActionsOfPeriod(acts, period.GetKey());
        seen += static_cast<int>(acts.size());
        CStrPeriod found;
        found.SetKey(period.GetKey());
        periods().FindAndFill(found);
      }
      LocationList rows;
      cells().GetRecordsOfPlace(rows, place.GetIdPlace());
      for (const auto& row : rows) {
        CStrCell cell;
        cell.SetValue(row->GetValue());
        seen += cells().FindAndFill(cell) ? 1 : 0;
      }
    }
    int count = 0;
    actions().CheckIntegrity(count);
    seen += lacs().CountRecords();
    return seen;
  }
};

TEST_F(ConcurrencyTest, WalkersAndAWriterThatClosesAndReopensTheVolume) {
  std::atomic<bool> done{false};
  std::atomic<int> closed_seen_under_lock{0};
  std::atomic<int> walks{0};
  std::atomic<int> failures{0};

  auto locked_walker = [&] {
    while (!done) {
      {
        std::lock_guard<std::recursive_mutex> lock(db().GetLock());
        if (!places().IsOpen() || !actions().IsOpen()) ++closed_seen_under_lock;
        try {
          if (Walk() == 0) ++closed_seen_under_lock;  // the default place at least is always there
        } catch (...) {
          ++failures;
        }
        ++walks;
      }
      std::this_thread::yield();  // let the writer at the lock between walks
    }
  };
  auto free_walker = [&] {
    while (!done) {
      try {
        Walk();
      } catch (const CExceptionDB&) {
        // a walk that runs into the moment of the close may be refused; it must not crash
      }
      std::this_thread::yield();
    }
  };
  std::thread first(locked_walker);
  std::thread second(free_walker);

  for (int round = 0; round < 40; ++round) {
    try {
      AddFamily(100 + round);
      std::vector<CStrPlace> all;
      places().GetAllRecords(all);
      CStrPlace victim = all.at(all.size() / 2);
      if (victim.GetIdPlace() != 0) places().DeleteRecord(victim);
      if (round % 8 == 7) {
        std::lock_guard<std::recursive_mutex> lock(db().GetLock());
        db().CloseDB();
        db().OpenDB();
      }
    } catch (...) {
      ++failures;
    }
  }
  done = true;
  first.join();
  second.join();

  EXPECT_EQ(failures, 0);
  EXPECT_EQ(closed_seen_under_lock, 0);
  EXPECT_GT(walks, 0);
  int total = 0;
  EXPECT_TRUE(db().CheckIntegrity(total));
  EXPECT_EQ(total, db().CountRecords());
}

}  // namespace
