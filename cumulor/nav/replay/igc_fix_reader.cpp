#include "cumulor/nav/replay/igc_fix_reader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/igc/igc_text.h"
#include "cumulor/nav/replay/igc_fields.h"
#include "cumulor/nav/replay/replay_ui.h"
#include "platform/files/files.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/text/format.h"

namespace cumulor {
namespace {

using igc_fields::Digits;
using igc_fields::SignedDigits;

constexpr double kKmhToKnots = 0.539968;
constexpr double kMsToKnots = 1.943844;
constexpr double kRadToDeg = 57.2957795131;
constexpr std::int32_t kFirstCapacity = 50;
constexpr std::int32_t kGrowth = 250;
constexpr std::int32_t kStatusEvery = 500;

// The reading ended: tell the main window when a replay window is open.
void EndOfLines(EngineContext& app) {
  if (app.replayWindow && app.mainWindow && GetReplayUi().replayEnded) GetReplayUi().replayEnded(app);
}

// The next line, widened, without its line end. False at the end of the lines or on a failed
// read (which closes the file).
bool NextLine(EngineContext& app, IgcLineSource* source, WCHAR* line) {
  if (source) {
    if (!source->lines || source->next >= source->lines->LineCount()) return false;
    const char* text = source->lines->LineText(source->next);
    const std::int32_t length = source->lines->LineLength(source->next);
    ++source->next;
    std::int32_t n = 0;
    for (; n < length && n < kIgcLineMax - 1 && text[n] != '\0'; ++n) line[n] = static_cast<unsigned char>(text[n]);
    line[n] = 0;
  } else {
    LoadedFlight& flight = app.loadedFlight;
    std::int32_t count = 0;
    if (flight.file == INVALID_HANDLE_VALUE) return false;
    if (ReadTextLine(flight.file, flight.readAhead, line, kIgcLineMax * static_cast<std::int32_t>(sizeof(WCHAR)), count) !=
        S_OK) {
      IgcFileClose(app);
      return false;
    }
  }
  // The line end (LF, CR LF, CR CR LF) and a closing Ctrl-Z are no part of the record.
  std::int32_t n = 0;
  while (line[n] != 0) ++n;
  while (n > 0 && (line[n - 1] == u'\n' || line[n - 1] == u'\r' || line[n - 1] == 0x1A)) line[--n] = 0;
  return true;
}

bool StartsWith(const WCHAR* line, const char* prefix) {
  for (int i = 0; prefix[i] != 0; ++i)
    if (line[i] != static_cast<WCHAR>(prefix[i])) return false;
  return true;
}

// "I" line: "%02d" extensions, each "%02d%02d%03s"; in an own file the code "TAS" marks the
// airspeed group.
void ReadExtensions(LoadedFlight& flight, const WCHAR* line) {
  std::int32_t count = 0;
  if (!Digits(line + 1, 2, count)) return;
  const WCHAR* entry = line + 3;
  for (std::int32_t i = 0; i < count; ++i, entry += 7) {
    std::int32_t start = 0, end = 0;
    if (!Digits(entry, 2, start) || !Digits(entry + 2, 2, end)) return;
    if (entry[4] == 0 || entry[5] == 0 || entry[6] == 0) return;
    if (flight.ownFile && entry[4] == u'T' && entry[5] == u'A' && entry[6] == u'S') flight.tasFlag = 1;
  }
}

std::uint16_t TrackDegrees(double radians) {
  std::int32_t degrees = static_cast<std::int32_t>(radians * kRadToDeg);
  degrees %= 360;
  if (degrees < 0) degrees += 360;
  return static_cast<std::uint16_t>(degrees);
}

// A B record with validity 'A' as a fix; false for a damaged record (skipped).
bool ReadBRecord(EngineContext& app, const WCHAR* line, GpsFix& fix, bool fromSource) {
  LoadedFlight& flight = app.loadedFlight;
  std::int32_t seconds = 0, h = 0, m = 0, s = 0;
  if (!igc_fields::TimeOfDay(line + 1, seconds, h, m, s)) return false;
  GpsFix out{};
  ParseIgcLatLon(line + 7, out.position);
  if (out.position.lon == 0 && out.position.lat == 0) return false;
  std::int32_t pressure = 0, gps = 0;
  if (!SignedDigits(line + 25, 5, pressure) || !SignedDigits(line + 30, 5, gps)) return false;
  out.pressureAltitude = static_cast<std::int16_t>(pressure < -32768 ? -32768 : pressure > 32767 ? 32767 : pressure);
  out.gpsAltitude = static_cast<std::int16_t>(gps < -32768 ? -32768 : gps > 32767 ? 32767 : gps);

  if (flight.ownFile) {
    std::int32_t track = 0, speed = 0;
    if (Digits(line + 35, 3, track) && Digits(line + 38, 3, speed)) {
      out.track = static_cast<std::uint16_t>(track % 360);
      out.groundSpeed = static_cast<float>(speed * kKmhToKnots);
    }
    std::int32_t airspeed = 0, vario = 0;
    if (flight.tasFlag && Digits(line + 41, 3, airspeed) && SignedDigits(line + 44, 3, vario)) {
      out.airspeed = static_cast<float>(airspeed * kKmhToKnots);
      out.verticalSpeed = static_cast<float>(vario) / 10.0f;
    } else {
      out.airspeed = out.groundSpeed;
      out.verticalSpeed = 0.0f;
    }
  } else {
    // Foreign logs: the track from the previous fix, no speeds.
    if (flight.hasPrevious) {
      double bearing = 0.0;
      GeoBearing(bearing, flight.previous.position, out.position);
      out.track = TrackDegrees(bearing);
    }
  }

  out.timeOfDay = static_cast<std::uint32_t>(seconds);
  std::int32_t localHour = (h + app.timeZone) % 24;
  if (localHour < 0) localHour += 24;
  out.localHour = static_cast<std::uint8_t>(localHour);
  out.localMinute = static_cast<std::uint8_t>(m);
  out.localSecond = static_cast<std::uint8_t>(s);

  if (fromSource) {
    out.mark = app.gps.replayActive ? 1 : 0;
    if (!flight.ownFile && flight.hasPrevious && out.timeOfDay > flight.previous.timeOfDay) {
      const double distance = GeoDistance(flight.previous.position, out.position);
      const double knots = distance / static_cast<double>(out.timeOfDay - flight.previous.timeOfDay) * kMsToKnots;
      out.groundSpeed = out.airspeed = static_cast<float>(knots);
    }
  }
  flight.previous = out;
  flight.hasPrevious = 1;
  fix = out;
  return true;
}

}  // namespace

HRESULT IgcFileOpen(EngineContext& app, const WCHAR* path) {
  IgcFileClose(app);
  LoadedFlight& flight = app.loadedFlight;
  flight.ownFile = 0;
  flight.tasFlag = 0;
  flight.year = flight.month = flight.day = 0;
  flight.hasPrevious = 0;
  flight.previous = GpsFix{};
  flight.linesRead = 0;
  flight.bRecords = 0;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error ? static_cast<HRESULT>(error) : E_FAIL;
  }
  flight.file = file;
  flight.readAhead.start = flight.readAhead.end = 0;
  return S_OK;
}

