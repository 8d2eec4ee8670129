// The connections page: the device's connections listed, the preferred one chosen through the
// connections manager, the idle close and its seconds written when the page is left.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "platform/device/device.h"
#include "platform/window/window_seams.h"
#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/dialogs/PropertyPageConnections.h"

namespace dialogs_test {
namespace {

class ConnectionsPageTest : public OptionPagesTest {
 protected:
  void RunOnPage(std::vector<ce::scripted::Step> steps) {
    CPropertySheetOptions sheet(nullptr);
    sheet.CreatePages();
    int index = -1;
    for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
      if (dynamic_cast<CPropertyPageConnections*>(sheet.GetPages()[i])) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    User().AnswerDialog(std::move(steps));
    sheet.DoModal(index);
  }
  static CConfig* Config() { return CConfig::GetInstance(); }
};

TEST_F(ConnectionsPageTest, PreferredConnectionAndIdleCloseAreWritten) {
  ASSERT_TRUE(ce::device::PutConnection({"Work GPRS", "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", 0, 0, 0}));
  m_connections->Initialize();
  ASSERT_GE(m_connections->GetConnections().size(), 2u);
  Config()->SetDWORD(u"activate_idle", 0);
  Config()->SetDWORD(u"seconds_idle", 60);
  Config()->SetString(u"connection_prefered", u"");
  RunOnPage({SetText(1024, u"Work GPRS"), Check(1009, true), SetText(1032, u"45"), Click(IDOK)});
  EXPECT_EQ(Config()->GetString(u"connection_prefered"), u"Work GPRS");
  EXPECT_EQ(Config()->GetDWORD(u"activate_idle"), 1u);
  EXPECT_EQ(Config()->GetDWORD(u"seconds_idle"), 45u);

  // The empty first entry matches no connection: the stored name stays. Unchecked, the close is
  // switched off when the page is left; the seconds are kept.
  RunOnPage({SetText(1024, u""), Check(1009, false), Click(IDOK)});
  EXPECT_EQ(Config()->GetString(u"connection_prefered"), u"Work GPRS");
  EXPECT_EQ(Config()->GetDWORD(u"activate_idle"), 0u);
  EXPECT_EQ(Config()->GetDWORD(u"seconds_idle"), 45u);
}

// The manager's listeners are called on its own threads: they only post to the page, so they return
// even while the window's thread waits for them, and the list is refilled on the window's thread.
TEST_F(ConnectionsPageTest, ListenersOnlyPostAndTheListChangesOnTheWindowsThread) {
  ASSERT_TRUE(ce::device::PutConnection({"Work GPRS", "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", 0, 0, 0}));
  m_connections->Initialize();
  const auto ui = std::this_thread::get_id();
  std::mutex mutex;
  std::vector<std::thread::id> refills;  // threads that emptied a list view
  ce::window::SetMessageTraceHook([&](ce::window::TraceKind kind, const MSG& msg) {
    if (kind != ce::window::TraceKind::kDelivered || msg.message != LVM_DELETEALLITEMS) return;
    std::lock_guard<std::mutex> lock(mutex);
    refills.push_back(std::this_thread::get_id());
  });
  CPropertySheetOptions sheet(nullptr);
  sheet.CreatePages();
  CPropertyPageConnections* page = nullptr;
  int index = -1;
  for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
    if ((page = dynamic_cast<CPropertyPageConnections*>(sheet.GetPages()[i]))) {
      index = static_cast<int>(i);
      break;
    }
  ASSERT_NE(page, nullptr);
  bool returned_while_waiting = false;
  std::size_t refills_before = 0;
  UiProbe probe;
  probe.Post([&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      refills_before = refills.size();
    }
    // The window's thread waits for the manager's thread, which reports a change.
    auto reported = std::async(std::launch::async, [&] {
      page->StatusChanged(2, 4, 0);
      page->OnTimerNotification(4, 0);
    });
    returned_while_waiting = reported.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    HWND sheet_window = GetParent(page->GetHwnd());
    MSG msg;
    while (reported.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    // What the listeners posted is handled, then the sheet closes.
    for (int i = 0; i < 50; ++i)
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    PostMessageW(sheet_window, WM_COMMAND, IDOK, 0);
  });
  User().HoldUnanswered(true);
  sheet.DoModal(index);
  User().HoldUnanswered(false);
  ce::window::SetMessageTraceHook(nullptr);
  EXPECT_TRUE(returned_while_waiting);
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_GT(refills.size(), refills_before);  // the change refilled the list
  for (const auto& thread : refills) EXPECT_EQ(thread, ui);
}

}  // namespace
}  // namespace dialogs_test
