#include "cumulor/nav/thermal/thermal_db.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/app/base/xml_reader.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/thermal/solar_position.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kHeaderSize = 512;
constexpr std::int32_t kEndMarker = 1234;

struct ThermalDb {
  DynArray<ThermalRecord> records;
  DynArray<FlightInfoImage> companions;
  ThermalQuery query;
  std::atomic<float> maxClimb{0.0f};
};

ThermalDb& Db() {
  static ThermalDb db;
  return db;
}

std::int32_t Wrap360(std::int32_t v) {
  v %= 360;
  return v < 0 ? v + 360 : v;
}

std::int32_t Wrap24(std::int32_t h) {
  h %= 24;
  return h < 0 ? h + 24 : h;
}

void ShowReadError(const WCHAR* path) {
  auto show = ThermalHooksInstalled().showMessage;
  if (!show) return;
  std::u16string text = u"Error reading ";
  text += path;
  show(text.c_str());
}

bool NameIs(const XmlNode& node, const char* name) { return std::strcmp(node.Name().CStr(), name) == 0; }

// A record from a "CumulorThermal" element; unknown children mark it with companion -1.
ThermalRecord RecordFromXml(const XmlNode& element) {
  ThermalRecord r;
  for (std::int32_t i = 0; i < element.ChildCount(); ++i) {
    const XmlNode& child = *element.Child(i);
    std::int32_t n = 0;
    double v = 0.0;
    child.GetInt(n);
    child.GetDouble(v);
    const auto whole = [](double x) {
      const double u = std::trunc(x);
      return static_cast<std::int32_t>(std::isfinite(u) && std::fabs(u) < 2.0e9 ? u : 0.0);
    };
    const auto units = [&](double degrees) { return whole(degrees * kGeoUnitsPerDegree); };
    if (NameIs(child, "Longitude")) r.position.lon = units(v);
    else if (NameIs(child, "Latitude")) r.position.lat = units(v);
    else if (NameIs(child, "LongitudeEndWave")) r.waveEnd.lon = units(v);
    else if (NameIs(child, "LatitudeEndWave")) r.waveEnd.lat = units(v);
    else if (NameIs(child, "Type")) r.type = n;
    else if (NameIs(child, "AbsoluteStrength")) r.absoluteStrength = static_cast<float>(v);
    else if (NameIs(child, "RelativeStrength")) r.relativeStrength = static_cast<std::int16_t>(whole(v));
    else if (NameIs(child, "SunAzimuth")) r.sunAzimuth = n;
    else if (NameIs(child, "SunElevation")) r.sunElevation = n;
    else if (NameIs(child, "groundlevel")) r.groundLevel = n;
    else if (NameIs(child, "TimeZulu")) r.timeUtc = n;
    else if (NameIs(child, "WindFrom")) r.windFrom = static_cast<std::int16_t>(n);
    else if (NameIs(child, "WindSpeedKmh")) r.windSpeed = static_cast<float>(v);
    else r.companion = -1;
  }
  return r;
}

bool LoadXml(const WCHAR* path) {
  XmlNode top = XmlNode::ConstructTop();
  if (XmlParseFile(path, top) != kXmlParsed || top.ChildCount() == 0) return false;
  const XmlNode& root = *top.Child(top.ChildCount() - 1);
  if (!NameIs(root, "CumulorDatabase")) return false;
  for (std::int32_t i = 0; i < root.ChildCount(); ++i) {
    const XmlNode& child = *root.Child(i);
    if (NameIs(child, "CumulorThermal")) Db().records.Append(RecordFromXml(child));
  }
  return true;
}

