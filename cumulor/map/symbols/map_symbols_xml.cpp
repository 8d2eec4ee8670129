// The settings element "MapSymbols":
//   <MapSymbols><Plane>1</Plane><List>
//     <Symbol nr="0"><Scale>100</Scale><Pos>66</Pos><Rgb>0</Rgb></Symbol> ... (nr 0 to 3)
//   </List></MapSymbols>
// Scale is trunc(Scale x 100) (with an allowance for binary rounding), Pos trunc(Pos x 100) in
// single precision, Rgb the colour value.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/map/symbols/map_symbols.h"

namespace cumulor {
namespace {

bool NameIs(const XmlNode& node, const char* name) {
  const char* own = node.Name().CStr();
  return own && std::strcmp(own, name) == 0;
}

bool ChildInt(const XmlNode& node, const char* name, std::int32_t& out) {
  const XmlNode* child = node.FindChild(name);
  return child && child->GetInt(out);
}

}  // namespace

void MapSymbolsSave(XmlNode& root) {
  XmlNode* element = root.AddChild("MapSymbols");
  if (!element) return;
  element->AddChildInt("Plane", MapSymbolCurrent());
  XmlNode* list = element->AddChild("List");
  if (!list) return;
  for (int i = 0; i < kMapSymbolCount; ++i) {
    XmlNode* symbol = list->AddChild("Symbol");
    if (!symbol) return;
    char nr[4] = {static_cast<char>('0' + i), 0};
    symbol->AddAttribute("nr", nr);
    // The small allowance keeps a size whose hundredfold lies a rounding error below a whole
    // number from losing one hundredth at every save.
    symbol->AddChildInt("Scale", static_cast<std::int32_t>(std::trunc(std::clamp(MapSymbolScale(i) * 100 + 1e-6, -1e9, 1e9))));
    const float pos = MapSymbolPos(i) * 100.0f;
    symbol->AddChildInt("Pos", static_cast<std::int32_t>(std::trunc(pos)));
    symbol->AddChildInt("Rgb", static_cast<std::int32_t>(MapSymbolColour(i)));
  }
}

void MapSymbolsLoad(const XmlNode& element) {
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd(); it.Advance()) {
    const XmlNode& child = *it.Get();
    if (NameIs(child, "Plane")) {
      std::int32_t plane = -1;
      if (child.GetInt(plane) && plane >= 0 && plane <= 2) MapSymbolSetCurrent(plane);
      continue;
    }
    if (!NameIs(child, "List")) continue;
    for (XmlChildIterator s = child.ChildIterator(); !s.AtEnd(); s.Advance()) {
      const XmlNode& symbol = *s.Get();
      if (symbol.AttributeCount() < 1) continue;
      const char* nrText = symbol.GetAttribute("nr");
      if (!nrText) continue;
      const int nr = std::atoi(nrText);
      if (nr < 0 || nr >= kMapSymbolCount) continue;
      std::int32_t value = 0;
      if (ChildInt(symbol, "Scale", value) && value >= 1 && value <= 1000) MapSymbolSetScale(nr, value * 0.01);
      if (ChildInt(symbol, "Pos", value) && value >= 0 && value <= 100) {
        SymbolEntryPos(nr) = static_cast<float>(value * 0.01);
      }
      if (ChildInt(symbol, "Rgb", value)) MapSymbolSetColour(nr, static_cast<COLORREF>(value));
      MapSymbolRescale(nr);
      MapSymbolRecreateObjects(nr);
      if (nr == MapSymbolCurrent()) MapSymbolSetPos(nr, MapSymbolPos(nr));
    }
  }
}

}  // namespace cumulor
