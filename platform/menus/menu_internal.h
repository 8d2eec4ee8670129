// The menus as they are held, for the files of this area.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/menus/menus.h"

namespace ce::menus {

struct Item {
  UINT id = 0;
  UINT type = 0;   // MFT_STRING, MFT_SEPARATOR, MFT_RADIOCHECK, MF_OWNERDRAW
  UINT state = 0;  // MFS_GRAYED / MF_DISABLED, MFS_CHECKED
  std::u16string text;
  HMENU sub = nullptr;
  ULONG_PTR data = 0;
};

struct Menu {
  bool popup = false;
  std::vector<Item> items;
};

std::unique_lock<std::recursive_mutex> LockMenus();
Menu* FindMenu(HMENU menu);  // menus lock held
// A copy of the menu's items (with copies of the popups below it) for showing it.
struct Snapshot {
  HMENU handle = nullptr;
  std::vector<Item> items;
  std::vector<Snapshot> subs;  // one per item (empty handle when the item has no popup)
};
Snapshot Snap(HMENU menu);

// The 12-pixel Tahoma the menus and the soft-key bar draw with, of the given weight (the caller
// deletes it).
HFONT MenuFont(LONG weight);

}  // namespace ce::menus
