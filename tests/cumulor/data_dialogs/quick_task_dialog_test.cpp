#include <gtest/gtest.h>

#include <cstdio>

#include "cumulor/data/dialogs/quick_task_dialog.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "task_dialog_fixture.h"

namespace cumulor {
namespace {

using Ints = std::vector<int>;

Ints Indexes(const DynArray<TaskPoint>& list) {
  Ints out;
  for (const TaskPoint& p : list) out.push_back(p.index);
  return out;
}

class QuickTask : public TaskDialogTest {
 protected:
  void SetUp() override {
    TaskDialogTest::SetUp();
    UserWaypointTable& table = UserWaypoints();
    table.records.SetSize(1);
    table.names.SetSize(1);
    const char* names[] = {"Alpha", "Bravo", "Charlie", "Delta"};
    for (int i = 0; i < 4; ++i) {
      WaypointRecord w;
      w.position = {(i + 1) * 3600, 47 * 36000};
      std::snprintf(w.code, sizeof w.code, "W%d", i + 1);
      table.records.Append(w);
      PointText t;
      std::snprintf(t.text, sizeof t.text, "%s", names[i]);
      table.names.Append(t);
    }
    ClearAllTasks();
    TaskHooksInstalled() = TaskHooks{};
    TaskHooksInstalled().setNavigationTarget = [](const TaskPoint& t, const GeoPoint&, std::uint8_t) { Targets().push_back(t.index); };
    Targets().clear();
  }
  void TearDown() override {
    TaskHooksInstalled() = TaskHooks{};
    ClearAllTasks();
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    TaskDialogTest::TearDown();
  }
  static Ints& Targets() {
    static Ints targets;
    return targets;
  }
  static HWND Open() { return CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kQuickTaskDialog), nullptr, QuickTaskDialogProc, 0); }
};

TEST_F(QuickTask, EntriesRebuildTheAchievedAndActiveLists) {
  ActiveTask().Append(TaskPoint{kPointUserWaypoint, 2});
  ActiveTask().Append(TaskPoint{kPointUserWaypoint, 3});
  AchievedList().Append(TaskPoint{kPointUserWaypoint, 1});
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, 1000), u"W1:Alpha");
  EXPECT_EQ(Text(dialog, 1001), u"W2:Bravo");
  EXPECT_EQ(Text(dialog, 1432), u">>");  // the split before Bravo
  EXPECT_EQ(Text(dialog, 1003), u"");    // the append button
  EXPECT_FALSE(Shown(dialog, 1004));

  Enter(dialog, 1003, u"delta");   // appended by name
  Enter(dialog, 1001, u"*W3");     // inserted before Bravo by code
  Enter(dialog, 1002, u"Nowhere");  // not found: nothing
  EXPECT_EQ(Text(dialog, 1001), u"W3:Charlie");
  EXPECT_EQ(Text(dialog, 1004), u"W4:Delta");
  Press(dialog, 1434);  // the split before point 3
  Press(dialog, IDOK);
  DestroyWindow(dialog);
  // Flying order Alpha, Charlie, Bravo | Charlie, Delta.
  EXPECT_EQ(Indexes(AchievedList()), (Ints{2, 3, 1}));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{3, 4}));
  EXPECT_EQ(Targets(), (Ints{3}));

  // "0" deletes; Cancel leaves the lists as they were.
  dialog = Open();
  Enter(dialog, 1004, u"0");
  Press(dialog, IDCANCEL);
  DestroyWindow(dialog);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{3, 4}));
  dialog = Open();
  Press(dialog, 1431);  // split at 0: nothing achieved
  Enter(dialog, 1000, u"0");
  Press(dialog, IDOK);
  DestroyWindow(dialog);
  EXPECT_TRUE(AchievedList().Empty());
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{3, 2, 3, 4}));
}

}  // namespace
}  // namespace cumulor
