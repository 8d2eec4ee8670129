#include "cumulor/data/dialogs/waypoint_action_menu.h"

#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/dialogs/waypoint_dialog.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_edit.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr std::int32_t kAddHere = 1;
constexpr std::int32_t kCreate = 2;
constexpr std::int32_t kEdit = 3;
constexpr std::int32_t kDelete = 4;
constexpr std::int32_t kDeleteAll = 5;
constexpr std::int32_t kFirstTaskPointEntry = 100;

WaypointActionHooks& Hooks() {
  static WaypointActionHooks hooks;
  return hooks;
}

const char* NameOf(const TaskPoint& point) {
  const char* name = PointRefName(PointRef{point.kind, point.index});
  return name != nullptr ? name : "";
}

bool IsUserWaypoint(const TaskPoint* point) {
  return point != nullptr && point->kind == kPointUserWaypoint &&
         PointRefIsValid(PointRef{point->kind, point->index});
}

// After a deletion: the indexes of every kind, the store on file, the map's points.
void AfterDeletion() {
  BuildPointIndexes(0);
  // The distances and bearings are computed again for the moved indexes.
  ResetPointTableOrigins();
  SaveUserWaypoints();
  if (Hooks().pointsDeleted) Hooks().pointsDeleted();
}

}  // namespace

void SetWaypointActionHooks(WaypointActionHooks hooks) { Hooks() = std::move(hooks); }

bool DeleteUserWaypoint(std::int32_t index) {
  {
    // The task lists keep references to the points: the main lock first, as the frame takes them.
    TaskListsGuard guard;
    std::lock_guard<std::recursive_mutex> lock(PointTableLock());
    if (!RemoveUserWaypoint(index)) return false;
  }
  AfterDeletion();
  return true;
}

void DeleteAllUserWaypoints() {
  {
    // The task lists keep references to the points: the main lock first, as the frame takes them.
    TaskListsGuard guard;
    std::lock_guard<std::recursive_mutex> lock(PointTableLock());
    RemoveAllUserWaypoints();
  }
  AfterDeletion();
}

std::vector<ListChoiceEntry> WaypointActionEntries(const TaskPoint* point, std::u16string& title) {
  const std::int32_t slot = TaskPageSlot();
  const bool slotOk = slot >= 0 && slot < kAchievedSlot;
  std::vector<ListChoiceEntry> entries;
  title = u"Waypoint";
  if (point != nullptr) {
    if (slotOk) {
      const DynArray<TaskPoint>& task = Tasks().slot[slot];
      for (std::int32_t i = 0; i < task.Size(); ++i) entries.push_back({1, kFirstTaskPointEntry + i, NameOf(task[i])});
      entries.push_back({1, kAddHere, "ADD HERE"});
      entries.push_back({1, kListSeparatorId, ""});
    }
    title = ce::text::Format(u"%02d: Where to insert %hs?", slotOk ? slot : 0, NameOf(*point));
  }
  entries.push_back({1, kCreate, "CREATE WPT"});
  if (IsUserWaypoint(point)) {
    entries.push_back({1, kEdit, "EDIT"});
    entries.push_back({1, kDelete, "DELETE"});
    if (Hooks().simulator && Hooks().simulator()) entries.push_back({1, kDeleteAll, "DELETE ALL"});
  }
  entries.push_back({0, -1, nullptr});
  return entries;
}

WaypointAction WaypointActionMenu(const TaskPoint* point, HWND owner) {
  const std::int32_t slot = TaskPageSlot();
  const bool slotOk = slot >= 0 && slot < kAchievedSlot;
  std::u16string title;
  const std::vector<ListChoiceEntry> entries = WaypointActionEntries(point, title);
  const std::int32_t chosen = ChooseFromListDialog(entries.data(), title.c_str(), -1, true);
  switch (chosen) {
    case kAddHere:
    case kCreate:
    case kEdit:
    case kDelete:
    case kDeleteAll: break;
    default: {
      if (point == nullptr || !slotOk || chosen < kFirstTaskPointEntry) return WaypointAction::kNone;
      const std::int32_t row = chosen - kFirstTaskPointEntry;
      if (row >= Tasks().slot[slot].Size()) return WaypointAction::kNone;
      return InsertTaskPoint(slot, row, PointAtRecord(point->kind, point->index)) ? WaypointAction::kInserted : WaypointAction::kNone;
    }
  }
  if (chosen == kAddHere) {
    return InsertTaskPoint(slot, -1, PointAtRecord(point->kind, point->index)) ? WaypointAction::kInserted : WaypointAction::kNone;
  }
  if (chosen == kCreate) {
    const GeoPoint at = point != nullptr ? PointRefRecordPosition(PointRef{point->kind, point->index}) : TaskOwnPosition();
    return AddUserWaypoint(-1, at.lon, at.lat, owner) == IDOK ? WaypointAction::kCreated : WaypointAction::kNone;
  }
  if (chosen == kEdit) {
    AddUserWaypoint(point->index, 0, 0, owner);
    return WaypointAction::kEdited;
  }
  if (chosen == kDelete) {
    const WaypointRecord& record = UserWaypoints().records[point->index];
    const std::string code(record.code, strnlen(record.code, sizeof record.code));
    const std::u16string question = ce::text::Format(u"Delete %hs (%hs)?", code.c_str(), NameOf(*point));
    if (!MessageBoxOkCancel(question.c_str())) return WaypointAction::kNone;
    return DeleteUserWaypoint(point->index) ? WaypointAction::kDeleted : WaypointAction::kNone;
  }
  if (!MessageBoxOkCancel(u"Delete ALL user waypoints ???")) return WaypointAction::kNone;
  DeleteAllUserWaypoints();
  return WaypointAction::kDeleted;
}

}  // namespace cumulor
