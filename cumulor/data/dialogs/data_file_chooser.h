// The data-file chooser (template 159): for one data-file category, the selected files at the top
// and the available ones below; "Add" copies the available entry into the selected list (a single
// file category keeps one entry), "Remove" drops the selected entry. Entries on a storage card
// show as "<name>(card)". One chooser at a time, on the UI thread.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kDataFileChooserDialog = 159;

// What the chooser asks of the application core.
struct ChooserHooks {
  HWND owner = nullptr;
  std::function<void(bool active)> dialogActive;
  // After the category 5 chooser: no database file selected, the go-to target restored and a
  // navigation target chosen.
  std::function<void(bool noDatabase)> afterAviationDb;
};
void SetChooserHooks(const ChooserHooks& hooks);

// Runs the chooser for the category; 1 when the selected list changed, else 0.
INT_PTR ShowDataFileChooser(std::int32_t category);
INT_PTR DataFileChooserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
