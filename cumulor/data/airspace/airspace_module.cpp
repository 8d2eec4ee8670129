#include "cumulor/data/airspace/airspace_module.h"

#include <cstring>

namespace cumulor {

namespace {

const char16_t* const kGroupNames[kAirspaceGroupCount] = {
    u"",           u"Class A",  u"Class B",    u"Class C",    u"Class D",          u"Sector",
    u"Class E",    u"Class Ctr", u"Restricted", u"Prohibited", u"Danger",           u"GliderProhibited",
    u"Border",     u"Wave Window", u"Terrain OP", u"Terrain CP", u"Class F"};

// The program-wide drawing objects of the class table, made once and never deleted.
struct ClassObjects {
  HBRUSH patternCyan, patternGreen, patternGrey, patternDark;
  HBRUSH solidRed, solidPurple, solidLight;
  HPEN red, purple, black;
};

HBRUSH MakePatternBrush(COLORREF colour) {
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

const ClassObjects& Objects() {
  static const ClassObjects objects = [] {
    ClassObjects o{};
    o.patternCyan = MakePatternBrush(RGB(0, 255, 255));
    o.patternGreen = MakePatternBrush(RGB(75, 255, 75));
    o.patternGrey = MakePatternBrush(RGB(128, 128, 128));
    o.patternDark = MakePatternBrush(RGB(63, 63, 63));
    o.solidRed = CreateSolidBrush(RGB(255, 0, 0));
    o.solidPurple = CreateSolidBrush(RGB(180, 0, 180));
    o.solidLight = CreateSolidBrush(RGB(223, 223, 223));
    o.red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    o.purple = CreatePen(PS_SOLID, 1, RGB(180, 0, 180));
    o.black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    return o;
  }();
  return objects;
}

}  // namespace

void AirspaceReleaseGroupObjects(AirspaceClassGroup& g) {
  if (g.brushOwned && g.brush) {
    DeleteObject(g.brush);
    g.brush = nullptr;
  }
  if (g.penOwned && g.pen && g.pen != kAirspaceDefaultPen) {
    DeleteObject(g.pen);
    g.pen = kAirspaceDefaultPen;
  }
  g.brushOwned = 0;
  g.penOwned = 0;
}

void AirspaceInit(AirspaceModule& module) {
  module.groupCount = kAirspaceGroupCount;
  for (int i = 0; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = module.group[i];
    g = AirspaceClassGroup{};
    std::size_t n = 0;
    for (; kGroupNames[i][n] && n < 31; ++n) g.name[n] = kGroupNames[i][n];
    g.name[n] = 0;
  }
  module.warned.clear();
  module.disabled.Init();
  if (!module.dashPen) module.dashPen = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
  module.fillMode = 1;
  module.alarmsOff = 0;
  module.noDialog = 0;
  module.nearestShape = nullptr;
  module.bestScore = 1000.0f;
}

void AirspaceTerm(AirspaceModule& module) {
  {
    std::lock_guard guard(module.lock);
    AirspaceFreeAll(module);
    module.disabled.Init();
    module.warned.clear();
  }
  if (module.dashPen) DeleteObject(module.dashPen);
  module.dashPen = nullptr;
}

HRESULT AirspaceAllocClassArrays(AirspaceModule& module, std::int32_t capacity) {
  if (capacity < 0) return E_FAIL;
  for (int i = 1; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = module.group[i];
    try {
      g.shapes.clear();
      g.shapes.reserve(static_cast<std::size_t>(capacity));
    } catch (...) {
      return E_FAIL;
    }
    g.enabled = 1;
    g.brush = nullptr;
    g.brushOwned = 0;
    g.pen = kAirspaceDefaultPen;
    g.penOwned = 0;
  }
  AirspaceSetClassStyles(module, module.fillMode);
  return S_OK;
}

void AirspaceSetClassStyles(AirspaceModule& module, std::uint8_t fillMode) {
  AirspaceApplyClassStyles(module.group, fillMode, module.dashPen);
}

void AirspaceApplyClassStyles(AirspaceClassGroup (&groups)[kAirspaceGroupCount], std::uint8_t fillMode, HPEN dashPen) {
  const ClassObjects& o = Objects();
  const bool patterned = fillMode != 0;
  for (int i = 0; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = groups[i];
    AirspaceReleaseGroupObjects(g);
    g.labelColour = 0;
    switch (i) {
      case kGroupRestricted:
      case kGroupProhibited:
      case kGroupGliderProhibited:
        g.brush = patterned ? o.patternCyan : o.solidRed;
        g.pen = patterned ? o.red : o.black;
        break;
      case kGroupClassC:
        g.brush = patterned ? o.patternGreen : o.solidPurple;
        g.pen = patterned ? o.purple : o.black;
        break;
      case kGroupClassB:
      case kGroupCtr:
      case kGroupDanger:
        g.brush = patterned ? o.patternGrey : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        g.pen = o.black;
        break;
      case kGroupTerrainOpen:
        g.brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        g.pen = o.black;
        break;
      case kGroupSector:
        g.brush = nullptr;
        g.pen = dashPen;
        break;
      case kGroupNone: break;
      default:
        g.brush = patterned ? o.patternDark : o.solidLight;
        g.pen = kAirspaceDefaultPen;
        break;
    }
  }
}

void AirspaceFreeAll(AirspaceModule& module) {
  for (int i = 1; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = module.group[i];
    AirspaceReleaseGroupObjects(g);
    g.shapes.clear();
    g.shapes.shrink_to_fit();
  }
  // Nothing may keep pointing into the shapes just freed.
  module.warned.clear();
  module.nearestShape = nullptr;
  module.bestScore = 1000.0f;
  ++module.loadNumber;
}

AirspaceShape* AirspaceFindShape(AirspaceModule& module, const AirspaceShapeRef& ref) {
  if (ref.load != module.loadNumber || ref.group < 1 || ref.group >= kAirspaceGroupCount) return nullptr;
  std::vector<AirspaceShape>& shapes = module.group[ref.group].shapes;
  if (ref.index < 0 || static_cast<std::size_t>(ref.index) >= shapes.size()) return nullptr;
  AirspaceShape& s = shapes[static_cast<std::size_t>(ref.index)];
  return s.id == ref.id ? &s : nullptr;
}

}  // namespace cumulor