bool LoadBinary(HANDLE file) {
  ThermalDb& db = Db();
  std::uint8_t header[kHeaderSize];
  DWORD got = 0;
  if (!ReadFile(file, header, kHeaderSize, &got, nullptr) || got != kHeaderSize || header[0] != 'T') return false;
  const std::int32_t companionsBefore = db.companions.Size();
  DynArray<FlightInfoImage> companions;
  if (ReadFlightInfoArray(companions, file, nullptr) != S_OK) return false;
  db.companions.Append(companions.Data(), companions.Size());
  DynArray<ThermalRecord> records;
  if (ReadThermalArray(records, file, nullptr) != S_OK) return false;
  for (ThermalRecord& r : records) r.companion += companionsBefore;
  db.records.Append(records.Data(), records.Size());
  std::uint8_t marker[4];
  if (!ReadFile(file, marker, 4, &got, nullptr) || got != 4) return false;
  const std::int32_t end = static_cast<std::int32_t>(marker[0] | (marker[1] << 8) | (marker[2] << 16) |
                                                     (static_cast<std::uint32_t>(marker[3]) << 24));
  return end == kEndMarker;
}

}  // namespace

ThermalHooks& ThermalHooksInstalled() {
  static ThermalHooks hooks;
  return hooks;
}

DynArray<ThermalRecord>& ThermalRecords() { return Db().records; }
DynArray<FlightInfoImage>& ThermalCompanions() { return Db().companions; }
ThermalQuery& ThermalQuerySettings() { return Db().query; }

void ThermalQuerySave(XmlNode& settings) {
  const ThermalQuery& q = Db().query;
  const std::int32_t words[9] = {q.timeMode, q.sunFrom,  q.sunTo,   q.hourFrom, q.hourTo,
                                 q.windMode, q.windFrom, q.windTo,  q.spare};
  BYTE bytes[36];
  for (int i = 0; i < 9; ++i)
    for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<BYTE>(static_cast<std::uint32_t>(words[i]) >> (8 * b));
  DynString text;
  BytesToText(bytes, 36, text);
  settings.AddChildString("ThermalQuery", text.CStr());
}

int ThermalQueryLoad(const XmlNode& settings) {
  const XmlNode* element = settings.FindNamed("ThermalQuery");
  if (!element) return 0;
  Db().maxClimb = 0.0f;
  const char* text = element->GetText();
  BYTE bytes[36] = {};
  if (!text || !TextToBytes(bytes, 36, text)) return 1;
  std::int32_t w[9];
  for (int i = 0; i < 9; ++i)
    w[i] = static_cast<std::int32_t>(bytes[i * 4] | (bytes[i * 4 + 1] << 8) | (bytes[i * 4 + 2] << 16) |
                                     (static_cast<std::uint32_t>(bytes[i * 4 + 3]) << 24));
  Db().query = ThermalQuery{w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8]};
  return 1;
}

bool ThermalMaxClimb(float rate) {
  std::atomic<float>& max = Db().maxClimb;
  float current = max.load();
  while (rate > current) {
    if (max.compare_exchange_weak(current, rate)) return true;
  }
  return false;
}

float ThermalMaxClimbValue() { return Db().maxClimb.load(); }

void ThermalDbClear() {
  ThermalDb& db = Db();
  db.records.FreeData();
  db.companions.FreeData();
}

bool ThermalDbLoadFile(const WCHAR* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(file, nullptr);
  bool ok = false;
  if (size != 0xFFFFFFFF && size >= kHeaderSize) {
    std::size_t n = 0;
    while (path[n] != 0) ++n;
    if (n > 0 && path[n - 1] == u'2') {
      CloseHandle(file);
      return LoadXml(path);
    }
    ok = LoadBinary(file);
  }
  CloseHandle(file);
  return ok;
}

int ThermalDbLoad() {
  ThermalDbClear();
  const PathList& files = SelectedDataFiles()[kFilesThermals].selected;
  for (const DataFileEntry& entry : files) {
    std::u16string path = GetDataFileFullPath(entry);
    if (!ThermalDbLoadFile(path.c_str())) ShowReadError(path.c_str());
  }
  return 1;
}

std::int32_t ThermalWindowWidth(std::int32_t from, std::int32_t to) {
  std::int32_t width = to - from;
  if (width < 0) width += 360;
  if (width > 180) width -= 180;
  return width;
}

