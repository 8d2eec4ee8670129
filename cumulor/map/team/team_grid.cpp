#include "cumulor/map/team/team_grid.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/points/point_db.h"

namespace cumulor {

namespace {

TeamGrid g_grid;
TeamMark g_marks[kTeamMarkCount];
std::int32_t g_fixCount = 0;
WCHAR g_codeText[96];

static_assert(offsetof(TeamGrid, unused2) == kGridTeamBytes, "the kept grid words come first");

bool GridPlaced() {
  for (int level = 0; level < 4; ++level) {
    if (g_grid.columnWidth[level] <= 0 || g_grid.rowHeight[level] <= 0) return false;
  }
  return true;
}

void Copy(WCHAR* out, std::size_t capacity, const char* text) {
  std::size_t i = 0;
  for (; text[i] && i + 1 < capacity; ++i) out[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  out[i] = 0;
}

}  // namespace

TeamGrid& TeamGridState() { return g_grid; }
TeamMark* TeamMarks() { return g_marks; }

void GridTeamToBytes(BYTE* bytes) { std::memcpy(bytes, &g_grid, kGridTeamBytes); }
void GridTeamFromBytes(const BYTE* bytes) { std::memcpy(static_cast<void*>(&g_grid), bytes, kGridTeamBytes); }

void GridSetOrigin() {
  const std::int32_t index = g_grid.referenceWaypoint;
  UserWaypointTable& table = UserWaypoints();
  if (index <= 0 || index >= table.records.Size()) return;
  const GeoPoint centre = table.records[index].position;
  const double latitude = centre.lat * 3.141592653589793 * 1.54320987654321e-7;
  std::int32_t width = static_cast<std::int32_t>(40.0 / std::cos(latitude));
  std::int32_t height = 40;
  for (int level = 3; level >= 0; --level) {
    g_grid.columnWidth[level] = width;
    g_grid.rowHeight[level] = height;
    width *= 8;
    height *= 8;
  }
  g_grid.southWest = {centre.lon - 4 * g_grid.columnWidth[0], centre.lat - 4 * g_grid.rowHeight[0]};
  g_grid.northEast = {centre.lon + 4 * g_grid.columnWidth[0], centre.lat + 4 * g_grid.rowHeight[0]};
}

const WCHAR* GridFormatCode(const GeoPoint& position, bool withBlanks) {
  const std::int64_t dx = std::int64_t{position.lon} - g_grid.southWest.lon;
  const std::int64_t dy = std::int64_t{position.lat} - g_grid.southWest.lat;
  if (dx < 0 || dy < 0 || !GridPlaced()) {
    Copy(g_codeText, std::size(g_codeText), "----");
    return g_codeText;
  }
  std::int64_t column[4], row[4];
  std::int64_t restX = dx, restY = dy;
  for (int level = 0; level < 4; ++level) {
    column[level] = restX / g_grid.columnWidth[level];
    restX %= g_grid.columnWidth[level];
    row[level] = restY / g_grid.rowHeight[level];
    restY %= g_grid.rowHeight[level];
  }
  // East or north of the 8 x 8 grid the letters run past 'H' and the numbers past 8.
  std::size_t at = 0;
  for (int level = 0; level < 4; ++level) {
    if (withBlanks && level > 0) g_codeText[at++] = u' ';
    g_codeText[at++] = static_cast<WCHAR>(u'A' + (column[level] < 0xFF00 ? column[level] : 0xFF00));
    char number[24];
    std::snprintf(number, sizeof number, "%lld", static_cast<long long>(1 + row[level]));
    for (const char* n = number; *n && at + 1 < std::size(g_codeText); ++n) g_codeText[at++] = static_cast<WCHAR>(*n);
  }
  g_codeText[at] = 0;
  return g_codeText;
}

HRESULT GridParseCode(const WCHAR* code, GeoPoint& position) {
  if (!code || !code[0]) return E_FAIL;
  std::int64_t lon = g_grid.southWest.lon;
  std::int64_t lat = g_grid.southWest.lat;
  std::int32_t fields = 0;
  const WCHAR* p = code;
  for (int level = 0; level < 4; ++level) {
    while (*p == u' ') ++p;
    if (!*p) break;
    const WCHAR letter = *p++;
    ++fields;
    while (*p == u' ') ++p;
    if (*p < u'0' || *p > u'9') break;
    std::int64_t number = 0;
    while (*p >= u'0' && *p <= u'9' && number < 100000) number = number * 10 + (*p++ - u'0');
    ++fields;
    lon += std::int64_t{letter - u'A'} * g_grid.columnWidth[level];
    lat += (number - 1) * g_grid.rowHeight[level];
  }
  if (fields == 0 || fields % 2 != 0) return E_FAIL;
  position = {static_cast<std::int32_t>(lon), static_cast<std::int32_t>(lat)};
  return 0;
}

void TeamMarksClear() {
  for (TeamMark& mark : g_marks) mark = TeamMark{};
  g_grid.teamMode = 0;
  g_grid.referenceWaypoint = 0;
  g_grid.ownCode[0] = 0;
}

bool TeamMarkIsSet(std::int32_t slot) { return slot >= 0 && slot < kTeamMarkCount && g_marks[slot].gliderId[0] != 0; }

const WCHAR* TeamGridOnFix(const GeoPoint& mapPosition) {
  if (g_grid.teamMode != 1) return nullptr;
  if (++g_fixCount <= 3) return nullptr;
  g_fixCount = 4;
  const WCHAR* code = GridFormatCode(mapPosition, true);
  std::size_t i = 0;
  for (; code[i] && i < 8; ++i) g_grid.ownCode[i] = code[i];
  g_grid.ownCode[i] = 0;
  return g_grid.ownCode;
}

void TeamGridResetFixCount() { g_fixCount = 0; }

std::int32_t GridLoadSlots(const XmlNode& settings) {
  const XmlNode* grid = settings.FindChild("Grid");
  if (!grid) return 0;
  BYTE block[sizeof g_marks];
  std::memcpy(block, g_marks, sizeof block);
  const char* text = grid->GetText();
  if (text && TextToBytes(block, sizeof block, text)) {
    std::memcpy(g_marks, block, sizeof block);
    // Fixed-width texts read whole: each ends at its last character at the latest.
    for (TeamMark& mark : g_marks) {
      mark.gliderId[7] = 0;
      mark.code[19] = 0;
    }
  }
  return 1;
}

void GridSaveSlots(XmlNode& settings) {
  DynString text;
  BytesToText(reinterpret_cast<const BYTE*>(g_marks), sizeof g_marks, text);
  settings.AddChildString("Grid", text.CStr());
}

}  // namespace cumulor
