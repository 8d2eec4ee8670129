#include <cstdio>

#include "cumulor/app/base/number_text.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

void DrawClearanceMark(HDC dc, const MapView& view) {
  const TerrainProfileView profile = TerrainProfile();
  const std::int32_t count = static_cast<std::int32_t>(profile.samples.size());
  if (count == 0 || profile.minimumIndex == 1 || profile.minimumIndex == count - 1) return;
  std::int32_t clearance = 0;
  if (!GetTerrainClearance(clearance) || clearance >= 1) return;
  POINT at{};
  MapWorldToScreen(view, at, profile.samples[static_cast<std::size_t>(profile.minimumIndex)].position);
  SetProfileScreenPoint(profile.minimumIndex, at.x, at.y);

  HGDIOBJ oldBrush = SelectObject(dc, MapPens().solid[kBrushRed]);
  Ellipse(dc, at.x - 5, at.y - 5, at.x + 5, at.y + 5);
  SelectObject(dc, oldBrush);

  char narrow[24];
  std::snprintf(narrow, sizeof narrow, FormatUnits().altitude == kUnitFeet ? "%d ft" : "%d m", clearance);
  WCHAR text[24];
  int n = 0;
  for (; narrow[n] != 0; ++n) text[n] = static_cast<WCHAR>(narrow[n]);
  text[n] = 0;
  HGDIOBJ oldFont = nullptr;
  if (HFONT font = MapFont(4)) oldFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 0, 0));
  RECT r{at.x + 2, at.y + 2, at.x + 100, at.y + 10};
  DrawTextW(dc, text, n, &r, DT_NOCLIP);
  SetTextColor(dc, RGB(0, 0, 0));
  if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace cumulor
