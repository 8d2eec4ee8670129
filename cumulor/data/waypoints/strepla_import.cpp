#include "cumulor/data/waypoints/strepla_import.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

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
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr std::size_t kWordMax = 63;
constexpr std::int32_t kMaxRoutes = 24;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next blank-separated word from p (at most 63 characters kept, the rest skipped); empty at
// the line's end.
std::string NextWord(const char*& p) {
  while (*p != '\0' && IsBlank(*p)) ++p;
  std::string word;
  for (; *p != '\0' && !IsBlank(*p); ++p)
    if (word.size() < kWordMax) word += *p;
  return word;
}

// " key = value": the key (a word, which may end in '='), then '=' and the rest's first word.
bool KeyValue(const char* line, std::string& key, std::string& value) {
  const char* p = line;
  key = NextWord(p);
  if (key.empty()) return false;
  if (key.size() > 1 && key.back() == '=') {
    key.pop_back();
  } else {
    while (*p != '\0' && IsBlank(*p)) ++p;
    if (*p != '=') return false;
    ++p;
  }
  value = NextWord(p);
  return !value.empty();
}

// " key = number": false when the line does not give both.
bool KeyNumber(const char* line, std::string& key, std::int32_t& number) {
  std::string value;
  if (!KeyValue(line, key, value)) return false;
  char* end = nullptr;
  const long n = std::strtol(value.c_str(), &end, 10);
  if (end == value.c_str()) return false;
  number = n > 2147483647L ? 2147483647 : n < -2147483647L ? -2147483647 : static_cast<std::int32_t>(n);
  return true;
}

char FirstNonBlank(const char* line) {
  while (*line == ' ' || *line == '\t') ++line;
  return *line;
}

std::string LineForMessage(const char* line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

// The text between the line's first two double quotes, trailing blanks removed; empty without a
// second quote.
std::string QuotedName(const char* line) {
  const char* open = std::strchr(line, '"');
  if (open == nullptr) return {};
  const char* close = std::strchr(open + 1, '"');
  if (close == nullptr) return {};
  std::string name(open + 1, close);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  if (name.size() > 63) name.resize(63);
  return name;
}

bool ParseDegMinWord(const std::string& value, bool latitude, std::int32_t& out) {
  WCHAR wide[kWordMax + 1];
  std::size_t n = 0;
  for (; n < value.size() && n < kWordMax; ++n) wide[n] = static_cast<unsigned char>(value[n]);
  wide[n] = 0;
  return latitude ? ParseLatDegMin(wide, out) != 0 : ParseLonDegMin(wide, out) != 0;
}

}  // namespace

