// The GPS input threads and the steps of the reader thread: framing, dispatch, binary packets and
// fix storage.
#pragma once

#include <cstdint>

#include "cumulor/nav/gps/gps_port.h"
#include "platform/base/types.h"

namespace cumulor {

// Stores the mode, callback and owner, sets the running flag and starts the notify and reader
// threads. 0 or the platform error of the thread creation (then nothing runs).
HRESULT GpsStart(GpsPort& gps, GpsCallback callback, std::int32_t mode, HWND owner);
// Clears the running flag, wakes both threads and waits up to 5000 ms for each; a thread still
// running then is terminated and the result is E_FAIL. 0 when the threads never started.
HRESULT GpsStop(GpsPort& gps);

// Sizes the fix history to max(entries, 180) unless it already holds that many. 0 or
// E_OUTOFMEMORY ("Out of Program Memory" shown).
HRESULT FixBufferReserve(GpsPort& gps, std::int32_t entries);
// Puts the fix first in the history (the oldest drops off when full), writes the IGC B line when
// the log is open in mode 0, and extends the trail.
void StoreFix(GpsPort& gps, const GpsFix& fix);

// Reads one sentence into gps.line: skips to '$' or '!', then up to 119 more bytes to a line feed
// (replaced by NUL). 0 with the length (line feed counted), or E_FAIL.
HRESULT ReadSentence(GpsPort& gps, std::int32_t maximum, std::int32_t& length);
// Runs the parser of the sentence in gps.line and the storing and event rules.
void DispatchSentence(GpsPort& gps);
// Reads one "$w" packet from the port and decodes it.
HRESULT ReadBinaryPacket(GpsPort& gps);
// Decodes a packet held in memory (`count` bytes from '$'); packets that fail their checks are
// ignored (result 0).
HRESULT DecodeBinaryPacket(GpsPort& gps, const std::uint8_t* bytes, std::int32_t count);

}  // namespace cumulor
