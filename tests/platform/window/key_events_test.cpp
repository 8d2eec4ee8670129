// Synthesised key events: recorded in order, and nothing reaches a window or the key state.
#include "platform/window/window_seams.h"
#include "tests/platform/window/window_fixture.h"

using KeyEventsTest = WindowTest;

TEST_F(KeyEventsTest, SynthesisedKeysAreRecordedOnlyAndNeverQueued) {
  ce::window::ClearRecordedKeyEvents();
  HWND w = Make();
  SetFocus(w);
  MSG msg;
  keybd_event(0x73, 0, 0, 0);
  keybd_event(0x73, 5, KEYEVENTF_KEYUP, 0);
  const std::vector<ce::window::KeyEventRecord> events = ce::window::RecordedKeyEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].key, 0x73);
  EXPECT_EQ(events[0].flags, 0u);
  EXPECT_EQ(events[1].scan, 5);
  EXPECT_EQ(events[1].flags, KEYEVENTF_KEYUP);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
  EXPECT_EQ(GetKeyState(0x73), 0);  // the key-down left no key held
  ce::window::ClearRecordedKeyEvents();
  EXPECT_TRUE(ce::window::RecordedKeyEvents().empty());
}
