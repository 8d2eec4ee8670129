#include "cumulor/app/core/task_document.h"

#include <cstring>
#include <string>

#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_export.h"
#include "cumulor/data/sync/desktop_sync.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/cup_export.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/files/files.h"

namespace cumulor {
namespace {

constexpr std::int32_t kDesktopTaskSlots = 20;

bool NameIs(const XmlNode& node, const char* name) { return std::strcmp(node.Name().CStr(), name) == 0; }

bool Valid(const TaskPoint& point) { return PointRefIsValid(PointRef{point.kind, point.index}); }

// A slot number: decimal digits only, 0..25; anything else names no slot.
bool SlotNumber(const char* text, std::int32_t& slot) {
  if (!text || !*text) return false;
  std::int32_t value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9' || value > kTaskSlotCount) return false;
    value = value * 10 + (*p - '0');
  }
  if (value >= kTaskSlotCount) return false;
  slot = value;
  return true;
}

std::string ChildText(const XmlNode& node, const char* name) {
  const char* text = node.GetChildText(name);
  return text ? text : "";
}

void TaskToXml(const DynArray<TaskPoint>& slot, XmlNode& tasks, std::int32_t number) {
  XmlNode* task = tasks.AddChild("Task");
  if (!task) return;
  task->AddAttribute("nr", std::to_string(number).c_str());
  for (const TaskPoint& point : slot)
    if (Valid(point)) TurnpointToXml(point, *task);
}

// The achieved list decides what the statistics file is worth: while points have been achieved it
// is read (and the last one is the previous target), otherwise it is deleted.
void AfterTasksRead(AppContext& app) {
  const DynArray<TaskPoint>& achieved = AchievedList();
  if (achieved.Empty()) {
    DeleteStatsFile();
    return;
  }
  PreviousTarget().kind = achieved[0].kind;
  PreviousTarget().index = achieved[0].index;
  LoadStatsFile(app.stats);
}

std::u16string DataPath(AppContext& app, const WCHAR* name) { return app.dataFolder.Get() + name; }

}  // namespace

void BuildTasksDocument(XmlNode& root) {
  XmlNode* tasks = root.AddChild("Tasks");
  if (!tasks) return;
  for (std::int32_t n = 0; n < kTaskSlotCount; ++n)
    if (!Tasks().slot[n].Empty()) TaskToXml(Tasks().slot[n], *tasks, n);
}

std::int32_t ApplyTasksDocument(AppContext& app, const XmlNode& element) {
  if (element.ChildCount() == 0) return 1;
  std::int32_t result = 1;
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd() && result; it.Advance()) {
    const XmlNode& task = *it.Get();
    const char* nr = task.GetAttribute("nr");
    if (!nr) {
      result = 0;
      break;
    }
    std::int32_t slot = 0;
    if (!SlotNumber(nr, slot) || task.ChildCount() == 0) continue;
    DynArray<TaskPoint> points;
    for (XmlChildIterator p = task.ChildIterator(); !p.AtEnd(); p.Advance()) {
      const XmlNode& child = *p.Get();
      if (!NameIs(child, "Turnpoint")) {
        result = 0;
        break;
      }
      TaskPoint point;
      if (TurnpointFromXml(point, child)) {
        points.Append(point);
      } else {
        MessageBoxOkA(("Unable To Find Task Waypoint " + ChildText(child, "name")).c_str());
      }
    }
    if (!result) break;
    if (!points.Empty()) {
      TaskListsGuard guard;  // the messages above are shown without the lock
      Tasks().slot[slot] = points;
    }
  }
  AfterTasksRead(app);
  return result;
}

void ApplyDesktopTasks(const XmlNode& element) {
  std::int32_t slot = 0;
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd() && slot < kDesktopTaskSlots; it.Advance(), ++slot) {
    const XmlNode& task = *it.Get();
    const std::string name = ChildText(task, "name");
    const XmlNode* waypoints = task.FindChild("waypoints");
    if (!waypoints || waypoints->ChildCount() == 0) continue;
    DynArray<TaskPoint> points;
    bool whole = true;
    for (XmlChildIterator p = waypoints->ChildIterator(); !p.AtEnd(); p.Advance()) {
      const XmlNode& child = *p.Get();
      if (!NameIs(child, "CTaskWpt")) {
        whole = false;
        break;
      }
      TaskPoint point;
      if (!TurnpointFromDesktopXml(point, child)) {
        MessageBoxOkA((name + ": Unable To Find Waypoint: " + ChildText(child, "Name")).c_str());
        whole = false;
        break;
      }
      points.Append(point);
    }
    if (whole) {
      TaskListsGuard guard;
      Tasks().slot[slot] = points;
    }
  }
  const DynArray<TaskPoint>& achieved = AchievedList();
  if (!achieved.Empty()) {
    PreviousTarget().kind = achieved[0].kind;
    PreviousTarget().index = achieved[0].index;
  }
}

std::int32_t SaveTasksFile(AppContext& app, const WCHAR* path) {
  XmlNode top = XmlNode::ConstructTop();
  BuildTasksDocument(top);
  const std::u16string main = DataPath(app, u"\\KV_TASKS.xml");
  const std::int32_t result = XmlSaveFile(top, path ? path : main.c_str(), nullptr);
  ExportTaskCup();
  return result;
}

std::int32_t LoadTasksFile(AppContext& app, const WCHAR* path) {
  XmlNode top = XmlNode::ConstructTop();
  const int result = XmlParseFile(path, top);
  // The document element is the last child; a broken document changes nothing.
  if (result == kXmlParsed && top.ChildCount() > 0) ApplyTasksDocument(app, *top.Child(top.ChildCount() - 1));
  ComputeStartFinishGates();
  return result == kXmlParsed && top.ChildCount() == 0 ? kXmlNoFile : result;
}

void ImportDesktopTasksFile(AppContext&, const WCHAR* path) {
  XmlNode top = XmlNode::ConstructTop();
  if (XmlParseFile(path, top) == kXmlParsed && top.ChildCount() > 0) {
    const XmlNode& document = *top.Child(top.ChildCount() - 1);
    if (document.ChildCount() > 0) ApplyDesktopTasks(*document.Child(0));
  }
  DeleteFileW(path);
  ComputeStartFinishGates();
}

void InstallDocumentHooks(AppContext&) {
  TaskHooksInstalled().saveTaskDocument = [] {
    if (AppContext* app = AppRecord()) SaveTasksFile(*app, nullptr);
  };
  SyncHooks& sync = SyncHooksInstalled();
  sync.loadSettingsDocument = [](const WCHAR* name) {
    if (AppContext* app = AppRecord()) LoadSettingsFile(*app, DataPath(*app, name).c_str(), kSettingsDesktop);
  };
  sync.loadTasksDocument = [](const WCHAR* name) {
    if (AppContext* app = AppRecord()) LoadTasksFile(*app, DataPath(*app, name).c_str());
  };
  sync.clearTaskNavigation = [] {
    Targets() = TargetPositions{};
    TargetOrigin() = GeoPoint{};
  };
}

}  // namespace cumulor
