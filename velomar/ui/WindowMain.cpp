#include "velomar/ui/WindowMain.h"

#include "platform/connections/connmgr.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/core/WorkerThread.h"
#include "velomar/core/app/App.h"
#include "velomar/core/app/WinMain.h"
#include "velomar/core/managers/BTMgr.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/Translator.h"

namespace {

constexpr const WCHAR* kClassName = u"MainWindow";

}  // namespace

CWindowMain::CWindowMain(int background, BYTE base_flag) : CBaseWindow(base_flag), m_background(background) {
  Trace(0, u"CWindowMain::CWindowMain()");
  if (CApp* app = CApp::GetApp()) app->SetMainWindow(this);
}

CWindowMain::~CWindowMain() {
  Trace(0, u"CWindowMain::~CWindowMain()");
  if (CApp* app = CApp::GetApp(); app && app->GetMainWindow() == this) app->SetMainWindow(nullptr);
  ReleaseWindowSide();
  if (m_hwnd) {
    ConnMgrRegisterForStatusNotification(FALSE, m_hwnd);
    // A window still there (the loop never ran, or ended otherwise) goes without reaching this
    // object, so that nothing posts a quit for a loop that has ended.
    RemoveWindowObject(m_hwnd);
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    UnregisterClassW(kClassName, m_instance);
  }
}

int CWindowMain::InitGUI(HINSTANCE instance, int /*value1*/, int /*value2*/) {
  Trace(0, u"CWindowMain::InitGUI()");
  HWND previous = GetForegroundWindow();
  if (HWND running = FindWindowW(kClassName, nullptr)) {
    SetForegroundWindow(running);
    Trace(0, u"La aplicacion ya estaba en ejecucion");
    return 0;
  }
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = CBaseWindow::StaticWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) {
    Trace(0, u"Error registrando clase principal");
    return 0;
  }
  SetCreatingWindow(this);
  HWND hwnd = CreateWindowW(kClassName, kClassName, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            nullptr, nullptr, instance, nullptr);
  ClearCreatingWindow();
  if (hwnd == nullptr) {
    Trace(0, u"Error creano ventana principal");
    return 0;
  }
  m_hwnd = hwnd;
  SetWindowObject(hwnd, this);
  if (CApp* app = CApp::GetApp()) app->SetMainWindow(this, hwnd);
  if (!CreateSkinAndButtons(instance)) return 0;

  // The Connection Manager tells the window of every change of a connection.
  m_connectionsMessage = RegisterWindowMessageW(CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG);
  if (m_connectionsMessage == 0) {
    ProcesarError(u"%s", u"Error creando mensaje de conexiones");
  } else if (HRESULT hr = ConnMgrRegisterForStatusNotification(TRUE, hwnd); FAILED(hr)) {
    ProcesarError(u"Error suscribiendose a notificaciones de conexiones. %d", static_cast<int>(hr));
  }
  Trace(0, u"SW_HIDE");
  DrawDebugInfo(nullptr);
  UpdateWindow(hwnd);
  if (previous) SetForegroundWindow(previous);
  return 1;
}

LRESULT CWindowMain::OnClose(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const bool requested = m_closeRequested.exchange(0) != 0;
  bool close = false;
  if (!requested) {
    // A close from outside the menu (the shell's close button, another program).
    close = CConfig::GetInstance()->GetDWORD(u"allow_windows_close_qxt") != 0;
  } else {
    CApp* app = CApp::GetApp();
    close = (app && app->IsRestartRequested()) ||
            QuestionBox(hwnd, u"%s", CTranslator::GetInstance()->GetText(u"MAIN_PANEL_CONFIRM_CLOSE").c_str()) == 6;
  }
  if (!close) return 0;
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CWindowMain::OnDestroy(HWND, UINT, WPARAM, LPARAM) {
  // Velomar ends: the Today item shows no place or period of a program that no longer runs.
  SetCurrentPlaceAndFrame(u"", u"");
  // Workers that outlive the window post nothing to its handle.
  SetWorkerStatisticsWindow(nullptr);
  PostQuitMessage(0);
  return 0;
}

LRESULT CWindowMain::DefaultProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (LRESULT result = 0; HandleWindowMessage(hwnd, msg, wparam, lparam, result)) return result;
  switch (msg) {
    case WM_TIMER_NOTIFICATION: return OnTimerNotification(wparam, lparam);
    case WM_IDLE_NOTIFICATION: return OnIdleNotification();
    case WM_BT_EVENT:
      if (CBTMgr* bt = CBTMgr::GetInstance()) bt->OnBluetoothEvent();
      return 0;
    default: break;
  }
  if (m_connectionsMessage != 0 && msg == m_connectionsMessage) {
    if (CConnectionsMgr* connections = CConnectionsMgr::GetInstance()) connections->NewEvent();
    return 0;
  }
  return CBaseWindow::DefaultProc(hwnd, msg, wparam, lparam);
}

void CWindowMain::AddTimerNotificationListener(ITimerNotificationListener* listener) {
  if (listener) m_timerListeners.push_back(listener);
}

LRESULT CWindowMain::OnTimerNotification(WPARAM mgr_id, LPARAM notification_id) {
  for (ITimerNotificationListener* listener : m_timerListeners)
    listener->OnTimerNotification(static_cast<int>(mgr_id), static_cast<int>(notification_id));
  return 0;
}

LRESULT CWindowMain::OnIdleNotification() {
  if (CConnectionsMgr* connections = CConnectionsMgr::GetInstance()) connections->OnIddleNotification();
  return 0;
}

void CWindowMain::PostTodayStatus(int mgr_id, int status) {
  if (HWND item = m_todayItem.load()) PostMessageW(item, WM_TODAY_MGR_STATUS, static_cast<WPARAM>(mgr_id), status);
}

void CWindowMain::PostTodayState(DWORD cell_id, DWORD lac) {
  if (HWND item = m_todayItem.load()) PostMessageW(item, WM_TODAY_STATE, cell_id, static_cast<LPARAM>(lac));
}

void CWindowMain::SetCurrentPlaceAndFrame(const std::u16string& place, const std::u16string& frame) {
  CConfig* config = CConfig::GetInstance();
  {
    std::lock_guard<std::mutex> lock(m_placeFrameLock);
    config->SetString(u"current_place", place.c_str());
    config->SetString(u"current_frame", frame.c_str());
  }
  if (HWND item = m_todayItem.load()) PostMessageW(item, WM_TODAY_PLACE_CHANGED, 0, 0);
}

void CWindowMain::RefreshCurrentLocation() {
  if (m_hwnd == nullptr) return;
  if (m_locationButton) {
    InvalidateRect(m_locationButton->GetHwnd(), nullptr, TRUE);
    UpdateWindow(m_locationButton->GetHwnd());
    SetFocus(m_locationButton->GetHwnd());
  }
  InvalidateRect(m_hwnd, nullptr, TRUE);
  UpdateWindow(m_hwnd);
}