void IgcFileClose(EngineContext& app) {
  LoadedFlight& flight = app.loadedFlight;
  if (flight.file != INVALID_HANDLE_VALUE) CloseHandle(flight.file);
  flight.file = INVALID_HANDLE_VALUE;
}

HRESULT ReadIgcFix(EngineContext& app, GpsFix& fix, IgcLineSource* lineSource) {
  LoadedFlight& flight = app.loadedFlight;
  if (!lineSource && flight.file == INVALID_HANDLE_VALUE) {
    EndOfLines(app);
    return E_FAIL;
  }
  WCHAR line[kIgcLineMax];
  for (;;) {
    if (!NextLine(app, lineSource, line)) {
      EndOfLines(app);
      return E_FAIL;
    }
    ++flight.linesRead;
    if (StartsWith(line, "AQCM")) {
      flight.ownFile = 1;
    } else if (line[0] == u'H') {
      igc_fields::HeaderDate(line, flight.year, flight.month, flight.day);
    } else if (line[0] == u'I') {
      ReadExtensions(flight, line);
    } else if (line[0] == u'B') {
      ++flight.bRecords;
      // Only records long enough to hold the validity at index 24, and valid ('A') ones.
      std::int32_t length = 0;
      while (length < 25 && line[length] != 0) ++length;
      if (length < 25 || line[24] != u'A') continue;
      if (ReadBRecord(app, line, fix, lineSource != nullptr)) return S_OK;
    }
  }
}

HRESULT LoadIgcFixes(EngineContext& app) {
  LoadedFlight& flight = app.loadedFlight;
  std::lock_guard<std::mutex> guard(flight.lock);
  std::free(flight.fixes);
  flight.fixes = static_cast<GpsFix*>(std::calloc(kFirstCapacity, sizeof(GpsFix)));
  flight.count = 0;
  flight.capacity = 0;
  flight.cursor = 0;
  if (!flight.fixes) return E_FAIL;
  flight.capacity = kFirstCapacity;
  std::int32_t read = 0;
  for (;;) {
    if (read == flight.capacity) {
      const std::int32_t grown = flight.capacity + kGrowth;
      auto* block = static_cast<GpsFix*>(std::realloc(flight.fixes, sizeof(GpsFix) * static_cast<std::size_t>(grown)));
      if (!block) break;  // keep what was read
      flight.fixes = block;
      flight.capacity = grown;
    }
    GpsFix fix{};
    if (ReadIgcFix(app, fix, nullptr) != S_OK) break;
    flight.fixes[read++] = fix;
    if (read % kStatusEvery == 0 && app.showStatus) {
      WCHAR text[64];
      ce::text::CopyOut(text, 64, ce::text::Format(u"Read %d lines", read));
      app.showStatus(&app, text);
    }
  }
  // The slot after the last fix is counted (zeroed when it exists); a file without fixes leaves
  // the flight empty.
  if (read < flight.capacity) flight.fixes[read] = GpsFix{};
  flight.count = read > 0 ? read + 1 : 0;
  if (read >= 3) flight.startPosition = flight.fixes[2].position;
  return S_OK;
}

std::u16string NoFixReason(const EngineContext& app, const WCHAR* path, HRESULT opened) {
  const LoadedFlight& flight = app.loadedFlight;
  if (flight.count > 0) return {};
  if (opened != S_OK) return ce::text::Format(u"No fix read from %s: the file could not be opened.", path);
  if (flight.linesRead == 0) return ce::text::Format(u"No fix read from %s: the file is empty.", path);
  if (flight.bRecords == 0)
    return ce::text::Format(u"No fix read from %s: it holds no B record (fix).", path);
  return ce::text::Format(u"No fix read from %s: none of its %d B records is a valid fix.", path, flight.bRecords);
}

void FreeIgcFixes(EngineContext& app) {
  LoadedFlight& flight = app.loadedFlight;
  std::lock_guard<std::mutex> guard(flight.lock);
  std::free(flight.fixes);
  flight.fixes = nullptr;
  flight.count = 0;
  flight.capacity = 0;
  flight.cursor = 0;
}

}  // namespace cumulor
