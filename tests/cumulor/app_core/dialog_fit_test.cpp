// Every dialog template of the program fits the 240 x 320 and the 480 x 640 screens.
#include <gtest/gtest.h>

#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "tests/dialog_fit.h"

namespace {

class DialogFit : public ce::testing::DeviceTest {
 protected:
  void TearDown() override {
    ce::display::SetScreenSize(ce::display::kPortrait);
    ce::scripted::User::Get().Reset();
    DeviceTest::TearDown();
  }
};

TEST_F(DialogFit, EveryTemplateFitsBothScreens) {
  ASSERT_GT(ce::resources::ResourcesOf(nullptr)->dialogs.size(), 20u);
  for (auto size : {ce::display::kPortrait, ce::display::kVga})
    for (const std::string& problem : dialog_fit::Problems(size)) ADD_FAILURE() << problem;
}

}  // namespace
