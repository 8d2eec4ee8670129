#include "cumulor/map/vector_draw/terrain_colour_dialog.h"

#include <mutex>
#include <string>

#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

TerrainColourHooks& Hooks() {
  static TerrainColourHooks hooks;
  return hooks;
}

void SetNumber(HWND dialog, int id, std::int32_t value) {
  const std::u16string text = ce::text::Format(u"%d", static_cast<int>(value));
  SetDlgItemTextW(dialog, id, text.c_str());
}

void Show(HWND dialog) {
  VectorMapStore* store = Hooks().store;
  if (!store) return;
  std::lock_guard<std::recursive_mutex> guard(store->lock);
  SetNumber(dialog, kTerrainOffsetText, store->contours.offset);
  SetNumber(dialog, kTerrainStartText, store->contours.startGroup);
  SendMessageW(GetDlgItem(dialog, kTerrainStepOne), BM_SETCHECK, store->contours.step == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(GetDlgItem(dialog, kTerrainStepTwo), BM_SETCHECK, store->contours.step == 2 ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Applies one change to the settings, shows them and redraws the map at once.
void Change(HWND dialog, int control) {
  VectorMapStore* store = Hooks().store;
  if (!store) return;
  {
    std::lock_guard<std::recursive_mutex> guard(store->lock);
    ContourSettings& c = store->contours;
    switch (control) {
      case kTerrainOffsetDown: --c.offset; break;
      case kTerrainOffsetUp: ++c.offset; break;
      case kTerrainStartDown: --c.startGroup; break;
      case kTerrainStartUp: ++c.startGroup; break;
      case kTerrainStepOne: c.step = 1; break;
      case kTerrainStepTwo: c.step = 2; break;
      default: return;
    }
    // The offset stays within the 40 terrain slots and the start group at 0 or above.
    ApplyContourSettings(*store);
  }
  Show(dialog);
  const TerrainColourHooks& h = Hooks();
  if (h.setDialogActive) h.setDialogActive(false);
  if (h.redraw) h.redraw();
  if (h.setDialogActive) h.setDialogActive(true);
}

void Close(HWND dialog) {
  DestroyWindow(dialog);
  if (Hooks().closed) Hooks().closed();
}

}  // namespace

void SetTerrainColourHooks(const TerrainColourHooks& hooks) { Hooks() = hooks; }

INT_PTR TerrainColourDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      std::int32_t layer = static_cast<std::int32_t>(lparam);
      if (layer < 0 || layer >= kv3::kZoomLayers) layer = 0;
      std::int32_t value = 0;
      if (VectorMapStore* store = Hooks().store) value = store->layers.layerValue[static_cast<std::size_t>(layer)];
      const std::u16string zoom = ce::text::Format(u"Zoom %d", static_cast<int>(value));
      SetDlgItemTextW(dialog, kTerrainZoomText, zoom.c_str());
      Show(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kTerrainOffsetDown:
        case kTerrainOffsetUp:
        case kTerrainStartDown:
        case kTerrainStartUp:
        case kTerrainStepOne:
        case kTerrainStepTwo: Change(dialog, LOWORD(wparam)); return TRUE;
        case IDOK:
        case IDCANCEL:
        case kTerrainClose: Close(dialog); return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE: Close(dialog); return TRUE;
    default: return FALSE;
  }
}

}  // namespace cumulor
