#include "cumulor/data/waypoints/cup_import.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cumulor/app/base/text_file.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/geo/field_splitter.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A field without the comma-marker of an empty field, without the blanks around it and without
// its enclosing double quotes (each only when present).
std::string_view Unquoted(const char* field) {
  if (field == nullptr || *field == ',') return {};
  std::string_view text(field);
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '"') text.remove_prefix(1);
  if (!text.empty() && text.back() == '"') text.remove_suffix(1);
  return text;
}

void CopyField(char* destination, std::size_t limit, std::string_view text) {
  const std::size_t n = text.size() < limit ? text.size() : limit;
  if (n > 0) std::memcpy(destination, text.data(), n);
  destination[n] = '\0';
}

// The line as read, without its line end, for messages.
std::string LineForMessage(const char* line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

std::uint32_t StyleFlags(char digit) {
  switch (digit) {
    case '0': return 0x1001;
    case '1': return 0x1100;
    case '2':
    case '4':
    case '5': return 0x1002;
    case '3': return 0x1008;
    case '6':
    case '7': return 0x1004;
    default: return 0x1000;
  }
}

// The elevation field in feet. A field without a leading number ("NoneNone") gives 0; false when
// the feet exceed 26246 or do not fit the 16-bit field.
bool ElevationFeet(std::string_view text, std::int16_t& out) {
  out = 0;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return true;
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (value < 1000000000) value = value * 10 + (text[i] - '0');
  if (negative) value = -value;
  const bool feet = text.find_first_of("Ff") != std::string_view::npos;
  const std::int64_t inFeet = feet ? value : static_cast<std::int64_t>(static_cast<double>(value) * 3.2808);
  if (inFeet > kMaxWaypointFeet || inFeet < -32768) return false;
  out = static_cast<std::int16_t>(inFeet);
  return true;
}

constexpr int kMaxCupFields = 32;

// Where each field read stands in a waypoint line; -1 for a column the file does not have.
struct CupColumns {
  int name = 0, code = 1, country = 2, lat = 3, lon = 4, elev = 5, style = 6, freq = 9;
};

// The columns named by the header line. A header that does not name the name and both
// coordinates is taken for the usual order (older files carry any text there).
CupColumns ReadHeaderColumns(const char* header) {
  ShortSplitter splitter;
  CupColumns byName{-1, -1, -1, -1, -1, -1, -1, -1};
  int index = 0;
  for (const char* field = TokenizeShort(splitter, header); field != nullptr && index < kMaxCupFields;
       field = TokenizeShort(splitter, nullptr), ++index) {
    std::string name(Unquoted(field));
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    int* column = name == "name"      ? &byName.name
                  : name == "code"    ? &byName.code
                  : name == "country" ? &byName.country
                  : name == "lat"     ? &byName.lat
                  : name == "lon"     ? &byName.lon
                  : name == "elev"    ? &byName.elev
                  : name == "style"   ? &byName.style
                  : name == "freq"    ? &byName.freq
                                      : nullptr;
    if (column != nullptr && *column < 0) *column = index;
  }
  if (byName.name < 0 || byName.lat < 0 || byName.lon < 0) return CupColumns{};
  return byName;
}

// A waypoint read from the file, held until the whole file has been checked.
struct CupWaypoint {
  WaypointRecord record;
  char name[64] = {};
  char country[3] = {};
};

// One waypoint line; false on a syntax error. `serial` numbers the generated codes.
bool ReadWaypointLine(const char* line, const CupColumns& columns, std::int32_t& serial, CupWaypoint& out) {
  ShortSplitter splitter;
  const char* fields[kMaxCupFields] = {};
  fields[0] = TokenizeShort(splitter, line);
  for (int i = 1; i < kMaxCupFields && fields[i - 1] != nullptr; ++i) fields[i] = TokenizeShort(splitter, nullptr);
  auto field = [&fields](int column) { return column < 0 ? std::string_view() : Unquoted(fields[column]); };
  auto present = [&fields](int column) { return column >= 0 && fields[column] != nullptr; };

  WaypointRecord& record = out.record;
  record = WaypointRecord{};
  record.zoomLimit = kImportedZoom;
  CopyField(out.name, 63, field(columns.name));

  const std::string_view code = field(columns.code);
  if (code.empty()) {
    char generated[16];
    std::snprintf(generated, sizeof generated, "I_%d", serial);
    CopyField(record.code, 5, generated);
    ++serial;
  } else {
    CopyField(record.code, 5, code);
  }
  CopyField(out.country, 2, field(columns.country));

  if (!present(columns.lat) || !present(columns.lon)) return false;
  const std::string lat(field(columns.lat));
  const std::string lon(field(columns.lon));
  if (!ParseLatText(lat.c_str(), record.position.lat) || lat.size() < 9 || (lat[8] != 'N' && lat[8] != 'S')) return false;
  if (!ParseLonText(lon.c_str(), record.position.lon) || lon.size() < 10 || (lon[9] != 'E' && lon[9] != 'W')) return false;

  const std::string_view elevation = field(columns.elev);
  if (!elevation.empty() && !ElevationFeet(elevation, record.elevation)) return false;
  const std::string_view style = field(columns.style);
  if (!style.empty()) record.flags = StyleFlags(style.front());
  CopyField(record.comment, 31, field(columns.freq));
  return true;
}

enum class TaskLineEnd { Stored, Skipped, NoRoom };

// One line of the tasks section into the given slot.
TaskLineEnd ReadTaskLine(const char* line, std::int32_t slot) {
  if (std::strncmp(line, "Options", 7) == 0) return TaskLineEnd::Skipped;
  ShortSplitter splitter;
  if (TokenizeShort(splitter, line) == nullptr) return TaskLineEnd::Skipped;  // the task's name
  if (TokenizeShort(splitter, nullptr) == nullptr) return TaskLineEnd::Skipped;  // the takeoff
  DynArray<TaskPoint> points;
  bool lastAddedPoint = false;
  const std::string shown = LineForMessage(line);
  for (const char* field = TokenizeShort(splitter, nullptr); field != nullptr; field = TokenizeShort(splitter, nullptr)) {
    if (*field != '"') break;
    const std::string name(Unquoted(field));
    lastAddedPoint = false;
    // An empty name ("") names no point: the landing is often left empty.
    if (name.empty()) continue;
    const std::int32_t index = FindUserWaypoint(name.c_str());
    if (index < 0) {
      WaypointMessage(ce::text::Format(u"Task %hs Import Error : %hs NOT FOUND.", shown.c_str(), name.c_str()));
      if (name == "???") continue;
      return TaskLineEnd::Skipped;
    }
    TaskPoint point;
    point.kind = kPointUserWaypoint;
    point.index = index;
    point.lon = UserWaypoints().records[index].position.lon;
    point.lat = UserWaypoints().records[index].position.lat;
    points.Append(point);
    lastAddedPoint = true;
  }
  // The last name of the line is the landing, which is not part of the task.
  if (lastAddedPoint) points.SetSize(points.Size() - 1);
  if (points.Size() == 0) return TaskLineEnd::Skipped;
  {
    TaskListsGuard guard;
    Tasks().slot[slot] = points;
  }
  return slot >= kAchievedSlot - 1 ? TaskLineEnd::NoRoom : TaskLineEnd::Stored;
}

}  // namespace

