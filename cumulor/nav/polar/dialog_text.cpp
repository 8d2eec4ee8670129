#include "cumulor/nav/polar/dialog_text.h"

#include <atomic>
#include <string>

namespace cumulor {
namespace {
std::atomic<DialogTextWriter> g_writer{nullptr};
}  // namespace

void SetDialogTextWriter(DialogTextWriter writer) { g_writer = writer; }

void ShowControlText(HWND dialog, int control, const WCHAR* text) {
  const DialogTextWriter writer = g_writer;
  if (writer != nullptr && dialog != nullptr) writer(dialog, control, text);
}

void ShowControlTextA(HWND dialog, int control, const char* text) {
  std::u16string wide;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) wide.push_back(static_cast<unsigned char>(*p));
  ShowControlText(dialog, control, wide.c_str());
}

}  // namespace cumulor
