// A fresh device with the shipped language files, a translator of its own and a places database
// object (not yet opened) for each test of the places database.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/cedb/cedb_faults.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/Exceptions.h"
#include "velomar/data/DataInstall.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace places_test {

class PlacesTest : public velomar_test::VelomarTest {
 protected:
  void SetUp() override {
    VelomarTest::SetUp();
    ASSERT_TRUE(velomar::InstallDataFiles());
    velomar::seam::ForgetTranslator();  // one made on demand by an earlier test stays alive, unused
    translator_ = std::make_unique<CTranslator>();
    ASSERT_EQ(CTranslator::GetInstance(), translator_.get());
    db_ = std::make_unique<CDB>();
  }
  void TearDown() override {
    ce::cedb::ClearFailures();
    if (db_) db_->CloseDB();
    db_.reset();
    translator_.reset();
    VelomarTest::TearDown();
  }

  CDB& db() { return *db_; }
  CTablePlaces& places() { return *db_->GetPlacesTable(); }
  CTablePeriods& periods() { return *db_->GetPeriodsTable(); }
  CTableActions& actions() { return *db_->GetActionsTable(); }
  CTableCell& cells() { return *db_->GetCellsTable(); }
  CTableLAC& lacs() { return *db_->GetLacsTable(); }

  // Inserts a place and answers it as stored.
  CStrPlace AddPlace(const std::u16string& name, int key = -1) {
    CStrPlace place(name, name + u" description", name + u".png", key);
    places().Insert(place);
    return place;
  }
  CStrPeriod AddPeriod(int place_key, const std::u16string& name, WORD begin_hour, WORD begin_minute, WORD end_hour,
                       WORD end_minute) {
    CStrPeriod period;
    period.SetIdPlace(place_key);
    period.SetName(name);
    SYSTEMTIME begin{}, end{};
    begin.wHour = begin_hour;
    begin.wMinute = begin_minute;
    end.wHour = end_hour;
    end.wMinute = end_minute;
    period.SetBegin(begin);
    period.SetEnd(end);
    periods().Insert(period);
    return period;
  }
  CStrAction AddAction(int period_key, int kind, int trigger = 0) {
    CStrAction action;
    action.SetIdPeriod(period_key);
    action.SetKind(kind);
    action.SetTrigger(trigger);
    actions().Insert(action);
    return action;
  }
  static void AddLocation(CTableLocation& table, int value, int place_key) {
    auto record = table.NewRecord();
    auto& location = dynamic_cast<CStrLocation&>(*record);
    location.SetValue(value);
    location.SetPlace(place_key);
    table.Insert(location);
  }

  // The message of the CExceptionDB that `action` raises; empty (and a failure) when none.
  template <class Action>
  static std::u16string RaisedText(Action action) {
    try {
      action();
    } catch (const CExceptionDB& error) {
      return error.GetMessage();
    }
    ADD_FAILURE() << "no CExceptionDB was raised";
    return {};
  }

  std::unique_ptr<CTranslator> translator_;
  std::unique_ptr<CDB> db_;
};

}  // namespace places_test
