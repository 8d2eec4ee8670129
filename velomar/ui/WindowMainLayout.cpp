// The main window's skin, buttons and layout: the nine buttons with their managers, the skin
// section and bars, the layout by screen mode, activation, and the window-side messages.
#include <memory>

#include "platform/dialogs/tray.h"
#include "platform/gdi/images.h"
#include "platform/gdi/gdi.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/WorkerThread.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/DomHelpers.h"
#include "velomar/ui/ManagerButtons.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

using velomar::ui::Ref;
using velomar::ui::SelectElement;

namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

// Image mode, transparency and margin of the main window's buttons.
constexpr int kImageMode = 1;
constexpr bool kTransparent = true;
constexpr int kMargin = 8;

}  // namespace

void CWindowMain::PowerListener::StatusChanged(int, int mgr_id, int event) {
  if (mgr_id != MGR_PHONE || event != 1) return;
  RECT rect{};
  {
    std::lock_guard<std::mutex> lock(m_window->m_rectLock);
    rect = m_window->m_powerRect;
  }
  if (HWND hwnd = m_window->m_hwnd) InvalidateRect(hwnd, &rect, TRUE);
}

CSkin* CWindowMain::GetSkinReader() { return CSkin::GetInstance(); }

void CWindowMain::ReadSkin() {
  CSkin* skin = CSkin::GetInstance();
  Ref<IXMLDOMElement> orientation(skin->GetOrientationNode());
  if (!orientation.get()) return;
  skin->ReadTextHolder(m_backgroundImage, SelectElement(orientation.get(), u"./image[@id='background']"));
  skin->ReadPosition(m_downText.m_position, SelectElement(orientation.get(), u"./DownTextSate/position"));
  skin->ReadFont(m_downText.m_font, SelectElement(orientation.get(), u"./DownTextSate/font"));
}

