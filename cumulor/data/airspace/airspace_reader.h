// The reader of the airspace text files (an OpenAir-style keyword format): the shape scan, the
// line parser, distances and altitudes, circles and arcs expanded into polygons, and the loading of
// every user airspace file.
//
// A load is read into its own set of groups without any lock and then replaces the module's
// shapes in one step under the main lock and the airspace lock. The message boxes the files call
// for are shown after that, with no lock held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cumulor/data/airspace/airspace_module.h"

namespace cumulor {

inline constexpr std::int32_t kAirspaceMaxElements = 2100;
inline constexpr const char16_t* kUserSyntaxCaption = u"User Airspace Syntax Error";
inline constexpr const char16_t* kLineSyntaxCaption = u"Airspace.txt Syntax Error";

struct AirspaceMessage {
  std::u16string text;
  std::u16string caption;
  bool owned = false;   // owned by the main window
};

// The shapes and class styles of one load, before they replace the module's.
struct AirspaceLoad {
  AirspaceLoad() = default;
  AirspaceLoad(const AirspaceLoad&) = delete;
  AirspaceLoad& operator=(const AirspaceLoad&) = delete;
  ~AirspaceLoad();

  AirspaceClassGroup group[kAirspaceGroupCount];
  DynArray<std::int32_t> disabled;       // today's switch-off list, copied at the start
  std::vector<AirspaceMessage> messages;
};

// Empty groups 1..16 with the class styles of the module's fill mode, and a copy of the
// switch-off list.
void AirspaceLoadBegin(AirspaceModule& module, AirspaceLoad& load);
// Reads one file into the load: 0, E_FAIL (unreadable file or a syntax error; the shapes before
// it stay) or E_OUTOFMEMORY.
HRESULT AirspaceReadFile(AirspaceModule& module, AirspaceLoad& load, const WCHAR* path);
// The same over the bytes of a file held in memory.
HRESULT AirspaceReadText(AirspaceModule& module, AirspaceLoad& load, const void* data, std::int32_t size);
// Replaces the module's shapes and group styles by the load's (main lock, then airspace lock),
// forgets every alarm state that pointed at the old shapes, then shows the load's messages.
void AirspaceLoadCommit(AirspaceModule& module, AirspaceLoad& load);
// Loads the files in order and commits them; always 0.
HRESULT AirspaceLoadFiles(AirspaceModule& module, const std::vector<std::u16string>& paths);
// Loads every selected file of the user airspace category; always 0.
HRESULT AirspaceLoadAll(AirspaceModule& module);
// AirspaceLoadAll when the selected files, their sizes or write times differ from the last load
// of them (S_FALSE: nothing to read again).
HRESULT AirspaceLoadAllIfChanged(AirspaceModule& module);

// "5", "10KM", "3SM", "2.5NM", "500M": metres (truncated); no number gives -1 and E_FAIL. The
// text is cut at its first "*"; a plain number is nautical miles.
HRESULT ParseAirspaceDistance(std::string_view text, std::int32_t& metres);
// "3000 MSL", "3000M", "FL95", "SFC", "2500 STD": feet, negative for a pressure altitude (flight
// level). A text without a number leaves `feet` as it was (the caller's preset). Always 0.
HRESULT ParseAirspaceAltitude(std::string_view text, std::int32_t& feet);

// Crossing-number inside test over the closed ring of points: 1 inside, 0 outside.
int PointInPolygon(const GeoPoint& point, const GeoPoint* points, std::int32_t count);

}  // namespace cumulor
