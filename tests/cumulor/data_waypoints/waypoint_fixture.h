// A device with a data folder, an empty user-waypoint store and task slots, and recording hooks
// for the messages, questions and navigation targets of the waypoint and task files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "platform/files/file_system_seam.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace cumulor {

struct WaypointRecorder {
  std::vector<std::u16string> messages;
  std::vector<std::u16string> questions;
  std::vector<std::u16string> status;
  std::vector<TaskPoint> targets;
  bool answer = true;
  int lockDepth = 0;
  int maxLockDepth = 0;
  int selects = 0;
  std::uint64_t waitedMs = 0;  // the message-pumping waits asked for, together
  TaskPoint navigationTarget;
};

inline WaypointRecorder& Rec() {
  static WaypointRecorder recorder;
  return recorder;
}

class WaypointTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::files::FileSystemSeam::Get().Reset();
    Rec() = WaypointRecorder{};
    WaypointUi& ui = WaypointUiInstalled();
    ui = WaypointUi{};
    ui.message = [](const std::u16string& t) { Rec().messages.push_back(t); };
    ui.askOkCancel = [](const std::u16string& t) {
      Rec().questions.push_back(t);
      return Rec().answer;
    };
    ui.status = [](const std::u16string& t) { Rec().status.push_back(t); };
    ui.pumpWait = [](DWORD ms) { Rec().waitedMs += ms; };
    ui.lockMain = [] {
      if (++Rec().lockDepth > Rec().maxLockDepth) Rec().maxLockDepth = Rec().lockDepth;
    };
    ui.unlockMain = [] { --Rec().lockDepth; };
    ui.selectTargetPoint = [] { ++Rec().selects; };
    ui.navigationTarget = [] { return Rec().navigationTarget; };
    ui.clearNavigationTarget = [] { TaskPointInit(Rec().navigationTarget); };
    TaskHooksInstalled() = TaskHooks{};
    TaskHooksInstalled().setNavigationTarget = [](const TaskPoint& t, const GeoPoint&, std::uint8_t) {
      Rec().targets.push_back(t);
    };
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) {
      SelectedDataFiles()[c].selected.SetSize(0);
      AvailableDataFiles()[c].SetSize(0);
    }
    std::filesystem::create_directories(Root() / "Data");
    SetDataFilesFolder(u"\\Data");
    ClearUserWaypoints();
    ClearAllTasks();
    UserSerial() = 1;
  }
  void TearDown() override {
    ce::files::FileSystemSeam::Get().Reset();
    WaypointUiInstalled() = WaypointUi{};
    TaskHooksInstalled() = TaskHooks{};
    ClearUserWaypoints();
    ClearAllTasks();
    DeviceTest::TearDown();
  }

  std::filesystem::path Root() const { return device_folder() / "root"; }
  void WriteFile(const std::string& relative, const std::string& bytes) {
    std::filesystem::path p = Root() / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& relative) const {
    std::ifstream in(Root() / relative, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::int32_t Count() { return UserWaypoints().records.Size() - 1; }
  static const WaypointRecord& At(std::int32_t i) { return UserWaypoints().records[i]; }
  static std::string NameAt(std::int32_t i) { return UserWaypoints().names[i].text; }
  static std::u16string LastMessage() { return Rec().messages.empty() ? u"" : Rec().messages.back(); }
};

}  // namespace cumulor
