// The main window's soft keys and menu: the bar of resource 7 (left key "hide", right key the
// first popup of menu 4), its texts replaced by their translations, and the greying of the
// current-location submenu each time it opens.
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/dialogs/message_box.h"
#include "platform/gdi/images.h"
#include "platform/menus/menus.h"
#include "platform/menus/softkey_bar.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/WorkerThread.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/Records.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/ui/MenuTexts.h"
#include "velomar/ui/SoftKeys.h"
#include "velomar/ui/ShellCalls.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

constexpr UINT kMenuBarResource = 7;
constexpr int kHideKey = 5;
constexpr int kMenuKey = 6;
constexpr int kLocationMenuPosition = 1;
// The submenu whose items keep their resource texts (the volume levels are not translated).
constexpr const WCHAR* kKeptItemsMenu = u"VOLUME_LEVEL";

// Positions of the current-location submenu's items.
enum LocationItem : UINT { kNewPlace = 0, kAssign = 1, kSchedule = 2, kActions = 3, kLock = 4, kUnlock = 5 };

}  // namespace

LRESULT CWindowMain::OnCreate(HWND hwnd, UINT /*msg*/, WPARAM /*wparam*/, LPARAM /*lparam*/) {
  if (m_hwnd == nullptr) m_hwnd = hwnd;
  try {
    BuildMenus();
  } catch (const CBaseException&) {
    return -1;  // told already; the window is not created
  }
  // The workers post their statistics to this window from now on (its debug line shows them).
  SetWorkerStatisticsWindow(hwnd);
  // The first WM_SIZE lays the window out.
  m_orientation = 3;
  if (m_background) DrawBackgroundImage();
  return 0;
}

void CWindowMain::BuildMenus() {
  CTranslator* texts = CTranslator::GetInstance();
  SHMENUBARINFO info{};
  info.cbSize = sizeof info;
  info.hwndParent = m_hwnd;
  info.nToolBarId = kMenuBarResource;
  info.hInstRes = m_instance;
  if (!velomar::ui::ShellCreateMenuBar(&info) || info.hwndMB == nullptr) {
    const std::u16string text = texts->GetText(u"ERROR CREATING MENU");
    MessageBoxW(m_hwnd, text.c_str(), u"Error", MB_OK | MB_ICONERROR);
    throw CBaseException(u"%s", text.c_str());
  }
  m_menuBar = info.hwndMB;
  velomar::ui::SetSoftKeyText(m_menuBar, kHideKey, texts->GetText(u"MENU_HIDE"));
  velomar::ui::SetSoftKeyText(m_menuBar, kMenuKey, texts->GetText(u"MENU_MENU"));
  auto menu = reinterpret_cast<HMENU>(SendMessageW(m_menuBar, SHCMBM_GETSUBMENU, 0, kMenuKey));
  if (menu) {
    velomar::ui::TranslateMenu(menu, *texts, kKeptItemsMenu);
    m_locationMenu = GetSubMenu(menu, kLocationMenuPosition);
  }
  DrawMenuBar(m_menuBar);
}

void CWindowMain::DrawBackgroundImage() {
  WCHAR folder[MAX_PATH] = {};
  GetCurrentDirectory(folder);
  folder[MAX_PATH - 1] = 0;
  const std::u16string path = std::u16string(folder) + u"\\mainwindow_bg.jpg";
  HBITMAP image = SHLoadDIBitmap(path.c_str());
  BITMAP description{};
  if (image == nullptr || GetObjectW(image, sizeof description, &description) == 0) {
    if (image) DeleteObject(image);
    throw CBaseException(u"%s", CTranslator::GetInstance()->GetText(u"ERROR GETTING BACKGROUND").c_str());
  }
  RECT rect{};
  GetWindowRect(m_hwnd, &rect);
  HDC window_dc = GetDC(m_hwnd);
  HDC memory = CreateCompatibleDC(window_dc);
  HGDIOBJ old = SelectObject(memory, image);
  StretchBlt(window_dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, memory, 0, 0, description.bmWidth,
             description.bmHeight, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(m_hwnd, window_dc);
  DeleteObject(image);
}

LRESULT CWindowMain::OnInitMenuPopup(HWND /*hwnd*/, UINT /*msg*/, WPARAM wparam, LPARAM /*lparam*/) {
  auto menu = reinterpret_cast<HMENU>(wparam);
  if (menu == nullptr || menu != m_locationMenu) return 1;
  CRilMgr* radio = CRilMgr::GetInstance();
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  const auto set = [menu](UINT position, bool enabled) {
    EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
  };
  if (radio && radio->IsLocationKnown()) {
    set(kNewPlace, false);
    set(kAssign, false);
    set(kSchedule, true);
    bool period_now = false;
    CStrPlace place;
    if (engine && radio->FindPlaceOfLocation(place)) {
      CStrPeriod period;
      period_now = engine->FindFrameNow(period, place.GetIdPlace());
    }
    set(kActions, period_now);
  } else {
    set(kNewPlace, true);
    set(kAssign, true);
    set(kSchedule, false);
    set(kActions, false);
  }
  const bool locked = engine && engine->IsLocked();
  set(kLock, !locked);
  set(kUnlock, locked);
  return 1;
}