int ImportSeeYou(const WCHAR* path) {
  if (path == nullptr) return 0;
  const std::u16string filePath(path);
  const TextLines lines = ReadWholeFile(filePath.c_str());
  if (!lines.Loaded()) return 0;
  if (!WaypointAsk(u"Import SeeYou waypoints and tasks?")) return 0;

  // The whole waypoint section is read and checked before the store is touched: a file that is
  // not a .cup file, or one with a bad line, leaves the waypoints and tasks as they were.
  const CupColumns columns = ReadHeaderColumns(lines.LineCount() > 0 ? lines.LineText(0) : "");
  std::vector<CupWaypoint> read;
  std::int32_t serial = UserSerial();
  std::int32_t i = 1;  // line 0 is the header
  bool tasksFollow = false;
  for (; i < lines.LineCount(); ++i) {
    const char* line = lines.LineText(i);
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '-') {
      tasksFollow = true;
      ++i;
      break;
    }
    if (lines.LineLength(i) < 4) continue;
    read.emplace_back();
    if (!ReadWaypointLine(line, columns, serial, read.back())) {
      WaypointMessage(ce::text::Format(u"Importing Waypoints Syntax Error in file %s : %hs", filePath.c_str(),
                                       LineForMessage(line).c_str()));
      return 0;
    }
  }

  ClearUserWaypoints();
  SetDataFileName(kFilesUserWaypoints, u"FromSeeYou.dat");
  for (const CupWaypoint& w : read) AddOrReplaceUserWaypoint(w.record, w.name, w.country);
  UserSerial() = serial;
  const std::int32_t waypoints = static_cast<std::int32_t>(read.size());
  SaveUserWaypoints();
  AddUserWaypointsToTiles();
  BuildPointIndexes(0);
  if (!tasksFollow) return 1;

  ClearAllTasks();
  std::int32_t slot = 0;
  for (; i < lines.LineCount(); ++i) {
    const TaskLineEnd end = ReadTaskLine(lines.LineText(i), slot);
    if (end == TaskLineEnd::NoRoom) {
      WaypointMessage(u"No More Room For Tasks");
      return 0;
    }
    if (end == TaskLineEnd::Stored) ++slot;
  }
  {
    TaskListsGuard guard;
    if (ActiveTask().Size() > 0) TaskSetNavigationTarget(ActiveTask()[0], TaskOwnPosition(), 0);
  }
  ComputeStartFinishGates();
  WaypointMessage(ce::text::Format(u"%d waypoints and %d task(s) Imported OK.", waypoints, slot));
  return 1;
}

}  // namespace cumulor
