#include "cumulor/data/airspace/airspace_texts.h"

#include <cstdio>
#include <mutex>

#include "cumulor/app/base/number_text.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"

namespace cumulor {

namespace {

std::u16string Wide(std::string_view text) {
  std::u16string out;
  for (char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

template <std::size_t N>
std::string Field(const char (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n]) ++n;
  return std::string(field, n);
}

template <std::size_t N>
std::u16string WideField(const WCHAR (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n]) ++n;
  return std::u16string(reinterpret_cast<const char16_t*>(field), n);
}

const char* const kClassNames[16] = {"?",     "A",      "B",   "C",          "D",          "E",         "F",       "G",
                                     "Alert", "Danger", "MOA", "Prohibited", "Restricted", "Temporary", "Warning", ""};
const char* const kLimitTypeNames[8] = {"?", "MSL", "AGL", "FL", "(Surface)", "UNLIM", "By Notam", ""};
// The class words of the database, used by the information text.
const char* const kInfoClassNames[16] = {"OTHER",   "CLASS A", "CLASS B", "CLASS C",    "CLASS D",    "CLASS E",
                                         "CLASS F", "CLASS G", "ALERT",   "DANGER",     "MOA",        "PROHIBITED",
                                         "RESTRICTED", "TEMPORARY", "WARNING", "UNKNOWN"};

std::int32_t ExportValue(const AeroLimit& l) { return l.type == 3 ? l.value / 100 : l.value; }
const char* TypeName(std::int32_t type) { return type >= 0 && type < 8 ? kLimitTypeNames[type] : "?"; }

std::u16string Distance(const GeoPoint* points, std::int32_t count, const GeoPoint& position, const std::u16string& unit) {
  if (PointInPolygon(position, points, count)) return u"Distance: Inside";
  const std::uint32_t d = MinDistanceToPolyline(position, points, count);
  return u"Distance: " + std::u16string(reinterpret_cast<const char16_t*>(FormatDistance(d, kPrecisionOneDecimal))) + unit;
}

bool WriteAll(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

}  // namespace

std::u16string AeroLimitText(const AeroLimit& limit) {
  char text[32] = {};
  switch (limit.type) {
    case 1: std::snprintf(text, sizeof(text), "%dMSL", limit.value); break;
    case 2: std::snprintf(text, sizeof(text), "%dAGL", limit.value); break;
    case 3: std::snprintf(text, sizeof(text), "FL%d", limit.value / 100); break;
    case 4: return u"GND";
    case 5: return u"UNLIMITED";
    case 6: return u"BY NOTAM";
    default: return u"";
  }
  return Wide(text);
}

const char* AeroAirspaceClassText(std::int32_t airspaceClass) {
  return airspaceClass >= 0 && airspaceClass < 16 ? kInfoClassNames[airspaceClass] : "?";
}

std::u16string AirspaceNameText(const AirspaceShape& shape) { return WideField(shape.name); }

std::u16string AirspaceLimitsText(const AirspaceShape& shape) {
  return WideField(shape.floorText) + u" - " + WideField(shape.ceilingText);
}

std::u16string AirspaceDistanceText(const AirspaceShape& shape, const GeoPoint& position, const std::u16string& unit) {
  return Distance(shape.points.Data(), shape.pointCount, position, unit);
}

std::u16string AeroAirspaceInfoText(const AeroAirspace& a, bool shortFirst) {
  const std::string first = shortFirst ? Field(a.shortName) : Field(a.longName);
  const std::string second = shortFirst ? Field(a.longName) : Field(a.shortName);
  std::string text = std::string(AeroAirspaceClassText(a.airspaceClass)) + ": " + first + " " + second;
  const std::string suffix = Field(a.suffix);
  if (!suffix.empty()) text += " " + suffix;
  return Wide(text);
}

std::u16string AeroAirspaceLimitsText(const AeroAirspace& a) {
  return AeroLimitText(a.lower) + u" - " + AeroLimitText(a.upper);
}

std::u16string AeroAirspaceDistanceText(const AeroAirspace& a, const GeoPoint& position, const std::u16string& unit) {
  return Distance(a.points.Data(), a.points.Size(), position, unit);
}

std::string AeroAirspaceLabel(const AeroAirspace& a, bool shortFirst) {
  std::string text = shortFirst ? Field(a.shortName) : Field(a.longName);
  const std::string suffix = Field(a.suffix);
  if (!suffix.empty()) text += " " + suffix;
  return text;
}

int ExportAeroData(const WCHAR* path) {
  const std::u16string target(reinterpret_cast<const char16_t*>(path));
  const std::u16string temporary = target + u".tmp";
  HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(temporary.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  bool ok = WriteAll(file, "\r\nAirspace\r\n\r\n");
  {
    std::lock_guard<std::recursive_mutex> points(PointTableLock());
    const AeroTables& t = AeroData();
    {
      std::lock_guard guard(AirspaceLock());
      for (std::size_t i = 0; ok && i < t.airspaces.size(); ++i) {
        const AeroAirspace& a = *t.airspaces[i];
        const char* cls = a.airspaceClass >= 0 && a.airspaceClass < 16 ? kClassNames[a.airspaceClass] : "?";
        char line[256];
        std::snprintf(line, sizeof(line), "\r\n%s, %s, class %s,  From alt %d%s to alt %d%s ", Field(a.shortName).c_str(),
                      Field(a.longName).c_str(), cls, ExportValue(a.lower), TypeName(a.lower.type), ExportValue(a.upper),
                      TypeName(a.upper.type));
        ok = WriteAll(file, line);
      }
    }
    ok = ok && WriteAll(file, "\r\n\r\nAirports\r\n\r\n");
    for (std::int32_t i = 1; ok && i < t.airports.Size(); ++i) {
      const AirportRecord& r = t.airports[i];
      const char* name = i < t.airportNames.Size() && t.airportNames[i] ? t.airportNames[i] : "";
      std::string line = "\r\n" + Field(r.code) + " '" + name + "' Elev:" + std::to_string(r.elevation) + " id:";
      line.push_back(r.regionCode[0]);
      line.push_back(r.regionCode[1]);
      line += std::to_string(r.databaseId);
      ok = WriteAll(file, line);
    }
  }
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  if (ok) ok = MoveFileExW(reinterpret_cast<LPCWSTR>(temporary.c_str()), path, MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) DeleteFileW(reinterpret_cast<LPCWSTR>(temporary.c_str()));
  return ok ? 1 : 0;
}

}  // namespace cumulor
