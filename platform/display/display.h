// The screen of the simulated device: an in-memory bitmap per process that windows draw on,
// shown live in an SDL2 window on request, with pen and key input.
//
// The backend is chosen once, before the screen is first used: headless by default; the live
// window when the program asks for it (UseLiveWindow) or $CE_DISPLAY is "sdl". The size comes from
// SetScreenSize or $CE_SCREEN ("portrait" 240x320, "landscape" 320x240, "square" 240x240, "vga"
// 480x640, "vga-landscape" 640x480, "vga-square" 480x480, or "<w>x<h>").
#pragma once

#include <filesystem>
#include <functional>

#include "platform/base/types.h"

namespace ce::display {

struct ScreenSize {
  int width;
  int height;
};

// Named sizes.
inline constexpr ScreenSize kPortrait{240, 320};
inline constexpr ScreenSize kLandscape{320, 240};
inline constexpr ScreenSize kSquare{240, 240};
inline constexpr ScreenSize kVga{480, 640};
inline constexpr ScreenSize kVgaLandscape{640, 480};
inline constexpr ScreenSize kVgaSquare{480, 480};

ScreenSize CurrentScreenSize();
// Changes the screen's size (a rotation); the content is cleared and the size listeners run.
// Sizes outside 16..4096 are refused (false).
bool SetScreenSize(ScreenSize size);
// Called after every size change with the new size (the window area resizes full-screen windows).
void AddScreenSizeListener(std::function<void(ScreenSize)> listener);

// The screen's bitmap (GDI): what window DCs draw on.
HBITMAP ScreenBitmap();
// Saves the screen, or the part `area` of it, as a PNG file a person can look at.
bool SaveScreenshot(const std::filesystem::path& file, const RECT* area = nullptr);

// Asks for the live SDL2 window (before the screen is first used). False when SDL2 cannot open a
// window (no display); the screen then stays headless.
bool UseLiveWindow(int scale = 2);
bool LiveWindowShown();
// Tells the live window that part of the screen changed (windows call it after painting).
void ScreenChanged();

// Input from the pen (mouse in the live window) and the hardware keys (keyboard).
struct InputEvent {
  enum Kind { kPenDown, kPenMove, kPenUp, kKeyDown, kKeyUp, kClose } kind;  // kClose: the live window closed
  int x = 0, y = 0;  // screen pixels (pen)
  UINT key = 0;      // virtual key code (keys)
};
// The window system takes input here; without one, input is dropped.
void SetInputSink(std::function<void(const InputEvent&)> sink);
// Injects input as if the user gave it (tests, scripted runs).
void InjectInput(const InputEvent& event);

}  // namespace ce::display
