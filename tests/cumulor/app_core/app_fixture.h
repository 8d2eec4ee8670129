// A device with a built application record (the process's one, as WinMain keeps it).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "platform/scripted/scripted_user.h"
#include "platform/sound/sound_effects.h"
#include "platform/testing/device_test.h"
#include "tools/ka1gen/ka1_writer.h"

namespace cumulor_test {

// Writes the KA1 database of a one-file generator description to a host file.
inline ::testing::AssertionResult WriteGeneratedKa1(const std::filesystem::path& file, const std::string& description) {
  std::vector<ka1gen::File> files;
  std::string error;
  if (!ka1gen::ParseDescription(description, files, error) || files.empty())
    return ::testing::AssertionFailure() << error;
  const std::vector<std::uint8_t> bytes = ka1gen::WriteKa1(files[0]);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "cannot write " << file;
}

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
    // AppInit sets the rule defaults (gate sizes that shorten the recorded legs): the next test
    // starts from the zero rules again.
    cumulor::Rules() = cumulor::TaskRules{};
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