void ThermalDrift(const ThermalWind& wind, std::int32_t altitude) {
  ThermalDb& db = Db();
  const float maxClimb = db.maxClimb.load();
  for (std::int32_t i = 1; i < db.records.Size(); ++i) {
    ThermalRecord& r = db.records[i];
    if (!r.selected) continue;
    r.drifted = r.position;
    const std::int32_t h = altitude - r.groundLevel;
    // A strength or climb of 0 or below gives no climb time: the source stays where it is.
    const double lift = r.relativeStrength * static_cast<double>(maxClimb) * 0.01;
    if (h > 100 && wind.speed >= 5.0f && lift > 0.0) {
      const double seconds = h / lift;
      const double metres = std::trunc(seconds * wind.speed * 0.2777777777777778);
      const std::uint32_t drift = metres < 4.0e9 ? static_cast<std::uint32_t>(metres) : 4000000000u;
      GeoDestination(r.position.lon, r.position.lat, drift, -((wind.from + 180) * kPi / 180.0), r.drifted);
    }
    AeroTiles().AddItem(kTileThermals, r.drifted, static_cast<std::uint32_t>(i));
  }
}

void ThermalUpdate(const ThermalWind* given) {
  const ThermalHooks& hooks = ThermalHooksInstalled();
  if (hooks.lock) hooks.lock();
  ThermalDb& db = Db();
  const ThermalWind wind = given ? *given : (hooks.currentWind ? hooks.currentWind() : ThermalWind{});
  AeroTiles().ListsClear(kTileThermals);
  const ThermalQuery& q = db.query;

  bool windWindow = false;
  std::int32_t windFrom = 0, windTo = 0;
  if (q.windMode == 1 && wind.speed >= 10.0f) {
    windWindow = true;
    windFrom = Wrap360(wind.from - 30);
    windTo = Wrap360(wind.from + 30);
  } else if (q.windMode == 2) {
    windWindow = true;
    windFrom = q.windFrom;
    windTo = q.windTo;
  }

  bool sunWindow = false;
  std::int32_t sunFrom = 0, sunTo = 0;
  if (q.timeMode == 1 || q.timeMode == 2) {
    SYSTEMTIME utc{};
    if (hooks.utcNow) hooks.utcNow(utc);
    else GetSystemTime(&utc);
    const GeoPoint own = hooks.ownPosition ? hooks.ownPosition() : GeoPoint{};
    std::int32_t elevation = 0;
    sunWindow = true;
    if (q.timeMode == 1) {
      std::int32_t azimuth = 0;
      SolarPosition(utc, -1.0, own, azimuth, elevation);
      sunFrom = azimuth - 20;
      sunTo = azimuth + 20;
    } else {
      // The hours are counted from the current UTC hour.
      SYSTEMTIME at = utc;
      at.wMinute = at.wSecond = 0;
      at.wHour = static_cast<WORD>(Wrap24(utc.wHour + q.hourFrom));
      SolarPosition(at, -1.0, own, sunFrom, elevation);
      at.wHour = static_cast<WORD>(Wrap24(utc.wHour + q.hourTo));
      SolarPosition(at, -1.0, own, sunTo, elevation);
    }
  }
  const std::int32_t windWidth = ThermalWindowWidth(windFrom, windTo);
  const std::int32_t sunWidth = ThermalWindowWidth(sunFrom, sunTo);
  for (ThermalRecord& r : db.records) {
    r.selected = 0;
    if (windWindow && Wrap360(r.windFrom - windFrom) > windWidth) continue;
    if (sunWindow && Wrap360(r.sunAzimuth - sunFrom) > sunWidth) continue;
    r.selected = 1;
  }
  ThermalDrift(wind, hooks.altitude ? hooks.altitude() : 0);
  if (hooks.unlock) hooks.unlock();
  if (hooks.refreshMap) hooks.refreshMap();
}

}  // namespace cumulor
