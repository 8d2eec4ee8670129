// The IGC fix reader: valid B records of an IGC file as GpsFix values, for the replay and the
// optimisation of a recorded flight. Reads the open file of the application record's LoadedFlight
// line by line, or lines handed over by a caller.
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/app/base/text_file.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;

// Lines supplied by a caller instead of the open file: `next` is the index of the next line.
struct IgcLineSource {
  const TextLines* lines = nullptr;
  std::int32_t next = 0;
};

// Lines longer than this (line feed included) end the reading as a read failure.
inline constexpr std::int32_t kIgcLineMax = 512;

// Opens the file for reading as the loaded flight's file, closing one that was open, and starts
// its reader state afresh (own-file and airspeed flags, date, previous fix). 0 or the platform
// error of the open.
HRESULT IgcFileOpen(EngineContext& app, const WCHAR* path);
// Closes the loaded flight's file when open.
void IgcFileClose(EngineContext& app);

// Reads lines up to the next B record whose validity is 'A' and fills the fix: position, UTC time
// of day, local clock (time zone of the settings), altitudes, and track and speeds (from the
// record in the program's own logs, else the track from the previous fix and speeds 0; with a
// line source the speeds from the previous fix). Header lines on the way set the own-file flag,
// the date and the airspeed flag. Records that are damaged (short, bad time, no position) are
// skipped. E_FAIL at the end of the lines; without a line source the end or a read failure closes
// the file, and WM_COMMAND 40054 goes to the main window while the replay window exists.
HRESULT ReadIgcFix(EngineContext& app, GpsFix& fix, IgcLineSource* lineSource);
// Reads every fix of the open file into the loaded flight (capacity 50, growing by 250), showing
// "Read %d lines" every 500 fixes; count = fixes + 1. With three fixes or more, the third fix's
// position is the replay's start position. 0, or E_FAIL when not even the first block could be
// allocated; a failed growth keeps the fixes read.
HRESULT LoadIgcFixes(EngineContext& app);
// Why the loaded flight holds no fix (read with LoadIgcFixes from the file at `path`, opened with
// `opened`): the text for the pilot, empty when it holds fixes.
std::u16string NoFixReason(const EngineContext& app, const WCHAR* path, HRESULT opened);
// Frees the loaded fixes; count and capacity 0.
void FreeIgcFixes(EngineContext& app);

}  // namespace cumulor
