// The column set-up of the task lists, kept as the three byte blocks of the settings document:
// "Columns" the content id of each of the leg list's 8 columns, "ColumnsTsk" the width of each of
// the 11 contents, "ColumnsBr" the widths of the point list's 4 columns; 32-bit little-endian
// values. The blocks are read and written whole by the settings document; the accessors below
// check what they read, so a stored value outside its range shows as its default.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kLegColumns = 8;
inline constexpr std::int32_t kLegContents = 11;
inline constexpr std::int32_t kPointListColumns = 4;

// The contents a leg list column can show.
enum LegContent : std::int32_t {
  kLegCode = 0,
  kLegName = 1,
  kLegCourseTrue = 2,
  kLegCourseMagnetic = 3,
  kLegDistance = 4,
  kLegTaskDistance = 5,
  kLegTime = 6,
  kLegTaskTime = 7,
  kLegArrival = 8,
  kLegPercent = 9,
  kLegNothing = 10,
};

struct ColumnSettings {
  BYTE columns[kLegColumns * 4];
  BYTE columnsBr[kPointListColumns * 4];
  BYTE columnsTsk[kLegContents * 4];
};
// The blocks as the settings document reads and writes them (defaults at start).
ColumnSettings& ColumnSettingsStore();
// Back to the defaults: contents 0, 1, 5, 4, 9, 7, 10, 10; widths 60, 84, 60, 60, 72, 72, 72,
// 72, 60, 60, 24 per content; point list 72, 60, 60, 144.
void ResetColumnSettings();

// The widths of a high-resolution screen: point list 96, 84, 72, 240; the leg list's contents by
// their default column 108, 156, 120, 108, 120, 120, 144 (the others 108 or 120).
void SetHighResolutionColumnWidths();

// The content of leg list column c (0..7); an unknown stored id shows as kLegNothing.
std::int32_t LegColumnContent(std::int32_t column);
// Stores a content (0..10) for a column; anything else changes nothing.
void SetLegColumnContent(std::int32_t column, std::int32_t content);
// The width in pixels of a content's column; a stored width outside 0..1000 gives the default.
std::int32_t LegContentWidth(std::int32_t content);
// The width of point list column c (0..3), checked the same way.
std::int32_t PointListColumnWidth(std::int32_t column);

// The chooser text and the column title of a content ("" for an id outside 0..10).
const WCHAR* LegContentChooserText(std::int32_t content);
const WCHAR* LegContentTitle(std::int32_t content);

}  // namespace cumulor
