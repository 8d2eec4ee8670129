// The live window on SDL2: shows the screen, turns the mouse into the pen and the keyboard into
// the hardware keys. All SDL calls happen on the window's own thread.
#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "platform/display/display_backend.h"
#include "platform/display/virtual_keys.h"
#include "platform/gdi/gdi_surface.h"

namespace ce::display {
namespace {

UINT KeyFor(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return static_cast<UINT>('A' + (k - SDLK_a));
  if (k >= SDLK_0 && k <= SDLK_9) return static_cast<UINT>('0' + (k - SDLK_0));
  if (k >= SDLK_F1 && k <= SDLK_F12) return static_cast<UINT>(VK_F1 + (k - SDLK_F1));
  switch (k) {
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    // The application buttons on the number pad.
    case SDLK_KP_1: return VK_APP1;
    case SDLK_KP_2: return VK_APP2;
    case SDLK_KP_3: return VK_APP3;
    case SDLK_KP_4: return VK_APP4;
    case SDLK_KP_5: return VK_APP5;
    case SDLK_KP_6: return VK_APP6;
    default: return 0;
  }
}

class SdlWindow final : public LiveWindow {
 public:
  explicit SdlWindow(int scale) : scale_(scale) {}
  ~SdlWindow() override {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool Start() {
    std::promise<bool> opened;
    auto result = opened.get_future();
    thread_ = std::thread([this, &opened] { Run(opened); });
    if (result.get()) return true;
    thread_.join();
    return false;
  }
  void Changed() override { changed_ = true; }
  void EndAtExit() override {
    at_exit_ = true;
    stop_ = true;
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
  }

 private:
  void Run(std::promise<bool>& opened) {
    // The program keeps its own signal handling (SIGTERM must still end it).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window's surface drawn by the window system itself, not through an OpenGL texture (SDL's
    // default on X11 for the software renderer too).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      opened.set_value(false);
      return;
    }
    // Without a display SDL may fall back to a driver that shows nothing: that is no live window,
    // unless the user asked for that driver.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!std::getenv("SDL_VIDEODRIVER") && driver &&
        (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      opened.set_value(false);
      return;
    }
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    gdi::CopyBitmapPixels(ScreenBitmap(), pixels, w, h);
    // The software renderer: a handheld's screen scaled up needs no graphics driver, and an OpenGL
    // one would have SDL create the system's window anew (a tool that found the first one sent its
    // input to a window that was gone) and run the driver's own threads beside ours. The window is
    // shown once its renderer exists.
    SDL_Window* window = SDL_CreateWindow("Handheld", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w * scale_,
                                          h * scale_, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    if (!renderer) {
      if (window) SDL_DestroyWindow(window);
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      opened.set_value(false);
      return;
    }
    SDL_ShowWindow(window);
    opened.set_value(true);
    SDL_Texture* texture = nullptr;
    int tw = 0, th = 0;
    bool pen_down = false;
    Uint32 last_refresh = 0;
    while (!stop_) {
      SDL_Event e;
      while (SDL_WaitEventTimeout(&e, 15)) {
        switch (e.type) {
          case SDL_QUIT:  // the window was closed: the program is asked to close
            InjectInput({InputEvent::kClose, 0, 0, 0});
            stop_ = true;
            break;
          case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
              pen_down = true;
              InjectInput({InputEvent::kPenDown, e.button.x / scale_, e.button.y / scale_, 0});
            }
            break;
          case SDL_MOUSEMOTION:
            if (pen_down) InjectInput({InputEvent::kPenMove, e.motion.x / scale_, e.motion.y / scale_, 0});
            break;
          case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT && pen_down) {
              pen_down = false;
              InjectInput({InputEvent::kPenUp, e.button.x / scale_, e.button.y / scale_, 0});
            }
            break;
          case SDL_KEYDOWN:
          case SDL_KEYUP:
            if (UINT vk = KeyFor(e.key.keysym.sym))
              InjectInput({e.type == SDL_KEYDOWN ? InputEvent::kKeyDown : InputEvent::kKeyUp, 0, 0, vk});
            break;
          default: break;
        }
        if (stop_) break;
      }
      // Refresh on change, and a few times a second in any case.
      Uint32 now = SDL_GetTicks();
      if (!changed_.exchange(false) && now - last_refresh < 250) continue;
      last_refresh = now;
      if (!gdi::CopyBitmapPixels(ScreenBitmap(), pixels, w, h)) continue;
      if (!texture || tw != w || th != h) {
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
        tw = w, th = h;
        SDL_SetWindowSize(window, w * scale_, h * scale_);
      }
      SDL_UpdateTexture(texture, nullptr, pixels.data(), w * 4);
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
    }
    // At the program's exit nothing is torn down: closing the window unloads the graphics
    // driver's libraries, and what they still hold would then be reported as leaks of no module.
    if (at_exit_) return;
    if (texture) SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  int scale_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> at_exit_{false};
  std::atomic<bool> changed_{true};
  std::thread thread_;
};

}  // namespace

std::unique_ptr<LiveWindow> OpenSdlWindow(int scale) {
  auto window = std::make_unique<SdlWindow>(scale);
  if (!window->Start()) return nullptr;
  return window;
}

}  // namespace ce::display