bool CWindowMain::CreateSkinAndButtons(HINSTANCE instance) {
  for (const char16_t* file : {u"battery.png", u"signal.png"}) {
    if (!CButtonOwnDrawImage::LoadImage(file))
      throw CBaseException(u"%s %s", Tr()->GetText(u"ERROR LOADING").c_str(), file);
  }
  ReadSkin();
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) {
    phone->AddStatusListener(&m_powerListener);
    m_powerListening = true;
  }
  m_batteryBar.m_batteryImage.m_text = u"battery.png";
  m_signalBar.m_signalImage.m_text = u"signal.png";
  CSkin::GetInstance()->GetBarNode(&m_batteryBar, u"battery");
  CSkin::GetInstance()->GetBarNode(&m_signalBar, u"signal");

  const std::u16string caption_connections = Tr()->GetText(u"CONNECTIONS BUTTON");
  const std::u16string caption_band = Tr()->GetText(u"BAND BUTTON");
  const std::u16string caption_hide = Tr()->GetText(u"HIDE BUTTON");
  const std::u16string caption_refresh = Tr()->GetText(u"REFRESH BUTTON");
  const std::u16string caption_wifi = Tr()->GetText(u"WIFI BUTTON");
  const std::u16string caption_bt = Tr()->GetText(u"BT BUTTON");
  const std::u16string caption_sound = Tr()->GetText(u"SOUND BUTTON");
  const std::u16string caption_phone = Tr()->GetText(u"PHONE BUTTON");

  // Each button is made, given its skin element, created, attached to its manager and the manager
  // asked for its status, in this order.
  auto make = [&](CButtonOwnDrawImage* button, const char16_t* skin_id, int mgr_id, bool refresh) {
    button->SetThemeId(skin_id);
    button->Create();
    if (mgr_id >= 0) {
      if (CMgr* manager = CMgr::GetMgr(mgr_id)) {
        button->ListenTo(manager);
        if (refresh) manager->RefreshStatus(1);
      }
    }
    return button;
  };
  m_locationButton = new CButtonOwnCurrentLocation(this, u"", 106, instance);
  make(m_locationButton, u"place", MGR_RIL, false);
  m_connectionsButton = make(new CButtonConnections(this, 0, 0, 60, 65, instance, u"connection_des.png",
                                                    u"connection_des.png", u"connection.png", u"connection.png",
                                                    u"connection_dis.png", caption_connections.c_str(), 108,
                                                    kImageMode, kTransparent, 0, kMargin, nullptr),
                             u"connections", MGR_CONNECTIONS, true);
  m_bandButton = make(new CButtonBand(this, 0, 0, 60, 65, instance, u"2g.png", u"2g.png", u"3g.png", u"3g.png",
                                      u"2g_dis.png", u"auto.png", caption_band.c_str(), 110, kImageMode, kTransparent,
                                      0, kMargin, nullptr),
                      u"band", MGR_BAND, true);
  m_hideButton = make(new CButtonOwnDrawImage(this, 0, 0, 60, 65, instance, u"hide.png", u"hide.png", u"hide.png",
                                              u"hide.png", u"hide.png", caption_hide.c_str(), 111, kImageMode,
                                              kTransparent, 0, kMargin, nullptr),
                      u"hide", -1, false);
  m_hideButton->StatusChanged(0, -1, 0);
  m_refreshButton = make(new CButtonOwnDrawImage(this, 0, 0, 60, 65, instance, u"refresh.png", u"refresh.png",
                                                 u"refresh.png", u"refresh.png", u"refresh.png",
                                                 caption_refresh.c_str(), 112, kImageMode, kTransparent, 0, kMargin,
                                                 nullptr),
                         u"refresh", -1, false);
  m_refreshButton->StatusChanged(0, -1, 0);
  m_wifiButton = make(new CButtonWifi(this, 0, 0, 60, 65, instance, u"wifi_des.png", u"wifi_des.png", u"wifi.png",
                                      u"wifi.png", u"wifi_dis.png", caption_wifi.c_str(), 105, kImageMode,
                                      kTransparent, 0, kMargin, nullptr),
                      u"wifi", MGR_WIFI, true);
  m_btButton = make(new CButtonBT(this, 0, 0, 60, 65, instance, u"bluetooth_des.png", u"bluetooth_des.png",
                                  u"bluetooth.png", u"bluetooth.png", u"bluetooth_dis.png",
                                  u"bluetooth_discoverable.png", caption_bt.c_str(), 103, kImageMode, kTransparent, 0,
                                  kMargin, nullptr),
                    u"bt", MGR_BT, true);
  m_speakerButton = make(new CButtonSpeaker(this, 0, 0, 60, 65, instance, u"speaker_des.png", u"speaker_des.png",
                                            u"speaker.png", u"speaker.png", u"speaker_dis.png",
                                            u"speaker_vibrate.png", caption_sound.c_str(), 104, kImageMode,
                                            kTransparent, 0, kMargin, nullptr),
                         u"speaker", MGR_SPEAKER, true);
  m_phoneButton = make(new CButtonMobilePhone(this, 0, 0, 60, 65, instance, u"mobilephone_des.png",
                                              u"mobilephone_des.png", u"mobilephone.png", u"mobilephone.png",
                                              u"mobilephone_dis.png", caption_phone.c_str(), 107, kImageMode,
                                              kTransparent, 0, kMargin, nullptr),
                       u"phone", MGR_PHONE, true);

  if (CConfig::GetInstance()->GetDWORD(u"tray_icon") != 0) {
    NOTIFYICONDATAW data{};
    data.cbSize = 152;
    data.hWnd = m_hwnd;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(4), IMAGE_ICON, 32, 32, 0));
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
  }
  return true;
}

void CWindowMain::ReleaseWindowSide() {
  // The window's own listener and the buttons leave their managers before anything goes.
  if (m_powerListening) {
    if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) phone->RemoveStatusListener(&m_powerListener);
    m_powerListening = false;
  }
  for (CButtonOwnDrawImage* button : m_buttonList) {
    if (button) button->StopListening();
  }
  NOTIFYICONDATAW data{};
  data.cbSize = 152;
  data.hWnd = m_hwnd;
  data.uID = kTrayIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
}

LRESULT CWindowMain::OnEnterButton(HWND hwnd, UINT, WPARAM, LPARAM) {
  ShowWindow(hwnd, SW_HIDE);
  return 0;
}

LRESULT CWindowMain::OnSize(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CWindowMain::OnSize");
  try {
    CSkin* skin = CSkin::GetInstance();
    skin->DetectResolution();
    HDC hdc = GetDC(hwnd);
    const int width = GetDeviceCaps(hdc, HORZRES);
    const int height = GetDeviceCaps(hdc, VERTRES);
    ReleaseDC(hwnd, hdc);
    int orientation = 2;
    if (width < height) {
      orientation = 0;
      m_buttonWidth = 60;
      m_buttonHeight = 65;
      m_resolution = height == 640 ? 2 : 1;
    } else if (width > height) {
      orientation = 1;
      if (height == 480) {
        m_resolution = 2;
        m_buttonWidth = 60;
        m_buttonHeight = 65;
      } else {
        m_resolution = 1;
        m_buttonWidth = 40;
        m_buttonHeight = 45;
      }
    } else {
      m_buttonWidth = 40;
      m_buttonHeight = 45;
    }
    if (orientation != m_orientation || m_orientation == 3) {
      ReadSkin();
      skin->GetBarNode(&m_batteryBar, u"battery");
      skin->GetBarNode(&m_signalBar, u"signal");
      m_orientation = orientation;
      if (m_hwnd) Relayout(1, 0);
      InvalidateRect(hwnd, nullptr, TRUE);
    }
  } catch (const CBaseException& e) {
    Trace(0, u"Error changing sized.%s", e.GetMessage().c_str());
  }
  return 0;
}

