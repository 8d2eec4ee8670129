// The main window's side of the Today item protocol (registration, taps) and the tray icon.
#include "platform/dialogs/tray.h"
#include "platform/gdi/images.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

// The class of the Today item's window: only such a window is taken as the item.
constexpr const WCHAR* kTodayItemClass = u"VelomarTP";

bool IsTodayItem(HWND window) {
  WCHAR cls[32] = {};
  return window && GetClassNameW(window, cls, 32) > 0 && std::u16string(cls) == kTodayItemClass;
}

}  // namespace

LRESULT CWindowMain::OnTodayRegister(WPARAM item) {
  CApp* app = CApp::GetApp();
  // Before the window is ready the item's registration is dropped: it registers again later.
  if (app == nullptr || !app->IsGuiReady()) return 0;
  // Any process may post this message: a window that is not the item (another program's, or no
  // window at all) would take the item's place and leave it without statuses for the session.
  if (!IsTodayItem(reinterpret_cast<HWND>(item))) {
    Trace(0, u"Today registration of a window that is not the item ignored");
    return 0;
  }
  m_todayItem = reinterpret_cast<HWND>(item);
  CMgr::SendStatusToPlugin();
  if (m_locationButton) m_locationButton->StatusChangedChild();
  return 0;
}

void CWindowMain::SetActiveChild(CBaseWindow* child) {
  CBaseWindow::SetActiveChild(child);
  if (child == nullptr && m_pendingTap != 0 && m_hwnd) {
    PostMessageW(m_hwnd, m_pendingTap, 0, 0);
    m_pendingTap = 0;
  }
}

LRESULT CWindowMain::OnTodayTapText() {
  // A tap while a popup is open is not stacked on it: it waits until the popup is closed.
  if (m_activeChild) {
    m_pendingTap = WM_TODAY_TAP_TEXT;
    return 0;
  }
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  if (engine && engine->IsLocked()) {
    UnlockPlace();
  } else {
    OnLockPopup(GetDesktopWindow(), 1);
  }
  EnableWindow(m_hwnd, TRUE);
  return 0;
}

LRESULT CWindowMain::OnTodayTapIcon(int icon) {
  if (m_activeChild) {
    if (icon >= 0 && icon <= 5) m_pendingTap = WM_TODAY_TAP_ICON0 + static_cast<UINT>(icon);
    return 0;
  }
  HWND owner = GetDesktopWindow();
  switch (icon) {
    case 0: OnWifiPopup(owner); break;
    case 1: OnBTPopup(owner); break;
    case 2: OnSpeakerPopup(owner); break;
    case 3: OnPhonePopup(owner); break;
    case 4: OnConnectionsPopup(owner); break;
    case 5: OnBandPopup(owner); break;
    default: break;
  }
  EnableWindow(m_hwnd, TRUE);
  return 0;
}

LRESULT CWindowMain::OnTrayNotify(WPARAM, LPARAM lparam) {
  if (lparam != WM_LBUTTONUP) return 0;
  ShowWindow(m_hwnd, SW_SHOW);
  UpdateWindow(m_hwnd);
  SetForegroundWindow(m_hwnd);
  return 0;
}

void CWindowMain::UpdateTrayIcon(int show) {
  CConfig::GetInstance()->SetDWORD(u"tray_icon", static_cast<DWORD>(show));
  NOTIFYICONDATAW data{};
  data.cbSize = 152;
  data.hWnd = m_hwnd;
  data.uID = kTrayIconId;
  if (show == 0) {
    Shell_NotifyIconW(NIM_DELETE, &data);
    return;
  }
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  data.uCallbackMessage = WM_TRAY_NOTIFY;
  data.hIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(4), IMAGE_ICON, 32, 32, 0));
  if (!Shell_NotifyIconW(NIM_ADD, &data))
    ProcesarError(u"%s", CTranslator::GetInstance()->GetText(u"ERROR TRAY ICON").c_str());
}
