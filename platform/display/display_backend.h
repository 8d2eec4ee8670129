// Inside platform/display: the live-window backend behind the screen.
#pragma once

#include <memory>

#include "platform/display/display.h"

namespace ce::display {

class LiveWindow {
 public:
  virtual ~LiveWindow() = default;
  // The screen changed (content or size); the window shows it at its next refresh.
  virtual void Changed() = 0;
  // The program exits: the window's thread ends and is joined, leaving the window and the
  // libraries under it to the end of the process.
  virtual void EndAtExit() = 0;
};

// Opens the SDL2 window on a thread of its own; null when SDL2 cannot open one.
std::unique_ptr<LiveWindow> OpenSdlWindow(int scale);

}  // namespace ce::display