void CWindowMain::ReorderShell() {
  Trace(0, u"CWindowMain::ReorderShell()");
  LayOutButtonRows();
}

bool CWindowMain::PlaceApart(CButtonOwnDrawImage* button) {
  button->GetConfigFromXML();
  if (button->IsAutolocate() || button != m_locationButton) return false;
  SetWindowPos(button->GetHwnd(), nullptr, button->GetX(), button->GetY(), button->GetWidth(), button->GetHeight(),
               SWP_NOZORDER | SWP_NOOWNERZORDER);
  return true;
}

void CWindowMain::AfterReorder() {
  if (m_locationButton) m_locationButton->RefreshPlace();
}

void CWindowMain::SetTitleText(const std::u16string& text) { m_titleText = text; }

LRESULT CWindowMain::OnActivate(WPARAM wparam, LPARAM) {
  if (LOWORD(wparam) != WA_INACTIVE) {
    m_shown = 1;
    if (m_activeChild && m_activeChild->GetHwnd() && IsWindow(m_activeChild->GetHwnd())) {
      SetActiveWindow(m_activeChild->GetHwnd());
      return 1;  // the popup keeps the activation (and the focus)
    }
  } else if (HIWORD(wparam) == 0 && m_shown.load() == 0) {
    ShowWindow(m_hwnd, SW_HIDE);
  }
  return 0;
}

int CWindowMain::GetManagerStatus(int id) {
  CRilMgr* ril = CRilMgr::GetInstance();
  if (id == 10) return ril ? static_cast<int>(ril->GetCellId()) : 1000;
  if (id == 11) return ril ? static_cast<int>(ril->GetLac()) : 1000;
  if (CMgr* manager = CMgr::GetMgr(id)) return manager->GetStatus();
  return 1000;
}

CButtonOwnDrawImage* CWindowMain::ButtonOfCommand(int id) const {
  switch (id) {
    case 103: return m_btButton;
    case 104: return m_speakerButton;
    case 105: return m_wifiButton;
    case 106: return m_locationButton;
    case 107: return m_phoneButton;
    case 108: return m_connectionsButton;
    case 110: return m_bandButton;
    default: return nullptr;
  }
}

CButtonOwnDrawImage* CWindowMain::GetManagerButton(int mgr_id) const {
  switch (mgr_id) {
    case MGR_WIFI: return m_wifiButton;
    case MGR_BT: return m_btButton;
    case MGR_SPEAKER: return m_speakerButton;
    case MGR_PHONE: return m_phoneButton;
    case MGR_CONNECTIONS: return m_connectionsButton;
    case MGR_BAND: return m_bandButton;
    default: return nullptr;
  }
}

bool CWindowMain::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_ACTIVATE:
      // Handed to an open popup: the default handling would take the focus back to the window,
      // activating it again.
      result = OnActivate(wparam, lparam) == 1 ? 0 : DefWindowProcW(hwnd, msg, wparam, lparam);
      return true;
    case WM_CTLCOLORBTN: {
      auto found = m_buttonMap.find(reinterpret_cast<HWND>(lparam));
      if (found != m_buttonMap.end() && found->second && found->second->IsTransparent()) {
        SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
      } else {
        result = DefWindowProcW(hwnd, msg, wparam, lparam);
      }
      return true;
    }
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      result = reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
      return true;
    case WM_TRAY_NOTIFY: result = OnTrayNotify(wparam, lparam); return true;
    case WM_WORKERS_PENDING: result = OnWorkersPending(wparam); return true;
    case WM_WORKERS_EXECUTED: result = OnWorkersExecuted(wparam); return true;
    case WM_TODAY_REGISTER: result = OnTodayRegister(wparam); return true;
    case WM_TODAY_TAP_TEXT: result = OnTodayTapText(); return true;
    default: break;
  }
  if (msg >= WM_TODAY_TAP_ICON0 && msg <= WM_TODAY_TAP_ICON5) {
    result = OnTodayTapIcon(static_cast<int>(msg - WM_TODAY_TAP_ICON0));
    return true;
  }
  return false;
}
