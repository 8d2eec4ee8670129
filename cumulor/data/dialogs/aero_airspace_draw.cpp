#include "cumulor/data/dialogs/aero_airspace_draw.h"

#include <string>

#include "cumulor/data/airspace/airspace_texts.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/view/map_view.h"

namespace cumulor {

namespace {

struct ClassPens {
  HPEN pen[16];
  HPEN selected;
};

const ClassPens& Pens() {
  static const ClassPens pens = [] {
    ClassPens p{};
    for (int c = 0; c < 16; ++c) {
      const COLORREF colour = (c == 0 || c == 15) ? RGB(128, 128, 128) : AeroAirspaceColour(c);
      p.pen[c] = CreatePen(PS_SOLID, 2, colour);
    }
    p.selected = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    return p;
  }();
  return pens;
}

}  // namespace

COLORREF AeroAirspaceColour(std::int32_t c) {
  switch (c) {
    case 1: return RGB(217, 21, 76);
    case 2: return RGB(173, 208, 21);
    case 3: return RGB(170, 0, 170);
    case 4: return RGB(21, 86, 170);
    case 5: return RGB(21, 252, 181);
    case 6: return RGB(247, 201, 21);
    case 7: return RGB(193, 249, 21);
    case 8:
    case 9:
    case 10:
    case 13:
    case 14: return RGB(210, 112, 80);
    case 11:
    case 12: return RGB(255, 0, 0);
    default: return RGB(0, 0, 0);
  }
}

void DrawAeroAirspace(const AeroAirspace& a, HDC dc, const MapView& view, std::vector<POINT>& points,
                      std::int32_t zoomScale, RECT& label, bool selected, bool shortFirst) {
  const std::int32_t count = a.points.Size();
  if (points.size() < static_cast<std::size_t>(count)) points.resize(static_cast<std::size_t>(count) + 50);
  for (std::int32_t i = 0; i < count; ++i) MapWorldToScreen(view, points[static_cast<std::size_t>(i)], a.points[i]);
  const int cls = a.airspaceClass >= 0 && a.airspaceClass < 16 ? a.airspaceClass : 0;
  const COLORREF oldColour = SetTextColor(dc, AeroAirspaceColour(cls));
  HGDIOBJ oldPen = SelectObject(dc, selected ? Pens().selected : Pens().pen[cls]);
  if (count > 0) Polygon(dc, points.data(), count);
  SelectObject(dc, oldPen);
  if (zoomScale > 100) {
    label = RECT{0, 0, 0, 0};
    SetTextColor(dc, oldColour);
    return;
  }
  POINT centre{};
  MapWorldToScreen(view, centre, a.centre);
  label = RECT{centre.x - 50, centre.y - 10, centre.x + 50, centre.y + 10};
  const std::string text = AeroAirspaceLabel(a, shortFirst);
  std::u16string wide;
  for (char ch : text) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
  RECT box = label;
  if (view.labelPlacer) {
    // With the frame's label places: where the text meets no other label or symbol, else no label.
    SIZE extent{};
    GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(wide.c_str()), static_cast<int>(wide.size()), &extent);
    if (!LabelPlaceAround(*view.labelPlacer, centre, extent, box)) {
      label = RECT{0, 0, 0, 0};
      SetTextColor(dc, oldColour);
      return;
    }
    label = box;
  }
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(wide.c_str()), static_cast<int>(wide.size()), &box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColour);
}

}  // namespace cumulor
