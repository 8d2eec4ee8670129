// The small text functions shared by the IGC log, the replay reader and the user-waypoint files.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct GpsPort;
struct WaypointRecord;

// "DDMMmmmNDDDMMmmmE" of a position; the text lives in a per-thread buffer that the next call
// overwrites. Latitudes beyond 90 and longitudes beyond 180 degrees are held at those limits.
const char* FormatIgcLatLon(const GeoPoint& point);
// Display text of one coordinate: style 0 "dd:mm.mmmN", others "ddmm.mmmmN" / "dddmm.mmmmE".
// `buffer` holds at least 16 characters.
void FormatLatLonText(WCHAR* buffer, std::int32_t value, bool isLatitude, int style);
// The GPS date (ddmmyy) and UTC (hhmmss) texts as a system time; E_FAIL when there is no time yet
// or the texts are not dates.
HRESULT NmeaDateTimeToSystemTime(const GpsPort& gps, SYSTEMTIME& out);
// One line, byte by byte, each byte widened, the line feed kept, then a NUL; `count` is the
// characters stored plus one. E_FAIL for a buffer under 2 bytes, a failed read, a line longer than
// the buffer or end of file before any character.
HRESULT ReadTextLine(HANDLE file, WCHAR* buffer, std::int32_t bufferBytes, std::int32_t& count);
// Bytes of an open file read ahead in blocks, for a caller that reads the file only line by line.
struct LineReadAhead {
  unsigned char bytes[4096];
  std::int32_t start = 0;
  std::int32_t end = 0;
};
// A line through a read-ahead block (one ReadFile a block instead of one a byte), for reading
// recorded flights: a line ends at LF, CR LF or a CR alone; a line longer than the buffer is cut
// and the rest of it passed over. E_FAIL at the end of the file or on a failed read. Start
// `ahead` afresh for each file.
HRESULT ReadTextLine(HANDLE file, LineReadAhead& ahead, WCHAR* buffer, std::int32_t bufferBytes, std::int32_t& count);

// Waypoint attribute letters "HALTMSFWI" for the bits of `flags`, NUL-terminated (10 characters).
void WaypointFlagLetters(std::uint32_t flags, WCHAR* buffer);
// Sets the bit of every attribute letter found in the text.
HRESULT ParseWaypointFlagLetters(const WCHAR* text, std::uint32_t& flags);
// Digits up to a comma or NUL (at most `length`), '+'/'-' anywhere set the sign; a '.' two places
// before the field's end drops one decimal. Returns the characters used.
std::int32_t ParseDecimalField(const WCHAR* text, std::int32_t length, std::int32_t& used, std::int32_t& value);
// The option after '*' of a user waypoint line: "V<n>" (|n| < 46) sets the manual variation,
// "Z<n>" the waypoint's zone/zoom value (0..65535). E_FAIL for blanks only.
HRESULT ParseWaypointOption(GpsPort& gps, const WCHAR* text, WaypointRecord& waypoint);

}  // namespace cumulor
