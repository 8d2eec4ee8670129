#include "cumulor/map/layers/task_draw.h"

#include <cstdio>
#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/dialogs/start_finish_zones.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/draw/map_marks.h"
#include "cumulor/map/draw/map_shapes.h"
#include "platform/gdi/images.h"

namespace cumulor {
namespace {

void AppendLabel(void* context, const TaskPoint& point, const RECT& square) {
  if (LabelEntry* e = LabelAppend(*static_cast<LabelList*>(context), point)) e->rect = square;
}

void PutText(HDC dc, const std::string& text, RECT box) {
  std::u16string wide(text.begin(), text.end());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, 0);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

}  // namespace

TaskDrawState& TaskDrawing() {
  static TaskDrawState state;
  return state;
}

void InitTaskDrawing(HINSTANCE module, std::int32_t faiTop) {
  TaskDrawState& s = TaskDrawing();
  if (!s.coneImage)
    s.coneImage = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(kTaskConeImage), IMAGE_ICON, 32, 32, 0));
  s.lengthRect = RECT{0, 60, 150, 80};
  s.faiRect = RECT{0, faiTop, 150, faiTop + 20};
}

void ComputeFaiSectors() { ComputeFaiSectors(TaskDrawing().fai); }

void ToggleFaiSectors() {
  TaskDrawState& s = TaskDrawing();
  s.faiSectorsShown = !s.faiSectorsShown;
  PlayMenuClick();
  if (s.faiSectorsShown) ComputeFaiSectors();
}

void DrawFaiTaskLabel(MapView& view, HDC dc, const LabelTextSettings& text) {
  TaskDrawState& s = TaskDrawing();
  const DynArray<TaskPoint>& active = ActiveTask();
  if (active.Size() < 2) {
    s.labels.clear();
    return;
  }
  s.labels.assign(static_cast<std::size_t>(active.Size()), RECT{});
  for (std::int32_t i = 0; i < active.Size(); ++i) {
    const TaskPoint& p = active[i];
    if (p.maxRadius != 0) continue;
    const PointRef ref{p.kind, p.index};
    const std::u16string name = LabelName(text, PointRefName(ref), PointRefCode(ref));
    MapDrawPointSymbol(view, dc, PointRefPosition(p), 1u, view.scale, name.c_str(), &s.labels[i], 0);
  }
  char line[32];
  std::snprintf(line, sizeof line, "Task:%ukm", s.fai.length / 1000);
  PutText(dc, line, s.lengthRect);
  if (s.fai.isFai) PutText(dc, "FAI", s.faiRect);
}

void DrawActiveTask(MapView& view, HDC dc, LabelList* list, const LabelTextSettings& text) {
  const DynArray<TaskPoint>& active = ActiveTask();
  for (std::int32_t i = 1; i < active.Size(); ++i)
    MapDrawLine(view, dc, PointRefPosition(active[i - 1]), PointRefPosition(active[i]), false);
  for (std::int32_t i = 0; i < active.Size(); ++i) {
    const TaskPoint& p = active[i];
    if (p.maxRadius == 0) continue;
    MapDrawTaskZone(view, dc, p, false, i == 0);
    MapDrawPointLabel(view, dc, p, PointRefName(PointRef{p.kind, p.index}), i == 0, list ? AppendLabel : nullptr,
                      list);
  }
  DrawStartFinishZones(view, dc, view.largeScreen != 0);
  DrawFaiTaskLabel(view, dc, text);
}

}  // namespace cumulor
