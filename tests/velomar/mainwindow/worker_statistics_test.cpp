// The workers' statistics reach the main window the application creates: its debug line counts
// the commands the managers ran while the application started.
#include <gtest/gtest.h>

#include "tests/velomar/mainwindow/main_window_fixture.h"
#include "velomar/core/WorkerThread.h"

namespace {

int g_posts = 0;
BOOL CountPost(HWND, UINT, WPARAM, LPARAM) {
  ++g_posts;
  return TRUE;
}

class WorkerStatisticsTest : public velomar_test::MainWindowTest {};

TEST_F(WorkerStatisticsTest, TheMainWindowReceivesTheExecutedAndPendingTotals) {
  Start();
  // Every manager is refreshed once at start-up, each refresh a command on its worker.
  EXPECT_TRUE(Drive([&] { return Window()->GetExecutedTotal() > 0; }));
  EXPECT_GE(Window()->GetPendingTotal(), 0);
  // Once the window is gone the workers post nowhere: the totals reach no stale handle.
  Stop();
  g_posts = 0;
  SetWorkerStatisticsPoster(CountPost);
  NotifyExecutedCommands();
  SetWorkerStatisticsPoster(nullptr);
  EXPECT_EQ(g_posts, 0);
}

}  // namespace
