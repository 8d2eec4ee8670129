#include "cumulor/data/waypoints/cup_export.h"

#include <cstdio>
#include <cstdlib>

#include "cumulor/app/base/file_access.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_texts.h"
#include "cumulor/data/task/task_slots.h"

namespace cumulor {

namespace {

// "%02d%02d.%03d%c" (latitude) or "%03d%02d.%03d%c" (longitude).
std::string CupCoordinate(std::int32_t value, bool isLatitude) {
  const char letter = isLatitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
  const std::int64_t v = std::llabs(static_cast<std::int64_t>(value));
  const int degrees = static_cast<int>(v / 36000);
  const int rest = static_cast<int>(v % 36000);
  char text[32];
  std::snprintf(text, sizeof text, isLatitude ? "%02d%02d.%03d%c" : "%03d%02d.%03d%c", degrees, rest / 600,
                (rest % 600) * 10 / 6, letter);
  return text;
}

}  // namespace

std::string TaskCupText() {
  std::string text = "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n";
  std::string taskLine = ",\"???\",";
  const DynArray<TaskPoint>& task = ActiveTask();
  for (std::int32_t i = 0; i < task.Size(); ++i) {
    const PointRef ref{task[i].kind, task[i].index};
    const char* name = PointRefName(ref);
    if (!PointRefIsValid(ref) || name == nullptr) continue;
    const GeoPoint at = PointRefPosition(task[i]);
    text += '"';
    text += name;
    text += "\",,,";
    text += CupCoordinate(at.lat, true);
    text += ',';
    text += CupCoordinate(at.lon, false);
    text += ',';
    text += std::to_string(PointElevation(ref));
    text += "m,1,,,,,\r\n";
    taskLine += '"';
    taskLine += name;
    taskLine += "\",";
  }
  text += "-----Related Tasks-----\r\n";
  text += taskLine;
  text += "\"???\"\r\n";
  return text;
}

int ExportTaskCup() {
  if (ActiveTask().Size() == 0) return 0;
  const std::string text = TaskCupText();
  return detail::ReplaceFileWith(kTaskExportPath, text.data(), text.size(), false) ? 1 : 0;
}

}  // namespace cumulor
