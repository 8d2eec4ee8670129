// The program's short notices: installed at initialisation, shown over the main window on its own
// thread, and handed to the main window from any other thread (the GPS reader), which goes on at
// once instead of waiting for the pilot's OK.
#include <gtest/gtest.h>

#include <thread>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/notices.h"
#include "platform/window/window.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;

namespace {

using Notices = cumulor_test::AppTest;

LRESULT NoticeProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgNotice) return MainWndProc(window, message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

std::vector<std::u16string> ShownBoxes() {
  std::vector<std::u16string> boxes;
  for (const auto& shown : ce::scripted::User::Get().shown())
    if (shown.kind == ce::scripted::Kind::kBox && !shown.texts.empty()) boxes.push_back(shown.title + u": " + shown.texts[0]);
  return boxes;
}

TEST_F(Notices, IgcLogFailedReachesThePilotFromTheReaderThread) {
  UINT id = 0;
  ASSERT_EQ(AppInit(*app, nullptr, &id), S_OK);
  ASSERT_NE(app->messageBox, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = NoticeProc;
  wc.lpszClassName = u"NoticeTest";
  RegisterClassW(&wc);
  app->mainWindow = CreateWindowExW(0, u"NoticeTest", u"Cumulor", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(app->mainWindow, nullptr);

  // From another thread: handed over without waiting, shown when the main window takes it.
  std::thread reader([this] { EXPECT_EQ(app->messageBox(app, u"IGC Log Failed", u"Cumulor"), 1); });
  reader.join();
  EXPECT_TRUE(ShownBoxes().empty());
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(ShownBoxes(), (std::vector<std::u16string>{u"Cumulor: IGC Log Failed"}));

  // On the main window's thread it is shown at once; a number from another process that names no
  // notice shows nothing.
  app->messageBox(app, u"Out of Program Memory", u"Cumulor");
  PostMessageW(app->mainWindow, kMsgNotice, 77, 0);
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(ShownBoxes(),
            (std::vector<std::u16string>{u"Cumulor: IGC Log Failed", u"Cumulor: Out of Program Memory"}));
  DestroyWindow(app->mainWindow);
  app->mainWindow = nullptr;
  UnregisterClassW(u"NoticeTest", nullptr);
}

}  // namespace
