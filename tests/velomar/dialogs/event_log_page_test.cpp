// The event log page: "Test" adds twenty rows over ten seconds of the device clock while the page
// keeps answering; a row opens the detail dialog on a thread of its own; clearing empties the
// list. Rows are read under the log's lock while other threads add events: no deadlock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/controls/commctrl.h"
#include "platform/time/time.h"
#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/dialogs/PropertyPageDialogEventLog.h"

namespace dialogs_test {
namespace {

constexpr int kList = 1128;

class EventLogPageTest : public OptionPagesTest {
 protected:
  int TestEvents() {
    int n = 0;
    for (int i = 0; i < Log()->GetRecordCount(); ++i) {
      CEventRecord record;
      if (Log()->GetRecord(i, record) && record.GetResume() == u"test") ++n;
    }
    return n;
  }
  // The sheet, made and shown from the event log page.
  struct Sheet {
    CPropertySheetOptions sheet{nullptr};
    int index = -1;
    HWND list = nullptr;
    Sheet() {
      sheet.CreatePages();
      for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
        if (dynamic_cast<CPropertyPageDialogEventLog*>(sheet.GetPages()[i])) index = static_cast<int>(i);
    }
    HWND Page() const { return sheet.GetPages()[static_cast<std::size_t>(index)]->GetHwnd(); }
  };
  static int ListCount(HWND page) { return static_cast<int>(SendDlgItemMessageW(page, kList, LVM_GETITEMCOUNT, 0, 0)); }
};

TEST_F(EventLogPageTest, TestAddsTwentyRowsOverTenSecondsWhileThePageAnswers) {
  Sheet s;
  ASSERT_GE(s.index, 0);
  UiProbe probe;
  User().HoldUnanswered(true);
  User().AnswerMenu(40250);  // "DIALOG_EVENT_LOG_LIST_MENU_TEST"
  User().AnswerDialog({SoftKey(1)});
  std::atomic<int> halfway_rows{-1}, final_rows{-1}, records{-1};
  std::atomic<bool> answered_halfway{false};
  std::thread driver([&] {
    DriveClockUntil([&] { return TestEvents() >= 10; }, 60'000);
    // Halfway, the page's thread switches tabs and back and counts its rows.
    probe.Post([&] {
      HWND sheet = GetParent(s.Page());
      SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
      SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(s.index), 0);
      halfway_rows = ListCount(s.Page());
      answered_halfway = true;
    });
    DriveClockUntil([&] { return answered_halfway.load() && TestEvents() >= 20; }, 60'000);
    DriveClockUntil([] { return false; }, 1'000);  // a 21st event would come now
    probe.Post([&] {
      final_rows = ListCount(s.Page());
      records = Log()->GetRecordCount();
      PostMessageW(GetParent(s.Page()), WM_COMMAND, IDOK, 0);
    });
  });
  s.sheet.DoModal(s.index);
  driver.join();
  User().HoldUnanswered(false);
  EXPECT_EQ(TestEvents(), 20);
  // From the first test event to the last: 19 half seconds of the device clock.
  SYSTEMTIME first{}, last{};
  for (int i = 0; i < Log()->GetRecordCount(); ++i) {
    CEventRecord record;
    if (!Log()->GetRecord(i, record) || record.GetResume() != u"test") continue;
    if (record.GetDescription() == u"0") first = record.GetTime();
    if (record.GetDescription() == u"19") last = record.GetTime();
  }
  const auto seconds = [](const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; };
  EXPECT_GE(seconds(last) - seconds(first), 9);
  EXPECT_LE(seconds(last) - seconds(first), 15);  // the adding thread may wake late on a busy machine
  EXPECT_GE(halfway_rows.load(), 10);
  EXPECT_EQ(final_rows.load(), records.load());
  // Newest first: row 0 is the last test event, its message the running number.
  CEventRecord newest;
  ASSERT_TRUE(Log()->GetRecord(0, newest));
  EXPECT_EQ(newest.GetDescription(), u"19");
}

TEST_F(EventLogPageTest, ARowOpensTheDetailAndClearingEmptiesTheList) {
  CEventLog::AddEvent(0, 2, u"first", u"first event");
  CEventLog::AddEvent(0, 3, u"second", u"second event");
  {
    Sheet s;
    ASSERT_GE(s.index, 0);
    User().AnswerDialog({Click(kList, 0), Click(IDOK)});
    User().AnswerDialog({Click(IDCANCEL)});  // the detail dialog, on its own thread
    s.sheet.DoModal(s.index);
  }
  // The detail dialog showed the newest event, and is closed.
  ASSERT_TRUE(User().WaitShown(ce::scripted::Kind::kDialog, 2));
  const auto detail_closed = [] {
    for (const auto& thing : User().shown())
      for (const auto& text : thing.texts)
        if (text == u"second event") return thing.scripted;
    return false;
  };
  for (int i = 0; i < 5000 && !detail_closed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(detail_closed());

  Sheet s;
  int rows_before = -1, rows_after = -1;
  UiProbe probe;
  probe.Post([&] { rows_before = ListCount(s.Page()); });
  User().AnswerMenu(40252);  // "DIALOG_EVENT_LOG_LIST_MENU_CLEAR"
  User().AnswerDialog({SoftKey(1)});
  User().HoldUnanswered(true);
  // The log tells its listeners once it has cleared; the list takes the count when it comes.
  std::function<void(int)> look = [&](int tries) {
    rows_after = ListCount(s.Page());
    if (rows_after != 0 && tries > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      probe.Post([&look, tries] { look(tries - 1); });
      return;
    }
    PostMessageW(GetParent(s.Page()), WM_COMMAND, IDOK, 0);
  };
  // The clock is driven once the menu has been answered: a sheet of many pages may take a while
  // to come up, and the looks below keep its queue busy, so they must not start before.
  std::size_t menus = 0;
  for (const auto& thing : User().shown()) menus += thing.kind == ce::scripted::Kind::kMenu;
  std::thread closer([&, menus] {
    User().WaitShown(ce::scripted::Kind::kMenu, menus + 1, std::chrono::seconds(60));
    DriveClockUntil([&] { return Log()->GetRecordCount() == 0; }, 10'000);
    probe.Post([&] { look(1000); });
  });
  s.sheet.DoModal(s.index);
  closer.join();
  User().HoldUnanswered(false);
  EXPECT_GE(rows_before, 2);
  EXPECT_EQ(rows_after, 0);
}

}  // namespace
}  // namespace dialogs_test
