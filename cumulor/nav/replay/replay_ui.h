// What the replay shows in the program's windows. The application sets it at start-up; until
// then the replay shows nothing and tells no window.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;

struct ReplayUi {
  // The replay reached the end of the loaded flight: "Playback finished" over `owner` (the
  // replaying thread waits for it) and the main window's title back to "Cumulor" (`app` may be
  // null).
  void (*playbackFinished)(EngineContext* app, HWND owner) = nullptr;
  // The replay window's title: the local time ("hh:mm:ss") of the fix just replayed.
  void (*showReplayTime)(HWND replayWindow, const WCHAR* time) = nullptr;
  // The main window told that the replay or its reading ended (command 40054): it closes the
  // replay window unless a new replay runs.
  void (*replayEnded)(EngineContext& app) = nullptr;
};

void SetReplayUi(const ReplayUi& ui);
const ReplayUi& GetReplayUi();

}  // namespace cumulor