int ImportStrePla(const WCHAR* path) {
  if (path == nullptr) return 0;
  const std::u16string filePath(path);
  const TextLines lines = ReadWholeFile(filePath.c_str());
  if (!lines.Loaded()) return 0;
  if (!WaypointAsk(u"Import StrePla waypoints and tasks?")) return 0;

  std::optional<MainLockHold> hold;
  hold.emplace();
  const bool targetWasUserWaypoint = WaypointNavigationTarget().kind == kPointUserWaypoint;
  if (targetWasUserWaypoint) {
    WaypointClearNavigationTarget();
    TaskPointInit(DirectTarget());
  }
  ClearUserWaypoints();
  SetDataFileName(kFilesUserWaypoints, u"FromStrePla.dat");

  std::int32_t i = 0;
  std::int32_t points = 0;
  const std::int32_t count = lines.LineCount();
  while (i < count && FirstNonBlank(lines.LineText(i)) == 'p') {
    const char* first = lines.LineText(i);
    const char* p = first;
    NextWord(p);
    const std::string code = NextWord(p);
    if (code.empty()) {
      WaypointMessage(ce::text::Format(u"Importing StrePla Waypoints Syntax Error in file %s : %hs", filePath.c_str(),
                                       LineForMessage(first).c_str()));
      return 0;
    }
    WaypointRecord record;
    record.zoomLimit = kImportedZoom;
    std::memcpy(record.code, code.data(), code.size() < 5 ? code.size() : 5);
    std::string name;
    for (++i; i < count; ++i) {
      const char* line = lines.LineText(i);
      const char* q = line;
      const std::string key = NextWord(q);
      if (!key.empty() && key[0] == '}') {
        ++i;
        break;
      }
      if (!key.empty() && key[0] == 'n') {
        name = QuotedName(line);
        continue;
      }
      if (!key.empty() && key[0] == 'r') {
        // A nested block: skipped up to its closing brace.
        while (i < count && std::strchr(lines.LineText(i), '}') == nullptr) ++i;
        continue;
      }
      std::string k, value;
      if (!KeyValue(line, k, value)) continue;
      if (k[0] == 'e') {
        const double metres = std::strtod(value.c_str(), nullptr);
        const double feet = std::round(metres * 3.2808);
        if (!(feet >= -32768.0 && feet <= 32767.0)) {
          WaypointMessage(ce::text::Format(u"Importing StrePla Waypoints Syntax Error in file %s : %hs", filePath.c_str(),
                                           LineForMessage(line).c_str()));
          return 0;
        }
        record.elevation = static_cast<std::int16_t>(feet);
      } else if (k[0] == 'l' && k.size() > 2 && k[2] == 't') {
        ParseDegMinWord(value, true, record.position.lat);
      } else if (k[0] == 'l' && k.size() > 1 && k[1] == 'o') {
        ParseDegMinWord(value, false, record.position.lon);
      } else if (k[0] == 't') {
        if (value[0] == 'a') record.flags |= 0x2;
        else if (value[0] == 'o') record.flags |= 0x8;
        else if (value[0] == 't') record.flags |= 0x1;
      }
    }
    AddOrReplaceUserWaypoint(record, name.c_str());
    ++points;
  }

  ClearAllTasks();
  std::int32_t routes = 0;
  TaskPoint newTarget;
  bool haveNewTarget = false;
  if (i < count && FirstNonBlank(lines.LineText(i)) == 'r') {
    const std::int32_t storeCount = UserWaypoints().records.Size();
    bool stop = false;
    while (!stop && i < count && routes < kMaxRoutes) {
      const char* line = lines.LineText(i);
      const char* q = line;
      while (*q == ' ' || *q == '\t') ++q;
      if (std::strncmp(q, "route", 5) != 0) {
        ++i;
        continue;
      }
      const std::int32_t slot = routes++;
      for (++i; i < count; ++i) {
        std::string key;
        std::int32_t number = 0;
        if (!KeyNumber(lines.LineText(i), key, number)) break;
        if (number < 1 || number >= storeCount) {
          stop = true;
          break;
        }
        const char c = key[0];
        if (c == 'n') continue;
        if (c == 's' || c == 'w' || c == 'f') {
          TaskPoint point;
          point.kind = kPointUserWaypoint;
          point.index = number;
          point.lon = UserWaypoints().records[number].position.lon;
          point.lat = UserWaypoints().records[number].position.lat;
          Tasks().slot[slot].Append(point);
        } else if (c == 't' && slot == 0) {
          TaskPointInit(newTarget);
          newTarget.kind = kPointUserWaypoint;
          newTarget.index = number;
          newTarget.lon = UserWaypoints().records[number].position.lon;
          newTarget.lat = UserWaypoints().records[number].position.lat;
          haveNewTarget = true;
        }
      }
    }
  }

  if (targetWasUserWaypoint && haveNewTarget) TaskSetNavigationTarget(newTarget, TaskOwnPosition(), 0);
  SaveUserWaypoints();
  BuildPointIndexes(0);
  AddUserWaypointsToTiles();
  ResetPointTableOrigins();
  BuildPointIndexes(0);
  WaypointSelectTarget();
  ComputeStartFinishGates();
  hold.reset();
  WaypointMessage(ce::text::Format(u"%d waypoints and %d task(s) Imported OK.", points, routes));
  return 1;
}

}  // namespace cumulor
