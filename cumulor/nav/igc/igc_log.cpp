#include "cumulor/nav/igc/igc_log.h"

#include <cstdio>
#include <cstring>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/nav/igc/igc_text.h"
#include "platform/base/errors.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr char kWebAddress[] = "https://cumulor.example.org";
constexpr int kMaxLongNameSuffix = 99;

// Appends 8-bit text to a wide path of `size` elements.
void AppendNarrow(WCHAR* out, std::int32_t size, const char* text) {
  std::int32_t n = 0;
  while (n < size - 1 && out[n] != 0) ++n;
  for (; n < size - 1 && *text != '\0'; ++n, ++text) out[n] = static_cast<unsigned char>(*text);
  out[n] = 0;
}

void CopyWide(WCHAR* out, std::int32_t size, const WCHAR* text) {
  std::int32_t n = 0;
  for (; n < size - 1 && text[n] != 0; ++n) out[n] = text[n];
  out[n] = 0;
}

char MonthDayChar(int value) { return static_cast<char>(value < 10 ? '0' + value : 'A' + (value - 10)); }

// A text field of a fixed-size record, NUL-terminated or not.
void FieldText(char* out, const char* field, std::size_t size) {
  std::size_t n = 0;
  while (n < size && field[n] != '\0') ++n;
  std::memcpy(out, field, n);
  out[n] = '\0';
}

