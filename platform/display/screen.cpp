// The in-memory screen: its bitmap, size, screenshots, the chosen backend and input routing.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/display/display_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/gdi/gdi_surface.h"

namespace ce::display {
namespace {

struct Screen {
  std::mutex mutex;
  bool started = false;
  ScreenSize size = kPortrait;
  HBITMAP bitmap = nullptr;
  std::vector<std::function<void(ScreenSize)>> listeners;
  std::function<void(const InputEvent&)> sink;
  std::unique_ptr<LiveWindow> live;
};

Screen& State() {
  static Screen* s = new Screen;  // lives to the end of the process (the SDL thread reads it)
  return *s;
}

bool ParseSize(const char* text, ScreenSize& out) {
  if (!text || !*text) return false;
  std::string t(text);
  if (t == "portrait") return out = kPortrait, true;
  if (t == "landscape") return out = kLandscape, true;
  if (t == "square") return out = kSquare, true;
  if (t == "vga") return out = kVga, true;
  if (t == "vga-landscape") return out = kVgaLandscape, true;
  if (t == "vga-square") return out = kVgaSquare, true;
  int w = 0, h = 0;
  char extra = 0;
  if (std::sscanf(t.c_str(), "%dx%d%c", &w, &h, &extra) == 2 && w >= 16 && h >= 16 && w <= 4096 && h <= 4096)
    return out = {w, h}, true;
  return false;
}

void PaintWhite(HBITMAP bitmap, ScreenSize size) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, size.width, size.height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(dc, old);
  DeleteDC(dc);
}

// First use: the size from the environment, the bitmap, and the live window when asked for.
void StartLocked(Screen& s) {
  if (s.started) return;
  s.started = true;
  ParseSize(std::getenv("CE_SCREEN"), s.size);
  s.bitmap = CreateCompatibleBitmap(nullptr, s.size.width, s.size.height);
  PaintWhite(s.bitmap, s.size);
  gdi::SetScreenMetrics(s.size.width, s.size.height, 16);
}

// At exit, before the libraries are finalized: the live window's thread is stopped and joined, so
// that SDL and the graphics libraries under it are not still working while their state is torn
// down. The window itself stays to the end of the process.
void EndLiveWindowAtExit() {
  auto& s = State();
  LiveWindow* live = nullptr;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    live = s.live.get();
  }
  if (live) live->EndAtExit();
}

}  // namespace

ScreenSize CurrentScreenSize() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  StartLocked(s);
  return s.size;
}

bool SetScreenSize(ScreenSize size) {
  if (size.width < 16 || size.height < 16 || size.width > 4096 || size.height > 4096) return false;
  auto& s = State();
  std::vector<std::function<void(ScreenSize)>> listeners;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    StartLocked(s);
    s.size = size;
    gdi::ResizeBitmap(s.bitmap, size.width, size.height);
    gdi::SetScreenMetrics(size.width, size.height, 16);
    listeners = s.listeners;
    if (s.live) s.live->Changed();
  }
  for (auto& l : listeners) l(size);
  return true;
}

void AddScreenSizeListener(std::function<void(ScreenSize)> listener) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.listeners.push_back(std::move(listener));
}

HBITMAP ScreenBitmap() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  StartLocked(s);
  return s.bitmap;
}

bool SaveScreenshot(const std::filesystem::path& file, const RECT* area) {
  return gdi::SaveBitmapPng(ScreenBitmap(), file, area);
}

bool UseLiveWindow(int scale) {
  auto& s = State();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    StartLocked(s);
    if (s.live) return true;
  }
  // A scale beyond 8 would make a window larger than any display (and overflow its size).
  auto live = OpenSdlWindow(std::clamp(scale, 1, 8));
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!live) return false;
  s.live = std::move(live);
  static const bool closed_at_exit = std::atexit(EndLiveWindowAtExit) == 0;
  (void)closed_at_exit;
  return true;
}

bool LiveWindowShown() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.live != nullptr;
}

void ScreenChanged() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.live) s.live->Changed();
}

void SetInputSink(std::function<void(const InputEvent&)> sink) {
  auto& s = State();
  bool want_live = false;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.sink = std::move(sink);
    // The program's choice of backend is known once the window system starts taking input.
    const char* env = std::getenv("CE_DISPLAY");
    want_live = env && std::strcmp(env, "sdl") == 0 && !s.live;
  }
  if (want_live) UseLiveWindow(2);
}

void InjectInput(const InputEvent& event) {
  auto& s = State();
  std::function<void(const InputEvent&)> sink;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    sink = s.sink;
  }
  if (sink) sink(event);
}

}  // namespace ce::display
