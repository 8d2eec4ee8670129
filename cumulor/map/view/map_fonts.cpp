#include "cumulor/map/view/map_fonts.h"

#include <array>
#include <atomic>
#include <mutex>

namespace cumulor {
namespace {

std::atomic<MapFontSource> g_source{nullptr};
constexpr int kRoles = 16;

// Pixel heights of the plain fonts: the small map and label fonts are smaller than list texts.
int PlainHeight(int role) {
  switch (role) {
    case 11: return 10;
    case 12: return 11;
    case 13: return 13;
    default: return 12;
  }
}

HFONT PlainFont(int role) {
  static std::mutex lock;
  static std::array<HFONT, kRoles> fonts{};
  const int slot = (role >= 0 && role < kRoles) ? role : 0;
  std::lock_guard<std::mutex> guard(lock);
  if (!fonts[slot]) {
    LOGFONTW lf{};
    lf.lfHeight = -PlainHeight(slot);
    lf.lfWeight = (slot == 2 || slot == 5) ? FW_BOLD : FW_NORMAL;
    const char16_t face[] = u"Tahoma";
    for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    fonts[slot] = CreateFontIndirectW(&lf);
    if (!fonts[slot]) fonts[slot] = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  }
  return fonts[slot];
}

}  // namespace

void SetMapFontSource(MapFontSource source) { g_source.store(source); }

HFONT MapFont(int role) {
  if (MapFontSource source = g_source.load()) {
    if (HFONT font = source(role)) return font;
  }
  return PlainFont(role);
}

}  // namespace cumulor
