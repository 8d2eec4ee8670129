// What the main window's commands open: the dialogs, the options sheet and the popups, one
// function each. The commands around them (modal flag, what an OK or a cancel does) are in
// WindowMainCommands.cpp. Those not built yet answer here as if the user had cancelled, so that
// their commands do nothing; each is replaced by its dialog or popup where that is built.
#include <string>

#include "velomar/places/Records.h"
#include "velomar/ui/WindowMain.h"

namespace {
constexpr int kCancelled = 109;
}  // namespace

void CWindowMain::RunAboutDialog(int /*template_id*/) {}

void CWindowMain::ShowMainWindowHelp() {}

void CWindowMain::RunOptionsSheet(int /*start_page*/) {}

bool CWindowMain::RunAddPlaceDialog(int /*template_id*/, CStrPlace& /*place*/) { return false; }

void CWindowMain::ShowAssignPopup() {}

void CWindowMain::ShowLockPopup() {}

void CWindowMain::ShowPlacesPopup() {}

void CWindowMain::ShowManagerPopup(int /*control_id*/) {}

int CWindowMain::RunPhoneTimeLimitPopup(bool& custom) {
  custom = false;
  return kCancelled;
}

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
