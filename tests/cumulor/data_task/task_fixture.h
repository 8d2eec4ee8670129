// A fixture with a small user-waypoint table, empty task slots and recording hooks.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"

namespace cumulor {

struct NavigationCall {
  TaskPoint target;
  GeoPoint origin;
  int flag;
};

struct TaskRecorder {
  std::vector<NavigationCall> navigation;
  std::vector<std::string> sounds;
  int saves = 0;
  GeoPoint own{100, 200};
};

inline TaskRecorder& Recorder() {
  static TaskRecorder recorder;
  return recorder;
}

class TaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorder() = TaskRecorder{};
    TaskHooks& hooks = TaskHooksInstalled();
    hooks.setNavigationTarget = [](const TaskPoint& t, const GeoPoint& o, std::uint8_t f) {
      Recorder().navigation.push_back({t, o, f});
    };
    hooks.ownPosition = [] { return Recorder().own; };
    hooks.saveTaskDocument = [] { ++Recorder().saves; };
    hooks.playSound = [](const char* f) { Recorder().sounds.emplace_back(f); };
    ClearAllTasks();
    TaskPointInit(DirectTarget());
    TaskPointInit(HomePoint());
    UserWaypointTable& table = UserWaypoints();
    table.records.SetSize(0);
    table.names.SetSize(0);
    table.records.Append(WaypointRecord{});
    table.names.Append(PointText{});
    Rules() = TaskRules{};
    TaskRulesDefaults();
    ResetStartLineChecks();
  }
  void TearDown() override {
    TaskHooksInstalled() = TaskHooks{};
    ClearAllTasks();
  }

  // A user waypoint at the position; returns its task point (kind 4).
  static TaskPoint AddPoint(const char* name, GeoPoint position) {
    WaypointRecord record;
    record.position = position;
    UserWaypoints().records.Append(record);
    PointText text;
    std::strncpy(text.text, name, sizeof text.text - 1);
    UserWaypoints().names.Append(text);
    TaskPoint point;
    point.kind = kPointUserWaypoint;
    point.index = UserWaypoints().records.Size() - 1;
    return point;
  }
  static std::vector<int> Indexes(const DynArray<TaskPoint>& list) {
    std::vector<int> out;
    for (const TaskPoint& p : list) out.push_back(p.index);
    return out;
  }
};

}  // namespace cumulor
