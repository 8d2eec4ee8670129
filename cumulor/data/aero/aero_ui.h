// What the aeronautical loaders show: status lines, message boxes and a message-pumping wait.
// The application core fills these with its status line and own message box; tests record them.
#pragma once

#include <functional>
#include <string>

#include "platform/base/types.h"

namespace cumulor {

struct AeroUi {
  std::function<void(const std::u16string&)> status;
  // A message (text, caption): with a caption the error box owned by the main window, without
  // one the program's own message box.
  std::function<void(const std::u16string&, const std::u16string&)> messageBox;
  std::function<void(DWORD milliseconds)> pumpWait;

  void Status(const std::u16string& text) const {
    if (status) status(text);
  }
  void Message(const std::u16string& text, const std::u16string& caption) const {
    if (messageBox) messageBox(text, caption);
  }
  void Wait(DWORD ms) const {
    if (pumpWait) pumpWait(ms);
  }
};

}  // namespace cumulor
