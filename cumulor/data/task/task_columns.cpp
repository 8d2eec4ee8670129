#include "cumulor/data/task/task_columns.h"

namespace cumulor {

namespace {

constexpr std::int32_t kDefaultContents[kLegColumns] = {0, 1, 5, 4, 9, 7, 10, 10};
constexpr std::int32_t kDefaultContentWidths[kLegContents] = {60, 84, 60, 60, 72, 72, 72, 72, 60, 60, 24};
constexpr std::int32_t kDefaultPointListWidths[kPointListColumns] = {72, 60, 60, 144};
constexpr std::int32_t kHighResContentWidths[kLegContents] = {108, 156, 108, 108, 108, 120, 120, 120, 108, 120, 144};
constexpr std::int32_t kHighResPointListWidths[kPointListColumns] = {96, 84, 72, 240};
constexpr std::int32_t kMaxWidth = 1000;

const WCHAR* const kChooserTexts[kLegContents] = {
    u"ID", u"Name", u"Course True", u"Course Magnetic", u"Leg Distance", u"Task Distance",
    u"Leg Time", u"Task Time", u"Arrival Time ETA", u"%", u"Nothing"};
const WCHAR* const kTitles[kLegContents] = {u"ID",     u"NAME",   u"CrseT", u"CrseM", u"L DIST", u"T DIST",
                                            u"L TIME", u"T TIME", u"ETA",   u" % ",   u""};

std::int32_t Get(const BYTE* block, std::int32_t i) {
  const BYTE* p = block + i * 4;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

void Put(BYTE* block, std::int32_t i, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  BYTE* p = block + i * 4;
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
  p[2] = static_cast<BYTE>(v >> 16);
  p[3] = static_cast<BYTE>(v >> 24);
}

ColumnSettings Defaults() {
  ColumnSettings s{};
  for (std::int32_t i = 0; i < kLegColumns; ++i) Put(s.columns, i, kDefaultContents[i]);
  for (std::int32_t i = 0; i < kLegContents; ++i) Put(s.columnsTsk, i, kDefaultContentWidths[i]);
  for (std::int32_t i = 0; i < kPointListColumns; ++i) Put(s.columnsBr, i, kDefaultPointListWidths[i]);
  return s;
}

bool ContentInRange(std::int32_t content) { return content >= 0 && content < kLegContents; }

}  // namespace

ColumnSettings& ColumnSettingsStore() {
  static ColumnSettings settings = Defaults();
  return settings;
}

void ResetColumnSettings() { ColumnSettingsStore() = Defaults(); }

void SetHighResolutionColumnWidths() {
  ColumnSettings& s = ColumnSettingsStore();
  for (std::int32_t i = 0; i < kLegContents; ++i) Put(s.columnsTsk, i, kHighResContentWidths[i]);
  for (std::int32_t i = 0; i < kPointListColumns; ++i) Put(s.columnsBr, i, kHighResPointListWidths[i]);
}

std::int32_t LegColumnContent(std::int32_t column) {
  if (column < 0 || column >= kLegColumns) return kLegNothing;
  const std::int32_t content = Get(ColumnSettingsStore().columns, column);
  return ContentInRange(content) ? content : kLegNothing;
}

void SetLegColumnContent(std::int32_t column, std::int32_t content) {
  if (column < 0 || column >= kLegColumns || !ContentInRange(content)) return;
  Put(ColumnSettingsStore().columns, column, content);
}

std::int32_t LegContentWidth(std::int32_t content) {
  if (!ContentInRange(content)) return 0;
  const std::int32_t width = Get(ColumnSettingsStore().columnsTsk, content);
  return width >= 0 && width <= kMaxWidth ? width : kDefaultContentWidths[content];
}

std::int32_t PointListColumnWidth(std::int32_t column) {
  if (column < 0 || column >= kPointListColumns) return 0;
  const std::int32_t width = Get(ColumnSettingsStore().columnsBr, column);
  return width >= 0 && width <= kMaxWidth ? width : kDefaultPointListWidths[column];
}

const WCHAR* LegContentChooserText(std::int32_t content) { return ContentInRange(content) ? kChooserTexts[content] : u""; }

const WCHAR* LegContentTitle(std::int32_t content) { return ContentInRange(content) ? kTitles[content] : u""; }

}  // namespace cumulor
