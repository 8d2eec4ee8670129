// The sentence parsers: each reads the framed sentence in gps.line ('$' or '!' first, NUL-ended,
// the CR still in it) into gps.fix and gps.status. None stores a fix or sets the event.
//
// Values outside their range (minutes of 60 and more, latitudes beyond 90 degrees, times that are
// not hhmmss) make RMC and GGA answer kVoidFix, as a void fix does; numbers are converted with
// saturation, never beyond their field.
#pragma once

#include "cumulor/nav/gps/gps_port.h"
#include "platform/base/types.h"

namespace cumulor {

// XOR of the characters after the first up to '*', against the two upper-case hex digits after
// it; `max` bounds the search for '*'. 0 (and binary packets no longer allowed) or E_FAIL.
HRESULT NmeaChecksumOk(GpsPort& gps, const char* line, int max);

HRESULT ParseRMC(GpsPort& gps);
HRESULT ParseGGA(GpsPort& gps);
HRESULT ParseVTG(GpsPort& gps);
HRESULT ParseRMZ(GpsPort& gps);
HRESULT ParsePCAID(GpsPort& gps);
HRESULT ParsePGCS1(GpsPort& gps);
HRESULT ParseLXWP0(GpsPort& gps);
HRESULT ParsePFSR(GpsPort& gps);
HRESULT ParsePZAN1(GpsPort& gps);
// The QCM altitude "n,mark,decimetres" read from `fields` (a position inside gps.line).
HRESULT ParseQcmAltitude(GpsPort& gps, const char* fields);
HRESULT ParseHeading(GpsPort& gps);

// Feet to metres, truncated and held in 16 bits.
std::int16_t FeetToMetres16(double feet);

}  // namespace cumulor
