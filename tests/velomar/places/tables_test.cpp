// The five tables: keys, orders, finders, updates, cascades, integrity checks and counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/format.h"
#include "platform/time/time.h"
#include "tests/velomar/places/places_fixture.h"
#include "velomar/places/TimeFrame.h"

namespace {

using places_test::PlacesTest;

class TablesTest : public PlacesTest {
 protected:
  void SetUp() override {
    PlacesTest::SetUp();
    db().OpenDB();
  }

  std::vector<CStrPlace> AllPlaces() {
    std::vector<CStrPlace> all;
    places().GetAllRecords(all);
    return all;
  }
  std::vector<CStrPeriod> PeriodsOf(int place) {
    std::vector<CStrPeriod> list;
    periods().GetAllRecordsForPlace(list, place);
    return list;
  }
  std::vector<CStrAction> ActionsOf(int period) {
    std::vector<CStrAction> list;
    actions().GetActionsOfPeriod(list, period);
    return list;
  }
  static std::vector<int> ValuesOf(CTableLocation& table, int place) {
    LocationList rows;
    table.GetRecordsOfPlace(rows, place);
    std::vector<int> values;
    for (const auto& row : rows) values.push_back(row->GetValue());
    return values;
  }
};

TEST_F(TablesTest, KeysAreNumberedFromZeroAndAGivenKeyIsKept) {
  EXPECT_EQ(AddPlace(u"A").GetIdPlace(), 1);
  const CStrPlace given = AddPlace(u"B", 7);
  EXPECT_EQ(given.GetIdPlace(), 7);
  EXPECT_NE(given.GetId(), 0u);
  EXPECT_EQ(AddPlace(u"C").GetIdPlace(), 8);
  EXPECT_EQ(RaisedText([&] { AddPlace(u"again", 7); }), u"ERROR_ALREADY_EXISTS");

  EXPECT_EQ(AddPeriod(1, u"first", 8, 0, 9, 0).GetKey(), 0);
  EXPECT_EQ(AddPeriod(1, u"second", 9, 0, 10, 0).GetKey(), 1);
  EXPECT_EQ(AddAction(0, 2).GetKey(), 0);
  EXPECT_EQ(AddAction(0, 3).GetKey(), 1);

  CStrPlace missing(u"keep", u"as", u"it.png", 99);
  EXPECT_FALSE(places().FindAndFill(missing));
  EXPECT_EQ(missing.GetName(), u"keep");
  EXPECT_EQ(missing.GetId(), 0u);
  CStrPlace found;
  found.SetIdPlace(7);
  ASSERT_TRUE(places().FindAndFill(found));
  EXPECT_EQ(found.GetName(), u"B");
  EXPECT_EQ(found.GetImage(), u"B.png");
}

TEST_F(TablesTest, EachTableKeepsItsOrder) {
  for (const auto* name : {u"Zulu", u"alpha", u"Mike"}) AddPlace(name);
  std::vector<std::u16string> names;
  for (const auto& place : AllPlaces()) names.push_back(place.GetName());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Mike", u"Unknown", u"Zulu", u"alpha"}));

  AddPeriod(1, u"evening", 18, 0, 23, 0);
  AddPeriod(1, u"morning", 7, 30, 9, 0);
  AddPeriod(1, u"early", 7, 0, 7, 30);
  AddPeriod(2, u"other place", 6, 0, 7, 0);
  std::vector<std::u16string> period_names;
  for (const auto& period : PeriodsOf(1)) period_names.push_back(period.GetName());
  EXPECT_EQ(period_names, (std::vector<std::u16string>{u"early", u"morning", u"evening"}));
  EXPECT_EQ(periods().GetNumRecordsForPlace(1), 3);

  for (int kind : {5, 1, 9}) AddAction(0, kind);
  std::vector<int> keys;
  for (const auto& action : ActionsOf(0)) keys.push_back(action.GetKey());
  EXPECT_EQ(keys, (std::vector<int>{0, 1, 2}));

  for (int value : {300, 100, 200}) AddLocation(cells(), value, 1);
  cells().SortRecords();
  EXPECT_EQ(ValuesOf(cells(), 1), (std::vector<int>{100, 200, 300}));
}

TEST_F(TablesTest, DeletingAPlaceTakesItsCellsLacsPeriodsAndActions) {
  const int gone = AddPlace(u"Gone").GetIdPlace();
  const int kept = AddPlace(u"Kept").GetIdPlace();
  std::vector<int> gone_periods, kept_periods;
  for (int place : {gone, kept}) {
    for (int i = 0; i < 2; ++i) {
      const CStrPeriod period = AddPeriod(place, u"p", static_cast<WORD>(8 + i), 0, static_cast<WORD>(9 + i), 0);
      AddAction(period.GetKey(), 2);
      AddAction(period.GetKey(), 3, 1);
      (place == gone ? gone_periods : kept_periods).push_back(period.GetKey());
    }
    AddLocation(cells(), 1000 + place, place);
    AddLocation(cells(), 2000 + place, place);
    AddLocation(lacs(), 3000 + place, place);
  }
  CStrPlace victim;
  victim.SetIdPlace(gone);
  places().DeleteRecord(victim);

  EXPECT_FALSE(places().FindAndFill(victim));
  EXPECT_TRUE(PeriodsOf(gone).empty());
  for (int period : gone_periods) EXPECT_TRUE(ActionsOf(period).empty());
  EXPECT_TRUE(ValuesOf(cells(), gone).empty());
  EXPECT_TRUE(ValuesOf(lacs(), gone).empty());
  EXPECT_EQ(PeriodsOf(kept).size(), 2u);
  for (int period : kept_periods) EXPECT_EQ(ActionsOf(period).size(), 2u);
  EXPECT_EQ(ValuesOf(cells(), kept), (std::vector<int>{1000 + kept, 2000 + kept}));
  EXPECT_EQ(ValuesOf(lacs(), kept), (std::vector<int>{3000 + kept}));

  // A period deleted on its own takes its actions.
  CStrPeriod period;
  period.SetKey(kept_periods[0]);
  periods().DeleteRecord(period);
  EXPECT_TRUE(ActionsOf(kept_periods[0]).empty());
  EXPECT_EQ(ActionsOf(kept_periods[1]).size(), 2u);
  int total = 0;
  EXPECT_TRUE(db().CheckIntegrity(total));
  EXPECT_EQ(total, db().CountRecords());
  EXPECT_EQ(total, 2 + 1 + 2 + 1 + 2);  // places, lacs, cells, periods, actions
}

TEST_F(TablesTest, IntegrityChecksVisitEveryTableAndCountTheOnesThatPass) {
  const int place = AddPlace(u"Home").GetIdPlace();
  const CStrPeriod period = AddPeriod(place, u"p", 8, 0, 9, 0);
  AddAction(period.GetKey(), 2);
  AddAction(period.GetKey(), 4);
  AddLocation(cells(), 11, place);
  AddLocation(lacs(), 22, place);
  int total = 0;
  EXPECT_TRUE(db().CheckIntegrity(total));
  EXPECT_EQ(total, 2 + 1 + 1 + 1 + 2);
  EXPECT_EQ(db().CountRecords(), 7);

  // The places go without their cascade: cells, LACs and periods now name missing places; the
  // actions still find their period.
  places().DeleteAll();
  EXPECT_FALSE(db().CheckIntegrity(total));
  EXPECT_EQ(total, 0 + 2);
  int count = 0;
  EXPECT_FALSE(periods().CheckIntegrity(count));
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(cells().CheckIntegrity(count));
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(places().CheckIntegrity(count));
  EXPECT_EQ(count, 0);

  periods().DeleteAll();
  EXPECT_FALSE(actions().CheckIntegrity(count));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(db().CountRecords(), 4);
  db().DeleteAllRecords();
  EXPECT_EQ(db().CountRecords(), 0);
  EXPECT_NO_THROW(db().DeleteAllRecords());
}

TEST_F(TablesTest, ActionTimesReadBackUnchangedInLocalTime) {
  TIME_ZONE_INFORMATION zone{};
  zone.Bias = -120;  // two hours east of UTC: a conversion would show
  ASSERT_TRUE(SetTimeZoneInformation(&zone));
  const SYSTEMTIME times[3] = {{2026, 3, 0, 29, 1, 30, 15, 0}, {1999, 12, 0, 31, 23, 59, 59, 0}, {2030, 1, 0, 1, 0, 0, 0, 0}};
  CStrAction action;
  action.SetIdPeriod(4);
  action.SetKind(16);
  action.SetSzOp1(u"tone.wav");
  action.SetSzOp3(u"third");
  action.SetIntOp1(3);
  action.SetIntOp2(1010101);
  action.SetStOp1(times[0]);
  action.SetStOp2(times[1]);
  action.SetStOp3(times[2]);
  actions().Insert(action);
  db().CloseDB();
  db().OpenDB();

  CStrAction read;
  read.SetKey(action.GetKey());
  ASSERT_TRUE(actions().FindAndFill(read));
  const SYSTEMTIME got[3] = {read.GetStOp1(), read.GetStOp2(), read.GetStOp3()};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].wYear, times[i].wYear);
    EXPECT_EQ(got[i].wMonth, times[i].wMonth);
    EXPECT_EQ(got[i].wDay, times[i].wDay);
    EXPECT_EQ(got[i].wHour, times[i].wHour);
    EXPECT_EQ(got[i].wMinute, times[i].wMinute);
    EXPECT_EQ(got[i].wSecond, times[i].wSecond);
  }
  EXPECT_EQ(read.GetSzOp1(), u"tone.wav");
  EXPECT_EQ(read.GetSzOp2(), u"");
  EXPECT_EQ(read.GetSzOp3(), u"third");
  EXPECT_EQ(read.GetIntOp2(), 1010101);
  EXPECT_EQ(read.GetKind(), 16);
  EXPECT_EQ(read.GetIdPeriod(), 4);
}

