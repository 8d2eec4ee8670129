#include "cumulor/map/browser/waypoint_actions.h"

#include <string>
#include <vector>

#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_edit.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr std::int32_t kAddHere = 1;
constexpr std::int32_t kFirstTaskPointEntry = 100;

const char* NameOf(const TaskPoint& point) {
  const char* name = PointRefName(PointRef{point.kind, point.index});
  return name != nullptr ? name : "";
}

}  // namespace

void ShowGotoTargetCaption(HWND dialog) {
  TaskPoint target;
  if (!GetGotoTarget(target)) return;
  const PointRef ref{target.kind, target.index};
  SetDlgItemTextW(dialog, kIdTargetCode, ce::text::Format(u"%hs", PointCodeText(ref)).c_str());
  const char* name = PointRefName(ref);
  SetDlgItemTextW(dialog, kIdTargetName, ce::text::Format(u"%hs", name != nullptr ? name : "").c_str());
}

bool WaypointActionMenu(const TaskPoint& point) {
  const std::int32_t slot = TaskPageSlot();
  if (slot < 0 || slot >= kAchievedSlot) return false;
  const DynArray<TaskPoint>& task = Tasks().slot[slot];
  std::vector<ListChoiceEntry> entries;
  for (std::int32_t i = 0; i < task.Size(); ++i) entries.push_back({1, kFirstTaskPointEntry + i, NameOf(task[i])});
  entries.push_back({1, kAddHere, "ADD HERE"});
  entries.push_back({0, -1, nullptr});
  const std::u16string title = ce::text::Format(u"%02d: Where to insert %hs?", slot, NameOf(point));
  const std::int32_t chosen = ChooseFromListDialog(entries.data(), title.c_str(), -1, true);
  TaskPoint inserted;
  inserted.kind = point.kind;
  inserted.index = point.index;
  const GeoPoint at = PointRefRecordPosition(PointRef{point.kind, point.index});
  inserted.lon = at.lon;
  inserted.lat = at.lat;
  if (chosen == kAddHere) return InsertTaskPoint(slot, -1, inserted);
  if (chosen >= kFirstTaskPointEntry && chosen - kFirstTaskPointEntry < task.Size())
    return InsertTaskPoint(slot, chosen - kFirstTaskPointEntry, inserted);
  return false;
}

}  // namespace cumulor
