#include "cumulor/map/navbox_ui/nav_box_draw.h"

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/map/navbox/nav_box_links.h"
#include "cumulor/map/navbox/nav_box_pen.h"
#include "cumulor/map/navbox_ui/nav_box_dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kLightGrey = RGB(192, 192, 192);
constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;

// Selects the font of a role (when it has one) for the life of the object.
class RoleFont {
 public:
  RoleFont(HDC dc, std::int32_t role) : dc_(dc) {
    HFONT* slot = FontHandleSlot(role);
    if (slot != nullptr && *slot != nullptr) old_ = SelectObject(dc, *slot);
  }
  ~RoleFont() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  RoleFont(const RoleFont&) = delete;
  RoleFont& operator=(const RoleFont&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

std::int32_t TitleRole(const NavBox& b) { return b.titleFont ? b.titleFont : kNavBoxTitleFontDefault; }
std::int32_t ValueRole(const NavBox& b) { return b.valueFont ? b.valueFont : kNavBoxValueFontDefault; }

void Text(HDC dc, std::int32_t role, const WCHAR* text, std::int32_t length, RECT rect, COLORREF colour, int mode) {
  RoleFont font(dc, role);
  SetTextColor(dc, colour);
  SetBkMode(dc, mode);
  DrawTextW(dc, text, length, &rect, kCentred);
}

void DrawGrey(NavBox& b, HDC dc) {
  const bool framed = b.style == 2 || b.style >= 3;
  // A framed box hides the map under it also while greyed (the "Start" box before a start).
  if (framed) FillRect(dc, &b.rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (framed || b.number == 1) Text(dc, TitleRole(b), b.title, b.titleLength, b.titleRect, kLightGrey, TRANSPARENT);
  if (b.style >= 3) Text(dc, kNavBoxUnitFont, b.unit, b.unitLength, b.unitRect, kLightGrey, TRANSPARENT);
  if (framed) {
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, b.rect.left, b.rect.top, b.rect.right, b.rect.bottom);
    SelectObject(dc, oldBrush);
  }
  Text(dc, ValueRole(b), b.value, b.valueLength, b.valueRect, kLightGrey, TRANSPARENT);
  b.titleDirty = b.valueDirty = 0;
}

// A small dot on a point (the link marks).
void Dot(HDC dc, std::int32_t x, std::int32_t y) { Ellipse(dc, x - 3, y - 3, x + 3, y + 3); }

}  // namespace

void NavBoxDrawBox(const NavBoxSet&, NavBox& b, HDC dc, bool force) {
  const bool framed = b.style == 2 || b.style >= 3;
  if (force || b.titleDirty) {
    if (framed) {
      FillRect(dc, &b.rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      FillRect(dc, &b.titleRect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      Text(dc, TitleRole(b), b.title, b.titleLength, b.titleRect, kWhite, TRANSPARENT);
    } else if (b.number == 1) {
      Text(dc, TitleRole(b), b.title, b.titleLength, b.titleRect, b.colour, TRANSPARENT);
    }
    if (b.style >= 3) Text(dc, kNavBoxUnitFont, b.unit, b.unitLength, b.unitRect, kBlack, TRANSPARENT);
    if (framed) {
      RECT edge = b.rect;
      DrawEdge(dc, &edge, EDGE_BUMP, BF_RECT);
    }
  }
  if (force || b.titleDirty || b.valueDirty) {
    if (framed) {
      FillRect(dc, &b.valueRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      SetBkColor(dc, kWhite);
    }
    Text(dc, ValueRole(b), b.value, b.valueLength, b.valueRect, b.colour, framed ? OPAQUE : TRANSPARENT);
    b.titleDirty = b.valueDirty = 0;
  }
}

void NavBoxSetDraw(NavBoxSet& set, HDC dc, bool force) {
  if (!set.visible || dc == nullptr) return;
  if (!set.changed && !force) return;
  const bool startAllowed = !set.hooks.startAllowed || set.hooks.startAllowed();
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (!set.on[n]) continue;
    NavBox& b = set.box[n];
    if (b.greyed || (n == kNavBoxStart && !startAllowed)) {
      DrawGrey(b, dc);
    } else {
      NavBoxDrawBox(set, b, dc, force);
    }
  }
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (!set.on[n]) continue;
    const NavBox& b = set.box[n];
    if (NavRight(b)) Dot(dc, b.rect.right, (b.rect.top + b.rect.bottom) / 2);
    if (NavLower(b)) Dot(dc, (b.rect.left + b.rect.right) / 2, b.rect.bottom);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  if (set.buttonCountdown >= 2) {
    if (set.buttonIcon != nullptr)
      DrawIconEx(dc, set.buttonRect.left, set.buttonRect.top, set.buttonIcon, 32, 32, 0, nullptr, DI_NORMAL);
    --set.buttonCountdown;
  }
  set.changed = 0;
}

bool NavBoxSetOnPen(NavBoxSet& set, std::int32_t x, std::int32_t y, UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return NavBoxPenDown(set, x, y);
    case WM_MOUSEMOVE: return NavBoxPenMove(set, x, y);
    case WM_LBUTTONUP: return NavBoxPenUp(set, x, y);
    default: return false;
  }
}

void NavBoxInstallWindowHooks(NavBoxSet& set) {
  NavBoxHooks& hooks = set.hooks;
  hooks.measure = [](std::int32_t role, const WCHAR* text, std::int32_t length) {
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE size{0, 0};
    if (dc == nullptr) return size;
    {
      RoleFont font(dc, role);
      if (length > 0) {
        GetTextExtentPoint32W(dc, text, length, &size);
      } else {
        GetTextExtentPoint32W(dc, u" ", 1, &size);  // an empty line keeps the font's height
        size.cx = 0;
      }
    }
    DeleteDC(dc);
    return size;
  };
  // The drag outline is drawn straight onto the window in inverting mode.
  struct Drag {
    HDC dc = nullptr;
    int oldRop = 0;
  };
  static Drag drag;
  NavBoxSet* owner = &set;
  hooks.dragBegin = [owner] {
    if (drag.dc != nullptr) return;
    drag.dc = GetDC(owner->window);
    if (drag.dc != nullptr) drag.oldRop = SetROP2(drag.dc, R2_NOTXORPEN);
  };
  hooks.outline = [](const RECT& r) {
    if (drag.dc == nullptr) return;
    HGDIOBJ oldBrush = SelectObject(drag.dc, GetStockObject(NULL_BRUSH));
    Rectangle(drag.dc, r.left, r.top, r.right, r.bottom);
    SelectObject(drag.dc, oldBrush);
  };
  hooks.dragEnd = [owner] {
    if (drag.dc == nullptr) return;
    SetROP2(drag.dc, drag.oldRop);
    ReleaseDC(owner->window, drag.dc);
    drag.dc = nullptr;
  };
  hooks.loadIcon = [owner] {
    if (owner->buttonIcon == nullptr)
      owner->buttonIcon = static_cast<HICON>(
          LoadImageW(UiInstance(), MAKEINTRESOURCEW(kNavBoxButtonIcon), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  };
  hooks.appearance = [owner](std::int32_t box) { OpenNavBoxAppearanceDialog(owner->window, box); };
}

}  // namespace cumulor
