#include "cumulor/map/draw/airspace_styles.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/gdi/gdi.h"

namespace cumulor {
namespace {

HBRUSH MakeCheckedBrush(COLORREF colour) {
  // An 8 x 8 check of black and the colour.
  std::uint32_t bits[64];
  const std::uint32_t c = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) bits[y * 8 + x] = ((x + y) & 1) ? c : 0u;
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, bits);
  HBRUSH brush = bitmap ? CreatePatternBrush(bitmap) : nullptr;
  if (bitmap) DeleteObject(bitmap);
  return brush ? brush : CreateSolidBrush(colour);
}

// Frames are drawn on more than one thread.
std::mutex& StyleLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

HBRUSH AirspaceFillBrush(const AirspaceFill& fill) {
  switch (fill.kind) {
    case AirspaceFill::kNone: return nullptr;
    case AirspaceFill::kHollow: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case AirspaceFill::kStockGrey: return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    case AirspaceFill::kSolid:
    case AirspaceFill::kChecked: break;
  }
  static std::map<std::pair<int, COLORREF>, HBRUSH> made;
  std::lock_guard guard(StyleLock());
  HBRUSH& brush = made[{fill.kind, fill.colour}];
  if (!brush) brush = fill.kind == AirspaceFill::kChecked ? MakeCheckedBrush(fill.colour) : CreateSolidBrush(fill.colour);
  return brush;
}

HPEN AirspaceOutlinePen(const AirspaceOutline& outline) {
  if (outline.mapDefault) return nullptr;
  static std::map<std::tuple<std::int32_t, std::int32_t, COLORREF>, HPEN> made;
  std::lock_guard guard(StyleLock());
  const auto key = std::make_tuple(outline.style, outline.width, outline.colour);
  const auto found = made.find(key);
  if (found != made.end()) return found->second;
  HPEN pen = CreatePen(outline.style, outline.width, outline.colour);
  made.emplace(key, pen);  // a style no pen takes is not tried again
  return pen;
}

}  // namespace cumulor
