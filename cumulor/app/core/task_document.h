// The task document "\KV_TASKS.xml" (document element "Tasks", one "Task" with attribute "nr" per
// non-empty slot, "Turnpoint" points) and the desktop's task file "\KV_TASKS_FROMDESKTOP3D.xml"
// (tasks with "name" and "waypoints" of "CTaskWpt" points), read into the 26 task slots.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/xml_node.h"

namespace cumulor {

// Appends "Tasks" with one "Task" per non-empty slot in slot order; points whose reference is not
// valid are left out.
void BuildTasksDocument(XmlNode& root);
// Reads a "Tasks" element into the slots. A slot takes the points of its "Task" only when at
// least one point was found; unknown points are reported one message box each and left out.
// Slots the document does not name stay. 0 when reading stopped at a "Task" without "nr" or at a
// child that is not a "Turnpoint" (the tasks before stay), else 1. Afterwards the statistics file
// is read while points have been achieved, else deleted.
std::int32_t ApplyTasksDocument(AppContext& app, const XmlNode& element);
// Reads the desktop's tasks into slots 0, 1, ... (at most 20). A task with a point that cannot be
// found is reported and dropped whole; its slot keeps its points.
void ApplyDesktopTasks(const XmlNode& element);

// Writes the task document to path, or to "\KV_TASKS.xml" in the data folder when path is null;
// then exports slot 0 as a CUP task. 1 written, 0 when the document could not be written whole
// (the previous file stays as it was).
std::int32_t SaveTasksFile(AppContext& app, const WCHAR* path);
// Reads a task document; a missing or broken file changes no slot. The gates are recomputed in
// every case. The parse result (0, 2 missing or empty, 11 syntax error).
std::int32_t LoadTasksFile(AppContext& app, const WCHAR* path);
// Reads the desktop's task file and deletes it, also when it is broken; the gates are recomputed.
void ImportDesktopTasksFile(AppContext& app, const WCHAR* path);

// The documents' hooks: the task module's save, and the desktop's settings and task documents
// (settings in desktop mode).
void InstallDocumentHooks(AppContext& app);

}  // namespace cumulor