bool Exists(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

HANDLE CreateNew(const WCHAR* path) {
  return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HRESULT CreateLogFile(EngineContext& app, const WCHAR* folder, const char* date, const SYSTEMTIME& local, HANDLE& file) {
  WCHAR path[MAX_PATH + 32];
  if (app.igcLongFileNames) {
    for (int suffix = 1; suffix <= kMaxLongNameSuffix; ++suffix) {
      IgcLongName(path, MAX_PATH + 32, folder, local, suffix);
      file = CreateNew(path);
      if (file != INVALID_HANDLE_VALUE) return S_OK;
      if (!Exists(GetLastError())) break;
    }
  } else {
    SYSTEMTIME day = local;
    int d = 0, m = 0, y = 0;
    if (date && std::strlen(date) >= 6 && std::sscanf(date, "%2d%2d%2d", &d, &m, &y) == 3 && d >= 1 && d <= 31 &&
        m >= 1 && m <= 12) {
      day.wDay = static_cast<WORD>(d);
      day.wMonth = static_cast<WORD>(m);
      day.wYear = static_cast<WORD>(2000 + y);
    }
    char recorder[4];
    UnitId36(app.igcUnitNumber, recorder);
    const char kFlights[] = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (const char* f = kFlights; *f != '\0'; ++f) {
      IgcShortName(path, MAX_PATH + 32, folder, day, recorder, *f);
      file = CreateNew(path);
      if (file != INVALID_HANDLE_VALUE) return S_OK;
      if (!Exists(GetLastError())) break;
    }
  }
  const DWORD error = GetLastError();
  file = INVALID_HANDLE_VALUE;
  return static_cast<HRESULT>(error != 0 ? error : ERROR_CANNOT_MAKE);
}

HRESULT WriteTaskLines(EngineContext& app, HANDLE file, const char* date, const char* utc, const SYSTEMTIME& local) {
  const DynArray<TaskPoint>& task = ActiveTask();
  const std::int32_t count = task.Size();
  if (count == 0) return S_OK;
  char line[160];
  const int turnpoints = count - 2 < 1 ? 1 : count - 2;
  if (date && utc && date[0] && utc[0]) {
    std::snprintf(line, sizeof line, "C%.6s%.6s%.6s0001%02d\r\n", date, utc, date, turnpoints);
  } else {
    std::snprintf(line, sizeof line, "C%02d%02d%02d%02d%02d%02d%02d%02d%02d0001%02d\r\n", local.wDay, local.wMonth,
                  local.wYear % 100, local.wHour, local.wMinute, local.wSecond, local.wDay, local.wMonth,
                  local.wYear % 100, turnpoints);
  }
  HRESULT hr = WriteLogLine(app, file, line);
  auto pointLine = [&](const TaskPoint& p) {
    const char* name = PointRefName(PointRef{p.kind, p.index});
    char text[65];
    FieldText(text, name ? name : "", 64);
    std::snprintf(line, sizeof line, "C%s%s\r\n", FormatIgcLatLon(PointRefPosition(p)), text);
    const HRESULT r = WriteLogLine(app, file, line);
    if (hr == S_OK) hr = r;
  };
  pointLine(task[0]);
  for (std::int32_t i = 0; i < count; ++i) pointLine(task[i]);
  pointLine(task[count - 1]);
  return hr;
}

void WriteWaypointLines(EngineContext& app, HANDLE file) {
  const UserWaypointTable& table = UserWaypoints();
  char line[200];
  for (std::int32_t i = 1; i < table.records.Size(); ++i) {
    const WaypointRecord& w = table.records[i];
    char code[13], name[65], country[65], letters[16];
    FieldText(code, w.code, sizeof w.code);
    FieldText(name, i < table.names.Size() ? table.names[i].text : "", 64);
    FieldText(country, i < table.countries.Size() ? table.countries[i].text : "", 64);
    WCHAR wide[16];
    WaypointFlagLetters(w.flags, wide);
    int n = 0;
    for (; wide[n] != 0; ++n) letters[n] = static_cast<char>(wide[n]);
    letters[n] = '\0';
    std::snprintf(line, sizeof line, "LQCMN%s%s%06d%6s%12s%12s\r\n", code, FormatIgcLatLon(w.position),
                  static_cast<int>(w.elevation), letters, name, country);
    WriteLogLine(app, file, line);
  }
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

void UnitId36(std::int32_t number, char out[4]) {
  char digits[16];
  int n = 0;
  std::uint32_t v = number < 0 ? 0u : static_cast<std::uint32_t>(number);
  do {
    const std::uint32_t d = v % 36;
    digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'A' + (d - 10));
    v /= 36;
  } while (v != 0 && n < 15);
  // "00" followed by the number; the last three characters.
  char all[20] = {'0', '0'};
  int len = 2;
  while (n > 0) all[len++] = digits[--n];
  std::memcpy(out, all + len - 3, 3);
  out[3] = '\0';
}

void IgcLongName(WCHAR* out, std::int32_t size, const WCHAR* folder, const SYSTEMTIME& local, int suffix) {
  char name[64];
  char extra[16] = "";
  if (suffix > 1) std::snprintf(extra, sizeof extra, "_%d", suffix);
  std::snprintf(name, sizeof name, "\\KV%02d%02d%02d_%02d%02d%s.igc", (local.wYear - 2000) % 100, local.wMonth,
                local.wDay, local.wHour, local.wMinute, extra);
  CopyWide(out, size, folder);
  AppendNarrow(out, size, name);
}

void IgcShortName(WCHAR* out, std::int32_t size, const WCHAR* folder, const SYSTEMTIME& date,
                  const char* recorderId, char flight) {
  char name[32];
  std::snprintf(name, sizeof name, "\\%01d%c%cX%.3s%c.igc", date.wYear % 10, MonthDayChar(date.wMonth),
                MonthDayChar(date.wDay), recorderId, flight);
  CopyWide(out, size, folder);
  AppendNarrow(out, size, name);
}

HRESULT WriteLogLine(EngineContext& app, HANDLE file, const char* line) {
  const std::size_t length = std::strlen(line);
  // A line cut short (a disk that fills) is taken back, so that the log always ends at a whole
  // line and a later line never continues a cut one.
  const DWORD start = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
  const auto take_back = [&] {
    if (start == INVALID_SET_FILE_POINTER) return;
    SetFilePointer(file, static_cast<LONG>(start), nullptr, FILE_BEGIN);
    SetEndOfFile(file);
  };
  DWORD written = 0;
  if (!WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr)) {
    const DWORD error = GetLastError();
    if (written > 0) take_back();
    return static_cast<HRESULT>(error != 0 ? error : ERROR_WRITE_FAULT);
  }
  if (written != length) {
    take_back();
    return E_FAIL;
  }
  if (length > 0) app.igcCheck.Feed(line, static_cast<unsigned>(length - 1));
  return S_OK;
}

HRESULT WriteGRecord(EngineContext& app, HANDLE file) {
  char c[6];
  app.igcCheck.Take(c);
  char line[16];
  std::snprintf(line, sizeof line, "G%c%c%c%c%c%c\r\n", c[0], c[1], c[2], c[3], c[4], c[5]);
  return WriteLogLine(app, file, line);
}

void IgcLogClose(EngineContext& app) {
  if (app.igcFile == INVALID_HANDLE_VALUE) return;
  WriteGRecord(app, app.igcFile);
  CloseHandle(app.igcFile);
  app.igcFile = INVALID_HANDLE_VALUE;
}

HRESULT IgcLogOpen(EngineContext& app, const char* date, const char* utc) {
  if (date && date[0] == '\0') date = nullptr;
  if (utc && utc[0] == '\0') utc = nullptr;
  WCHAR folder[MAX_PATH];
  app.dataFolder.CopyTo(folder, MAX_PATH);
  AppendNarrow(folder, MAX_PATH, "\\Cumulor_IGC_Files");
  CreateDirectoryW(folder, nullptr);
  SYSTEMTIME local{};
  GetLocalTime(&local);

  HANDLE file = INVALID_HANDLE_VALUE;
  const HRESULT created = CreateLogFile(app, folder, date, local, file);
  if (created != S_OK) {
    if (app.messageBox) app.messageBox(&app, u"IGC Log Failed", u"Cumulor");
    return created;
  }
  app.igcFile = file;
  app.igcCheck.Reset();

  char unit[4];
  UnitId36(app.igcUnitNumber, unit);
  char line[200];
  auto put = [&](const char* format, auto... args) {
    std::snprintf(line, sizeof line, format, args...);
    WriteLogLine(app, file, line);
  };
  const IgcDeclaration& d = app.declaration;
  char pilot[65], type[13], id[8], compId[4], compClass[13];
  FieldText(pilot, d.pilot, sizeof d.pilot - 1);
  FieldText(type, d.gliderType, sizeof d.gliderType - 1);
  FieldText(id, d.registration, sizeof d.registration - 1);
  FieldText(compId, d.competitionId, sizeof d.competitionId - 1);
  FieldText(compClass, d.competitionClass, sizeof d.competitionClass - 1);

  put("AQCM%s\r\n", unit);
  if (date) put("HFDTE%.6s\r\n", date);
  else put("HFDTE%02d%02d%02d\r\n", local.wDay, local.wMonth, local.wYear % 100);
  put("%s", "HFFXA100\r\n");
  put("HFPLTPILOT:%s\r\n", pilot);
  put("HFGTYGLIDERTYPE:%s\r\n", type);
  put("HFGIDGLIDERID:%s\r\n", id);
  put("%s", "HFDTM100GPSDATUM:WGS84\r\n");
  put("%s", "HFRFWFIRMWAREVERSION:Cumulor 9.00b\r\n");
  put("%s", "HFRHWHARDWAREVERSION:KV Ultra\r\n");
  put("HFCIDCOMPETITIONID:%s\r\n", compId);
  put("HFCCLCOMPETITIONCLASS:%s\r\n", compClass);
  put("%s", "I023638TRT3941GSP\r\n");
  WriteTaskLines(app, file, date, utc, local);
  put("LQCMM Log generated by Cumulor - see %s\r\n", kWebAddress);
  WriteWaypointLines(app, file);
  return S_OK;
}

HRESULT IgcWriteB(GpsPort& gps, const GpsFix& fix) {
  EngineContext* app = gps.app;
  if (app == nullptr || app->igcFile == INVALID_HANDLE_VALUE) return E_FAIL;
  if (gps.bRecordCountdown >= 1) {
    --gps.bRecordCountdown;
    return S_OK;
  }
  const std::int32_t rate = app->fixRate;
  gps.bRecordCountdown = (rate > 1 ? rate : 1) - 1;
  char time[7];
  if (std::strlen(gps.utcText) == 6) {
    std::memcpy(time, gps.utcText, 7);
  } else {
    const std::uint32_t t = fix.timeOfDay % 86400;
    std::snprintf(time, sizeof time, "%02u%02u%02u", t / 3600, t / 60 % 60, t % 60);
  }
  double kmh = static_cast<double>(fix.groundSpeed) * 1.852;
  const int speed = (kmh >= 0.0 && kmh < 1000.0) ? static_cast<int>(kmh) : (kmh >= 1000.0 ? 999 : 0);
  char line[96];
  std::snprintf(line, sizeof line, "B%s%sA%05d%05d%03d%03d\r\n", time, FormatIgcLatLon(fix.position),
                Clamp(fix.pressureAltitude, -9999, 99999), Clamp(fix.gpsAltitude, -9999, 99999), fix.track % 360, speed);
  if (WriteLogLine(*app, app->igcFile, line) != S_OK) {
    CloseHandle(app->igcFile);
    app->igcFile = INVALID_HANDLE_VALUE;
    // The rest of the flight goes unlogged: the pilot is told, as when the log cannot be made.
    if (app->messageBox) app->messageBox(app, u"IGC Log Failed", u"Cumulor");
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace cumulor
