#include "cumulor/data/waypoints/user_waypoint_store.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cumulor/app/base/file_access.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/nav/igc/igc_text.h"

namespace cumulor {

namespace {

void CopyBounded(char* destination, std::size_t size, const char* text) {
  std::size_t n = 0;
  if (text != nullptr)
    for (; n + 1 < size && text[n] != '\0'; ++n) destination[n] = text[n];
  destination[n] = '\0';
}

PointText MakeText(const char* text) {
  PointText t;
  CopyBounded(t.text, sizeof t.text, text);
  return t;
}

}  // namespace

std::int32_t& UserSerial() {
  static std::int32_t serial = 1;
  return serial;
}

void LoadUserSerial(const XmlNode& settings) {
  std::int32_t value = 0;
  if (settings.GetChildInt("UserSerial", value)) UserSerial() = value;
}

void SaveUserSerial(XmlNode& settings) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", UserSerial());
  if (XmlNode* node = settings.AddChild("UserSerial")) node->SetText(text);
}

void EnsureUserWaypointPlaceholder() {
  UserWaypointTable& table = UserWaypoints();
  if (table.records.Size() == 0) table.records.Append(WaypointRecord{});
  if (table.names.Size() == 0) table.names.Append(PointText{});
  if (table.countries.Size() == 0) table.countries.Append(PointText{});
}

void ClearUserWaypoints() {
  AeroTiles().ListsClear(kTileUserWaypoints);
  UserWaypointTable& table = UserWaypoints();
  table.records.SetSize(0);
  table.names.SetSize(0);
  table.countries.SetSize(0);
  EnsureUserWaypointPlaceholder();
}

std::int32_t FindUserWaypoint(const char* name) {
  if (name == nullptr) return -1;
  const UserWaypointTable& table = UserWaypoints();
  const std::int32_t count = table.records.Size() < table.names.Size() ? table.records.Size() : table.names.Size();
  for (std::int32_t i = 1; i < count; ++i)
    if ((table.records[i].flags & kWaypointFoundByName) != 0 && std::strcmp(table.names[i].text, name) == 0) return i;
  return -1;
}

std::int32_t AddOrReplaceUserWaypoint(const WaypointRecord& record, const char* name, const char* country) {
  EnsureUserWaypointPlaceholder();
  UserWaypointTable& table = UserWaypoints();
  const std::int32_t found = FindUserWaypoint(name);
  if (found > 0) {
    table.records[found] = record;
    if (found < table.countries.Size()) table.countries[found] = MakeText(country);
    return found;
  }
  // The three arrays stay parallel: the shorter ones are padded before appending.
  while (table.names.Size() < table.records.Size()) table.names.Append(PointText{});
  while (table.countries.Size() < table.records.Size()) table.countries.Append(PointText{});
  table.records.Append(record);
  table.names.Append(MakeText(name));
  table.countries.Append(MakeText(country));
  return table.records.Size() - 1;
}

void RemoveLastUserWaypoint() {
  UserWaypointTable& table = UserWaypoints();
  if (table.records.Size() <= 1) return;
  const std::int32_t last = table.records.Size() - 1;
  table.records.SetSize(last);
  if (table.names.Size() > last) table.names.SetSize(last);
  if (table.countries.Size() > last) table.countries.SetSize(last);
}

void AddUserWaypointsToTiles() {
  const UserWaypointTable& table = UserWaypoints();
  for (std::int32_t i = 1; i < table.records.Size(); ++i)
    AeroTiles().AddItem(kTileUserWaypoints, table.records[i].position, static_cast<std::uint32_t>(i));
}

std::int32_t NewUserWaypoint(const GeoPoint& position) {
  EnsureUserWaypointPlaceholder();
  WaypointRecord record;
  record.position = position;
  char name[32];
  std::snprintf(name, sizeof name, "UserTP%d", UserSerial());
  char code[16];
  std::snprintf(code, sizeof code, "U%d", UserSerial());
  CopyBounded(record.code, 6, code);
  ++UserSerial();
  std::int32_t metres = -1000;
  if (!TerrainElevationAt(AeroTiles(), position, metres)) metres = 5000;
  record.elevation = static_cast<std::int16_t>(std::lround(metres * 3.2808));
  record.zoomLimit = kMapWaypointZoom;
  UserWaypointTable& table = UserWaypoints();
  while (table.names.Size() < table.records.Size()) table.names.Append(PointText{});
  while (table.countries.Size() < table.records.Size()) table.countries.Append(PointText{});
  table.records.Append(record);
  table.names.Append(MakeText(name));
  table.countries.Append(PointText{});
  return table.records.Size() - 1;
}

std::string FormatWaypointCoordinate(std::int32_t value, bool isLatitude) {
  const char letter = isLatitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
  const std::int64_t v = std::llabs(static_cast<std::int64_t>(value));
  const int degrees = static_cast<int>(v / 36000);
  const int rest = static_cast<int>(v % 36000);
  // Thousandths rounded up, so that reading them back (truncated to whole units) gives the same
  // value: a waypoint does not move when the file is saved and read again.
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d.%03d%c", degrees, rest / 600, ((rest % 600) * 10 + 5) / 6, letter);
  return text;
}

std::string FormatUserWaypointLine(std::int32_t index) {
  const UserWaypointTable& table = UserWaypoints();
  const WaypointRecord& w = table.records[index];
  const char* name = index < table.names.Size() ? table.names[index].text : "";
  WCHAR wideLetters[16];
  WaypointFlagLetters(w.flags, wideLetters);
  char letters[16];
  std::int32_t n = 0;
  for (; wideLetters[n] != 0 && n < 15; ++n) letters[n] = static_cast<char>(wideLetters[n]);
  letters[n] = '\0';
  if (n == 0) std::strcpy(letters, "W");
  char code[sizeof w.code + 1];
  CopyBounded(code, sizeof code, w.code);
  char comment[sizeof w.comment + 1];
  CopyBounded(comment, sizeof comment, w.comment);
  std::string line;
  line.reserve(128);
  line += code;
  line += ',';
  line += FormatWaypointCoordinate(w.position.lat, true);
  line += ',';
  line += FormatWaypointCoordinate(w.position.lon, false);
  line += ',';
  line += std::to_string(w.elevation);
  line += "F,";
  line += letters;
  line += ',';
  line += name;
  line += ',';
  line += comment;
  if (w.zoomLimit < kMapWaypointZoom) {
    line += " *Z";
    line += std::to_string(w.zoomLimit);
  }
  line += "\r\n";
  return line;
}

int SaveUserWaypoints() {
  if (GetDataFilePath(kFilesUserWaypoints) == nullptr) SetDataFileName(kFilesUserWaypoints, u"MyCumulor.dat");
  const WCHAR* path = GetDataFilePath(kFilesUserWaypoints);
  if (path == nullptr) return 0;
  const std::u16string target(path);  // the path buffer is shared with other callers
  std::string content;
  const UserWaypointTable& table = UserWaypoints();
  content.reserve(static_cast<std::size_t>(table.records.Size()) * 64);
  for (std::int32_t i = 1; i < table.records.Size(); ++i) content += FormatUserWaypointLine(i);
  return detail::ReplaceFileWith(target.c_str(), content.data(), content.size(), false) ? 1 : 0;
}

}  // namespace cumulor
