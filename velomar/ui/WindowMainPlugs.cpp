// What the main window's commands open: the dialogs and the options sheet, one function each. The
// commands around them (modal flag, what an OK or a cancel does) are in WindowMainCommands.cpp.
// Those not built yet answer here as if the user had cancelled, so that their commands do nothing;
// each is replaced by its dialog where that is built.
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

void CWindowMain::RunAboutDialog(int /*template_id*/) {}

void CWindowMain::ShowMainWindowHelp() {}

void CWindowMain::RunOptionsSheet(int /*start_page*/) {}

bool CWindowMain::RunAddPlaceDialog(int /*template_id*/, CStrPlace& /*place*/) { return false; }

bool CWindowMain::RunMessageDialog(int /*template_id*/, int /*mode*/, std::u16string& /*to*/,
                                   std::u16string& /*subject*/, std::u16string& /*text*/) {
  return false;
}

bool CWindowMain::RunCallForwardDialog(std::u16string& /*number*/) { return false; }

int CWindowMain::RunBacklightDialog(DWORD& /*battery_level*/, DWORD& /*external_level*/) { return 0; }

bool CWindowMain::RunThemeDialog(std::u16string& /*theme*/) { return false; }

bool CWindowMain::RunRingDialog(DWORD& /*volume*/, std::u16string& /*sound_file*/, std::u16string& /*script*/,
                                bool& /*script_changed*/) {
  return false;
}

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
