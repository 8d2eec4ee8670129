// Test seams of the window system: a trace of the messages posted and delivered, window
// screenshots, and the windows of the process.
#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "platform/window/window.h"

namespace ce::window {

enum class TraceKind {
  kPosted,     // put in a queue (PostMessageW, PostThreadMessageW, input)
  kDelivered,  // handed to a window procedure (sent or dispatched)
};
// Called for every message; on the thread that posts or delivers it. Null removes the hook.
void SetMessageTraceHook(std::function<void(TraceKind, const MSG&)> hook);

// Saves what a window shows on the screen (its rectangle) as a PNG file.
bool SaveWindowScreenshot(HWND hwnd, const std::filesystem::path& file);

// The key events synthesised with keybd_event, oldest first (any thread).
struct KeyEventRecord {
  BYTE key;
  BYTE scan;
  DWORD flags;
};
std::vector<KeyEventRecord> RecordedKeyEvents();
void ClearRecordedKeyEvents();

}  // namespace ce::window
