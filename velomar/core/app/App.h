// The application object: one per process, built by the entry point on its stack. It holds the
// four entry arguments, the restart flag and the main window (not owned), runs the message loop,
// and on its way out clears this executable's pending notifications and, when a restart was
// asked for, arms a relaunch 10 s ahead with an empty command line.
//
// Shutdown: the derived object calls BeginShutdown before it destroys anything. From then on no
// status listener is called and nothing is posted through the main window; BeginShutdown
// returns once the listener calls already running have returned.
#pragma once

#include <atomic>

#include "platform/base/types.h"

class CWindowMain;  // the main window (window code); null until it exists

class CApp {
 public:
  // Writes the start event (which also builds the translator and the event log) and registers
  // the object as the process's application.
  CApp();
  virtual ~CApp();
  CApp(const CApp&) = delete;
  CApp& operator=(const CApp&) = delete;

  virtual HINSTANCE GetInstanceHandle() { return m_instance; }
  // Arms the relaunch and ends the process at once (no destructor runs).
  virtual void Restart();
  // True when the main window was created.
  virtual bool InitGUI() = 0;

  // Stores the arguments, calls InitGUI, and runs the message loop when it succeeded. Answers
  // the WM_QUIT code, or 0. An exception ends it after a box.
  int WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR command_line, int show);

  static CApp* GetApp();
  // The application's module instance; null while there is no application.
  static HINSTANCE GetAppInstance();
  CWindowMain* GetMainWindow() const { return m_mainWindow.load(); }
  // The main window registers itself (and its handle, which RequestRestart posts WM_CLOSE to);
  // null clears both.
  void SetMainWindow(CWindowMain* window, HWND handle = nullptr);
  HWND GetMainWindowHandle() const { return m_mainHandle.load(); }

  void SetRestartFlag() { m_restart = 1; }
  bool IsRestartRequested() const { return m_restart.load() != 0; }
  bool IsGuiReady() const { return m_guiReady.load(); }
  bool IsShuttingDown() const { return m_shuttingDown.load(); }

  // Removes every pending notification whose program is this executable.
  void ClearPendingNotifications();

  // Listener calls and posts through the main window go inside this bracket. Enter answers false
  // (and the caller does nothing) once the application is shutting down; true needs a Leave.
  static bool EnterListenerCalls();
  static void LeaveListenerCalls();

 protected:
  void SetGuiReady() { m_guiReady = true; }
  // Marks the application as shutting down, forgets the main window and waits for the listener
  // calls in progress to return.
  void BeginShutdown();

 private:
  void ArmRelaunch();

  HINSTANCE m_instance = nullptr;
  HINSTANCE m_previous = nullptr;
  LPWSTR m_commandLine = nullptr;
  int m_show = 0;
  std::atomic<int> m_restart{0};
  std::atomic<CWindowMain*> m_mainWindow{nullptr};
  std::atomic<HWND> m_mainHandle{nullptr};
  std::atomic<bool> m_guiReady{false};
  std::atomic<bool> m_shuttingDown{false};
};

// Asks for an orderly exit followed by a relaunch: sets the restart flag and posts WM_CLOSE to
// the main window. Any thread; returns at once.
void RequestRestart();
