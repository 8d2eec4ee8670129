// What a test can do to the library from outside: run its attach and detach again (the switches
// are read at attach, so a test that seeds them attaches afresh on its own device folder), and
// see the message boxes it showed.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

namespace teskautils::seam {

void AttachLibrary();
void DetachLibrary();

// A box as the library asked for it.
struct ShownBox {
  HWND owner;
  std::u16string text;
  std::u16string caption;
  UINT flags;
};

// With recording on, boxes are only recorded and answered with the scripted answer instead of
// going to the platform's MessageBoxW.
void RecordBoxes(bool on);
// The answer recorded boxes give; 0 (the default) answers 1 (OK) to OK boxes and 7 (no) to
// yes/no questions.
void SetBoxAnswer(int answer);
// The boxes shown since the last call, oldest first.
std::vector<ShownBox> TakeShownBoxes();

// The update address whose cache entry the HTTP status check drops after a status read: the
// library root's text value "UpdateAddress", or "http://update.teska.es/revisiones/brava/" when
// that is missing or empty.
std::u16string UpdateAddress();

}  // namespace teskautils::seam
