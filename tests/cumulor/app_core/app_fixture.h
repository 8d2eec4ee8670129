// A device with a built application record (the process's one, as WinMain keeps it).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "cumulor/app/app_context.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/data/task/task_slots.h"
#include "platform/scripted/scripted_user.h"
#include "platform/sound/sound_effects.h"
#include "platform/testing/device_test.h"

namespace cumulor_test {

class AppTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
    ce::scripted::User::Get().Reset();
    ce::sound::ClearRecordedEffects();
    app = new cumulor::AppContext;
    cumulor::AppContextInit(app, 0, 0);
    cumulor::AppRecord() = app;
    for (auto& slot : cumulor::Tasks().slot) slot.SetSize(0);
  }
  void TearDown() override {
    cumulor::AppContextFree(app);
    cumulor::AppRecord() = nullptr;
    delete app;
    for (auto& slot : cumulor::Tasks().slot) slot.SetSize(0);
    ce::scripted::User::Get().Reset();
    DeviceTest::TearDown();
  }
  // True when a sound of that name was played (or asked for) since the test began.
  static bool Played(const std::u16string& name) {
    for (const auto& e : ce::sound::RecordedEffects())
      if (e.text.size() >= name.size() && e.text.compare(e.text.size() - name.size(), name.size(), name) == 0)
        return true;
    return false;
  }

  cumulor::AppContext* app = nullptr;
};

}  // namespace cumulor_test
