// The active task as a SeeYou .cup file for other programs.
#pragma once

#include <string>

namespace cumulor {

inline constexpr const char16_t* kTaskExportPath = u"\\CumulorTask0.cup";

// The file's text: the header line, a line for each valid point of the active task, the tasks
// line and one task line between a "???" takeoff and landing (invalid points are left out).
std::string TaskCupText();
// Writes "\CumulorTask0.cup" when the active task holds a point; the old file is replaced only
// by a complete new one. 1 when written, 0 otherwise.
int ExportTaskCup();

}  // namespace cumulor
