#include "cumulor/map/browser/waypoint_actions.h"

#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

void ShowGotoTargetCaption(HWND dialog) {
  TaskPoint target;
  if (!GetGotoTarget(target)) return;
  const PointRef ref{target.kind, target.index};
  // The small list font, except on a high-resolution screen.
  if (HFONT* font = FontHandleSlot(kFontSmall); !IsLargeScreen() && font != nullptr && *font != nullptr)
    for (int id : {kIdTargetCode, kIdTargetName})
      SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(*font), FALSE);
  SetDlgItemTextW(dialog, kIdTargetCode, ce::text::Format(u"%hs", PointCodeText(ref)).c_str());
  const char* name = PointRefName(ref);
  SetDlgItemTextW(dialog, kIdTargetName, ce::text::Format(u"%hs", name != nullptr ? name : "").c_str());
}

}  // namespace cumulor
