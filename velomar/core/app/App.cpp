#include "velomar/core/app/App.h"

#include <chrono>
#include <thread>

#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/notify/notify.h"
#include "platform/shell/launch.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/ProgramNotifications.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

std::atomic<CApp*> g_app{nullptr};
std::atomic<bool> g_shuttingDown{false};
std::atomic<int> g_listenerCalls{0};

constexpr ULONGLONG kSecond = 10000000ull;  // in 100-ns units

}  // namespace

CApp::CApp() {
  Trace(0, u"CApp::CApp()");
  g_shuttingDown = false;
  g_app = this;
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string summary = texts->GetText(u"EVENT_LOG_MGR_STARTING_RESUME");
  const std::u16string description = texts->GetText(u"EVENT_LOG_MGR_STARTING_DESCRIPTION");
  CEventLog::AddEvent(kEventLogAppId, EVENT_INFO, summary.c_str(), description.c_str());
  Trace(0, u"CApp::-CApp()");
}

CApp::~CApp() {
  Trace(0, u"CApp::~CApp()");
  ClearPendingNotifications();
  if (m_restart.load() != 0) ArmRelaunch();
  CApp* self = this;
  g_app.compare_exchange_strong(self, nullptr);
}

CApp* CApp::GetApp() { return g_app.load(); }

HINSTANCE CApp::GetAppInstance() {
  CApp* app = GetApp();
  return app ? app->GetInstanceHandle() : nullptr;
}

void CApp::SetMainWindow(CWindowMain* window, HWND handle) {
  m_mainWindow = window;
  m_mainHandle = window ? handle : nullptr;
}

bool CApp::EnterListenerCalls() {
  g_listenerCalls.fetch_add(1);
  if (g_shuttingDown.load()) {
    g_listenerCalls.fetch_sub(1);
    return false;
  }
  return true;
}

void CApp::LeaveListenerCalls() { g_listenerCalls.fetch_sub(1); }

void CApp::BeginShutdown() {
  g_shuttingDown = true;
  m_shuttingDown = true;
  SetMainWindow(nullptr);
  // Listener calls already under way finish first; listeners only post or store, so this is short.
  while (g_listenerCalls.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

int CApp::WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR command_line, int show) {
  Trace(0, u"CApp::WinMain()");
  m_instance = instance;
  m_previous = previous;
  m_commandLine = command_line;
  m_show = show;
  int code = 0;
  try {
    const bool ready = InitGUI();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (ready) {
      MSG msg{};
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      code = static_cast<int>(msg.wParam);
    } else {
      code = 1;  // a program that could not start does not end as one that ran
    }
  } catch (const CBaseException& e) {
    // The message is shown as it stands: it may hold '%'.
    TextBox(nullptr, u"%s", e.GetMessage().c_str());
    code = 1;
  } catch (...) {
    TextBox(nullptr, u"%s", CTranslator::GetInstance()->GetText(u"UNEXPECTED ERROR").c_str());
    code = 1;
  }
  Trace(0, u"CApp::-WinMain()");
  return code;
}

void CApp::ClearPendingNotifications() {
  velomar::ForEachProgramNotification([](HANDLE handle, const std::u16string&) { CeClearUserNotification(handle); });
}

void CApp::ArmRelaunch() { velomar::ArmProgramNotification(nullptr, kSecond, 10); }

void CApp::Restart() {
  ArmRelaunch();
  TerminateProcess(GetCurrentProcess(), 0);
}

void RequestRestart() {
  CApp* app = CApp::GetApp();
  if (app == nullptr) return;
  app->SetRestartFlag();
  if (CApp::EnterListenerCalls()) {
    if (CWindowMain* window = app->GetMainWindow()) window->SetCloseRequested(true);
    CApp::LeaveListenerCalls();
  }
  if (HWND window = app->GetMainWindowHandle()) PostMessageW(window, WM_CLOSE, 0, 0);
}
