#include "cumulor/data/airspace/airspace_module.h"

#include <cstring>

namespace cumulor {

namespace {

const char16_t* const kGroupNames[kAirspaceGroupCount] = {
    u"",           u"Class A",  u"Class B",    u"Class C",    u"Class D",          u"Sector",
    u"Class E",    u"Class Ctr", u"Restricted", u"Prohibited", u"Danger",           u"GliderProhibited",
    u"Border",     u"Wave Window", u"Terrain OP", u"Terrain CP", u"Class F"};

constexpr COLORREF kBlack = RGB(0, 0, 0);

AirspaceFill Fill(AirspaceFill::Kind kind, COLORREF colour = 0) { return AirspaceFill{kind, colour}; }
AirspaceOutline Pen(std::int32_t style, COLORREF colour) { return AirspaceOutline{false, style, 1, colour}; }

}  // namespace

void AirspaceClearFileStyles(AirspaceClassGroup& g) {
  if (g.fillFromFile) g.fill = AirspaceFill{};
  if (g.outlineFromFile) g.outline = AirspaceOutline{};
  g.fillFromFile = 0;
  g.outlineFromFile = 0;
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
    g.fill = AirspaceFill{};
    g.fillFromFile = 0;
    g.outline = AirspaceOutline{};
    g.outlineFromFile = 0;
  }
  AirspaceSetClassStyles(module, module.fillMode);
  return S_OK;
}

void AirspaceSetClassStyles(AirspaceModule& module, std::uint8_t fillMode) {
  AirspaceApplyClassStyles(module.group, fillMode);
}

void AirspaceApplyClassStyles(AirspaceClassGroup (&groups)[kAirspaceGroupCount], std::uint8_t fillMode) {
  const bool patterned = fillMode != 0;
  for (int i = 0; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = groups[i];
    AirspaceClearFileStyles(g);
    g.labelColour = 0;
    switch (i) {
      case kGroupRestricted:
      case kGroupProhibited:
      case kGroupGliderProhibited:
        g.fill = patterned ? Fill(AirspaceFill::kChecked, RGB(0, 255, 255)) : Fill(AirspaceFill::kSolid, RGB(255, 0, 0));
        g.outline = Pen(kOutlineSolid, patterned ? RGB(255, 0, 0) : kBlack);
        break;
      case kGroupClassC:
        g.fill =
            patterned ? Fill(AirspaceFill::kChecked, RGB(75, 255, 75)) : Fill(AirspaceFill::kSolid, RGB(180, 0, 180));
        g.outline = Pen(kOutlineSolid, patterned ? RGB(180, 0, 180) : kBlack);
        break;
      case kGroupClassB:
      case kGroupCtr:
      case kGroupDanger:
        g.fill = patterned ? Fill(AirspaceFill::kChecked, RGB(128, 128, 128)) : Fill(AirspaceFill::kStockGrey);
        g.outline = Pen(kOutlineSolid, kBlack);
        break;
      case kGroupTerrainOpen:
        g.fill = Fill(AirspaceFill::kHollow);
        g.outline = Pen(kOutlineSolid, kBlack);
        break;
      case kGroupSector:
        g.fill = Fill(AirspaceFill::kNone);
        g.outline = Pen(kOutlineDashed, kBlack);
        break;
      case kGroupNone: break;
      default:
        g.fill = patterned ? Fill(AirspaceFill::kChecked, RGB(63, 63, 63)) : Fill(AirspaceFill::kSolid, RGB(223, 223, 223));
        g.outline = AirspaceOutline{};
        break;
    }
  }
}

void AirspaceFreeAll(AirspaceModule& module) {
  for (int i = 1; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = module.group[i];
    AirspaceClearFileStyles(g);
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
