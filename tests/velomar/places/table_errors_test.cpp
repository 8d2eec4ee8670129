// Every failure of CEDB that the tables report, forced with its code, gives its text; codes the
// tables do not know still raise on the open and create paths, and a database that keeps
// failing to open after it was created raises instead of trying again.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/kernel/kernel.h"
#include "platform/text/format.h"
#include "tests/velomar/places/places_fixture.h"

namespace {

using ce::cedb::CedbCall;
using ce::cedb::FailCalls;
using places_test::PlacesTest;

struct CodeCase {
  DWORD code;
  std::u16string text;
};

class TableErrorsTest : public PlacesTest {};

TEST_F(TableErrorsTest, OpenFailures) {
  db().OpenDB();
  const CodeCase cases[] = {
      {ERROR_INVALID_HANDLE, u"Error Opening db. Invalid handle"},
      {ERROR_NOT_ENOUGH_MEMORY, u"Error Opening db. Out of memory"},
      {ERROR_INVALID_PARAMETER, u"Error opening db. Invalid parameter"},
      {ERROR_NOT_FOUND, u"Error Opening db. Volumen not found"},
      {ERROR_ACCESS_DENIED, u"Error opening db. Code 5"},
      {ERROR_SHARING_VIOLATION, u"Error opening db. Code 32"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    db().CloseDB();
    FailCalls(CedbCall::kOpenDatabase, c.code);
    EXPECT_EQ(RaisedText([&] { db().OpenDB(); }), c.text);
    EXPECT_FALSE(places().IsOpen());
    EXPECT_FALSE(actions().IsOpen());  // the tables after the failing one stay closed
  }
  db().CloseDB();
  EXPECT_NO_THROW(db().OpenDB());
  EXPECT_EQ(places().CountRecords(), 1);
}

TEST_F(TableErrorsTest, CreateFailures) {
  const CodeCase cases[] = {
      {ERROR_ACCESS_DENIED, u"Error creating DB. Mas de una primary key"},
      {24, u"Error creating DB. Nombre demasiado largo"},
      {ERROR_NOT_SUPPORTED, u"Error creating DB. No soportado"},
      {ERROR_DUP_NAME, u"Error creating DB. Ya existe"},
      {ERROR_INVALID_PARAMETER, u"Error creating DB. Invalid parameter"},
      {ERROR_DISK_FULL, u"Error creating DB. Disco lleno"},
      {ERROR_ALREADY_EXISTS, u"Error creating DB. Propiedad existente"},
      {ERROR_NOT_FOUND, u"Error creating DB. Volumen no encontrado"},
      {ERROR_SHARING_VIOLATION, u"Error creating DB. Code 32"},
      {ERROR_GEN_FAILURE, u"Error creating DB. Code 31"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    FailCalls(CedbCall::kCreateDatabase, c.code);
    EXPECT_EQ(RaisedText([&] { db().OpenDB(); }), c.text);
    EXPECT_FALSE(places().IsOpen());
    db().CloseDB();
  }
  EXPECT_NO_THROW(db().OpenDB());
  EXPECT_EQ(places().CountRecords(), 1);
}

TEST_F(TableErrorsTest, ADatabaseThatStaysMissingAfterItsCreationRaisesOnce) {
  FailCalls(CedbCall::kOpenDatabase, ERROR_FILE_NOT_FOUND, 0);  // every open
  EXPECT_EQ(RaisedText([&] { db().OpenDB(); }), u"Error opening db. Code 2");
  EXPECT_FALSE(places().IsOpen());
}

TEST_F(TableErrorsTest, WriteAndReadFailuresOfAnInsert) {
  db().OpenDB();
  const CodeCase writes[] = {
      {ERROR_ACCESS_DENIED, u"ERROR_ACCESS_DENIED"},     {ERROR_INVALID_HANDLE, u"ERROR_INVALID_HANDLE"},
      {24, u"ERROR_BAD_LENGTH"},                         {ERROR_SHARING_VIOLATION, u"ERROR_SHARING_VIOLATION"},
      {ERROR_INVALID_PARAMETER, u"ERROR_INVALID_PARAMETER"}, {ERROR_INSUFFICIENT_BUFFER, u"ERROR_INSUFFICIENT_BUFFER"},
      {ERROR_ALREADY_EXISTS, u"ERROR_ALREADY_EXISTS"},   {ERROR_NOT_FOUND, u"ERROR_NOT_FOUND"},
      {ERROR_DISK_FULL, u"ERROR_DISK_FULL"},     {ERROR_GEN_FAILURE, u"INDETERMINATED"},
  };
  for (const auto& c : writes) {
    SCOPED_TRACE(c.code);
    FailCalls(CedbCall::kWrite, c.code);
    EXPECT_EQ(RaisedText([&] { AddPlace(u"p"); }), c.text);
    FailCalls(CedbCall::kWrite, c.code);
    EXPECT_EQ(RaisedText([&] { AddLocation(cells(), 5, 0); }), c.text);
  }
  EXPECT_EQ(places().CountRecords(), 1);

  const CodeCase reads[] = {
      {ERROR_INVALID_HANDLE, u"Error filling record.ERROR_INVALID_HANDLE,6"},
      {ERROR_NOT_ENOUGH_MEMORY, u"Error filling record.ERROR_NOT_ENOUGH_MEMORY,8"},
      {ERROR_SHARING_VIOLATION, u"Error filling record.ERROR_SHARING_VIOLATION,32"},
      {ERROR_INVALID_PARAMETER, u"Error filling record.ERROR_INVALID_PARAMETER,87"},
      {ERROR_KEY_DELETED, u"Error filling record.ERROR_KEY_DELETED,1018"},
      {ERROR_INSUFFICIENT_BUFFER, u"Error filling record.ERROR_INSUFFICIENT_BUFFER,122"},
      {ERROR_NO_DATA, u"Error filling record.ERROR_NO_DATA,232"},
      {ERROR_NO_MORE_ITEMS, u"Error filling record.ERROR_NO_MORE_ITEMS,259"},
      {ERROR_SEEK, u"Error filling record.,25"},
  };
  for (const auto& c : reads) {
    SCOPED_TRACE(c.code);
    FailCalls(CedbCall::kRead, c.code);
    EXPECT_EQ(RaisedText([&] { AddPeriod(0, u"p", 1, 0, 2, 0); }), c.text);
  }
  // The row was written before its read-back failed; a reload of the cache reports the same way.
  EXPECT_EQ(periods().CountRecords(), static_cast<int>(std::size(reads)));
  periods().ClearCache();
  FailCalls(CedbCall::kRead, ERROR_NO_DATA);
  std::vector<CStrPeriod> all;
  EXPECT_EQ(RaisedText([&] { periods().GetAllRecords(all); }), u"Error filling record.ERROR_NO_DATA,232");

  FailCalls(CedbCall::kSeek, ERROR_SEEK, 2);
  EXPECT_EQ(RaisedText([&] { AddAction(0, 2); }), u"The new record could not be read back.");
}

TEST_F(TableErrorsTest, DeleteAndUpdateFailures) {
  db().OpenDB();
  CStrPlace place = AddPlace(u"Home");
  FailCalls(CedbCall::kDeleteRecord, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RaisedText([&] { places().DeleteRecord(place); }), u"A record of the table places could not be deleted.");
  FailCalls(CedbCall::kDeleteRecord, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RaisedText([&] { places().DeleteAll(); }), u"A record of the table places could not be deleted.");
  EXPECT_EQ(places().CountRecords(), 2);

  CStrPeriod period = AddPeriod(place.GetIdPlace(), u"p", 1, 0, 2, 0);
  CStrAction action = AddAction(period.GetKey(), 2);
  const struct {
    const char* table;
    std::function<void()> update;
    int key;
    std::u16string box;
  } cases[] = {
      {"places", [&] { places().Update(place); }, place.GetIdPlace(),
       u"Error:Exception upgrading registry in table Places"},
      {"periods", [&] { periods().Update(period); }, period.GetKey(),
       u"Error:Exception upgrading registry in table Periods"},
      {"actions", [&] { actions().Update(action); }, action.GetKey(), u"Error:ERROR_SHARING_VIOLATION"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    teskautils::seam::TakeShownBoxes();
    FailCalls(CedbCall::kWrite, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(RaisedText(c.update), ce::text::Format(u"The record with key %d was not found.", c.key));
    const auto boxes = teskautils::seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.box);
  }
}

TEST_F(TableErrorsTest, SeekAndFillErrorsForCallers) {
  db().OpenDB();
  const CodeCase seeks[] = {
      {ERROR_INVALID_HANDLE, u"Error seeking registry. ERROR_INVALID_HANDLE"},
      {ERROR_NOT_ENOUGH_MEMORY, u"Error seeking registry. ERROR_NOT_ENOUGH_MEMORY"},
      {ERROR_SHARING_VIOLATION, u"Error seeking registry. ERROR_SHARING_VIOLATION"},
      {ERROR_INVALID_PARAMETER, u"Error seeking registry. ERROR_INVALID_PARAMETER"},
      {ERROR_KEY_DELETED, u"Error seeking registry. ERROR_KEY_DELETED"},
  };
  for (const auto& c : seeks) {
    SetLastError(c.code);
    EXPECT_EQ(RaisedText([&] { places().ThrowSeekError(); }), c.text);
  }
  SetLastError(ERROR_SEEK);
  EXPECT_NO_THROW(places().ThrowSeekError());

  const CodeCase fills[] = {
      {ERROR_INVALID_HANDLE, u"Error filling record.ERROR_INVALID_HANDLE"},
      {ERROR_NOT_ENOUGH_MEMORY, u"Error filling record.ERROR_NOT_ENOUGH_MEMORY"},
      {ERROR_SEEK, u"Error filling record.ERROR_SEEK"},
      {ERROR_SHARING_VIOLATION, u"Error filling record.ERROR_SHARING_VIOLATION"},
      {ERROR_INVALID_PARAMETER, u"Error filling record.ERROR_INVALID_PARAMETER"},
      {ERROR_KEY_DELETED, u"Error filling record.ERROR_KEY_DELETED"},
      {ERROR_NO_DATA, u"Error filling record."},
  };
  for (const auto& c : fills) {
    SetLastError(c.code);
    EXPECT_EQ(RaisedText([&] { places().ThrowFillError(); }), c.text);
  }
}

}  // namespace
