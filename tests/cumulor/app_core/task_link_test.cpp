#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/task_link.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_store.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

// The task operations reach the application record: the navigation target and its origin, and
// the refusal sound.
TEST_F(AppTest, TaskOperationsSetTheApplicationsTargetAndPlayTheirSounds) {
  InstallTaskHooks();
  TaskPoint target;
  target.kind = 4;
  target.index = 7;
  GotoPoint(target);
  EXPECT_EQ(app->navTarget.index, 7);
  EXPECT_EQ(DirectTarget().index, 7);
  AdvanceTask();  // no task to advance
  EXPECT_TRUE(Played(u"Splat.wav"));
  GotoFirstTaskPoint();
  EXPECT_EQ(app->navTarget.index, HomePoint().index);
  EXPECT_EQ(Targets().current, TargetOrigin());
  TaskHooksInstalled() = TaskHooks{};
  TaskPointInit(DirectTarget());
}

}  // namespace
