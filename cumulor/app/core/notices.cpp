#include "cumulor/app/core/notices.h"

#include <cstddef>
#include <iterator>
#include <string_view>

#include "platform/dialogs/message_box.h"
#include "platform/kernel/kernel.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

// The notices another thread may ask for, by number.
constexpr const WCHAR* kNotices[] = {u"IGC Log Failed", u"Out of Program Memory"};

int Show(EngineContext* app, const WCHAR* text, const WCHAR* caption) {
  if (!app || !text) return 0;
  const HWND window = app->mainWindow;
  if (window && IsWindow(window) && GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    for (std::size_t i = 0; i < std::size(kNotices); ++i) {
      if (std::u16string_view(kNotices[i]) == text)
        return PostMessageW(window, kMsgNotice, static_cast<WPARAM>(i), 0) ? 1 : 0;
    }
  }
  return MessageBoxW(window, text, caption ? caption : u"Cumulor", MB_OK);
}

}  // namespace

void InstallNotices(AppContext& app) { app.messageBox = Show; }

void ShowNotice(AppContext& app, WPARAM number) {
  if (number >= std::size(kNotices)) return;
  MessageBoxW(app.mainWindow, kNotices[number], u"Cumulor", MB_OK);
}

}  // namespace cumulor
