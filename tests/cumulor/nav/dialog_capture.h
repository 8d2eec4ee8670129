// Captures the texts the flight-state functions show in dialog controls.
#pragma once

#include <map>
#include <string>

#include "cumulor/nav/polar/dialog_text.h"

namespace cumulor::testing {

inline std::map<int, std::u16string>& ShownTexts() {
  static std::map<int, std::u16string> texts;
  return texts;
}

inline void CaptureText(HWND, int control, const WCHAR* text) { ShownTexts()[control] = text; }

// A dialog handle the writer accepts; never dereferenced.
inline HWND FakeDialog() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000)); }

struct DialogCapture {
  DialogCapture() {
    ShownTexts().clear();
    SetDialogTextWriter(&CaptureText);
  }
  ~DialogCapture() { SetDialogTextWriter(nullptr); }
  std::u16string operator[](int control) const { return ShownTexts()[control]; }
};

}  // namespace cumulor::testing
