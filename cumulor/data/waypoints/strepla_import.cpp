#include "cumulor/data/waypoints/strepla_import.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
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

// The points and routes of a StrePla file, read whole before anything is changed.
struct StrePlaContent {
  struct Point {
    WaypointRecord record;
    std::string name;
  };
  std::vector<Point> points;
  std::vector<std::vector<std::int32_t>> routes;  // waypoint numbers from 1
  std::int32_t target = 0;                         // 0: no new target
};

// A line for the syntax-error message: no line end, control characters of a binary file shown as
// '?', at most 80 characters.
std::string ShownLine(const char* line) {
  std::string text = LineForMessage(line);
  if (text.size() > 80) text.resize(80);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  return text;
}

// Reads the point blocks and routes; false with the offending line when the file is not a StrePla
// file (it must begin with a point block) or a block is broken.
bool ReadStrePla(const TextLines& lines, StrePlaContent& content, std::string& badLine) {
  std::int32_t i = 0;
  const std::int32_t count = lines.LineCount();
  if (count == 0 || FirstNonBlank(lines.LineText(0)) != 'p') {
    badLine = count == 0 ? std::string() : ShownLine(lines.LineText(0));
    return false;
  }
  while (i < count && FirstNonBlank(lines.LineText(i)) == 'p') {
    const char* first = lines.LineText(i);
    const char* p = first;
    NextWord(p);
    const std::string code = NextWord(p);
    if (code.empty()) {
      badLine = ShownLine(first);
      return false;
    }
    StrePlaContent::Point point;
    WaypointRecord& record = point.record;
    record.zoomLimit = kImportedZoom;
    std::memcpy(record.code, code.data(), code.size() < 5 ? code.size() : 5);
    for (++i; i < count; ++i) {
      const char* line = lines.LineText(i);
      const char* q = line;
      const std::string key = NextWord(q);
      if (!key.empty() && key[0] == '}') {
        ++i;
        break;
      }
      if (!key.empty() && key[0] == 'n') {
        point.name = QuotedName(line);
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
          badLine = ShownLine(line);
          return false;
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
    content.points.push_back(std::move(point));
  }

  if (i < count && FirstNonBlank(lines.LineText(i)) == 'r') {
    const std::int32_t storeCount = static_cast<std::int32_t>(content.points.size()) + 1;
    bool stop = false;
    while (!stop && i < count && static_cast<std::int32_t>(content.routes.size()) < kMaxRoutes) {
      const char* line = lines.LineText(i);
      const char* q = line;
      while (*q == ' ' || *q == '\t') ++q;
      if (std::strncmp(q, "route", 5) != 0) {
        ++i;
        continue;
      }
      const bool firstRoute = content.routes.empty();
      content.routes.emplace_back();
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
        if (c == 's' || c == 'w' || c == 'f') content.routes.back().push_back(number);
        else if (c == 't' && firstRoute) content.target = number;
      }
    }
  }
  return true;
}

}  // namespace

int ImportStrePla(const WCHAR* path) {
  if (path == nullptr) return 0;
  const std::u16string filePath(path);
  const TextLines lines = ReadWholeFile(filePath.c_str());
  if (!lines.Loaded()) return 0;
  if (!WaypointAsk(u"Import StrePla waypoints and tasks?")) return 0;

  // The whole file is read and checked first: a file of another format (a binary one too) or a
  // broken block leaves the waypoints, the tasks and the file name as they were.
  StrePlaContent content;
  std::string badLine;
  if (!ReadStrePla(lines, content, badLine)) {
    WaypointMessage(ce::text::Format(u"Importing StrePla Waypoints Syntax Error in file %s : %hs", filePath.c_str(),
                                     badLine.c_str()));
    return 0;
  }

  std::optional<MainLockHold> hold;
  hold.emplace();
  const bool targetWasUserWaypoint = WaypointNavigationTarget().kind == kPointUserWaypoint;
  if (targetWasUserWaypoint) {
    WaypointClearNavigationTarget();
    TaskPointInit(DirectTarget());
  }
  ClearUserWaypoints();
  SetDataFileName(kFilesUserWaypoints, u"FromStrePla.dat");
  for (const StrePlaContent::Point& point : content.points) AddOrReplaceUserWaypoint(point.record, point.name.c_str());

  ClearAllTasks();
  auto taskPoint = [](std::int32_t number) {
    TaskPoint point;
    TaskPointInit(point);
    point.kind = kPointUserWaypoint;
    point.index = number;
    if (number < UserWaypoints().records.Size()) {
      point.lon = UserWaypoints().records[number].position.lon;
      point.lat = UserWaypoints().records[number].position.lat;
    }
    return point;
  };
  const std::int32_t routes = static_cast<std::int32_t>(content.routes.size());
  for (std::int32_t slot = 0; slot < routes; ++slot)
    for (std::int32_t number : content.routes[slot]) Tasks().slot[slot].Append(taskPoint(number));

  if (targetWasUserWaypoint && content.target > 0)
    TaskSetNavigationTarget(taskPoint(content.target), TaskOwnPosition(), 0);
  SaveUserWaypoints();
  BuildPointIndexes(0);
  AddUserWaypointsToTiles();
  ResetPointTableOrigins();
  BuildPointIndexes(0);
  WaypointSelectTarget();
  ComputeStartFinishGates();
  hold.reset();
  WaypointMessage(ce::text::Format(u"%d waypoints and %d task(s) Imported OK.", static_cast<std::int32_t>(content.points.size()), routes));
  return 1;
}

}  // namespace cumulor
