// The window side of the GPS input's replay and recorder exchanges: the messages, titles and
// posts that the window-free engine asks for through its hooks.
#pragma once

namespace cumulor {

// Sets the replay's window hooks and the device commands' progress post. Part of building the
// application record, before any GPS input thread runs.
void InstallEngineWindowHooks();

}  // namespace cumulor