TEST_F(TablesTest, GetActionFindsTheFirstMatchOrCreatesOne) {
  EXPECT_FALSE(actions().GetAction(3, 2, 0, 0).has_value());
  const auto created = actions().GetAction(3, 2, 1, 0);
  ASSERT_TRUE(created.has_value());
  EXPECT_EQ(created->GetIdPeriod(), 3);
  EXPECT_EQ(created->GetKind(), 2);
  EXPECT_EQ(created->GetTrigger(), 0);
  EXPECT_EQ(created->GetIntOp1(), -1);
  EXPECT_EQ(actions().CountRecords(), 1);
  const auto again = actions().GetAction(3, 2, 1, 0);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->GetKey(), created->GetKey());
  EXPECT_EQ(actions().CountRecords(), 1);
  AddAction(3, 2, 0);  // a second match: the first one is answered
  EXPECT_EQ(actions().GetAction(3, 2, 0, 0)->GetKey(), created->GetKey());
  EXPECT_FALSE(actions().GetAction(3, 2, 0, 1).has_value());  // another trigger
}

TEST_F(TablesTest, UpdatesRewriteOnlyTheirFields) {
  CStrAction action = AddAction(5, 2);
  action.SetKind(9);
  action.SetIntOp1(1);
  actions().Update(action);
  CStrAction stored;
  stored.SetKey(action.GetKey());
  ASSERT_TRUE(actions().FindAndFill(stored));
  EXPECT_EQ(stored.GetKind(), 2);  // the kind is never rewritten
  EXPECT_EQ(stored.GetIntOp1(), 1);

  AddLocation(lacs(), 77, 0);
  CStrLAC lac;
  lac.SetValue(77);
  lac.SetPlace(4);
  lacs().Update(lac);
  CStrLAC read;
  read.SetValue(77);
  ASSERT_TRUE(lacs().FindAndFill(read));
  EXPECT_EQ(read.GetPlace(), 4);
  EXPECT_EQ(read.GetValue(), 77);
  read.SetValue(78);
  read.SetPlace(-5);
  EXPECT_FALSE(lacs().FindAndFill(read));
  EXPECT_EQ(read.GetPlace(), -5);

  CStrPlace place = AddPlace(u"Old");
  place.SetName(u"New");
  place.SetDescription(u"");
  places().Update(place);
  CStrPlace renamed;
  renamed.SetIdPlace(place.GetIdPlace());
  ASSERT_TRUE(places().FindAndFill(renamed));
  EXPECT_EQ(renamed.GetName(), u"New");
  EXPECT_EQ(renamed.GetDescription(), u"");

  CStrPeriod period = AddPeriod(1, u"p", 8, 0, 9, 0);
  SYSTEMTIME end{};
  end.wHour = 10;
  period.SetEnd(end);
  periods().Update(period);
  EXPECT_EQ(PeriodsOf(1).at(0).GetEnd().wHour, 10);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

TEST_F(TablesTest, AnUpdateOfAVanishedRowCreatesNothing) {
  const struct {
    const char* name;
    bool keeps_object_id;
  } cases[] = {{"record read from the table", true}, {"record known by its key only", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CStrPlace place = AddPlace(u"Vanishing");
    CStrPlace copy = place;
    places().DeleteRecord(place);
    if (!c.keeps_object_id) copy.SetId(0);
    const int rows = places().CountRecords();
    teskautils::seam::TakeShownBoxes();
    EXPECT_EQ(RaisedText([&] { places().Update(copy); }),
              ce::text::Format(u"The record with key %d was not found.", copy.GetIdPlace()));
    const auto boxes = teskautils::seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Error:Exception upgrading registry in table Places");
    EXPECT_EQ(places().CountRecords(), rows);
  }
  // The cells table names the failed write's code, the LAC table its own text.
  CStrCell cell;
  cell.SetValue(5);
  EXPECT_EQ(RaisedText([&] { cells().Update(cell); }), u"The record with key 5 was not found.");
  EXPECT_EQ(teskautils::seam::TakeShownBoxes().at(0).text, u"Error:ERROR_NOT_FOUND");
  CStrLAC lac;
  lac.SetValue(6);
  EXPECT_EQ(RaisedText([&] { lacs().Update(lac); }), u"The record with key 6 was not found.");
  EXPECT_EQ(teskautils::seam::TakeShownBoxes().at(0).text, u"Error:Exception upgrading registry in lac table");
  EXPECT_EQ(cells().CountRecords() + lacs().CountRecords(), 0);
}

TEST_F(TablesTest, CachesServeFindersUntilTheTableChanges) {
  const CStrPeriod period = AddPeriod(0, u"p", 8, 0, 9, 0);
  db().CloseDB();
  db().OpenDB();  // the periods are loaded by the open
  ce::cedb::FailCalls(ce::cedb::CedbCall::kSeek, ERROR_INVALID_HANDLE, 0);
  ce::cedb::FailCalls(ce::cedb::CedbCall::kRead, ERROR_INVALID_HANDLE, 0);
  CStrPeriod read;
  read.SetKey(period.GetKey());
  EXPECT_TRUE(periods().FindAndFill(read));
  EXPECT_EQ(read.GetName(), u"p");
  ce::cedb::ClearFailures();

  // SeekById answers a record's own object id without asking the database.
  CStrPeriod stale = read;
  periods().DeleteRecord(read);
  EXPECT_EQ(periods().SeekById(stale), stale.GetId());
  stale.SetId(0);
  EXPECT_EQ(periods().SeekById(stale), 0u);

  periods().InsertDefault(3);
  const auto defaults = PeriodsOf(3);
  ASSERT_EQ(defaults.size(), 1u);
  EXPECT_EQ(defaults[0].GetName(), u"Default");
  EXPECT_TRUE(CTimeFrame(defaults[0]).IsEmpty());
}

TEST_F(TablesTest, DumpsWalkEveryRowAndReportAFailedRead) {
  const int home = AddPlace(u"Home").GetIdPlace();
  const CStrPeriod period = AddPeriod(home, u"p", 8, 0, 9, 0);
  AddAction(period.GetKey(), 2);
  AddLocation(cells(), 1, home);
  AddLocation(lacs(), 2, home);
  EXPECT_NO_THROW(db().DumpAll());
  ce::cedb::FailCalls(ce::cedb::CedbCall::kRead, ERROR_NO_DATA);
  EXPECT_EQ(RaisedText([&] { actions().Dump(); }), u"Error filling record.ERROR_NO_DATA,232");
}

TEST_F(TablesTest, LocationRowsFindTheirPlaceAndUnreadableRowsStillCount) {
  SetSetting(u"location_mode", 1);
  const int home = AddPlace(u"Home").GetIdPlace();
  AddLocation(*db().GetLocationTable(), 4711, home);
  auto location = CreateLocationRecord();
  location->SetValue(4711);
  ASSERT_TRUE(db().GetLocationTable()->FindAndFill(*location));
  EXPECT_EQ(location->GetPlace(), home);
  EXPECT_NE(location->GetId(), 0u);
  auto absent = CreateLocationRecord();
  absent->SetValue(4712);
  absent->SetPlace(9);
  EXPECT_FALSE(db().GetLocationTable()->FindAndFill(*absent));
  EXPECT_EQ(absent->GetPlace(), 9);
  EXPECT_EQ(RaisedText([&] { AddLocation(cells(), 4711, 0); }), u"ERROR_ALREADY_EXISTS");

  cells().ClearCache();
  ce::cedb::FailCalls(ce::cedb::CedbCall::kRead, ERROR_KEY_DELETED, 1);
  LocationList rows;
  cells().GetAllRecords(rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]->GetValue(), 0);
  EXPECT_EQ(rows[0]->GetPlace(), 0);
  int count = 0;
  EXPECT_TRUE(cells().CheckIntegrity(count));  // place 0 exists
  EXPECT_EQ(count, 1);
}

}  // namespace
