// The flight computer in the test process as the program runs it: the demonstration data installed,
// the application record, its window class with the real window procedure, and the whole start-up
// in simulator mode up to the command that starts the GPS threads. Commands and pen input go to
// the main window; a second thread can look at a modal dialog while it is open.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "app_fixture.h"
#include "cumulor/app/base/language.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/setup/CumulorInstall.h"
#include "platform/controls/controls.h"
#include "platform/scripted/scripted_user.h"
#include "platform/window/window.h"

namespace cumulor_test {

class ProgramTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(cumulor::InstallDataFiles());
    ASSERT_TRUE(cumulor::InstallDemonstrationData());
    ASSERT_TRUE(cumulor::SeedSettings());
  }
  void TearDown() override {
    StopProgram();
    cumulor::SetStartupDoneHook(nullptr);
    AppTest::TearDown();
  }

  // Creates the main window and runs the start-up until its last command has run.
  void StartProgram() {
    app->simulator = 1;
    bool started = false;
    cumulor::SetStartupDoneHook([&started](cumulor::AppContext&) { started = true; });
    ASSERT_EQ(cumulor::InitInstance(*app, nullptr), 1);
    ASSERT_NE(app->mainWindow, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!started && std::chrono::steady_clock::now() < deadline) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    cumulor::SetStartupDoneHook(nullptr);
    ASSERT_TRUE(started);
  }
  // Destroys the main window (the program's shutdown: documents saved, GPS threads stopped) and
  // builds a fresh record, as a new start of the program would.
  void StopProgram() {
    if (app->mainWindow == nullptr || !IsWindow(app->mainWindow)) return;
    DestroyWindow(app->mainWindow);
    Pump();
    UnregisterClassW(cumulor::kMainClass, nullptr);
    cumulor::AppContextFree(app);
    delete app;
    app = new cumulor::AppContext;
    cumulor::AppContextInit(app, 0, 0);
    cumulor::AppRecord() = app;
    // What a new process would not have: the lists, tables and texts the run loaded.
    for (std::int32_t c = 0; c < cumulor::kDataFileTypeCount; ++c) {
      cumulor::SelectedDataFiles()[c].selected.SetSize(0);
      cumulor::AvailableDataFiles()[c].SetSize(0);
    }
    cumulor::UserWaypointTable& table = cumulor::UserWaypoints();
    table.records.SetSize(0);
    table.names.SetSize(0);
    table.countries.SetSize(0);
    for (auto& slot : cumulor::Tasks().slot) slot.SetSize(0);
    cumulor::Rules() = cumulor::TaskRules{};
    cumulor::LangLoadFile(u"\\no language document");
  }
  // Pumps this thread's messages until `done` holds (at most 30 s).
  static bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
  }
  // Handles this thread's queued messages; a WM_QUIT of the shutdown is taken out.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Runs `open`, which shows a modal dialog titled `title` on this thread; meanwhile another thread
  // calls `look` with the dialog until it answers true (at most 20 s), then ends the dialog with
  // the command `close`. Steps answered ahead run first; the dialog then waits instead of taking
  // the default. Returns what `look` answered last.
  bool WhileOpen(const std::function<void()>& open, const std::u16string& title, const std::function<bool(HWND)>& look,
                 WORD close) {
    auto& user = ce::scripted::User::Get();
    user.HoldUnanswered(true);
    bool seen = false;
    std::thread observer([&] {
      HWND dialog = nullptr;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (std::chrono::steady_clock::now() < deadline) {
        if (dialog == nullptr) dialog = FindWindowW(nullptr, title.c_str());
        if (dialog != nullptr && (seen = look(dialog))) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      if (dialog == nullptr) dialog = FindWindowW(nullptr, title.c_str());
      if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(close, BN_CLICKED), 0);
      // A dialog that is not there, or stays open, then takes the default.
      user.HoldUnanswered(false);
    });
    open();
    observer.join();
    user.HoldUnanswered(false);
    return seen;
  }
};

}  // namespace cumulor_test
