#include "cumulor/data/waypoints/user_waypoint_reader.h"

#include <cstring>

#include "cumulor/app/base/text_file.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/geo/field_splitter.h"
#include "cumulor/nav/igc/igc_text.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

// A field's text: empty for a missing field or one returned at its comma.
const char* FieldText(const char* field) { return field == nullptr || *field == ',' ? "" : field; }

void Widen(WCHAR* destination, std::size_t size, const char* text) {
  std::size_t n = 0;
  for (; n + 1 < size && text[n] != '\0'; ++n) destination[n] = static_cast<unsigned char>(text[n]);
  destination[n] = 0;
}

// The elevation field in feet: a signed number, feet when the field holds F or f, else metres.
bool ParseElevationFeet(const char* text, std::int16_t& out) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  if (*p < '0' || *p > '9') return false;
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (value < 1000000000) value = value * 10 + (*p - '0');
  if (negative) value = -value;
  if (value > kMaxWaypointFeet) return false;
  const bool feet = std::strchr(text, 'F') != nullptr || std::strchr(text, 'f') != nullptr;
  const std::int64_t inFeet = feet ? value : static_cast<std::int64_t>(static_cast<double>(value) * 3.2808);
  if (inFeet < -32768 || inFeet > 32767) return false;
  out = static_cast<std::int16_t>(inFeet);
  return true;
}

bool ParseCoordinate(const char* text, std::int32_t limit, std::int32_t& out) {
  int next = 0;
  std::int32_t value = 0;
  const int length = static_cast<int>(std::strlen(text));
  if (!ParseDegMinSec(text, length, next, value)) return false;
  if (value > limit || value < -limit) return false;
  out = value;
  return true;
}

}  // namespace

HRESULT ParseUserWaypointLine(GpsPort& gps, WaypointRecord& record, char (&name)[64], const char* line) {
  record = WaypointRecord{};
  record.zoomLimit = kImportedZoom;
  name[0] = '\0';
  if (line == nullptr) return E_FAIL;
  ShortSplitter splitter;
  const char* code = TokenizeShort(splitter, line);
  const char* lat = TokenizeShort(splitter, nullptr);
  const char* lon = TokenizeShort(splitter, nullptr);
  const char* elevation = TokenizeShort(splitter, nullptr);
  if (code == nullptr || lat == nullptr || lon == nullptr || elevation == nullptr) return E_FAIL;
  const char* letters = FieldText(TokenizeShort(splitter, nullptr));
  const char* nameField = FieldText(TokenizeShort(splitter, nullptr));
  const char* comment = FieldText(TokenizeShort(splitter, nullptr));

  code = FieldText(code);
  std::size_t n = 0;
  for (; n < 5 && code[n] != '\0'; ++n) record.code[n] = code[n];
  record.code[n] = '\0';
  if (!ParseCoordinate(FieldText(lat), 3240000, record.position.lat)) return E_FAIL;
  if (!ParseCoordinate(FieldText(lon), 6480000, record.position.lon)) return E_FAIL;
  if (!ParseElevationFeet(FieldText(elevation), record.elevation)) return E_FAIL;

  WCHAR wide[256];
  Widen(wide, 256, letters);
  ParseWaypointFlagLetters(wide, record.flags);

  n = 0;
  for (; n < 63 && nameField[n] != '\0'; ++n) name[n] = nameField[n];
  while (n > 0 && (name[n - 1] == ' ' || name[n - 1] == '\t')) --n;
  name[n] = '\0';

  const char* star = std::strchr(comment, '*');
  std::size_t commentLength = star != nullptr ? static_cast<std::size_t>(star - comment) : std::strlen(comment);
  // The writer puts a blank between the comment and its option: it is not part of the comment.
  if (star != nullptr)
    while (commentLength > 0 && (comment[commentLength - 1] == ' ' || comment[commentLength - 1] == '\t')) --commentLength;
  n = 0;
  for (; n < 31 && n < commentLength; ++n) record.comment[n] = comment[n];
  record.comment[n] = '\0';
  if (star != nullptr) {
    Widen(wide, 256, star + 1);
    ParseWaypointOption(gps, wide, record);
  }
  return S_OK;
}

int LoadUserWaypoints(GpsPort& gps, TaskPoint* fileHome, GeoRect* bounds) {
  MainLockHold hold;
  if (bounds != nullptr) *bounds = GeoRect{};
  ClearUserWaypoints();
  const PathList& files = SelectedDataFiles()[kFilesUserWaypoints].selected;
  for (std::int32_t f = 0; f < files.Size(); ++f) {
    const std::u16string path(GetDataFileFullPath(files[f]));
    const TextLines lines = ReadWholeFile(path.c_str());
    if (!lines.Loaded()) {
      if (lines.Result() != kTextFileEmpty) {
        WaypointStatus(ce::text::Format(u"Unable to open %s", path.c_str()));
        WaypointWait(4000);
      }
      continue;
    }
    // Bad lines are told once per file, after it: the first one and how many there were (a
    // damaged file would otherwise hold the start-up for seconds on every line).
    std::string firstBad;
    std::int32_t badLines = 0;
    for (std::int32_t i = 0; i < lines.LineCount(); ++i) {
      const char* line = lines.LineText(i);
      const char* p = line;
      while (*p == ' ' || *p == '\t') ++p;
      if (*p == '*' || lines.LineLength(i) < 4) continue;
      WaypointRecord record;
      char name[64];
      if (ParseUserWaypointLine(gps, record, name, line) != S_OK) {
        if (badLines++ == 0) {
          firstBad.assign(line, std::strlen(line) < 512 ? std::strlen(line) : 512);
          while (!firstBad.empty() && (firstBad.back() == '\r' || firstBad.back() == '\n')) firstBad.pop_back();
        }
        continue;
      }
      UserWaypointTable& table = UserWaypoints();
      while (table.names.Size() < table.records.Size()) table.names.Append(PointText{});
      while (table.countries.Size() < table.records.Size()) table.countries.Append(PointText{});
      table.records.Append(record);
      PointText text;
      std::memcpy(text.text, name, sizeof name);
      table.names.Append(text);
      table.countries.Append(PointText{});
      if (bounds != nullptr) ExtendRect(*bounds, record.position);
      if ((record.flags & 0x40) != 0 && fileHome != nullptr) {
        TaskPointInit(*fileHome);
        fileHome->kind = kPointUserWaypoint;
        fileHome->index = table.records.Size() - 1;
        fileHome->lon = record.position.lon;
        fileHome->lat = record.position.lat;
      }
    }
    if (badLines > 0) {
      WaypointStatus(ce::text::Format(u"Syntax Error in %s", path.c_str()));
      WaypointWait(4000);
      if (badLines == 1) {
        WaypointStatus(ce::text::Format(u"%hs", firstBad.c_str()));
      } else {
        WaypointStatus(ce::text::Format(u"%hs (%d lines)", firstBad.c_str(), static_cast<int>(badLines)));
      }
      WaypointWait(4000);
    }
  }
  return 0;
}

}  // namespace cumulor
