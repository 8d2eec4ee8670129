// What the main window's commands open that is not built yet: the options sheet answers here as if
// the user had cancelled, so that its commands do nothing. The dialogs are in WindowMainDialogs.cpp;
// the commands around them (modal flag, what an OK or a cancel does) in WindowMainCommands.cpp.
//
// Below them, stand-ins for the window side's popups, refresh and worker statistics, until that
// side is built.
#include <string>

#include "platform/window/window.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/Records.h"
#include "velomar/ui/WindowMain.h"

// ---- Dialogs and the options sheet ----

void CWindowMain::RunOptionsSheet(int /*start_page*/) {}

// The dialogs themselves are opened in WindowMainDialogs.cpp.

// ---- Stand-ins for the window side ----

LRESULT CWindowMain::OnBTPopup(HWND) { return 0; }
LRESULT CWindowMain::OnSpeakerPopup(HWND) { return 0; }
LRESULT CWindowMain::OnBandPopup(HWND) { return 0; }
LRESULT CWindowMain::OnConnectionsPopup(HWND) { return 0; }
LRESULT CWindowMain::OnWifiPopup(HWND) { return 0; }
LRESULT CWindowMain::OnPhonePopup(HWND) { return 0; }
LRESULT CWindowMain::OnPlacesPopup(HWND) { return 0; }
LRESULT CWindowMain::OnLockPopup(HWND, int) { return 0; }
LRESULT CWindowMain::OnAssignPlace() { return 0; }

LRESULT CWindowMain::RefreshNotificationsDebugInfo() {
  if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
  CMgr::RefreshAll();
  if (CRilMgr* radio = CRilMgr::GetInstance()) radio->RefreshMainWindow();
  return 0;
}

LRESULT CWindowMain::OnWorkersPending(WPARAM total) {
  m_pendingTotal = static_cast<int>(total);
  if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
  return 0;
}

LRESULT CWindowMain::OnWorkersExecuted(WPARAM total) {
  m_executedTotal = static_cast<int>(total);
  if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
  return 0;
}
