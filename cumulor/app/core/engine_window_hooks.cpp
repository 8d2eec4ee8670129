#include "cumulor/app/core/engine_window_hooks.h"

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/recorder/recorder_hooks.h"
#include "cumulor/nav/replay/replay_ui.h"
#include "platform/dialogs/message_box.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr WORD kCmdReplayEnded = 40054;

void PlaybackFinished(EngineContext* app, HWND owner) {
  MessageBoxW(owner, u"Playback finished", u"Cumulor", MB_OK);
  if (app && app->mainWindow) SetWindowTextW(app->mainWindow, u"Cumulor");
}

void ShowReplayTime(HWND replayWindow, const WCHAR* time) { SetWindowTextW(replayWindow, time); }

void ReplayEnded(EngineContext& app) { PostMessageW(app.mainWindow, WM_COMMAND, kCmdReplayEnded, 0); }

void PostDeviceProgress(HWND window, int code, int parameter) {
  PostMessageW(window, WM_USER, static_cast<WPARAM>(code), parameter);
}

}  // namespace

void InstallEngineWindowHooks() {
  ReplayUi ui;
  ui.playbackFinished = PlaybackFinished;
  ui.showReplayTime = ShowReplayTime;
  ui.replayEnded = ReplayEnded;
  SetReplayUi(ui);
  SetDeviceProgressPost(PostDeviceProgress);
}

}  // namespace cumulor
