#include "cumulor/map/menus/menu_bar.h"

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/menus/menu_link.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

bool Contains(const RECT& r, std::int32_t x, std::int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

MenuButton* CurrentPage(MenuBar& menu) {
  if (!menu.currentPage) {
    menu.currentPage = menu.pages[0];
    menu.pageNumber = 1;
  }
  return menu.currentPage;
}

void ClearSelection(MenuBar& menu) {
  menu.selected = -1;
  menu.selectedCommand = 0;
}

void ShowPage(MenuBar& menu, std::int32_t number) {
  {
    MenuStateGuard guard;
    menu.pageNumber = number;
    menu.currentPage = menu.pages[number - 1];
    ClearSelection(menu);
  }
  MenuRedraw(menu);
}

// A slot takes the pen only where it is drawn: outside edit mode the used slots but the reset
// slot (13); in edit mode every slot but the edit slot (12); slot 14 never.
bool SlotShown(const MenuBar& menu, const MenuButton& button, std::int32_t slot) {
  if (slot == 14) return false;
  if (menu.editMode) return slot != 12;
  return slot != 13 && button.entry.command != 0;
}

void HitTest(MenuBar& menu, std::int32_t x, std::int32_t y) {
  {
    MenuStateGuard guard;
    MenuButton* page = CurrentPage(menu);
    std::int32_t hit = -1;
    for (std::int32_t slot = 0; slot < kMenuSlotCount; ++slot) {
      if (!SlotShown(menu, page[slot], slot)) continue;
      if (Contains(page[slot].rect, x, y)) {
        hit = slot;
        break;
      }
    }
    if (hit == menu.selected) return;
    menu.selected = hit;
    menu.selectedCommand = hit >= 0 ? page[hit].entry.command : 0;
  }
  MenuRedraw(menu);
}

// The menu closes; the selected button's command runs through the main window, or, with none,
// the map comes back.
void CloseAndRun(MenuBar& menu) {
  std::int32_t selected = -1;
  MenuButton button;
  {
    MenuStateGuard guard;
    menu.open = 0;
    selected = menu.selected;
    if (selected >= 0) button = CurrentPage(menu)[selected];
    ClearSelection(menu);
  }
  if (selected >= 0 && button.entry.command) {
    MenuRunCommand(button.entry.command, button.entry.parameter);
  } else {
    MenuSetDialogActive(0);
    MenuRefreshMap();
  }
}

void PenUp(MenuBar& menu, std::int32_t x, std::int32_t y) {
  menu.penDown = 0;
  if (menu.editMode) {
    if (menu.selected < 0) {
      {
        MenuStateGuard guard;
        menu.editMode = 0;
      }
      CloseAndRun(menu);
      return;
    }
    const std::uint32_t command = menu.selectedCommand;
    if (command == kMenuCmdEdit) return;
    if (command == kMenuCmdReset) {
      MenuStateGuard guard;
      MenuSetDefaultPages(menu);
    } else {
      MenuEditButton(menu, menu.selected);
    }
    {
      MenuStateGuard guard;
      menu.editMode = 0;
      ClearSelection(menu);
    }
    MenuRedraw(menu);
    return;
  }
  if (Contains(menu.nextRect, x, y)) {
    if (menu.pageNumber < 3) {
      PlayMenuClick();
      ShowPage(menu, menu.pageNumber + 1);
    }
    return;
  }
  if (Contains(menu.previousRect, x, y)) {
    if (menu.pageNumber > 1) {
      PlayMenuClick();
      ShowPage(menu, menu.pageNumber - 1);
    }
    return;
  }
  switch (menu.selectedCommand) {
    case kMenuCmdPage1: ShowPage(menu, 1); return;
    case kMenuCmdPage2: ShowPage(menu, 2); return;
    case kMenuCmdPage3: ShowPage(menu, 3); return;
    case kMenuCmdMore: ShowPage(menu, menu.pageNumber < 3 ? menu.pageNumber + 1 : 3); return;
    case kMenuCmdClose:
      {
        MenuStateGuard guard;
        ClearSelection(menu);
      }
      CloseAndRun(menu);
      return;
    default: CloseAndRun(menu); return;
  }
}

}  // namespace

int MenuHandleClick(MenuBar& menu, std::uint32_t message, std::int32_t x, std::int32_t y, int* handled) {
  if (handled) *handled = 1;
  if (message == kMenuCmdEdit) {
    {
      MenuStateGuard guard;
      menu.open = 1;
      menu.editMode = 1;
      CurrentPage(menu);
      ClearSelection(menu);
    }
    MenuSetDialogActive(1);
    MenuRedraw(menu);
    return 1;
  }
  if (!menu.open) {
    if (!Contains(menu.openRect, x, y)) return 0;
    static const WCHAR kMenuText[] = u"Menu";
    MenuShowInfoBox(kMenuText, menu.tabRect);
    MenuSetDialogActive(1);
    PlayMenuClick();
    {
      MenuStateGuard guard;
      menu.open = 1;
      menu.swallowUp = 1;
      ShowPage(menu, 1);
    }
    if (handled) *handled = 0;
    return 1;
  }
  switch (message) {
    case WM_LBUTTONDOWN:
      menu.penDown = 1;
      HitTest(menu, x, y);
      return 1;
    case WM_MOUSEMOVE:
      if (menu.penDown) HitTest(menu, x, y);
      return 1;
    case WM_LBUTTONUP:
      if (menu.swallowUp) {
        menu.swallowUp = 0;
        menu.penDown = 0;
        return 1;
      }
      PenUp(menu, x, y);
      return 1;
    default: return 1;
  }
}

}  // namespace cumulor
